#include "driver/answer_reader.hpp"

#include <gtest/gtest.h>

#include <cmath>
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
