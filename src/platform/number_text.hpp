#pragma once

// Reading a double from text, correctly rounded (halfway cases to the even
// neighbour), to the same bits on every platform and C++ library: libc++ 14
// has no std::from_chars for double, so this reads with the C library's
// strtod, which rounds correctly on every system the program is built for.
// The program never leaves the "C" locale, whose decimal point is '.'.

#include <string_view>

namespace slurry1d::platform {

enum class NumberRead { Ok, NotANumber, OutOfRange };

// Reads the whole of text as std::from_chars does: an optional '-', then a
// decimal number with an optional exponent, "inf", "infinity" or "nan"; no
// blanks, no '+', no hexadecimal. A number too large for a double, or a text
// of 128 characters or more, is OutOfRange; one too small reads as 0 or a
// subnormal. value is set only when the result is Ok.
NumberRead read_double(std::string_view text, double& value);

}  // namespace slurry1d::platform
