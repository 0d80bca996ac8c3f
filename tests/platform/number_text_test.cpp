#include "platform/number_text.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace slurry1d::platform {
namespace {

TEST(ReadDouble, ReadsTheFormsOfFromChars) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"1.5", 1.5},        {"-0.25", -0.25},       {"3.", 3.0},
      {".5", 0.5},         {"1e3", 1000.0},        {"2.5E-3", 2.5e-3},
      {"007", 7.0},        {"1e-400", 0.0},        {"inf", INFINITY},
      {"-inf", -INFINITY}, {"infinity", INFINITY}, {"0.10000000000000001", 0.1},
  };
  for (const Case& c : cases) {
    double v = -99.0;
    ASSERT_EQ(read_double(c.text, v), NumberRead::Ok) << c.text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(c.value)) << c.text;
  }
  double v = 0.0;
  ASSERT_EQ(read_double("nan", v), NumberRead::Ok);
  EXPECT_TRUE(std::isnan(v));
  ASSERT_EQ(read_double("-1e-400", v), NumberRead::Ok);
  EXPECT_TRUE(v == 0.0 && std::signbit(v));
}

TEST(ReadDouble, RefusesWhatFromCharsRefusesAndReadsNothingThen) {
  for (const char* text : {"", "+1", " 1", "\t1", "1 ", "0x10", "-0X1p3", "1,5", "1e", "e5", "-",
                           ".", "1.5.2", "height", "1d3", "--1"}) {
    double v = -99.0;
    EXPECT_EQ(read_double(text, v), NumberRead::NotANumber) << '\'' << text << '\'';
    EXPECT_EQ(v, -99.0) << text;
  }
}

TEST(ReadDouble, NumbersBeyondTheLargestDoubleAndOverlongTextsAreOutOfRange) {
  for (const char* text : {"1e309", "-1e309", "1.7976931348623159e308"}) {
    double v = -99.0;
    EXPECT_EQ(read_double(text, v), NumberRead::OutOfRange) << text;
    EXPECT_EQ(v, -99.0) << text;
  }
  double v = 0.0;
  EXPECT_EQ(read_double(std::string(127, '9'), v), NumberRead::Ok);
  EXPECT_EQ(v, 1e127);
  EXPECT_EQ(read_double(std::string(128, '9'), v), NumberRead::OutOfRange);
}

// What the result tables hold: the shortest form std::to_chars writes, read
// back to the same bits, over the whole range of doubles (subnormals too).
TEST(ReadDouble, ReadsTheShortestFormOfEveryDoubleBackToItsBits) {
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 20000; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const double x = std::bit_cast<double>(state);
    if (!std::isfinite(x)) continue;
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, x);
    double v = 0.0;
    ASSERT_EQ(read_double(std::string_view(text, written.ptr), v), NumberRead::Ok)
        << std::string(text, written.ptr);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(v), state) << std::string(text, written.ptr);
  }
}

}  // namespace
}  // namespace slurry1d::platform
