#include "driver/answer_reader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "model/run_stop.hpp"

namespace slurry1d {
namespace {

// The message of the BadInput stop thrown by f, or "" when nothing is thrown.
template <typename F>
std::string bad_input_message(F f) {
  try {
    f();
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::BadInput);
    EXPECT_EQ(stop.lines().size(), 1u);
    return stop.lines().empty() ? std::string() : stop.lines().front();
  }
  return {};
}

TEST(AnswerReader, QuestionTakesItsValuesFromFollowingLinesPassingBlankLines) {
  std::istringstream in("0.8 -0.2\n\n   \n0.001\n5.0 1.0\n2\n");
  AnswerReader r(in);
  r.next_question();
  EXPECT_EQ(r.real("A1"), 0.8);
  EXPECT_EQ(r.real("B1"), -0.2);
  EXPECT_EQ(r.real("C"), 0.001);
  EXPECT_EQ(r.real("D"), 5.0);
  EXPECT_EQ(r.real("Z1"), 1.0);
  r.next_question();
  EXPECT_EQ(r.integer("IDES"), 2);
}

TEST(AnswerReader, RestOfTheLineIsSkippedOnceTheQuestionHasItsValues) {
  // Leftover numbers as well as words: the next question starts on the next line.
  std::istringstream in(
      "0.8 -0.2 0.001 5.0 1.0   A1 B1 C D Z1\n"
      "2 7 9   IDES\n"
      "2.65, GS\n"
      "9.81\n");
  AnswerReader r(in);
  r.next_question();
  for (const char* name : {"A1", "B1", "C", "D", "Z1"}) r.real(name);
  r.next_question();
  EXPECT_EQ(r.integer("IDES"), 2);
  r.next_question();
  EXPECT_EQ(r.real("GS"), 2.65);
  r.next_question();
  EXPECT_EQ(r.real("GW"), 9.81);
}

TEST(AnswerReader, ValuesPulledFromANewLineLeaveTheRestOfThatLineUnread) {
  std::istringstream in("1\n2 3 note\n4\n");
  AnswerReader r(in);
  r.next_question();
  EXPECT_EQ(r.real("TBF(1)"), 1.0);
  EXPECT_EQ(r.real("TEF(1)"), 2.0);
  r.next_question();
  EXPECT_EQ(r.real("TBF(2)"), 4.0);
}

TEST(AnswerReader, CommasTabsAndCarriageReturnsSeparate) {
  std::istringstream in("1,2,,\t3 ,4\r\n5\r\n");
  AnswerReader r(in);
  r.next_question();
  for (double expected : {1.0, 2.0, 3.0, 4.0}) EXPECT_EQ(r.real("x"), expected);
  r.next_question();
  EXPECT_EQ(r.integer("NO"), 5);
}

TEST(AnswerReader, EndOfInputNamesTheQuestion) {
  std::istringstream in("5.0\n");
  AnswerReader r(in);
  r.next_question();
  EXPECT_EQ(r.real("GW"), 5.0);
  r.next_question();
  EXPECT_EQ(bad_input_message([&] { r.real("H0"); }), "cannot read H0: the input ended");
}

TEST(AnswerReader, EndOfInputInsideAQuestionNamesTheMissingValue) {
  std::istringstream in("0.8 -0.2 0.001\n\n");
  AnswerReader r(in);
  r.next_question();
  r.real("A1");
  r.real("B1");
  r.real("C");
  EXPECT_EQ(bad_input_message([&] { r.real("D"); }), "cannot read D: the input ended");
}

TEST(AnswerReader, LastLineWithoutLineEndIsRead) {
  std::istringstream in("3");
  AnswerReader r(in);
  r.next_question();
  EXPECT_EQ(r.integer("ND"), 3);
}

TEST(AnswerReader, UnreadableTokensNameTheQuestionAndQuoteTheToken) {
  {
    std::istringstream in("abc\n");
    AnswerReader r(in);
    r.next_question();
    EXPECT_EQ(bad_input_message([&] { r.real("GS"); }), "cannot read GS: 'abc' is not a number");
  }
  {
    std::istringstream in("2.5\n");
    AnswerReader r(in);
    r.next_question();
    EXPECT_EQ(bad_input_message([&] { r.integer("IDES"); }),
              "cannot read IDES: '2.5' is not an integer");
  }
  {
    std::istringstream in("1e400\n");
    AnswerReader r(in);
    r.next_question();
    EXPECT_EQ(bad_input_message([&] { r.real("LT"); }), "cannot read LT: '1e400' is out of range");
  }
  {
    std::istringstream in("99999999999\n");
    AnswerReader r(in);
    r.next_question();
    EXPECT_EQ(bad_input_message([&] { r.integer("NS"); }),
              "cannot read NS: '99999999999' is out of range");
  }
}

struct RealCase {
  const char* token;
  double value;
};

TEST(ParseRealToken, AcceptsDecimalFormsAndFortranExponents) {
  const RealCase cases[] = {
      {"1.5D3", 1500.0}, {"1.5d-3", 1.5e-3}, {"2E2", 200.0},   {"2e+2", 200.0},
      {"-.5", -0.5},     {"+3.", 3.0},       {"7", 7.0},       {"0.001", 0.001},
      {"-0.2", -0.2},    {"1.D0", 1.0},      {".5e-1", 0.05},  {"1e-400", 0.0},
      {"-1D+01", -10.0}, {"007.25", 7.25},   {"1.0E-6", 1e-6}, {"1e-310", 1e-310},
  };
  for (const RealCase& c : cases) {
    double v = -99.0;
    EXPECT_EQ(parse_real_token(c.token, v), TokenRead::Ok) << c.token;
    EXPECT_EQ(v, c.value) << c.token;
  }
}

TEST(ParseRealToken, RefusesWordsAndBrokenNumbers) {
  for (const char* token :
       {"abc", "nan", "NaN",  "inf",  "-inf",  "Infinity", "1.5e", "e5", ".",     "1..2", "1.5D",
        "--1", "+-1", "0x10", "1,5x", "1.5q3", "1e5.5",    "+",    "-",  "1.2.3", "5-"}) {
    double v = -99.0;
    EXPECT_EQ(parse_real_token(token, v), TokenRead::NotANumber) << token;
    EXPECT_EQ(v, -99.0) << token;
  }
  double v = 0.0;
  EXPECT_EQ(parse_real_token("-1d999", v), TokenRead::OutOfRange);
}

// The exact bits every platform must read, from correctly rounded decimal to
// binary conversion: nearest double, halfway cases to the even one.
TEST(ParseRealToken, ReadsHardCasesToTheSameBitsEverywhere) {
  struct BitsCase {
    const char* token;
    std::uint64_t bits;
  };
  const BitsCase cases[] = {
      {"0.1", 0x3fb999999999999a},
      {"6.8e-7", 0x3ea6d127d05394fd},
      {"4.35D-3", 0x3f71d14e3bcd35a8},
      {"1e308", 0x7fe1ccf385ebc8a0},
      // 17 significant digits and more.
      {"0.30000000000000004", 0x3fd3333333333334},
      {"1.0000000000000002", 0x3ff0000000000001},
      {"3.14159265358979323846264338327950288", 0x400921fb54442d18},
      {"123456789012345678901234567890", 0x45f8ee90ff6c373e},
      // Halfway between two doubles: to the even one; a hair off: to the nearer.
      {"9007199254740993", 0x4340000000000000},
      {"9007199254740995", 0x4340000000000002},
      {"9007199254740993.0000000001", 0x4340000000000001},
      {"1.00000000000000011102230246251565404236316680908203125", 0x3ff0000000000000},
      {"1.00000000000000011102230246251565404236316680908203125001", 0x3ff0000000000001},
      {"1.00000000000000011102230246251565404236316680908203124999", 0x3ff0000000000000},
      // The largest double, and just below the halfway point to infinity.
      {"1.7976931348623157e308", 0x7fefffffffffffff},
      {"1.7976931348623158e308", 0x7fefffffffffffff},
      {"1.797693134862315807937e308", 0x7fefffffffffffff},
      // The smallest normal double and the largest subnormal beside it.
      {"2.2250738585072014e-308", 0x0010000000000000},
      {"2.2250738585072012e-308", 0x0010000000000000},
      {"2.2250738585072011e-308", 0x000fffffffffffff},
      // Subnormals, down to where a value underflows to zero.
      {"1e-310", 0x000012688b70e62b},
      {"-1e-310", 0x800012688b70e62b},
      {"1.5e-323", 0x0000000000000003},
      {"7.4109846876186981e-324", 0x0000000000000001},
      {"7.4109846876186982e-324", 0x0000000000000002},
      {"4.9406564584124654e-324", 0x0000000000000001},
      {"5e-324", 0x0000000000000001},
      {"2.4703282292062328e-324", 0x0000000000000001},
      {"2.4703282292062327e-324", 0x0000000000000000},
      {"1e-400", 0x0000000000000000},
      {"-1e-400", 0x8000000000000000},
      {"1e-99999999999999999999", 0x0000000000000000},
      {"0e99999", 0x0000000000000000},
      // Many digits before a large exponent, within the 127 characters read.
      {"0.0000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000000000001e330",
       0x6f10e294eebc7d2c},
  };
  for (const BitsCase& c : cases) {
    double v = -99.0;
    ASSERT_EQ(parse_real_token(c.token, v), TokenRead::Ok) << c.token;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(v), c.bits) << c.token << " read as " << v;
  }
}

TEST(ParseRealToken, RefusesValuesBeyondTheLargestDoubleAndOverlongTokens) {
  for (const char* token :
       {"1.7976931348623159e308", "1e309", "-1d400", "1e99999999999999999999"}) {
    double v = -99.0;
    EXPECT_EQ(parse_real_token(token, v), TokenRead::OutOfRange) << token;
    EXPECT_EQ(v, -99.0) << token;
  }
  const std::string longest = "1." + std::string(125, '0');
  double v = 0.0;
  EXPECT_EQ(parse_real_token(longest, v), TokenRead::Ok);
  EXPECT_EQ(v, 1.0);
  EXPECT_EQ(parse_real_token(longest + "0", v), TokenRead::OutOfRange);
  EXPECT_EQ(parse_real_token("+" + longest, v), TokenRead::Ok);
}

#if defined(__cpp_lib_to_chars)
// Where the C++ library reads doubles itself (std::from_chars), the reader
// must agree with it bit for bit on numbers of every size and length, as
// printed by a program or typed by a person: the answers read the same
// whichever way the program is built.
TEST(ParseRealToken, AgreesWithTheLibrarysOwnConversionOnRandomNumbers) {
  std::mt19937_64 random(20240611);
  std::uniform_int_distribution<int> digits(1, 25);
  std::uniform_int_distribution<int> exponent(-345, 310);
  std::uniform_int_distribution<int> letter(0, 3);
  for (int i = 0; i < 20000; ++i) {
    std::string token;
    if (i % 2 == 0) {
      // A double as a program prints it, rounded to 1 to 25 digits.
      const double x = std::bit_cast<double>(random() & 0x7fefffffffffffffULL);
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.*e", digits(random) - 1, x);
      token = buf;
    } else {
      // Digits as a person might type them, with an exponent.
      const int n = digits(random);
      for (int k = 0; k < n; ++k) token += static_cast<char>('0' + random() % 10);
      token.insert(random() % (token.size() + 1), ".");
      if (random() % 4 == 0) token.insert(0, "-");
      token += "eEdD"[letter(random)] + std::to_string(exponent(random));
    }
    std::string text = token;
    for (char& c : text) {
      if (c == 'd' || c == 'D') c = 'e';
    }
    double expected = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(end, text.data() + text.size()) << token;
    if (error == std::errc::result_out_of_range) expected = std::strtod(text.c_str(), nullptr);
    double v = -99.0;
    const TokenRead read = parse_real_token(token, v);
    if (std::isinf(expected)) {
      EXPECT_EQ(read, TokenRead::OutOfRange) << token;
    } else {
      ASSERT_EQ(read, TokenRead::Ok) << token;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(expected)) << token;
    }
  }
}
#endif

TEST(ParseIntegerToken, AcceptsOnlyPlainIntegers) {
  struct IntCase {
    const char* token;
    int value;
  };
  const IntCase good[] = {{"2", 2},
                          {"+3", 3},
                          {"-2", -2},
                          {"007", 7},
                          {"0", 0},
                          {"2147483647", 2147483647},
                          {"-2147483648", -2147483647 - 1}};
  for (const IntCase& c : good) {
    int v = -99;
    EXPECT_EQ(parse_integer_token(c.token, v), TokenRead::Ok) << c.token;
    EXPECT_EQ(v, c.value) << c.token;
  }
  for (const char* token :
       {"2.5", "1e3", "3.", "1D2", "abc", "+-1", "-+1", "+", "-", "2x", "0x1"}) {
    int v = -99;
    EXPECT_EQ(parse_integer_token(token, v), TokenRead::NotANumber) << token;
  }
  int v = 0;
  EXPECT_EQ(parse_integer_token("2147483648", v), TokenRead::OutOfRange);
  EXPECT_EQ(parse_integer_token("-2147483649", v), TokenRead::OutOfRange);
}

}  // namespace
}  // namespace slurry1d
