// Verification of whole runs in this process: the recorder against the
// run's own "ts.out", and the accuracy of the estimate. The error that
// --verify estimates for the 20 kPa surcharge case (5 m, pervious base,
// MAXDT 20 days, output times 1, 10, 100 and 1000 days) must lie within 1/3
// to 3 times the true error, measured against a run with 16 times shorter
// steps and 4 times more node spacings, wherever that error exceeds 0.2 % of
// the settlement. The test prints its table.

#include "verify/verify_run.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "driver/dialog.hpp"
#include "driver/run_answers.hpp"
#include "driver/simulation.hpp"
#include "support/run_fixture.hpp"
#include "verify/comparison.hpp"
#include "verify/run_record.hpp"

namespace slurry1d::verify {
namespace {

testing::Answers surcharge_case() {
  testing::Answers a;
  a.soil = "7.0 -0.2 6.8e-7 4.0 0.1";
  a.H0 = 5.0;
  a.top = 2;
  a.top_value = 20.0;
  a.bottom = 3;
  a.ME = 0.5;
  a.OPT = {1.0, 10.0, 100.0, 1000.0};
  a.MAXDT = 20.0;
  return a;
}

RunDefinition definition_of(const std::string& answers) {
  testing::DiscardedOutputs sink;
  RunDefinition def;
  std::istringstream in(answers);
  run_dialog(in, sink.out, false, def);
  return def;
}

RunRecord record_of(const RunDefinition& def, const RunControls& controls, Outputs& out) {
  RunRecorder recorder;
  EXPECT_EQ(run_definition(def, out, controls, recorder), 0);
  return recorder.record();
}

// The heights of the "ts.out" lines after the start (the three heading lines
// and the line of the starting time skipped): the second field, printed to
// four significant digits.
std::vector<double> time_series_heights(const std::string& ts) {
  std::vector<double> heights;
  std::istringstream in(ts);
  std::string line;
  for (int skip = 0; skip < 4; ++skip) std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    double t = 0.0, h = 0.0;
    if (fields >> t >> h) heights.push_back(h);
  }
  return heights;
}

TEST(RunRecorder, HoldsTheHeightOfEveryOutputTimeReached) {
  testing::CapturedOutputs captured;
  const RunRecord r =
      record_of(definition_of(surcharge_case().text()), RunControls{}, captured.out);
  ASSERT_EQ(r.output_times_reached(), 4);
  EXPECT_EQ(r.time, (std::vector<double>{1.0, 10.0, 100.0, 1000.0}));
  const std::vector<double> printed = time_series_heights(captured.ts.str());
  ASSERT_GE(printed.size(), 4u);
  for (int n = 1; n <= 4; ++n) {
    const auto i = static_cast<std::size_t>(n - 1);
    EXPECT_NEAR(r.height[i], printed[i], 5e-4 * printed[i]) << "output time " << n;
    EXPECT_NEAR(r.settlement_base[i], 5.0, 1e-12) << "from the starting height";
    EXPECT_NEAR(r.settlement(n), 5.0 - r.height[i], 1e-12);
  }
  EXPECT_EQ(r.reason, EndReason::LastOutputTime);
  EXPECT_EQ(r.exit_status, 0);
  ASSERT_TRUE(r.def);
  EXPECT_EQ(r.def->NO, 4);
}

TEST(RunRecorder, StagedFillingSettlesFromTheNominalHeightPlaced) {
  RunDefinition def;
  def.H0 = 0.5;
  def.NS = 3;
  def.stage[1] = {0.0, 100.0, 0.05};    // 5 m over 100 days
  def.stage[2] = {150.0, 150.0, 1.0};   // 1 m at once
  def.stage[3] = {200.0, 300.0, 0.03};  // 3 m over 100 days
  EXPECT_DOUBLE_EQ(placed_height(def, 0.0), 0.5);
  EXPECT_DOUBLE_EQ(placed_height(def, 50.0), 0.5 + 2.5);
  EXPECT_DOUBLE_EQ(placed_height(def, 120.0), 0.5 + 5.0);
  EXPECT_DOUBLE_EQ(placed_height(def, 150.0), 0.5 + 5.0 + 1.0);
  EXPECT_DOUBLE_EQ(placed_height(def, 250.0), 0.5 + 5.0 + 1.0 + 1.5);
  EXPECT_DOUBLE_EQ(placed_height(def, 1000.0), 0.5 + 5.0 + 1.0 + 3.0);
}

// The refinements of a run that reached only some of its output times stop
// at the last it reached, and write nothing but their announcements.
TEST(Refinements, RunUpToTheLastOutputTimeTheGivenRunReached) {
  testing::Answers a = surcharge_case();
  a.OPT = {1.0, 10.0};
  testing::DiscardedOutputs sink;
  RunRecord given = record_of(definition_of(a.text()), RunControls{}, sink.out);
  given.time.pop_back();
  given.height.pop_back();
  given.settlement_base.pop_back();
  std::ostringstream console;
  RecordWriter writer(console);
  const Refinements r = run_refinements(given, RunControls{}, writer);
  EXPECT_EQ(r.interrupted_status, 0);
  for (std::size_t k = 1; k < RUN_COUNT; ++k) {
    EXPECT_EQ(r.runs[k].output_times_reached(), 1) << role_name(ALL_ROLES[k]);
    EXPECT_EQ(r.runs[k].reason, EndReason::LastOutputTime);
    EXPECT_NEAR(r.runs[k].end_time, 1.0, 1e-12);
  }
  EXPECT_EQ(console.str(),
            " verify: run 2 of 5, steps / 2 (--step-factor 2 --nodes 501), to t = 1\n"
            " verify: run 3 of 5, steps / 4 (--step-factor 4 --nodes 501), to t = 1\n"
            " verify: run 4 of 5, nodes x 2 (--step-factor 1 --nodes 1001), to t = 1\n"
            " verify: run 5 of 5, nodes x 4 (--step-factor 1 --nodes 2001), to t = 1\n");
}

TEST(VerifyAccuracy, EstimatedErrorWithinAThirdToThreeTimesTheTrueError) {
  const RunDefinition def = definition_of(surcharge_case().text());
  testing::DiscardedOutputs sink;
  const RunRecord given = record_of(def, RunControls{}, sink.out);
  const Refinements refinements = run_refinements(given, RunControls{}, sink.out.console);
  const VerifyTable table = compare_runs(refinements.runs, RunControls{});
  RunControls fine;
  fine.step_factor = 16.0;
  fine.NNI = node_parameter(2001);
  const RunRecord reference = record_of(def, fine, sink.out);
  ASSERT_EQ(table.rows.size(), 4u);
  ASSERT_EQ(reference.output_times_reached(), 4);

  std::printf("20 kPa surcharge, 5 m, pervious base, MAXDT 20 days: error of the settlement\n");
  std::printf(
      "   t (day)  settlement   true error   estimated    ratio   (reference: "
      "--step-factor 16 --nodes 2001)\n");
  int judged = 0;
  for (const VerifyRow& row : table.rows) {
    const double reference_settlement = reference.settlement(row.output_index);
    const double truth = row.settlement - reference_settlement;
    const double ratio = row.total_error / truth;
    std::printf("  %8.0f   %.6f   %+.3e   %+.3e   %5.2f  (%.2f %% of the settlement)\n", row.time,
                row.settlement, truth, row.total_error, ratio,
                100.0 * std::fabs(truth) / reference_settlement);
    if (std::fabs(truth) <= 0.002 * reference_settlement) continue;
    ++judged;
    EXPECT_GE(ratio, 1.0 / 3.0) << "t = " << row.time;
    EXPECT_LE(ratio, 3.0) << "t = " << row.time;
  }
  EXPECT_GE(judged, 3) << "the case has errors worth estimating";
}

}  // namespace
}  // namespace slurry1d::verify
