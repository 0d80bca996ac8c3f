#include "platform/number_text.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace slurry1d::platform {

NumberRead read_double(std::string_view text, double& value) {
  // strtod would also pass over leading blanks and take a '+'.
  if (text.empty() || text.front() == '+' ||
      std::isspace(static_cast<unsigned char>(text.front()))) {
    return NumberRead::NotANumber;
  }
  // strtod wants a NUL-terminated text; a number worth reading is short.
  std::array<char, 128> buf{};
  if (text.size() >= buf.size()) return NumberRead::OutOfRange;
  std::copy(text.begin(), text.end(), buf.begin());
  const std::string_view unsigned_text = text.substr(text.front() == '-' ? 1 : 0);
  if (unsigned_text.starts_with("0x") || unsigned_text.starts_with("0X")) {
    return NumberRead::NotANumber;
  }
  char* end = nullptr;
  const double parsed = std::strtod(buf.data(), &end);
  if (end != buf.data() + text.size()) return NumberRead::NotANumber;
  // An infinity read from digits is an overflow; "inf" itself is a value.
  const bool has_digits =
      std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (std::isinf(parsed) && has_digits) return NumberRead::OutOfRange;
  value = parsed;
  return NumberRead::Ok;
}

}  // namespace slurry1d::platform
