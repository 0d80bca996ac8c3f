#include "output/fields.hpp"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace slurry1d {
namespace {

void fill_asterisks(std::span<char> out, int w) {
  std::fill_n(out.begin(), w, '*');
}

// Writes body right-aligned into a field of width w, or asterisks.
void right_align(std::span<char> out, int w, const char* body, int len) {
  assert(w >= 0 && static_cast<std::size_t>(w) <= out.size());
  if (len > w) {
    fill_asterisks(out, w);
    return;
  }
  std::fill_n(out.begin(), w - len, ' ');
  std::copy_n(body, len, out.begin() + (w - len));
}

// NaN and infinities are spelled out, right-aligned, as far as they fit.
bool render_non_finite(std::span<char> out, int w, double value) {
  if (std::isfinite(value)) return false;
  const char* word = std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
  if (std::isinf(value) && static_cast<int>(std::strlen(word)) > w)
    word = value < 0 ? "-Inf" : "Inf";
  right_align(out, w, word, static_cast<int>(std::strlen(word)));
  return true;
}

// Decimal digits of |value| rounded to d significant digits, and the decimal
// exponent X of the rounded value (rounded = 0.d1d2..dd * 10^(X+1)).
struct Significand {
  char digits[MAX_FIELD_WIDTH];
  int exponent;  // X in d1.d2..dd * 10^X
};

// The scientific form of std::to_chars rounds the exact binary value to d
// significant digits, as printf's "%.*e" does.
Significand significand(double magnitude, int d) {
  assert(d >= 1 && d < MAX_FIELD_WIDTH);
  Significand s{};
  char buf[MAX_FIELD_WIDTH + 16];
  const auto result =
      std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, d - 1);
  const char* p = buf;
  int k = 0;
  for (; *p != 'e'; ++p) {
    if (*p != '.') s.digits[k++] = *p;
  }
  s.digits[k] = '\0';
  ++p;  // the exponent: sign, then at least two digits
  const bool negative = *p++ == '-';
  int exponent = 0;
  for (; p != result.ptr; ++p) exponent = exponent * 10 + (*p - '0');
  s.exponent = negative ? -exponent : exponent;
  return s;
}

// The fixed-point text of a value, digits and point (len characters), placed
// with its sign into a field of width w: the "0" before the point of a value
// below 1 only where it fits, asterisks where nothing fits.
void place_fixed(std::span<char> out, int w, bool negative, const char* digits, int len) {
  const char* start = digits;
  if (digits[0] == '0' && digits[1] == '.' && len + (negative ? 1 : 0) > w) {
    ++start;  // drop the optional zero before the point
    --len;
  }
  char body[402];
  int n = 0;
  if (negative) body[n++] = '-';
  std::memcpy(body + n, start, static_cast<std::size_t>(len));
  right_align(out, w, body, n + len);
}

// Two exponent digits after "E" and the sign, or three after the sign alone.
int exponent_text(char* out, int exponent) {
  const int e = std::abs(exponent);
  int n = 0;
  if (e <= 99) out[n++] = 'E';
  out[n++] = exponent < 0 ? '-' : '+';
  if (e > 99) out[n++] = static_cast<char>('0' + e / 100);
  out[n++] = static_cast<char>('0' + e / 10 % 10);
  out[n++] = static_cast<char>('0' + e % 10);
  return n;
}

}  // namespace

void render_I(std::span<char> out, int w, long long value) {
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  right_align(out, w, buf, static_cast<int>(result.ptr - buf));
}

void render_F(std::span<char> out, int w, int d, double value) {
  if (render_non_finite(out, w, value)) return;
  char digits[400];
  const auto result = std::to_chars(digits, digits + sizeof digits - 1, std::fabs(value),
                                    std::chars_format::fixed, d);
  int len = static_cast<int>(result.ptr - digits);
  if (d == 0) digits[len++] = '.';
  place_fixed(out, w, std::signbit(value), digits, len);
}

namespace {

// The E field of a value whose digits s are known (not read for zero).
void exponent_field(std::span<char> out, int w, int d, double value, const Significand& s) {
  char body[MAX_FIELD_WIDTH + 16];
  int n = 0;
  if (std::signbit(value)) body[n++] = '-';
  const int zero_at = n;
  body[n++] = '0';
  body[n++] = '.';
  int exponent = 0;
  if (value == 0.0) {
    std::fill_n(body + n, d, '0');
  } else {
    std::memcpy(body + n, s.digits, static_cast<std::size_t>(d));
    exponent = s.exponent + 1;
  }
  n += d;
  n += exponent_text(body + n, exponent);
  if (n > w) {  // the leading zero goes first when room is short
    std::memmove(body + zero_at, body + zero_at + 1, static_cast<std::size_t>(n - zero_at - 1));
    --n;
  }
  right_align(out, w, body, n);
}

}  // namespace

void render_E(std::span<char> out, int w, int d, double value) {
  if (render_non_finite(out, w, value)) return;
  if (value == 0.0) {
    exponent_field(out, w, d, value, Significand{});
    return;
  }
  exponent_field(out, w, d, value, significand(std::fabs(value), d));
}

namespace {

// The fixed-point field of width w - 4 and four blanks of a G field, from the
// d significant digits of the value and the exponent X of their leading one
// (-1 <= X <= d - 1): the same text as the value rounded to d - X - 1 (X >= 0)
// or d (X = -1) decimals, since both roundings fall on the same decimal
// place; a rounding that carries into a new leading digit gives 10^X, which
// the coarser place rounds to as well.
void fixed_of_significand(std::span<char> out, int w, int d, bool negative, const Significand& s) {
  char text[MAX_FIELD_WIDTH + 4];
  int len = 0;
  const int X = s.exponent;
  if (X < 0) {
    text[len++] = '0';
    text[len++] = '.';
    std::memcpy(text + len, s.digits, static_cast<std::size_t>(d));
    len += d;
  } else {
    std::memcpy(text + len, s.digits, static_cast<std::size_t>(X + 1));
    len += X + 1;
    text[len++] = '.';
    std::memcpy(text + len, s.digits + X + 1, static_cast<std::size_t>(d - X - 1));
    len += d - X - 1;
  }
  place_fixed(out, w - 4, negative, text, len);
  std::fill_n(out.begin() + (w - 4), 4, out[0] == '*' ? '*' : ' ');
}

}  // namespace

void render_G(std::span<char> out, int w, int d, double value) {
  if (render_non_finite(out, w, value)) return;
  if (value == 0.0) {
    // A fixed form that does not fit fills the whole field, blanks included.
    render_F(out, w - 4, d - 1, value);
    std::fill_n(out.begin() + (w - 4), 4, out[0] == '*' ? '*' : ' ');
    return;
  }
  // The range test is made on the value rounded to d significant digits:
  // 0.1 - 0.5e-(d+1) <= |v| < 10^d - 0.5 in the value's own terms.
  const Significand s = significand(std::fabs(value), d);
  if (s.exponent >= -1 && s.exponent <= d - 1) {
    fixed_of_significand(out, w, d, std::signbit(value), s);
    return;
  }
  exponent_field(out, w, d, value, s);
}

int render_free_int(std::span<char> out, long long value) {
  const auto result = std::to_chars(out.data(), out.data() + out.size(), value);
  return static_cast<int>(result.ptr - out.data());
}

int render_free_real(std::span<char> out, double value) {
  if (!std::isfinite(value)) {
    const char* word = std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
    const int len = static_cast<int>(std::strlen(word));
    std::memcpy(out.data(), word, static_cast<std::size_t>(len));
    return len;
  }
  const auto result = std::to_chars(out.data(), out.data() + out.size(), value);
  return static_cast<int>(result.ptr - out.data());
}

namespace {
template <typename Render>
std::string field_string(int w, Render render) {
  std::string s(static_cast<std::size_t>(w), ' ');
  render(std::span<char>(s.data(), s.size()));
  return s;
}
}  // namespace

std::string format_I(int w, long long value) {
  return field_string(w, [&](std::span<char> o) { render_I(o, w, value); });
}
std::string format_F(int w, int d, double value) {
  return field_string(w, [&](std::span<char> o) { render_F(o, w, d, value); });
}
std::string format_E(int w, int d, double value) {
  return field_string(w, [&](std::span<char> o) { render_E(o, w, d, value); });
}
std::string format_G(int w, int d, double value) {
  return field_string(w, [&](std::span<char> o) { render_G(o, w, d, value); });
}
std::string format_free_real(double value) {
  char buf[40];
  const int len = render_free_real(buf, value);
  return std::string(buf, static_cast<std::size_t>(len));
}

}  // namespace slurry1d
