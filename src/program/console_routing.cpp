#include "program/console_routing.hpp"

namespace slurry1d::program {

void TeeBuffer::let_go_of_second() {
  if (second_ != nullptr) second_->pubsync();
  second_ = nullptr;
}

TeeBuffer::int_type TeeBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  const bool first = !traits_type::eq_int_type(first_->sputc(ch), traits_type::eof());
  const bool second =
      second_ == nullptr || !traits_type::eq_int_type(second_->sputc(ch), traits_type::eof());
  return first && second ? c : traits_type::eof();
}

std::streamsize TeeBuffer::xsputn(const char* s, std::streamsize n) {
  const std::streamsize written = first_->sputn(s, n);
  if (second_ != nullptr && second_->sputn(s, n) != n) return 0;
  return written;
}

int TeeBuffer::sync() {
  const int first = first_->pubsync();
  const int second = second_ == nullptr ? 0 : second_->pubsync();
  return first == 0 && second == 0 ? 0 : -1;
}

}  // namespace slurry1d::program
