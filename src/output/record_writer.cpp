#include "output/record_writer.hpp"

#include <algorithm>
#include <cassert>

namespace slurry1d {

std::span<char> Line::room(int w) {
  assert(w >= 0 && len_ + w <= CAPACITY && "record longer than a line");
  const int start = len_;
  len_ += w;
  return std::span<char>(buf_ + start, static_cast<std::size_t>(w));
}

Line& Line::text(std::string_view s) {
  const auto out = room(static_cast<int>(s.size()));
  std::copy(s.begin(), s.end(), out.begin());
  last_was_number_ = false;
  return *this;
}

Line& Line::blank(int count) {
  const auto out = room(count);
  std::fill(out.begin(), out.end(), ' ');
  last_was_number_ = false;
  return *this;
}

Line& Line::tab() {
  return text("\t");
}

Line& Line::I(int w, long long value) {
  render_I(room(w), w, value);
  return *this;
}
Line& Line::F(int w, int d, double value) {
  render_F(room(w), w, d, value);
  return *this;
}
Line& Line::E(int w, int d, double value) {
  render_E(room(w), w, d, value);
  return *this;
}
Line& Line::G(int w, int d, double value) {
  render_G(room(w), w, d, value);
  return *this;
}

Line& Line::free_text(std::string_view s) {
  return text(s);
}

void Line::number_separator() {
  if (last_was_number_) room(1)[0] = ' ';
}

Line& Line::free_int(long long value) {
  number_separator();
  char buf[40];
  const int n = render_free_int(buf, value);
  text(std::string_view(buf, static_cast<std::size_t>(n)));
  last_was_number_ = true;
  return *this;
}

Line& Line::free_real(double value) {
  number_separator();
  char buf[40];
  const int n = render_free_real(buf, value);
  text(std::string_view(buf, static_cast<std::size_t>(n)));
  last_was_number_ = true;
  return *this;
}

void RecordWriter::write(const Line& line) {
  if (os_ == nullptr) return;
  os_->write(line.view().data(), static_cast<std::streamsize>(line.size()));
  os_->put('\n');
}

void RecordWriter::write_text(std::string_view s) {
  Line line;
  line.text(s);
  write(line);
}

void RecordWriter::flush() {
  if (os_ != nullptr) os_->flush();
}

}  // namespace slurry1d
