#include "platform/number_text.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

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

}  // namespace
}  // namespace slurry1d::platform
