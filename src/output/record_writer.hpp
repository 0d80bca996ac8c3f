#pragma once

// Every line the program writes is a record built here: a laid-out record (a
// fixed sequence of literal texts and I, F, E, G fields, concatenated with
// nothing in between) or a free-form record (one leading blank, then texts as
// stored and numbers in their free form; a number that follows a number is
// separated from it by one blank). Lines are built in a fixed buffer, so no
// record allocates, and written with a plain '\n': the streams stay buffered and
// are flushed when a file is closed, when the program reads its next answer
// (the console) and at every report (Outputs::flush).

#include <concepts>
#include <initializer_list>
#include <ostream>
#include <string_view>

#include "output/fields.hpp"

namespace slurry1d {

class Line {
 public:
  static constexpr int CAPACITY = 1024;

  // Laid-out items.
  Line& text(std::string_view s);
  Line& blank(int count = 1);
  Line& tab();
  Line& I(int w, long long value);
  Line& F(int w, int d, double value);
  Line& E(int w, int d, double value);
  Line& G(int w, int d, double value);

  // Free-form items.
  Line& free_text(std::string_view s);
  Line& free_int(long long value);
  Line& free_real(double value);

  std::string_view view() const { return std::string_view(buf_, static_cast<std::size_t>(len_)); }
  int size() const { return len_; }
  void clear() {
    len_ = 0;
    last_was_number_ = false;
  }

 private:
  std::span<char> room(int w);
  void number_separator();

  char buf_[CAPACITY];
  int len_ = 0;
  bool last_was_number_ = false;
};

// A free-form item is a text, an integer or a real.
template <typename T>
concept FreeText = std::convertible_to<const T&, std::string_view>;

class RecordWriter {
 public:
  RecordWriter() = default;
  explicit RecordWriter(std::ostream& os) : os_(&os) {}

  void attach(std::ostream& os) { os_ = &os; }
  void detach() { os_ = nullptr; }
  bool attached() const { return os_ != nullptr; }

  // A laid-out record. A writer with no stream attached discards the line.
  void write(const Line& line);
  // A laid-out record of one literal text.
  void write_text(std::string_view s);

  // A free-form record: " " followed by the items.
  template <typename... Items>
  void free(const Items&... items) {
    Line line;
    line.text(" ");
    (append(line, items), ...);
    write(line);
  }

  void flush();

 private:
  template <typename T>
  static void append(Line& line, const T& item) {
    if constexpr (FreeText<T>) {
      line.free_text(std::string_view(item));
    } else if constexpr (std::integral<T>) {
      line.free_int(item);
    } else {
      static_assert(std::floating_point<T>, "free-form items are texts, integers or reals");
      line.free_real(item);
    }
  }

  std::ostream* os_ = nullptr;
};

// The program's six output channels: console (prompts, progress, stop
// messages), errors (bad input and failures), the echo file "input" and the
// result files "vd.out", "ts.out" and "tc.out".
struct Outputs {
  RecordWriter console;
  RecordWriter errors;
  RecordWriter input;
  RecordWriter vd;
  RecordWriter ts;
  RecordWriter tc;

  // Hands everything written so far to the system: what is in the files
  // outlives the program, however it ends.
  void flush() {
    for (RecordWriter* w : {&input, &vd, &ts, &tc, &console, &errors}) w->flush();
  }
};

}  // namespace slurry1d
