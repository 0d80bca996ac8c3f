#pragma once

// One line at the bottom of a terminal that is drawn again and again in place:
// a carriage return, the text, and blanks over what is left of the text
// before. Everything else written to that terminal passes through a
// BelowProgressLine buffer, which clears the line before it and draws it
// again after, so that the line stays below the rest. Nothing here
// allocates: the text lives in a fixed buffer.
//
//   ProgressLine line(std::cerr);
//   BelowProgressLine console(std::cout.rdbuf(), line);   // stdout on the same terminal
//   std::ostream console_stream(&console);
//   line.draw("t = 120 of 1000 (12.0 %), step 340, 501 nodes");

#include <ostream>
#include <streambuf>
#include <string_view>

namespace slurry1d::progress {

class ProgressLine {
 public:
  // Longer texts are cut: a line wider than the terminal would wrap, and a
  // carriage return goes back only to the start of its last row.
  static constexpr int CAPACITY = 78;

  explicit ProgressLine(std::ostream& terminal) : terminal_(terminal) {}

  // Shows `text` in place of the line shown, if any.
  void draw(std::string_view text);
  // Blanks the line out and leaves the cursor at its start; it is not shown
  // any more. Nothing when no line is shown.
  void clear();
  // Draws the text of the last draw() again, after clear().
  void restore();
  // Hides the line and forgets its text: nothing is drawn any more until
  // the next draw().
  void hide();
  bool shown() const { return shown_; }

 private:
  void show();

  std::ostream& terminal_;
  char text_[CAPACITY] = {};
  int length_ = 0;
  int width_on_screen_ = 0;  // the characters the line covers now
  bool shown_ = false;
  bool hidden_ = true;
};

// The stream buffer of another stream shown on the progress line's terminal
// (the console on standard output, the messages on standard error). It keeps
// what is written and hands it on in whole lines: at a flush, and when its
// buffer is full, up to the last line end in it. The progress line is cleared
// before and drawn again after each handing on that ends a line.
class BelowProgressLine : public std::streambuf {
 public:
  BelowProgressLine(std::streambuf* target, ProgressLine& line);
  ~BelowProgressLine() override;
  BelowProgressLine(const BelowProgressLine&) = delete;
  BelowProgressLine& operator=(const BelowProgressLine&) = delete;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Hands on the first `count` characters kept and keeps the rest.
  bool hand_on(std::streamsize count);

  std::streambuf* target_;
  ProgressLine& line_;
  char buffer_[8192];
};

}  // namespace slurry1d::progress
