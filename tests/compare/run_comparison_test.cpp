#include "compare/run_comparison.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace slurry1d::compare {
namespace {

std::vector<std::string> pieces_of(std::string_view line) {
  std::vector<std::string> out;
  for (const Piece& p : split_numbers(line))
    out.push_back((p.number ? "#" : "") + std::string(p.text));
  return out;
}

TEST(SplitNumbers, CutsLaidOutAndFreeFormRecordsIntoNumbersAndTexts) {
  struct Case {
    std::string line;
    std::vector<std::string> pieces;  // numbers marked with '#'
  };
  const Case cases[] = {
      {"  0.1000E+01-0.2500E+00", {"  ", "#0.1000E+01", "#-0.2500E+00"}},
      {"0.1000-100", {"#0.1000", "#-100"}},
      {" 2\t\t3-D DESSICATION STATUS", {" ", "#2", "\t\t", "#3", "-D DESSICATION STATUS"}},
      {"A1,B1,C,D,Z1", {"A", "#1", ",B", "#1", ",C,D,Z", "#1"}},
      {" E0 =  1.25e-05 ", {" E", "#0", " =  ", "#1.25e-05", " "}},
      {".5e-1x 1.5E 3.", {"#.5e-1", "x ", "#1.5", "E ", "#3."}},
      {"-NODE--ELEVATION-", {"-NODE--ELEVATION-"}},
      {"TIME =      100.0    ", {"TIME =      ", "#100.0", "    "}},
      {"****", {"****"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(pieces_of(c.line), c.pieces) << c.line;
}

TEST(SignificantDigits, CountsFromTheFirstNonZeroDigitToTheExponent) {
  EXPECT_EQ(significant_digits("0.0012"), 2);
  EXPECT_EQ(significant_digits("1.50E+01"), 3);
  EXPECT_EQ(significant_digits("-0.1000E+01"), 4);
  EXPECT_EQ(significant_digits("46.26797002389892"), 16);
  EXPECT_EQ(significant_digits("0.010301514371859225"), 17);
  EXPECT_EQ(significant_digits("0.0000"), 0);
  EXPECT_EQ(significant_digits("99999.9999"), 9);
}

TEST(NormaliseLineEnds, ReadsCarriageReturnLineFeedAsLineFeed) {
  EXPECT_EQ(normalise_line_ends("a\r\nb\r\n"), "a\nb\n");
  EXPECT_EQ(normalise_line_ends("a\rb\r"), "a\rb\r");
  EXPECT_EQ(normalise_line_ends("\r\r\n"), "\r\n");
}

TEST(CompareTexts, LineEndsAloneDoNotCount) {
  const auto c = compare_texts("vd.out", "TIME =  0.0000    \r\n  0.1000E+01\r\n",
                               "TIME =  0.0000    \n  0.1000E+01\n");
  EXPECT_TRUE(c.passed());
  EXPECT_TRUE(c.numbers.empty());
  EXPECT_EQ(c.lines, 2u);
  EXPECT_EQ(summary(c), "vd.out: 2 lines identical");
}

TEST(CompareTexts, FullPrecisionNumbersMayDifferInTheirLastDigits) {
  const auto c = compare_texts("console.txt", " E0 = 3.5\n K0 = 0.010301514371859225\n 0.3 1.0\n",
                               " E0 = 3.5\n K0 = 0.010301514371859223\n 0.30000000000000004 1.0\n");
  EXPECT_TRUE(c.passed()) << summary(c);
  ASSERT_EQ(c.numbers.size(), 2u);
  EXPECT_EQ(c.numbers[0].line, 2u);
  EXPECT_EQ(c.numbers[0].first, "0.010301514371859225");
  EXPECT_EQ(c.numbers[0].second, "0.010301514371859223");
  EXPECT_NEAR(c.numbers[0].relative, 1.7e-16, 0.1e-16);
  EXPECT_NEAR(c.largest_relative(), 1.85e-16, 0.05e-16);
  EXPECT_EQ(summary(c),
            "console.txt: 3 lines, 2 full-precision numbers differ, largest 1.9e-16 relative "
            "(line 3: 0.3 / 0.30000000000000004)");
}

TEST(CompareTexts, EveryOtherDifferenceIsAFault) {
  struct Case {
    const char* first;
    const char* second;
    const char* fault;
  };
  const Case cases[] = {
      // A laid-out field one unit apart in its last digit.
      {"  0.1000E+01  0.2000E+01\n", "  0.1000E+01  0.2001E+01\n",
       "ts.out:1: laid-out numbers differ: '  0.1000E+01  0.2000E+01' / '  0.1000E+01  "
       "0.2001E+01'"},
      // A full-precision number beyond the tolerance.
      {" 46.26797002389892\n", " 46.26797002889892\n",
       "ts.out:1: full-precision numbers differ by 0.000000 relative: ' 46.26797002389892' / ' "
       "46.26797002889892'"},
      // The sign of a zero.
      {"-0.0000\n", " 0.0000\n", "ts.out:1: records differ in layout: '-0.0000' / ' 0.0000'"},
      {"STEADY STATE\n", "STEADY STATS\n",
       "ts.out:1: texts differ: 'STEADY STATE' / 'STEADY STATS'"},
      {"1\n2\n", "1\n", "ts.out: 2 lines against 1"},
      {"****\n", "12.5\n", "ts.out:1: texts differ: '****' / '12.5'"},
  };
  for (const Case& c : cases) {
    const auto result = compare_texts("ts.out", c.first, c.second);
    ASSERT_EQ(result.faults.size(), 1u) << c.first;
    EXPECT_EQ(result.faults[0], c.fault);
    EXPECT_FALSE(result.passed());
  }
}

TEST(CompareTexts, ToleranceAndDigitsAreTheCallersToSet) {
  const ComparisonLimits loose{1e-6, 6, {}};
  EXPECT_TRUE(compare_texts("f", "1.234567\n", "1.234568\n", loose).passed());
  EXPECT_FALSE(compare_texts("f", "1.234567\n", "1.234568\n").passed());
}

// The end of a run's console on two platforms: one converged a step in one
// iteration more and took a sliver step to land on the output time.
constexpr const char* kLinuxConsole =
    " K0 = 0.010301514371859223\n"
    " ITERATION NO.=   4   ERROR LEVEL = .45914E-10\n"
    " TIME =  1000.0     MARCHING DIFFERENCE= .60732E-04 ITERATION NO =   4\n"
    " THE CRACK TIP IS AT NODE 441\n"
    " THE CRACK DEPTH IS 0.1119643490815726\n"
    "THE DIFFERENCE OF FINAL SAMPLE HEIGHT BETWEEN THE  STEADY STATE AND CURRENT STATE IS     "
    "16.21 %\n"
    "TIME =       1000.    \n";
constexpr const char* kWindowsConsole =
    " K0 = 0.010301514371859225\r\n"
    " ITERATION NO.=   4   ERROR LEVEL = .45914E-10\r\n"
    " ITERATION NO.=   5   ERROR LEVEL = .76644E-12\r\n"
    " TIME =  1000.0     MARCHING DIFFERENCE= .60732E-04 ITERATION NO =   5\r\n"
    " THE CRACK TIP IS AT NODE 441\r\n"
    " THE CRACK DEPTH IS 0.11196434908157271\r\n"
    " TIME =  1000.0     MARCHING DIFFERENCE= .12557E-13 ITERATION NO =   1\r\n"
    " THE CRACK TIP IS AT NODE 441\r\n"
    " THE CRACK DEPTH IS 0.11196434908157271\r\n"
    "THE DIFFERENCE OF FINAL SAMPLE HEIGHT BETWEEN THE  STEADY STATE AND CURRENT STATE IS     "
    "16.21 %\r\n"
    "TIME =       1000.    \r\n";

TEST(LimitsFor, TheConsoleIsComparedLessItsRecordsOfSingleSteps) {
  const auto c =
      compare_texts("console.txt", kLinuxConsole, kWindowsConsole, limits_for("console.txt"));
  EXPECT_TRUE(c.passed()) << summary(c);
  EXPECT_EQ(c.lines, 3u);
  EXPECT_EQ(c.skipped, 4u);
  EXPECT_EQ(c.numbers.size(), 1u);
  EXPECT_EQ(summary(c),
            "console.txt: 3 lines (4 records of steps left out), 1 full-precision numbers differ, "
            "largest 1.7e-16 relative (line 1: 0.010301514371859223 / 0.010301514371859225)");

  // What the run reports at its output times still counts.
  std::string report = kWindowsConsole;
  report.replace(report.find("16.21 %"), 7, "16.22 %");
  EXPECT_FALSE(
      compare_texts("console.txt", kLinuxConsole, report, limits_for("console.txt")).passed());
}

TEST(LimitsFor, ResultFilesAreComparedWhole) {
  for (const char* file : {"input", "vd.out", "ts.out", "tc.out", "errors.txt", "status"}) {
    EXPECT_TRUE(limits_for(file).skipped_prefixes.empty()) << file;
    EXPECT_EQ(limits_for(file).relative_tolerance, 1e-10) << file;
  }
  EXPECT_FALSE(
      compare_texts("vd.out", kLinuxConsole, kWindowsConsole, limits_for("vd.out")).passed());
}

}  // namespace
}  // namespace slurry1d::compare
