#include "output/fields.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "output/record_writer.hpp"

namespace slurry1d {
namespace {

struct FieldCase {
  char kind;  // 'I', 'F', 'E', 'G'
  int w;
  int d;
  double value;
  const char* expected;
};

std::string render(const FieldCase& c) {
  switch (c.kind) {
    case 'I':
      return format_I(c.w, static_cast<long long>(c.value));
    case 'F':
      return format_F(c.w, c.d, c.value);
    case 'E':
      return format_E(c.w, c.d, c.value);
    default:
      return format_G(c.w, c.d, c.value);
  }
}

class FieldRendering : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldRendering, RendersExactly) {
  const FieldCase& c = GetParam();
  EXPECT_EQ(render(c), c.expected) << c.kind << c.w << "." << c.d << " of " << c.value;
}

// Names such as G10_5_case3, so a failing case says which field it is.
std::string field_case_name(const ::testing::TestParamInfo<FieldCase>& info) {
  const FieldCase& c = info.param;
  return std::string(1, c.kind) + std::to_string(c.w) + "_" + std::to_string(c.d) + "_case" +
         std::to_string(info.index);
}

const FieldCase kIntegerCases[] = {
    {'I', 4, 0, 51, "  51"}, {'I', 4, 0, 12345, "****"}, {'I', 4, 0, 9999, "9999"},
    {'I', 2, 0, 1, " 1"},    {'I', 2, 0, -1, "-1"},      {'I', 2, 0, -10, "**"},
    {'I', 3, 0, 0, "  0"},   {'I', 3, 0, 600, "600"},    {'I', 3, 0, 1000, "***"},
};
INSTANTIATE_TEST_SUITE_P(Integer, FieldRendering, ::testing::ValuesIn(kIntegerCases),
                         field_case_name);

const FieldCase kFixedCases[] = {
    {'F', 10, 2, 0.05, "      0.05"},
    {'F', 10, 2, -0.05, "     -0.05"},
    {'F', 10, 2, -0.001, "     -0.00"},
    {'F', 10, 2, 0.0, "      0.00"},
    {'F', 10, 4, -0.2, "   -0.2000"},
    {'F', 10, 4, 1.5, "    1.5000"},
    {'F', 10, 7, 0.1234567, " 0.1234567"},
    {'F', 10, 7, -0.1234567, "-0.1234567"},
    {'F', 9, 7, -0.1234567, "-.1234567"},
    {'F', 10, 7, 12.5, "12.5000000"},
    {'F', 10, 7, 123.5, "**********"},
    {'F', 10, 2, 100.0, "    100.00"},
    {'F', 10, 2, 1234567.891, "1234567.89"},
    {'F', 10, 2, 12345678.0, "**********"},
    {'F', 6, 0, 99999.4, "99999."},
    {'F', 6, 5, 0.0999996, ".10000"},
    {'F', 6, 5, 0.5, ".50000"},
    {'F', 6, 5, -0.5, "******"},
    {'F', 10, 6, 0.25, "  0.250000"},
    {'F', 10, 4, 2.00005, "    2.0000"},  // 2.00005 is just below the tie in binary
};
INSTANTIATE_TEST_SUITE_P(Fixed, FieldRendering, ::testing::ValuesIn(kFixedCases), field_case_name);

const FieldCase kExponentCases[] = {
    {'E', 12, 4, 1.0, "  0.1000E+01"},
    {'E', 12, 4, -1.0, " -0.1000E+01"},
    {'E', 11, 4, -0.25, "-0.2500E+00"},
    {'E', 11, 4, 0.25, " 0.2500E+00"},
    {'E', 12, 4, 0.0, "  0.0000E+00"},
    {'E', 12, 4, 1e100, "  0.1000+101"},
    {'E', 12, 4, 1e-100, "  0.1000E-99"},
    {'E', 12, 4, 1e-101, "  0.1000-100"},
    {'E', 12, 4, 0.99996, "  0.1000E+01"},
    {'E', 12, 4, 123.45, "  0.1235E+03"},  // 123.45 is above the tie in binary
    {'E', 12, 4, 5e-21, "  0.5000E-20"},
    {'E', 10, 5, 123456.0, ".12346E+06"},
    {'E', 10, 5, -123456.0, "**********"},
    {'E', 11, 4, -1.5e-7, "-0.1500E-06"},
    {'E', 12, 4, 9.999999682655225e-21, "  0.1000E-19"},
    {'E', 15, 6, -1e-20, "  -0.100000E-19"},
};
INSTANTIATE_TEST_SUITE_P(Exponent, FieldRendering, ::testing::ValuesIn(kExponentCases),
                         field_case_name);

const FieldCase kGeneralCases[] = {
    {'G', 10, 5, 12.5, "12.500    "},
    {'G', 10, 5, 123456.0, ".12346E+06"},
    {'G', 10, 5, 0.0, "0.0000    "},
    {'G', 10, 5, 1.0e-3, ".10000E-02"},
    {'G', 10, 5, -0.5, "**********"},
    {'G', 10, 5, 0.0999996, ".10000    "},
    {'G', 10, 5, 0.09999949, ".99999E-01"},
    {'G', 10, 5, 99999.4, "99999.    "},
    {'G', 10, 5, 99999.6, ".10000E+06"},
    {'G', 10, 5, 1.0, "1.0000    "},
    {'G', 10, 5, 0.999996, "1.0000    "},
    {'G', 10, 5, 9.99996, "10.000    "},
    {'G', 10, 5, 0.8, ".80000    "},
    {'G', 10, 5, 2.65, "2.6500    "},
    {'G', 10, 5, 9.81, "9.8100    "},
    {'G', 10, 5, -3.0, "**********"},  // "-3.0000" needs seven positions
    {'G', 10, 5, -12.0, "**********"},
    {'G', 11, 5, -3.0, "-3.0000    "},
    {'G', 10, 5, 1500.0, "1500.0    "},
    {'G', 10, 5, 1e-20, ".10000E-19"},
    {'G', 10, 5, -1e-6, "**********"},
    {'G', 15, 6, -1e-20, "  -0.100000E-19"},
    {'G', 15, 6, 0.0, "    0.00000    "},
    {'G', 15, 6, 2.5, "    2.50000    "},
    {'G', 15, 6, -2.5, "   -2.50000    "},
    {'G', 11, 5, 30.0, " 30.000    "},
    {'G', 11, 5, 0.5, "0.50000    "},
    {'G', 11, 5, 1e6, "0.10000E+07"},
    {'G', 15, 4, 100.0, "      100.0    "},
    {'G', 15, 4, 0.0, "      0.000    "},
    {'G', 14, 6, 1.0e-5, "  0.100000E-04"},
};
INSTANTIATE_TEST_SUITE_P(General, FieldRendering, ::testing::ValuesIn(kGeneralCases),
                         field_case_name);

TEST(FieldRendering, NonFiniteValuesAreSpelledOut) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(format_E(12, 4, nan), "         NaN");
  EXPECT_EQ(format_G(10, 5, inf), "  Infinity");
  EXPECT_EQ(format_F(10, 4, -inf), " -Infinity");
  EXPECT_EQ(format_F(4, 2, -inf), "-Inf");
}

TEST(FreeForm, RealsReadBackToTheSameDouble) {
  const double values[] = {0.1,           1.0 / 3.0, 2.5,    1e-20, 9.999999682655225e-21,
                           123456789.125, -0.001,    5e-324, 1e300};
  for (const double v : values) {
    const std::string s = format_free_real(v);
    EXPECT_EQ(std::strtod(s.c_str(), nullptr), v) << s;
  }
  EXPECT_EQ(format_free_real(2.5), "2.5");
  EXPECT_EQ(format_free_real(-0.25), "-0.25");
}

TEST(FreeForm, RecordHasOneLeadingBlankAndSeparatesNumbers) {
  std::ostringstream os;
  RecordWriter w(os);
  w.free("E0 = ", 2.5);
  w.free(1.5, 10.0);
  w.free("TOTAL NUMBER OF NODES\t    = ", 501);
  w.free("SELF-WEIGHT CONSOLIDATION DOMINATES ", " AT TOP!");
  w.free("");
  EXPECT_EQ(os.str(),
            " E0 = 2.5\n"
            " 1.5 10\n"
            " TOTAL NUMBER OF NODES\t    = 501\n"
            " SELF-WEIGHT CONSOLIDATION DOMINATES  AT TOP!\n"
            " \n");
}

TEST(LaidOut, ItemsAreConcatenatedWithoutSeparators) {
  std::ostringstream os;
  RecordWriter w(os);
  Line line;
  line.text(" TIME = ").G(11, 5, 30.0).text(" MARCHING DIFFERENCE= ").G(10, 5, 0.0);
  line.text(" ITERATION NO = ").I(3, 4);
  w.write(line);
  line.clear();
  line.I(2, 2).tab().tab().text("3-D DESSICATION STATUS");
  w.write(line);
  EXPECT_EQ(os.str(),
            " TIME =  30.000     MARCHING DIFFERENCE= 0.0000     ITERATION NO =   4\n"
            " 2\t\t3-D DESSICATION STATUS\n");
}

TEST(LaidOut, UnattachedWriterDiscards) {
  RecordWriter w;
  EXPECT_FALSE(w.attached());
  w.write_text("nothing");  // must not crash
}

}  // namespace
}  // namespace slurry1d
