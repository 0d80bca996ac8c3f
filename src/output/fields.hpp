#pragma once

// Number rendering of the result files: the integer (I w), fixed-point (F w.d),
// exponent (E w.d) and general (G w.d) fields of the laid-out records, and the
// free-form numbers. Each field renderer writes exactly w characters; a value
// that needs more positions than the field offers fills it with asterisks.

#include <span>
#include <string>

namespace slurry1d {

// Largest field width any record uses, with room to spare.
inline constexpr int MAX_FIELD_WIDTH = 64;

// I w: right-aligned decimal integer.
void render_I(std::span<char> out, int w, long long value);
// F w.d: value rounded to d decimals; the "0" before the point of a value below
// 1 in magnitude only where the width leaves room for it.
void render_F(std::span<char> out, int w, int d, double value);
// E w.d: "0." and d significant digits, "E", sign and two exponent digits (a
// three-digit exponent drops the letter); the leading "0" only where it fits.
void render_E(std::span<char> out, int w, int d, double value);
// G w.d: fixed-point in w-4 positions followed by four blanks when the value
// rounded to d significant digits lies in [0.1, 10^d), exponent field otherwise.
void render_G(std::span<char> out, int w, int d, double value);

// Free-form numbers: integers plainly, reals in the shortest form that reads
// back to the same double. Return the number of characters written (at most 32).
int render_free_int(std::span<char> out, long long value);
int render_free_real(std::span<char> out, double value);

// Convenience forms for callers that want a string (tests, messages).
std::string format_I(int w, long long value);
std::string format_F(int w, int d, double value);
std::string format_E(int w, int d, double value);
std::string format_G(int w, int d, double value);
std::string format_free_real(double value);

}  // namespace slurry1d
