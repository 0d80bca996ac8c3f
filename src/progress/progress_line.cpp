#include "progress/progress_line.hpp"

#include <algorithm>
#include <cstring>

namespace slurry1d::progress {

namespace {

void write_blanks(std::ostream& out, int count) {
  for (int k = 0; k < count; ++k) out.put(' ');
}

}  // namespace

void ProgressLine::draw(std::string_view text) {
  length_ = static_cast<int>(std::min<std::size_t>(text.size(), CAPACITY));
  std::memcpy(text_, text.data(), static_cast<std::size_t>(length_));
  hidden_ = false;
  show();
}

void ProgressLine::show() {
  terminal_.put('\r');
  terminal_.write(text_, length_);
  // Blanks over the rest of a longer line drawn before, then back to the end
  // of the text.
  if (width_on_screen_ > length_) {
    write_blanks(terminal_, width_on_screen_ - length_);
    terminal_.put('\r');
    terminal_.write(text_, length_);
  }
  terminal_.flush();
  width_on_screen_ = length_;
  shown_ = true;
}

void ProgressLine::clear() {
  if (!shown_) return;
  terminal_.put('\r');
  write_blanks(terminal_, width_on_screen_);
  terminal_.put('\r');
  terminal_.flush();
  width_on_screen_ = 0;
  shown_ = false;
}

void ProgressLine::restore() {
  if (!hidden_ && !shown_) show();
}

void ProgressLine::hide() {
  clear();
  hidden_ = true;
}

BelowProgressLine::BelowProgressLine(std::streambuf* target, ProgressLine& line)
    : target_(target), line_(line) {
  setp(buffer_, buffer_ + sizeof buffer_);
}

BelowProgressLine::~BelowProgressLine() {
  sync();
}

bool BelowProgressLine::hand_on(std::streamsize count) {
  if (count <= 0) return true;
  const bool ends_line = pbase()[count - 1] == '\n';
  line_.clear();
  const bool written = target_->sputn(pbase(), count) == count && target_->pubsync() == 0;
  // The rest of an unfinished line stays until its end comes.
  const std::streamsize rest = pptr() - pbase() - count;
  std::memmove(buffer_, pbase() + count, static_cast<std::size_t>(rest));
  setp(buffer_, buffer_ + sizeof buffer_);
  pbump(static_cast<int>(rest));
  if (ends_line) line_.restore();
  return written;
}

BelowProgressLine::int_type BelowProgressLine::overflow(int_type c) {
  const std::streamsize kept = pptr() - pbase();
  const char* last_end = nullptr;
  for (const char* p = pptr(); p != pbase(); --p) {
    if (p[-1] == '\n') {
      last_end = p;
      break;
    }
  }
  // A buffer without a line end (a line longer than the buffer) goes on whole.
  const std::streamsize count = last_end != nullptr ? last_end - pbase() : kept;
  if (!hand_on(count)) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int BelowProgressLine::sync() {
  return hand_on(pptr() - pbase()) ? 0 : -1;
}

}  // namespace slurry1d::progress
