// The estimator on synthetic results with a known error: f = f* + C h^p over
// h = 1, 1/2, 1/4, so that the observed order, the error of the given
// (coarsest) run and its GCI are known in closed form; and the verdict's
// arithmetic on GCIs chosen so that the refinement it asks for is whole.

#include "verify/error_estimate.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace slurry1d::verify {
namespace {

// Three runs of f* + C h^p, from h = 1 down by halves.
ThreeRuns power_law(double limit, double C, double p) {
  return {limit + C, limit + C * std::pow(0.5, p), limit + C * std::pow(0.25, p)};
}

struct AsymptoticCase {
  double C, p;
};

class AsymptoticRange : public ::testing::TestWithParam<AsymptoticCase> {};

// Inside [0.5, 3] the observed order is the exponent, the error of the given
// run is C exactly (the two-parameter model fits three runs exactly), and the
// GCI is 1.25 |C|.
TEST_P(AsymptoticRange, RecoversTheOrderAndTheErrorOfTheGivenRun) {
  const auto [C, p] = GetParam();
  const ErrorEstimate e = estimate_error(power_law(0.75, C, p));
  EXPECT_NEAR(e.order, p, 1e-9);
  EXPECT_TRUE(e.order_observed);
  EXPECT_NEAR(e.error, C, 1e-12);
  EXPECT_NEAR(e.gci, 1.25 * std::fabs(C), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Orders, AsymptoticRange,
                         ::testing::Values(AsymptoticCase{0.02, 1.0}, AsymptoticCase{-0.02, 1.0},
                                           AsymptoticCase{3e-4, 2.0}, AsymptoticCase{-0.1, 0.7},
                                           AsymptoticCase{0.05, 0.55}, AsymptoticCase{0.05, 2.95},
                                           AsymptoticCase{1e-6, 1.3}));

// Outside the range the order is reported but not trusted: the error is the
// difference from the finest run, the GCI three times the largest difference.
TEST(OrderNotObserved, TooFastOrTooSlowConvergence) {
  struct Case {
    double p;
  };
  for (const double p : {0.3, 3.5, 6.0}) {
    const ThreeRuns f = power_law(2.0, 0.04, p);
    const ErrorEstimate e = estimate_error(f);
    EXPECT_NEAR(e.order, p, 1e-9) << p;
    EXPECT_FALSE(e.order_observed) << p;
    EXPECT_DOUBLE_EQ(e.error, f.given - f.finest) << p;
    EXPECT_DOUBLE_EQ(e.gci, 3.0 * std::fabs(f.given - f.finest)) << p;
  }
}

TEST(OrderNotObserved, DifferencesThatChangeSign) {
  const ErrorEstimate e = estimate_error({1.10, 0.95, 1.02});
  EXPECT_TRUE(std::isnan(e.order));
  EXPECT_FALSE(e.order_observed);
  EXPECT_NEAR(e.error, 0.08, 1e-15);
  EXPECT_NEAR(e.gci, 3.0 * 0.15, 1e-15) << "the largest difference is given - refined";
}

TEST(OrderNotObserved, RunsThatAgree) {
  const ErrorEstimate same = estimate_error({3.5, 3.5, 3.5});
  EXPECT_TRUE(std::isnan(same.order));
  EXPECT_EQ(same.error, 0.0);
  EXPECT_EQ(same.gci, 0.0);

  // The refined runs agree, the given one does not: no ratio to take.
  const ErrorEstimate flat = estimate_error({3.6, 3.5, 3.5});
  EXPECT_TRUE(std::isnan(flat.order));
  EXPECT_NEAR(flat.error, 0.1, 1e-15);
  EXPECT_NEAR(flat.gci, 0.3, 1e-14);
}

TEST(ObservedOrder, IsTheLogarithmOfTheRatioOfDifferences) {
  EXPECT_NEAR(observed_order({1.0 + 8.0, 1.0 + 2.0, 1.0 + 0.5}), 2.0, 1e-12);
  EXPECT_NEAR(observed_order({0.0, 3.0, 4.0}), std::log(3.0) / std::log(2.0), 1e-12);
  EXPECT_TRUE(std::isnan(observed_order({1.0, 1.0, 2.0})));
  EXPECT_TRUE(std::isnan(observed_order({1.0, 2.0, 2.0})));
}

ErrorEstimate observed(double gci, double order) {
  return {order, true, gci / 1.25, gci};
}

TEST(Verdict, WithinOnePercentKeepsTheControls) {
  RunControls given;
  given.step_factor = 2.0;
  const Verdict v = judge(observed(0.004, 1.0), observed(0.006, 2.0), -1.0, given);
  EXPECT_TRUE(v.within) << "0.4 % + 0.6 % of a settlement of 1 (its sign does not matter)";
  EXPECT_EQ(v.suggested.step_factor, 2.0);
  EXPECT_EQ(v.suggested.nodes, 501);
  EXPECT_FALSE(v.beyond_limits);
  EXPECT_FALSE(judge(observed(0.004, 1.0), observed(0.0061, 2.0), 1.0, given).within);
}

// The tolerance is 0.01 of a settlement of 2, 0.02.
TEST(Verdict, RefinesWhatTheOrdersSay) {
  struct Case {
    const char* what;
    double gci_time, order_time, gci_space, order_space;
    double step_factor;  // given 2
    int nodes;           // given 501
  };
  const Case cases[] = {
      // Space within its half keeps its nodes; time takes the rest (0.02 - 0.004 = 0.016).
      {"time only, first order", 0.064, 1.0, 0.004, 1.0, 8.0, 501},
      {"time only, second order", 0.064, 2.0, 0.004, 1.0, 4.0, 501},
      {"space only, first order", 0.004, 1.0, 0.048, 1.0, 2.0, 1501},
      {"space only, second order", 0.004, 1.0, 0.064, 2.0, 2.0, 1001},
      // Both over their halves: 0.01 each.
      {"both", 0.04, 1.0, 0.02, 1.0, 8.0, 1001},
      // Ratios that are not whole round up: 1.23 (time) and 1.23 x 500 = 615 elements.
      {"rounded up", 0.0123, 1.0, 0.0123, 1.0, 3.0, 621},
  };
  RunControls given;
  given.step_factor = 2.0;
  for (const Case& c : cases) {
    const Verdict v =
        judge(observed(c.gci_time, c.order_time), observed(c.gci_space, c.order_space), 2.0, given);
    EXPECT_FALSE(v.within) << c.what;
    EXPECT_DOUBLE_EQ(v.suggested.step_factor, c.step_factor) << c.what;
    EXPECT_EQ(v.suggested.nodes, c.nodes) << c.what;
    EXPECT_FALSE(v.beyond_limits) << c.what;
  }
}

// An order not observed counts as first order: 0.03 over a budget of 0.01
// asks for three times shorter steps, whatever the order said.
TEST(Verdict, AnOrderNotObservedCountsAsFirstOrder) {
  const ErrorEstimate unobserved{5.0, false, 0.01, 0.03};
  const Verdict v = judge(unobserved, observed(0.0, 1.0), 1.0, RunControls{});
  EXPECT_DOUBLE_EQ(v.suggested.step_factor, 3.0);
  EXPECT_EQ(v.suggested.nodes, 501);
}

TEST(Verdict, BeyondTheLimitsOfTheControls) {
  const Verdict steps = judge(observed(20.0, 1.0), observed(0.0, 1.0), 1.0, RunControls{});
  EXPECT_TRUE(steps.beyond_limits);
  EXPECT_EQ(steps.suggested.step_factor, MAX_STEP_FACTOR);

  const Verdict nodes = judge(observed(0.0, 1.0), observed(1.0, 1.0), 1.0, RunControls{});
  EXPECT_TRUE(nodes.beyond_limits);
  EXPECT_EQ(nodes.suggested.nodes, MAX_NODE_COUNT);

  // No settlement at all: no refinement brings an error within 1 % of it.
  const Verdict none = judge(observed(1e-6, 1.0), observed(0.0, 1.0), 0.0, RunControls{});
  EXPECT_FALSE(none.within);
  EXPECT_TRUE(none.beyond_limits);
  EXPECT_TRUE(judge(observed(0.0, 1.0), observed(0.0, 1.0), 0.0, RunControls{}).within);
}

TEST(NodeCount, RoundsUpToTheFormOfTheColumn) {
  EXPECT_EQ(node_count_for(500.0), 501);
  EXPECT_EQ(node_count_for(500.0000000001), 501) << "round-off of a whole quotient";
  EXPECT_EQ(node_count_for(500.5), 511);
  EXPECT_EQ(node_count_for(1.0), 11);
  EXPECT_EQ(node_count_for(19990.0), 19991);
  EXPECT_GT(node_count_for(19990.5), MAX_NODE_COUNT);
  EXPECT_GT(node_count_for(1e300), MAX_NODE_COUNT);
}

}  // namespace
}  // namespace slurry1d::verify
