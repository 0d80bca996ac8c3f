#include "output/fields.hpp"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
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

Significand significand(double magnitude, int d) {
  Significand s{};
  char buf[MAX_FIELD_WIDTH + 16];
  // "%.*e" rounds the exact binary value to d significant digits.
  std::snprintf(buf, sizeof buf, "%.*e", d - 1, magnitude);
  int k = 0;
  const char* p = buf;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') s.digits[k++] = *p;
  }
  s.digits[k] = '\0';
  s.exponent = std::atoi(p + 1);
  return s;
}

}  // namespace

void render_I(std::span<char> out, int w, long long value) {
  char buf[32];
  const int len = std::snprintf(buf, sizeof buf, "%lld", value);
  right_align(out, w, buf, len);
}

void render_F(std::span<char> out, int w, int d, double value) {
  if (render_non_finite(out, w, value)) return;
  char digits[400];
  int len = std::snprintf(digits, sizeof digits, "%.*f", d, std::fabs(value));
  if (d == 0) digits[len++] = '.';
  const bool negative = std::signbit(value);
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

void render_E(std::span<char> out, int w, int d, double value) {
  if (render_non_finite(out, w, value)) return;
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
    const Significand s = significand(std::fabs(value), d);
    std::memcpy(body + n, s.digits, static_cast<std::size_t>(d));
    exponent = s.exponent + 1;
  }
  n += d;
  const int e = std::abs(exponent);
  if (e <= 99) {
    n += std::snprintf(body + n, 8, "E%c%02d", exponent < 0 ? '-' : '+', e);
  } else {
    n += std::snprintf(body + n, 8, "%c%03d", exponent < 0 ? '-' : '+', e);
  }
  if (n > w) {  // the leading zero goes first when room is short
    std::memmove(body + zero_at, body + zero_at + 1, static_cast<std::size_t>(n - zero_at - 1));
    --n;
  }
  right_align(out, w, body, n);
}

void render_G(std::span<char> out, int w, int d, double value) {
  if (render_non_finite(out, w, value)) return;
  // A fixed form that does not fit fills the whole field, blanks included.
  const auto fixed_then_blanks = [&](int decimals) {
    render_F(out, w - 4, decimals, value);
    std::fill_n(out.begin() + (w - 4), 4, out[0] == '*' ? '*' : ' ');
  };
  if (value == 0.0) {
    fixed_then_blanks(d - 1);
    return;
  }
  // The range test is made on the value rounded to d significant digits:
  // 0.1 - 0.5e-(d+1) <= |v| < 10^d - 0.5 in the value's own terms.
  const int x = significand(std::fabs(value), d).exponent;
  if (x >= -1 && x <= d - 1) {
    const int digits_before_point = x >= 0 ? x + 1 : 0;
    fixed_then_blanks(d - digits_before_point);
    return;
  }
  render_E(out, w, d, value);
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
