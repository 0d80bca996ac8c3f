// The field renderers against a reference built on printf's conversions (the
// "%.*e" and "%.*f" forms, which round the exact binary value): every layout
// the records use, on random values spread over every magnitude and sign, on
// decimal rounding boundaries and their neighbours, and on the values at the
// edges of the double range. The two must agree character for character.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "output/fields.hpp"

namespace slurry1d {
namespace {

// ---- the reference: printf's conversions, laid out by the rules of the fields

std::string asterisks(int w) {
  return std::string(static_cast<std::size_t>(w), '*');
}

std::string right_aligned(int w, const std::string& body) {
  if (static_cast<int>(body.size()) > w) return asterisks(w);
  return std::string(static_cast<std::size_t>(w) - body.size(), ' ') + body;
}

std::string reference_non_finite(int w, double v) {
  std::string word = std::isnan(v) ? "NaN" : (v < 0 ? "-Infinity" : "Infinity");
  if (std::isinf(v) && static_cast<int>(word.size()) > w) word = v < 0 ? "-Inf" : "Inf";
  return right_aligned(w, word);
}

std::string reference_I(int w, long long v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld", v);
  return right_aligned(w, buf);
}

std::string reference_F(int w, int d, double v) {
  if (!std::isfinite(v)) return reference_non_finite(w, v);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", d, std::fabs(v));
  std::string digits = buf;
  if (d == 0) digits += '.';
  const bool negative = std::signbit(v);
  if (digits.rfind("0.", 0) == 0 && static_cast<int>(digits.size()) + (negative ? 1 : 0) > w)
    digits.erase(0, 1);
  return right_aligned(w, (negative ? "-" : "") + digits);
}

// d significant digits of |v| and the exponent of the first.
void reference_digits(double magnitude, int d, std::string& digits, int& exponent) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.*e", d - 1, magnitude);
  digits.clear();
  const char* p = buf;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits += *p;
  }
  exponent = std::atoi(p + 1);
}

std::string reference_E(int w, int d, double v) {
  if (!std::isfinite(v)) return reference_non_finite(w, v);
  std::string sign = std::signbit(v) ? "-" : "";
  std::string digits(static_cast<std::size_t>(d), '0');
  int exponent = 0;
  if (v != 0.0) {
    reference_digits(std::fabs(v), d, digits, exponent);
    exponent += 1;
  }
  char tail[16];
  const int e = std::abs(exponent);
  if (e <= 99) {
    std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', e);
  } else {
    std::snprintf(tail, sizeof tail, "%c%03d", exponent < 0 ? '-' : '+', e);
  }
  std::string body = sign + "0." + digits + tail;
  if (static_cast<int>(body.size()) > w) body = sign + "." + digits + tail;
  return right_aligned(w, body);
}

std::string reference_G(int w, int d, double v) {
  if (!std::isfinite(v)) return reference_non_finite(w, v);
  const auto fixed_then_blanks = [&](int decimals) {
    const std::string f = reference_F(w - 4, decimals, v);
    return f + (f[0] == '*' ? asterisks(4) : std::string(4, ' '));
  };
  if (v == 0.0) return fixed_then_blanks(d - 1);
  std::string digits;
  int x = 0;
  reference_digits(std::fabs(v), d, digits, x);
  if (x >= -1 && x <= d - 1) return fixed_then_blanks(d - (x >= 0 ? x + 1 : 0));
  return reference_E(w, d, v);
}

// ---- the layouts and the values

struct Layout {
  char kind;
  int w;
  int d;
};

// Every layout of the program's records, and a few narrow ones where the
// optional zero and the asterisks decide.
const Layout kLayouts[] = {
    {'G', 10, 5}, {'G', 11, 5}, {'G', 14, 6}, {'G', 15, 4}, {'G', 15, 6}, {'E', 11, 4},
    {'E', 12, 4}, {'F', 10, 2}, {'F', 10, 4}, {'F', 10, 6}, {'F', 10, 7}, {'G', 8, 3},
    {'G', 9, 5},  {'E', 8, 4},  {'E', 6, 1},  {'F', 4, 2},  {'F', 3, 0},  {'G', 6, 1},
};

std::string rendered(const Layout& f, double v) {
  switch (f.kind) {
    case 'E':
      return format_E(f.w, f.d, v);
    case 'F':
      return format_F(f.w, f.d, v);
    default:
      return format_G(f.w, f.d, v);
  }
}

std::string reference(const Layout& f, double v) {
  switch (f.kind) {
    case 'E':
      return reference_E(f.w, f.d, v);
    case 'F':
      return reference_F(f.w, f.d, v);
    default:
      return reference_G(f.w, f.d, v);
  }
}

// Counts and shows the first few disagreements.
class Agreement {
 public:
  void check(const Layout& f, double v) {
    ++checked_;
    const std::string got = rendered(f, v);
    const std::string want = reference(f, v);
    if (got == want) return;
    if (++failed_ <= 10) {
      char value[40];
      std::snprintf(value, sizeof value, "%.17g", v);
      ADD_FAILURE() << f.kind << f.w << "." << f.d << " of " << value << ": \"" << got
                    << "\", expected \"" << want << "\"";
    }
  }
  long checked() const { return checked_; }
  long failed() const { return failed_; }

 private:
  long checked_ = 0;
  long failed_ = 0;
};

// Values next to the decimal places where the layouts round: k.5 units of
// the last digit kept, their neighbours one and two ulps away, and the powers
// of ten with their neighbours, in both signs.
std::vector<double> rounding_boundaries() {
  std::vector<double> values;
  const auto around = [&](double x) {
    double below = x;
    double above = x;
    values.push_back(x);
    for (int i = 0; i < 2; ++i) {
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, std::numeric_limits<double>::infinity());
      values.push_back(below);
      values.push_back(above);
    }
  };
  for (int p = -12; p <= 12; ++p) {
    const double unit = std::pow(10.0, p);
    around(unit);
    for (const double m :
         {0.5,   0.95,  0.995,  0.9995,       0.99995,      0.999995,    0.9999995, 0.99999995,
          1.5,   2.5,   9.5,    9.95,         9.995,        9.9995,      9.99995,   99999.5,
          0.125, 0.375, 0.0625, 0.1 - 0.5e-6, 0.1 - 0.5e-5, 0.1 - 0.5e-7}) {
      around(m * unit);
    }
  }
  const std::size_t n = values.size();
  for (std::size_t i = 0; i < n; ++i) values.push_back(-values[i]);
  return values;
}

std::vector<double> range_edges() {
  using limits = std::numeric_limits<double>;
  return {0.0,
          -0.0,
          limits::min(),
          -limits::min(),
          limits::denorm_min(),
          -limits::denorm_min(),
          limits::max(),
          -limits::max(),
          limits::infinity(),
          -limits::infinity(),
          limits::quiet_NaN(),
          1e-100,
          9.9999999e99,
          1e100,
          -1e100,
          1e-99,
          1.0000001e-100,
          123456.0,
          12.5,
          1.0e-3,
          0.5,
          1.0,
          -1.0,
          0.05,
          -0.05,
          0.05000000074505806};
}

long random_case_count() {
#ifdef NDEBUG
  return 200000;
#else
  return 40000;  // the sanitizer and debug builds run many times slower
#endif
}

TEST(FieldsAgainstPrintf, EveryLayoutOnTheBoundariesOfRoundingAndOfTheRange) {
  Agreement a;
  for (const std::vector<double>& values : {rounding_boundaries(), range_edges()}) {
    for (const double v : values) {
      for (const Layout& f : kLayouts) a.check(f, v);
    }
  }
  EXPECT_EQ(a.failed(), 0) << "of " << a.checked();
  EXPECT_GT(a.checked(), 20000);
}

TEST(FieldsAgainstPrintf, RandomValuesOfEveryMagnitude) {
  std::mt19937_64 rng(20240611);
  std::uniform_int_distribution<int> layout(0, static_cast<int>(std::size(kLayouts)) - 1);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> decade(-14, 14);
  Agreement a;
  const long count = random_case_count();
  for (long i = 0; i < count; ++i) {
    double v = 0.0;
    switch (i % 4) {
      case 0:  // any bit pattern: every exponent, subnormals, NaNs
        v = std::bit_cast<double>(rng());
        break;
      case 1:  // the magnitudes of results, logarithmically spread
        v = std::pow(10.0, decade(rng) + unit(rng));
        break;
      case 2: {  // short decimals, the values a user types, and their neighbours
        const double step = std::pow(10.0, decade(rng) / 2 - 3);
        v = std::round(unit(rng) * 20000.0) * step;
        if (rng() % 3 == 0) v = std::nextafter(v, rng() % 2 == 0 ? 0.0 : 1e300);
        break;
      }
      default:  // halfway between two values of 5 significant digits
        v = (std::round(unit(rng) * 90000.0 + 10000.0) + 0.5) * std::pow(10.0, decade(rng) - 4);
        break;
    }
    if (rng() % 2 == 0) v = -v;
    // The most used layout on every value, another one chosen at random.
    a.check(kLayouts[0], v);
    a.check(kLayouts[static_cast<std::size_t>(layout(rng))], v);
  }
  EXPECT_EQ(a.failed(), 0) << "of " << a.checked();
}

TEST(FieldsAgainstPrintf, IntegersOfEveryWidth) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 20000; ++i) {
    const int w = 1 + static_cast<int>(rng() % 12);
    const long long v = static_cast<long long>(rng()) >> (rng() % 64);
    ASSERT_EQ(format_I(w, v), reference_I(w, v)) << w << " " << v;
  }
  for (const long long v : {0LL, -1LL, std::numeric_limits<long long>::min(),
                            std::numeric_limits<long long>::max(), 999LL, 1000LL, -99LL}) {
    for (int w = 1; w <= 21; ++w) ASSERT_EQ(format_I(w, v), reference_I(w, v)) << w << " " << v;
  }
}

}  // namespace
}  // namespace slurry1d
