#include "charts/axis.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace slurry1d::charts {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> values_of(const std::vector<Tick>& ticks, bool labelled_only) {
  std::vector<double> v;
  for (const Tick& t : ticks) {
    if (!labelled_only || t.label) v.push_back(t.value);
  }
  return v;
}

std::vector<std::string> labels_of(const std::vector<Tick>& ticks) {
  std::vector<std::string> v;
  for (const Tick& t : ticks) {
    if (!t.label) continue;
    v.push_back(t.label->text +
                (t.label->exponent ? "e" + std::to_string(*t.label->exponent) : ""));
  }
  return v;
}

TEST(FormatTick, WritesRoundNumbersWithTheDecimalsOfTheStep) {
  struct Case {
    double value, step;
    const char* text;
    std::optional<int> exponent;
  };
  const Case cases[] = {
      {0.30000000000000004, 0.1, "0.3", {}},  // the sum 0.1 + 0.2, written as meant
      {-0.0, 1.0, "0", {}},
      {2500.0, 500.0, "2500", {}},
      {0.05, 0.01, "0.05", {}},
      {-0.4, 0.2, "-0.4", {}},
      {1e-5, 1e-5, "1", -5},    // a step below 1e-4 goes to powers of ten
      {1.5e6, 5e5, "1.5", 6},   // so do values of a million and more
      {2e-5, 5e-6, "2.0", -5},  // with the decimals of the step
  };
  for (const Case& c : cases) {
    const TickLabel label = format_tick(c.value, c.step);
    EXPECT_EQ(label.text, c.text) << c.value;
    EXPECT_EQ(label.exponent, c.exponent) << c.value;
  }
}

TEST(AxisTicks, LinearAxisStepsByOneTwoOrFiveTimesAPowerOfTen) {
  struct Case {
    Range range;
    double length;
    bool horizontal;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {{0, 10}, 500, true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {{0, 10}, 200, true, {0, 5, 10}},            // labels need about 48 px
      {{0, 10}, 300, false, {0, 2, 4, 6, 8, 10}},  // and 40 px upright
      {{-0.37, 0.12}, 300, false, {-0.3, -0.2, -0.1, 0.0, 0.1}},
      {{-1200, 31000}, 560, true, {0, 5000, 10000, 15000, 20000, 25000, 30000}},
  };
  for (const Case& c : cases) {
    const auto ticks = axis_ticks(c.range, Scale::Linear, c.length, c.horizontal, 11);
    const auto v = values_of(ticks, false);
    ASSERT_EQ(v.size(), c.expected.size()) << c.range.lo << " " << c.range.hi;
    for (std::size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], c.expected[i], 1e-12);
  }
}

TEST(AxisTicks, HorizontalLabelsDoNotOverlap) {
  for (const double hi : {1.0, 7.3, 123.0, 29650.0, 4.2e6}) {
    for (const double length : {150.0, 300.0, 600.0}) {
      const auto ticks = axis_ticks({0, hi}, Scale::Linear, length, true, 11);
      for (std::size_t i = 1; i < ticks.size(); ++i) {
        const double gap = (ticks[i].value - ticks[i - 1].value) / hi * length;
        const double half_widths =
            (ticks[i].label->em_width() + ticks[i - 1].label->em_width()) * 11 / 2;
        EXPECT_GT(gap, half_widths) << hi << " on " << length << " px";
      }
    }
  }
}

TEST(AxisTicks, LogAxisLabelsDecadesWithMinorTicksBetween) {
  const auto ticks = axis_ticks({0.7, 2e5}, Scale::Logarithmic, 560, true, 11);
  // 10⁵ needs a power of ten, and so, on the same axis, do the others.
  EXPECT_EQ(labels_of(ticks), (std::vector<std::string>{"1e0", "1e1", "1e2", "1e3", "1e4", "1e5"}));
  // 0.7 to 0.9, then 1..9 in each of the five decades, then 1e5 and 2e5.
  EXPECT_EQ(ticks.size(), 3u + 9 * 5 + 2);
}

TEST(AxisTicks, LogAxisLabelsOneTwoAndFiveTimesThePowersWhereThereIsRoom) {
  // The permeabilities of a run, about two decades up a 300 px axis.
  EXPECT_EQ(labels_of(axis_ticks({1.5e-4, 1.2e-2}, Scale::Logarithmic, 300, false, 11)),
            (std::vector<std::string>{"2e-4", "5e-4", "1e-3", "2e-3", "5e-3", "1e-2"}));
  // The times of a long run along a 560 px axis: decades only, as decimals.
  EXPECT_EQ(labels_of(axis_ticks({8e-4, 4e4}, Scale::Logarithmic, 560, true, 11)),
            (std::vector<std::string>{"0.001", "0.01", "0.1", "1", "10", "100", "1000", "10000"}));
}

TEST(AxisTicks, LogAxisLabelsAreAllDecimalsOrAllPowersOfTenAndStayApart) {
  const Range ranges[] = {{1e-5, 1.0},   {0.01, 1000.0}, {1.5e-4, 1.2e-2}, {1.0, 1e6},
                          {8e-4, 4e4},   {0.3, 40.0},    {2e-7, 3e-6},     {1e-10, 1e10},
                          {0.09, 16000}, {3.0, 40.0}};
  for (const Range& r : ranges) {
    for (const double length : {120.0, 300.0, 560.0}) {
      for (const bool horizontal : {true, false}) {
        const auto ticks = axis_ticks(r, Scale::Logarithmic, length, horizontal, 11);
        std::size_t labelled = 0, powers = 0;
        double widest = 0;
        for (const Tick& t : ticks) {
          if (!t.label) continue;
          ++labelled;
          if (t.label->exponent) ++powers;
          widest = std::max(widest, t.label->em_width() * 11);
        }
        const std::string where = std::to_string(r.lo) + ".." + std::to_string(r.hi) + " on " +
                                  std::to_string(length) + (horizontal ? " px across" : " px up");
        EXPECT_GE(labelled, 1u) << where;
        EXPECT_TRUE(powers == 0 || powers == labelled) << where;
        const double needed = horizontal ? std::max(widest + 11, 48.0) : 40.0;
        std::optional<double> last;
        for (const Tick& t : ticks) {
          if (!t.label) continue;
          const double at = axis_fraction(t.value, r, Scale::Logarithmic) * length;
          if (last && labelled > 2) EXPECT_GE(at - *last, needed - 1e-9) << where;
          last = at;
        }
      }
    }
  }
}

TEST(AxisTicks, CrowdedDecadesAreLabelledEverySecondOrFifth) {
  const auto ticks = axis_ticks({1e-10, 1e10}, Scale::Logarithmic, 200, true, 11);
  const auto labelled = values_of(ticks, true);
  ASSERT_GE(labelled.size(), 2u);
  ASSERT_LE(labelled.size(), 6u);
  const double stride = std::log10(labelled[1] / labelled[0]);
  EXPECT_TRUE(std::abs(stride - 5) < 1e-9 || std::abs(stride - 10) < 1e-9) << stride;
}

TEST(AxisTicks, LogAxisWithinADecadeLabelsMoreThanPowersOfTen) {
  // One power of ten inside: 2 and 5 times the powers are labelled as well.
  EXPECT_EQ(labels_of(axis_ticks({3, 40}, Scale::Logarithmic, 400, false, 11)),
            (std::vector<std::string>{"5", "10", "20"}));
  // Less than about half a decade: round numbers, as on a linear axis.
  const auto narrow = values_of(axis_ticks({2e-5, 3e-5}, Scale::Logarithmic, 300, false, 11), true);
  ASSERT_GE(narrow.size(), 2u);
  for (const double v : narrow) {
    EXPECT_GE(v, 2e-5);
    EXPECT_LE(v, 3e-5);
  }
}

TEST(PaddedRange, WidensTheFiniteValuesByAMargin) {
  const std::vector<double> values = {2, NaN, 12, std::numeric_limits<double>::infinity()};
  const auto r = padded_range(values, Scale::Linear);
  ASSERT_TRUE(r);
  EXPECT_NEAR(r->lo, 2 - 0.4, 1e-12);
  EXPECT_NEAR(r->hi, 12 + 0.4, 1e-12);
}

TEST(PaddedRange, LogAxisLeavesOutZeroAndNegativeValues) {
  const std::vector<double> values = {0, -3, 10, 1000};
  const auto r = padded_range(values, Scale::Logarithmic);
  ASSERT_TRUE(r);
  EXPECT_NEAR(std::log10(r->lo), 1 - 0.08, 1e-12);
  EXPECT_NEAR(std::log10(r->hi), 3 + 0.08, 1e-12);
}

TEST(PaddedRange, SingleValueGetsARangeAroundIt) {
  const std::vector<double> five = {5.0}, zero = {0.0};
  const auto r = padded_range(five, Scale::Linear);
  ASSERT_TRUE(r);
  EXPECT_LT(r->lo, 5.0);
  EXPECT_GT(r->hi, 5.0);
  const auto z = padded_range(zero, Scale::Linear);
  ASSERT_TRUE(z);
  EXPECT_LT(z->lo, 0.0);
  EXPECT_GT(z->hi, 0.0);
  const auto l = padded_range(five, Scale::Logarithmic);
  ASSERT_TRUE(l);
  EXPECT_NEAR(axis_fraction(5.0, *l, Scale::Logarithmic), 0.5, 1e-12);
}

TEST(PaddedRange, NothingDrawableGivesNoRange) {
  const std::vector<double> none, nans = {NaN, NaN}, negative = {-1.0, 0.0};
  EXPECT_FALSE(padded_range(none, Scale::Linear));
  EXPECT_FALSE(padded_range(nans, Scale::Linear));
  EXPECT_FALSE(padded_range(negative, Scale::Logarithmic));
}

}  // namespace
}  // namespace slurry1d::charts
