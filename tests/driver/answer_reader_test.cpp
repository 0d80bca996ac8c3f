#include "driver/answer_reader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/run_stop.hpp"

namespace slurry1d {
namespace {

AnswerName named(const std::string& symbol) {
  return {symbol, "the " + symbol};
}

// The message of the stop or refusal thrown by f, or "" when nothing is thrown.
template <typename F>
std::string message_of(F f) {
  try {
    f();
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::BadInput);
    EXPECT_EQ(stop.lines().size(), 1u);
    return stop.lines().empty() ? std::string() : "stop: " + stop.lines().front();
  } catch (const RefusedAnswer& refused) {
    return refused.what();
  }
  return {};
}

// Reads one question of reals named by `symbols`, as the dialog does, and
// ends it.
std::vector<double> ask(AnswerReader& r, std::initializer_list<const char*> symbols,
                        std::string_view words = {}, std::string_view then = {}) {
  r.next_question(words, then);
  std::vector<double> values;
  for (const char* s : symbols) values.push_back(r.real(named(s)));
  r.end_question();
  return values;
}

TEST(AnswerReader, QuestionTakesItsValuesFromFollowingLinesPassingBlankLines) {
  std::istringstream in("0.8 -0.2\n\n   \n0.001\n5.0 1.0\n2\n");
  AnswerReader r(in);
  EXPECT_EQ(ask(r, {"A1", "B1", "C", "D", "Z1"}),
            (std::vector<double>{0.8, -0.2, 0.001, 5.0, 1.0}));
  r.next_question();
  EXPECT_EQ(r.integer(named("IDES")), 2);
  r.end_question();
}

TEST(AnswerReader, NoteAfterTheValuesIsPassedOver) {
  std::istringstream in(
      "0.8 -0.2 0.001 5.0 1.0   A1 B1 C D Z1: e = A1 (s'+Z1)^B1\n"
      "2   3-D desiccation considered? 1 = yes, 2 = no\n"
      "2.65, GS 2 3\n"
      "9.81\tGW\n"
      "1\n2 3 note\n"
      "1.5D-3 = VT\n");
  AnswerReader r(in);
  EXPECT_EQ(ask(r, {"A1", "B1", "C", "D", "Z1"}).back(), 1.0);
  r.next_question();
  EXPECT_EQ(r.integer(named("IDES")), 2);
  r.end_question();
  EXPECT_EQ(ask(r, {"GS"}), std::vector<double>{2.65});
  EXPECT_EQ(ask(r, {"GW"}), std::vector<double>{9.81});
  EXPECT_EQ(ask(r, {"TBF(1)", "TEF(1)", "FRH(1)"}), (std::vector<double>{1.0, 2.0, 3.0}));
  EXPECT_EQ(ask(r, {"VT"}), std::vector<double>{1.5e-3});
}

// A number after the values of a question: its line is refused, with the
// likely cause where it is plain.
struct LeftoverCase {
  const char* input;
  std::vector<const char*> symbols;
  const char* words;
  const char* then;
  const char* message;
};

TEST(AnswerReader, LineWithNumbersLeftOverIsRefused) {
  const LeftoverCase cases[] = {
      {"2.65 9.81\n",
       {"GS"},
       "",
       "GW",
       "line 1 (GS, the GS): this line holds 2 numbers but GS takes one: GS and GW are asked on "
       "separate lines"},
      {"1,5   H0 (m)\n",
       {"H0"},
       "",
       "IFIL",
       "line 1 (H0, the H0): this line holds 2 numbers but H0 takes one: a decimal comma? write "
       "1.5"},
      {"2 7 9   IDES\n",
       {"IDES"},
       "",
       "",
       "line 1 (IDES, the IDES): this line holds 3 numbers but IDES takes one: every question is "
       "answered on a line of its own; a note after the values must not begin with a number"},
      {"7,0 -0,2 6,8e-7 4,0 0,1\n",
       {"A1", "B1", "C", "D", "Z1"},
       "constants",
       "",
       "line 1 (A1, B1, C, D, Z1: constants): this line holds 10 numbers but A1, B1, C, D, Z1 "
       "take five: a decimal comma? write 7.0"},
      {"0.8 -0.2 0.001 5.0 1.0 7   A1 B1 C D Z1\n",
       {"A1", "B1", "C", "D", "Z1"},
       "",
       "",
       "line 1 (A1, B1, C, D, Z1): this line holds 6 numbers but A1, B1, C, D, Z1 take five: a "
       "note after the values must not begin with a number"},
      {"0 10 0,1\n",
       {"TBF(1)", "TEF(1)", "FRH(1)"},
       "stage 1",
       "",
       "line 1 (TBF(1), TEF(1), FRH(1): stage 1): this line holds 4 numbers but TBF(1), TEF(1), "
       "FRH(1) take three: a decimal comma? write 0.1"},
      {"0.8 -0.2\n\n0.001 5.0 1.0 2\n",
       {"A1", "B1", "C", "D", "Z1"},
       "constants",
       "",
       "line 3 (A1, B1, C, D, Z1: constants): this line holds 4 numbers but only three of A1, B1, "
       "C, D, Z1 were left to answer on it"},
      // A number out of range still reads as a number, not as a note.
      {"10.0 1e999\n",
       {"H0"},
       "",
       "",
       "line 1 (H0, the H0): this line holds 2 numbers but H0 takes one: every question is "
       "answered on a line of its own"},
      {"-3,25e2 x\n",
       {"H0"},
       "",
       "",
       "line 1 (H0, the H0): this line holds 2 numbers but H0 takes one: a decimal comma? write "
       "-3.25e2"},
  };
  for (const LeftoverCase& c : cases) {
    std::istringstream in(c.input);
    AnswerReader r(in);
    r.next_question(c.words, c.then);
    for (const char* s : c.symbols) r.real(named(s));
    EXPECT_EQ(message_of([&] { r.end_question(); }), c.message) << c.input;
  }
}

TEST(AnswerReader, CommasTabsAndCarriageReturnsSeparate) {
  std::istringstream in("1,2,,\t3 ,4\r\n5\r\n6 note\r\n");
  AnswerReader r(in);
  EXPECT_EQ(ask(r, {"a", "b", "c", "d"}), (std::vector<double>{1.0, 2.0, 3.0, 4.0}));
  r.next_question();
  EXPECT_EQ(r.integer(named("NO")), 5);
  r.end_question();
  EXPECT_EQ(ask(r, {"OPT(1)"}), std::vector<double>{6.0});
}

TEST(AnswerReader, ByteOrderMarkIsPassedOverOnTheFirstLineOnly) {
  std::istringstream in(
      "\xEF\xBB\xBF"
      "7.0 -0.2\r\n\xEF\xBB\xBF"
      "2\r\n");
  AnswerReader r(in);
  EXPECT_EQ(ask(r, {"A1", "B1"}), (std::vector<double>{7.0, -0.2}));
  r.next_question();
  EXPECT_EQ(message_of([&] { r.integer(named("IDES")); }),
            "line 2 (IDES, the IDES): '\xEF\xBB\xBF"
            "2' is not an integer");
}

TEST(AnswerReader, EndOfInputNamesTheLineAndTheMissingValue) {
  {
    std::istringstream in("");
    AnswerReader r(in);
    r.next_question();
    EXPECT_EQ(message_of([&] { r.real(named("A1")); }),
              "stop: line 1 (A1, the A1): no answer: the input is empty");
  }
  {
    std::istringstream in("5.0\n\n");
    AnswerReader r(in);
    ask(r, {"GW"});
    r.next_question();
    EXPECT_EQ(message_of([&] { r.real(named("H0")); }),
              "stop: line 3 (H0, the H0): no answer: the input ends after line 2");
  }
  {
    std::istringstream in("0.8 -0.2 0.001");
    AnswerReader r(in);
    r.next_question();
    r.real(named("A1"));
    r.real(named("B1"));
    EXPECT_EQ(r.real(named("C")), 0.001);  // the last line needs no line end
    EXPECT_EQ(message_of([&] { r.real(named("D")); }),
              "stop: line 2 (D, the D): no answer: the input ends after line 1");
  }
}

TEST(AnswerReader, UnreadableTokensNameTheLineAndQuoteTheToken) {
  struct UnreadableCase {
    const char* input;
    bool integer;
    const char* message;
  };
  const UnreadableCase cases[] = {
      {"\nabc\n", false, "line 2 (X, the X): 'abc' is not a number"},
      {"2.5\n", true, "line 1 (X, the X): '2.5' is not an integer"},
      {"1e400\n", false, "line 1 (X, the X): '1e400' is out of range"},
      {"99999999999\n", true, "line 1 (X, the X): '99999999999' is out of range"},
      {"nan\n", false, "line 1 (X, the X): 'nan' is not a number"},
  };
  for (const UnreadableCase& c : cases) {
    std::istringstream in(c.input);
    AnswerReader r(in);
    r.next_question();
    EXPECT_EQ(message_of([&] {
                if (c.integer) {
                  r.integer(named("X"));
                } else {
                  r.real(named("X"));
                }
              }),
              c.message)
        << c.input;
  }
}

TEST(AnswerReader, WhereNamesTheValueOrTheWholeQuestion) {
  std::istringstream in("1\n\n0.8 -0.2\n0.001 5.0 1.0\n");
  AnswerReader r(in);
  ask(r, {"H0"});
  EXPECT_EQ(r.where("H0"), "line 1 (H0, the H0)");
  EXPECT_EQ(r.where("IFIL"), "line 1 (H0, the H0)");
  ask(r, {"A1", "B1", "C", "D", "Z1"}, "constants");
  EXPECT_EQ(r.where("C"), "line 4 (C, the C)");
  EXPECT_EQ(r.where("B1"), "line 3 (B1, the B1)");
  EXPECT_EQ(r.where("E0"), "line 3 (A1, B1, C, D, Z1: constants)");
}

TEST(AnswerLine, LeadingNumbersStopAtTheNote) {
  EXPECT_EQ(leading_numbers(""), 0u);
  EXPECT_EQ(leading_numbers("2   3-D desiccation considered?"), 1u);
  EXPECT_EQ(leading_numbers("0.8, -0.2,0.001 5.0 1.0 A1 2 3"), 5u);
  EXPECT_EQ(leading_numbers("GS 2.65"), 0u);
  EXPECT_EQ(line_tokens(" 1,2\t x ,"), (std::vector<std::string_view>{"1", "2", "x"}));
}

TEST(AnswerLine, DecimalCommaIsANumberSplitByOneComma) {
  const std::pair<const char*, const char*> cases[] = {
      {"1,5", "1.5"},         {"10.0 2,75 note", "2.75"}, {"-0,2 x", "-0.2"}, {"6,8e-7", "6.8e-7"},
      {"1, 5", ""},        // a comma and a blank: two values
      {"1.5,2", ""},       // a point already: two values
      {"1,-5", ""},        // a sign after the comma: two values
      {"x 1,5", ""},       // within the note
      {"2 note 1,5", ""},  // within the note
      {"0,10,0.1,5", "0.10"},
  };
  for (const auto& [line, number] : cases) EXPECT_EQ(decimal_comma_number(line), number) << line;
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
