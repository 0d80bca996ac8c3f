// The comparison of five runs, on records made up so that the error of the
// given run in time and in space is known: a settlement of s* + Ct k + Cs h^2
// for a step scale k and a node spacing h, each 1 in the given run.

#include "verify/comparison.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace slurry1d::verify {
namespace {

constexpr double kBase = 5.0;  // the starting height: settlement = 5 - height

std::shared_ptr<const RunDefinition> three_output_times() {
  auto def = std::make_shared<RunDefinition>();
  def->NO = 3;
  def->OPT[1] = 1.0;
  def->OPT[2] = 10.0;
  def->OPT[3] = 100.0;
  return def;
}

// The settlement s* of each output time, the errors Ct (first order in time)
// and Cs (second order in space) of the given run.
struct Truth {
  double limit[3] = {0.1, 0.5, 0.9};
  double Ct = -0.002;
  double Cs = 0.0004;
};

std::array<RunRecord, RUN_COUNT> made_up_runs(const Truth& truth) {
  const auto def = three_output_times();
  const double k[RUN_COUNT] = {1.0, 0.5, 0.25, 1.0, 1.0};
  const double h[RUN_COUNT] = {1.0, 1.0, 1.0, 0.5, 0.25};
  std::array<RunRecord, RUN_COUNT> runs;
  for (std::size_t r = 0; r < RUN_COUNT; ++r) {
    RunRecord& rec = runs[r];
    rec.set_up = true;
    rec.def = def;
    for (int n = 1; n <= 3; ++n) {
      const double s = truth.limit[n - 1] + truth.Ct * k[r] + truth.Cs * h[r] * h[r];
      rec.time.push_back(def->OPT[n]);
      rec.height.push_back(kBase - s);
      rec.settlement_base.push_back(kBase);
    }
    rec.reason = EndReason::LastOutputTime;
    rec.end_time = 100.0;
  }
  return runs;
}

// Cuts a run short after `reached` output times, ended by `reason` at `time`.
void end_early(RunRecord& r, int reached, EndReason reason, double time) {
  r.time.resize(static_cast<std::size_t>(reached));
  r.height.resize(static_cast<std::size_t>(reached));
  r.settlement_base.resize(static_cast<std::size_t>(reached));
  r.reason = reason;
  r.end_time = time;
}

bool has_note(const VerifyTable& t, const std::string& text) {
  for (const std::string& note : t.notes) {
    if (note.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(Comparison, EstimatesTheKnownErrorsInTimeAndInSpace) {
  const Truth truth;
  const VerifyTable t = compare_runs(made_up_runs(truth), RunControls{});
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_TRUE(t.notes.empty());
  for (int n = 0; n < 3; ++n) {
    const VerifyRow& r = t.rows[static_cast<std::size_t>(n)];
    SCOPED_TRACE(n);
    EXPECT_EQ(r.output_index, n + 1);
    EXPECT_NEAR(r.settlement, truth.limit[n] + truth.Ct + truth.Cs, 1e-14);
    EXPECT_NEAR(r.height[0], kBase - r.settlement, 1e-15);
    EXPECT_NEAR(r.in_time.order, 1.0, 1e-6);
    EXPECT_NEAR(r.in_space.order, 2.0, 1e-6);
    EXPECT_NEAR(r.in_time.error, truth.Ct, 1e-12);
    EXPECT_NEAR(r.in_space.error, truth.Cs, 1e-12);
    EXPECT_NEAR(r.total_error, truth.Ct + truth.Cs, 1e-12);
    EXPECT_NEAR(r.total_gci, 1.25 * (std::fabs(truth.Ct) + std::fabs(truth.Cs)), 1e-12);
    EXPECT_NEAR(r.gci_percent(), 100.0 * r.total_gci / r.settlement, 1e-9);
  }
  // 0.003 of GCI: not within 1 % of 0.0984, within 1 % of 0.4984 and 0.8984.
  EXPECT_FALSE(t.rows[0].verdict.within);
  EXPECT_TRUE(t.rows[1].verdict.within);
  EXPECT_TRUE(t.rows[2].verdict.within);
  EXPECT_FALSE(t.all_within);
  EXPECT_GT(t.suggested.step_factor, 1.0);
  EXPECT_EQ(t.suggested.step_factor, t.rows[0].verdict.suggested.step_factor);
}

TEST(Comparison, RunsThatEndedDifferentlyAreComparedUpToTheLastSharedOutputTime) {
  auto runs = made_up_runs(Truth{});
  end_early(runs[2], 2, EndReason::SteadyStateHeight, 55.0);
  const VerifyTable t = compare_runs(runs, RunControls{});
  EXPECT_EQ(t.rows.size(), 2u);
  EXPECT_TRUE(has_note(t,
                       "the run with steps / 4 (--step-factor 4 --nodes 501) reached the "
                       "steady-state height at t = 55, before the output time t = 100"));
  EXPECT_TRUE(has_note(t,
                       "the runs ended differently: they are compared up to t = 10, the last "
                       "output time they all reached"));
}

TEST(Comparison, OutputTimesTheGivenRunDidNotReachAreNamed) {
  auto runs = made_up_runs(Truth{});
  for (RunRecord& r : runs) end_early(r, 2, EndReason::MinimumVoidRatio, 50.0);
  const VerifyTable t = compare_runs(runs, RunControls{});
  EXPECT_EQ(t.rows.size(), 2u);
  ASSERT_EQ(t.notes.size(), 1u);
  EXPECT_EQ(t.notes[0],
            "the run as given (--step-factor 1 --nodes 501) reached the minimum void ratio at "
            "t = 50, before the output time t = 100; later output times are not compared");
}

TEST(Comparison, AHeightThatIsNotANumberEndsTheComparison) {
  auto runs = made_up_runs(Truth{});
  runs[4].height[1] = std::nan("");
  const VerifyTable t = compare_runs(runs, RunControls{});
  EXPECT_EQ(t.rows.size(), 1u);
  EXPECT_TRUE(has_note(t,
                       "nodes x 4 (--step-factor 1 --nodes 2001) gave a height that is not a "
                       "number at t = 10"));
}

TEST(Comparison, NothingToCompareWithoutASharedOutputTime) {
  auto runs = made_up_runs(Truth{});
  end_early(runs[1], 0, EndReason::NumericalFailure, 0.5);
  const VerifyTable t = compare_runs(runs, RunControls{});
  EXPECT_TRUE(t.rows.empty());
  EXPECT_FALSE(t.all_within);
  EXPECT_TRUE(has_note(t, "failed numerically at t = 0.5, before the output time t = 1"));
  EXPECT_TRUE(has_note(t, "no output time that they all reached"));
}

TEST(Refinements, HalveTheStepsAndTheNodeSpacing) {
  RunControls given;
  given.step_factor = 1.5;
  given.NNI = 11;  // 101 nodes
  struct Expected {
    RunRole role;
    double step_factor;
    int nodes;
  };
  for (const Expected& e :
       {Expected{RunRole::Given, 1.5, 101}, Expected{RunRole::StepsHalved, 3.0, 101},
        Expected{RunRole::StepsQuartered, 6.0, 101}, Expected{RunRole::NodesDoubled, 1.5, 201},
        Expected{RunRole::NodesQuadrupled, 1.5, 401}}) {
    const RunControls c = controls_of(e.role, given);
    EXPECT_EQ(c.step_factor, e.step_factor) << role_name(e.role);
    EXPECT_EQ(c.node_count(), e.nodes) << role_name(e.role);
    EXPECT_TRUE(is_allowed_node_count(c.node_count()));
  }
  EXPECT_EQ(controls_of(RunRole::NodesQuadrupled, RunControls{}).node_count(), 2001);
}

TEST(Refinements, MustStayWithinTheLimitsOfTheControls) {
  RunControls c;
  c.step_factor = 250.0;
  EXPECT_EQ(verify_refusal(c), "");
  c.step_factor = 250.5;
  EXPECT_EQ(verify_refusal(c),
            "--verify runs the case with --step-factor 4F, at most 1000: with --verify the step "
            "factor is at most 250");
  c.step_factor = 1.0;
  c.NNI = node_parameter(4991);
  EXPECT_EQ(verify_refusal(c), "");
  EXPECT_EQ(controls_of(RunRole::NodesQuadrupled, c).node_count(), 19961);
  c.NNI = node_parameter(5001);
  EXPECT_EQ(verify_refusal(c),
            "--verify runs the case with 4 (N - 1) + 1 nodes, at most 19991: with --verify the "
            "column has at most 4991 nodes");
}

}  // namespace
}  // namespace slurry1d::verify
