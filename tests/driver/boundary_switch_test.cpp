// Deferred velocity boundaries: the velocities through the end elements, the
// switch to the velocity condition with the repeated step, the message while
// self-weight consolidation dominates, and the cumulated outflows.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "driver/desiccation.hpp"
#include "driver/iteration.hpp"
#include "driver/run_answers.hpp"
#include "driver/time_loop.hpp"
#include "output/fields.hpp"

namespace slurry1d::testing {
namespace {

const std::string TOP_MESSAGE = " SELF-WEIGHT CONSOLIDATION DOMINATES  AT TOP!";
const std::string BOTTOM_MESSAGE = " SELF-WEIGHT CONSOLIDATION DOMINATES  AT BOTTOM!";

// A run with deferred top and bottom velocities, standing after a converged
// pass: distinct mid-step void ratios in the end elements and a restart
// snapshot that differs from the column.
CapturedRun converged_with_deferred_ends() {
  Answers a;
  a.top = 1;
  a.top_value = 1e-4;
  a.bottom = 4;
  a.bottom_value = -1e-4;
  a.TS = 5.0;
  CapturedRun r(a);
  EXPECT_TRUE(r.boundaries().top_deferred);
  EXPECT_TRUE(r.boundaries().bottom_deferred);
  SoilColumn& col = r.col();
  const int NN = col.NN;
  for (int i = 1; i <= NN; ++i) col.EN[i] = 1.0 - 1e-5 * i;
  col.WSUM = 77.0;
  take_restart_snapshot(*r.run);
  for (int i = 1; i <= NN; ++i) {
    col.EN[i] = 0.9;
    col.EIT[i] = 0.9;
    col.EMID[i] = 0.95;
    col.Z[i] += 0.5;
    col.SIGE[i] = -1.0;
  }
  col.WSUM = -1.0;
  col.EMID[1] = 0.8;
  col.EMID[2] = 0.9;
  col.EMID[NN - 1] = 0.95;
  col.EMID[NN] = 0.97;
  r.clock().advance();
  r.loop().FONE = 1e-12;
  r.clear_outputs();
  return r;
}

double velocity(const Soil& soil, const SoilColumn& col, int lower) {
  const double r = (col.EMID[lower] + col.EMID[lower + 1]) / 2.0;
  const double sp = soil.compression_slope(r);
  return soil.fluid_velocity(col.EMID[lower + 1], col.EMID[lower], sp, col.DXI[lower], r);
}

TEST(BoundarySwitch, TakesTheVelocitiesOfTheEndElementsAtTheMidStepVoidRatios) {
  CapturedRun r = converged_with_deferred_ends();
  r.boundaries().top_deferred = false;
  r.boundaries().bottom_deferred = false;
  EXPECT_FALSE(check_boundary_switch(*r.run, r.out()));
  const SoilColumn& col = r.col();
  const Soil& soil = r.run->soil;
  EXPECT_EQ(r.loop().VBC, velocity(soil, col, 1));
  EXPECT_EQ(r.loop().VTC, velocity(soil, col, col.NN - 1));
  // The upper node of each element comes first: swapped, the gradient term
  // changes sign.
  const double r_top = (col.EMID[col.NN - 1] + col.EMID[col.NN]) / 2.0;
  const double swapped =
      soil.fluid_velocity(col.EMID[col.NN - 1], col.EMID[col.NN], soil.compression_slope(r_top),
                          col.DXI[col.NN - 1], r_top);
  EXPECT_NE(r.loop().VTC, swapped);
  EXPECT_EQ(r.io->console.str(), "");
}

struct SwitchCase {
  const char* what;
  bool top_deferred, bottom_deferred;
  double VT_offset, VB_offset;  // VT - VTC and VB - VBC, in units of |VTC| and |VBC|
  bool top_switches, bottom_switches, top_message, bottom_message;
};

class BoundarySwitchCases : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(BoundarySwitchCases, SwitchesOnceSelfWeightConsolidationNoLongerDominates) {
  const SwitchCase& c = GetParam();
  CapturedRun r = converged_with_deferred_ends();
  BoundaryConditions& answered = r.def().bc;
  BoundaryState& boundaries = r.boundaries();
  LoopState& loop = r.loop();
  // The velocities this column gives.
  const double VTC = velocity(r.run->soil, r.col(), r.col().NN - 1);
  const double VBC = velocity(r.run->soil, r.col(), 1);
  answered.VT = VTC + c.VT_offset * std::abs(VTC);
  answered.VB = VBC + c.VB_offset * std::abs(VBC);
  boundaries.top_deferred = c.top_deferred;
  boundaries.bottom_deferred = c.bottom_deferred;
  const double T = r.clock().T();
  const double DT = r.clock().DT();

  const bool repeated = check_boundary_switch(*r.run, r.out());

  EXPECT_EQ(repeated, c.top_switches || c.bottom_switches) << c.what;
  const std::string console = r.io->console.str();
  EXPECT_EQ(count_lines(console, TOP_MESSAGE), c.top_message ? 1 : 0) << c.what;
  EXPECT_EQ(count_lines(console, BOTTOM_MESSAGE), c.bottom_message ? 1 : 0) << c.what;
  EXPECT_EQ(boundaries.top_deferred, c.top_deferred && !c.top_switches) << c.what;
  EXPECT_EQ(boundaries.bottom_deferred, c.bottom_deferred && !c.bottom_switches) << c.what;
  // A deferred end acts free-draining until it switches to its velocity.
  const BoundaryConditions acting = r.run->acting_boundaries();
  EXPECT_EQ(acting.ITOP, boundaries.top_deferred ? TopBoundary::Surcharge : TopBoundary::Velocity)
      << c.what;
  EXPECT_EQ(acting.IBOT,
            boundaries.bottom_deferred ? BottomBoundary::Pervious : BottomBoundary::Velocity)
      << c.what;
  EXPECT_EQ(boundaries.TTOPSW, c.top_switches ? T - DT : 0.0) << c.what;
  EXPECT_EQ(boundaries.TBOTSW, c.bottom_switches ? T - DT : 0.0) << c.what;
  EXPECT_EQ(r.clock().T(), repeated ? T - DT : T) << c.what;
  EXPECT_EQ(r.clock().DT(), DT) << c.what;

  const SoilColumn& col = r.col();
  const ColumnSnapshot& snap = r.run->restart_snapshot;
  if (repeated) {
    // Back to the restart snapshot, judged afresh.
    EXPECT_EQ(loop.FONE, 1.0) << c.what;
    EXPECT_EQ(col.NN, snap.NN);
    for (int i = 1; i <= col.NN; ++i) {
      ASSERT_EQ(col.EN[i], 1.0 - 1e-5 * i) << i;
      ASSERT_EQ(col.EIT[i], col.EN[i]) << i;
      ASSERT_EQ(col.EMID[i], col.EN[i]) << i;
      ASSERT_EQ(col.Z[i], snap.Z[i]) << i;
      ASSERT_EQ(col.SIGE[i], snap.SIGE[i]) << i;
      ASSERT_EQ(col.DXI[i], snap.DXI[i]) << i;
    }
    EXPECT_EQ(col.WSUM, 77.0);
  } else {
    EXPECT_EQ(loop.FONE, 1e-12) << c.what;
    EXPECT_EQ(col.EN[3], 0.9) << c.what;
    EXPECT_EQ(col.WSUM, -1.0) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoundarySwitchCases,
    ::testing::Values(
        SwitchCase{"top dominated", true, false, -1e-6, 0.0, false, false, true, false},
        SwitchCase{"top at its velocity", true, false, 0.0, 0.0, true, false, false, false},
        SwitchCase{"top below its velocity", true, false, 1e-6, 0.0, true, false, false, false},
        SwitchCase{"bottom dominated", false, true, 0.0, 1e-6, false, false, false, true},
        SwitchCase{"bottom at its velocity", false, true, 0.0, 0.0, false, true, false, false},
        SwitchCase{"bottom past its velocity", false, true, 0.0, -1e-6, false, true, false, false},
        SwitchCase{"top switches first", true, true, 0.0, 0.0, true, false, false, false},
        SwitchCase{"top dominated, bottom switches", true, true, -1e-6, 0.0, false, true, true,
                   false},
        SwitchCase{"both dominated", true, true, -1e-6, 1e-6, false, false, true, true},
        SwitchCase{"nothing deferred", false, false, -1.0, 1.0, false, false, false, false}));

TEST(BoundarySwitch, EveryStepWhileSelfWeightDominatesPrintsTheMessage) {
  Answers a;
  a.top = 1;
  a.top_value = 1e-30;
  a.bottom = 3;
  a.OPT = {0.2};
  CapturedRun r(a);
  r.clear_outputs();
  march_in_time(*r.run, r.out());
  const std::string console = r.io->console.str();
  const int steps = count_lines(console, " TIME = ");
  EXPECT_GT(steps, 5);
  EXPECT_EQ(count_lines(console, TOP_MESSAGE), steps);
  EXPECT_EQ(r.run->acting_boundaries().ITOP, TopBoundary::Surcharge);
  EXPECT_TRUE(r.boundaries().top_deferred);
  EXPECT_EQ(r.boundaries().TTOPSW, 0.0);
  EXPECT_EQ(r.io->ts.str().find("DESSICATION PROCESS"), std::string::npos);
}

TEST(BoundarySwitch, TheSwitchingStepIsSolvedAgainAndEndsAtItsStartTime) {
  Answers a;
  a.top = 1;
  a.top_value = 2e-4;  // above the outflow of the first step
  a.bottom = 3;
  a.TS = 5.0;
  a.OPT = {6.0};
  CapturedRun r(a);
  ASSERT_TRUE(r.boundaries().top_deferred);
  // The same step solved with the velocity top from the start.
  auto twin = std::make_unique<CapturedRun>(a);
  twin->boundaries().top_deferred = false;

  const double T_start = r.clock().T();
  r.clear_outputs();
  begin_output_interval(*r.run);
  EXPECT_EQ(time_step(*r.run, r.out()), StepOutcome::Next);
  EXPECT_EQ(r.run->acting_boundaries().ITOP, TopBoundary::Velocity);
  EXPECT_FALSE(r.boundaries().top_deferred);
  EXPECT_NEAR(r.clock().T(), T_start, 1e-15);
  EXPECT_EQ(r.boundaries().TTOPSW, r.clock().T());
  EXPECT_EQ(count_lines(r.io->console.str(), " TIME =  5.0000 "), 1) << r.io->console.str();

  begin_output_interval(*twin->run);
  EXPECT_EQ(time_step(*twin->run, twin->out()), StepOutcome::Next);
  ASSERT_EQ(r.col().NN, twin->col().NN);
  for (int i = 1; i <= r.col().NN; ++i) ASSERT_EQ(r.col().EN[i], twin->col().EN[i]) << i;
  // The iteration count goes on through the repeat.
  EXPECT_GT(r.loop().ITER, twin->loop().ITER);

  // The run goes on from the start time, and its summary tells when the top
  // switched.
  march_in_time(*r.run, r.out());
  EXPECT_NE(r.io->ts.str().find("  THE DESSICATION PROCESS START AT : "), std::string::npos);
}

// ---------------------------------------------------------------------------
// Outflows

struct OutflowCase {
  const char* what;
  TopBoundary ITOP;  // the conditions that act
  BottomBoundary IBOT;
  double VTC, VBC;  // the end-element velocities after convergence
  double VTC_after, VBC_after;
};

TEST(Outflows, IntegrateTheVelocitiesByTheTrapezoidalRule) {
  const std::vector<OutflowCase> cases = {
      {"both ends held free-draining", TopBoundary::Surcharge, BottomBoundary::Pervious, 2e-4,
       -3e-4, 2e-4, -3e-4},
      {"velocity top switched on", TopBoundary::Velocity, BottomBoundary::Pervious, 2e-4, -3e-4,
       5e-5, -3e-4},
      {"velocity base", TopBoundary::Surcharge, BottomBoundary::Velocity, 2e-4, -3e-4, 2e-4, -7e-5},
      {"both velocities", TopBoundary::Velocity, BottomBoundary::Velocity, 2e-4, -3e-4, 5e-5,
       -7e-5},
  };
  for (const OutflowCase& c : cases) {
    auto scales = std::make_unique<RunScales>();
    auto loop = std::make_unique<LoopState>();
    BoundaryConditions bc;
    bc.ITOP = c.ITOP;
    bc.IBOT = c.IBOT;
    bc.VT = 5e-5;
    bc.VB = -7e-5;
    scales->HTOT = 7.0;
    scales->K0 = 1.3e-3;
    loop->VTC0 = 1e-4;
    loop->VBC0 = -2e-4;
    loop->VTC = c.VTC;
    loop->VBC = c.VBC;
    loop->QTOP = 0.25;
    loop->QBOT = -0.5;
    accumulate_outflows(bc, *scales, 3e-3, *loop);
    EXPECT_EQ(loop->VTC, c.VTC_after) << c.what;
    EXPECT_EQ(loop->VBC, c.VBC_after) << c.what;
    EXPECT_EQ(loop->QTOP, 0.25 + (1e-4 + c.VTC_after) / 2.0 * 3e-3 * 7.0 / 1.3e-3) << c.what;
    EXPECT_EQ(loop->QBOT, -0.5 + (-2e-4 + c.VBC_after) / 2.0 * 3e-3 * 7.0 / 1.3e-3) << c.what;
  }
}

TEST(Outflows, EachStepStartsFromTheVelocitiesTheLastStepEndedWith) {
  Answers a;
  a.bottom = 3;
  a.OPT = {1.0};
  CapturedRun r(a);
  const RunScales& p = r.scales();
  LoopState& loop = r.loop();
  begin_output_interval(*r.run);
  ASSERT_EQ(loop.VTC, 0.0);  // the set-up value VT of a surcharge top
  time_step(*r.run, r.out());
  const double Q1 = loop.QTOP;
  const double V1 = loop.VTC;
  EXPECT_EQ(Q1, (0.0 + V1) / 2.0 * r.clock().DTPREV() * p.HTOT / p.K0);
  time_step(*r.run, r.out());
  EXPECT_EQ(loop.VTC0, V1);
  EXPECT_EQ(loop.QTOP, Q1 + (V1 + loop.VTC) / 2.0 * r.clock().DTPREV() * p.HTOT / p.K0);
}

TEST(Outflows, AWholeRunCumulatesTheTopOutflowIntoTheTimeSeries) {
  Answers a;
  a.bottom = 3;
  a.OPT = {1.0};
  CapturedRun r(a);
  march_in_time(*r.run, r.out());
  // Self-weight consolidation drains through both ends.
  EXPECT_GT(r.loop().QTOP, 0.0);
  EXPECT_LT(r.loop().QBOT, 0.0);
  const auto ts = lines_of(r.io->ts.str());
  ASSERT_GE(ts.size(), 6u);
  const std::string& last = ts[ts.size() - 2];
  EXPECT_EQ(last.substr(33, 11), format_E(11, 4, r.loop().QTOP)) << last;
  EXPECT_EQ(last.substr(44, 11), format_E(11, 4, r.loop().QBOT)) << last;
}

}  // namespace
}  // namespace slurry1d::testing
