// The iteration of one time step: clipping and take-over of the solution, the
// halving of a diverging step and the snapshot it restores, the error-level
// test, the acceptance after 600 repeated passes and non-finite passes.

#include "driver/iteration.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "driver/run_answers.hpp"
#include "driver/time_loop.hpp"
#include "model/run_stop.hpp"

namespace slurry1d::testing {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A fresh self-weight run with the clock advanced by its first step, as the
// time loop leaves it before iterating.
CapturedRun started_step(const Answers& a = Answers{}) {
  CapturedRun r(a);
  r.clock().advance();
  take_step_snapshot(*r.run);
  take_restart_snapshot(*r.run);
  r.clear_outputs();
  return r;
}

// ---------------------------------------------------------------------------
// Clipping

TEST(ClipSolution, KeepsEveryValueInsideTheFreshVoidRatioAndAboveZero) {
  auto col = std::make_unique<SoilColumn>();
  const double ME = 1.5;
  const double E0 = 6.0;
  const double floor_value = 1.5 / (2.0 * 6.0);
  struct Case {
    double solved, stored;
  };
  const std::vector<Case> cases = {
      {1.5, 1.0},
      {1.0, 1.0},
      {std::nextafter(1.0, 2.0), 1.0},
      {0.7, 0.7},
      {std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::denorm_min()},
      {0.0, floor_value},
      {-0.0, floor_value},
      {-3.0, floor_value},
      {std::numeric_limits<double>::infinity(), 1.0},
      {-std::numeric_limits<double>::infinity(), floor_value},
  };
  col->NN = static_cast<int>(cases.size());
  for (int i = 1; i <= col->NN; ++i) col->XSOL[i] = cases[i - 1].solved;
  col->XSOL[col->NN + 1] = 5.0;  // past the column: left alone

  EXPECT_TRUE(clip_solution(ME, E0, *col));
  for (int i = 1; i <= col->NN; ++i) EXPECT_EQ(col->XSOL[i], cases[i - 1].stored) << "node " << i;
  EXPECT_EQ(col->XSOL[col->NN + 1], 5.0);
}

TEST(ClipSolution, ReportsANonNumberAnywhereInTheColumn) {
  auto col = std::make_unique<SoilColumn>();
  const double ME = 1.0;
  const double E0 = 5.0;
  col->NN = 4;
  for (int bad = 1; bad <= 4; ++bad) {
    for (int i = 1; i <= 4; ++i) col->XSOL[i] = 0.5;
    col->XSOL[bad] = NaN;
    EXPECT_FALSE(clip_solution(ME, E0, *col)) << "NaN at node " << bad;
  }
  for (int i = 1; i <= 4; ++i) col->XSOL[i] = 0.5;
  col->XSOL[5] = NaN;  // beyond NN
  EXPECT_TRUE(clip_solution(ME, E0, *col));
}

// ---------------------------------------------------------------------------
// Take-over of the solution

struct TakeOverCase {
  int IBOT, ITOP;
};

class TakeOver : public ::testing::TestWithParam<TakeOverCase> {};

// Six nodes; the solver's value for node i is XSOL(i) when the bottom is
// free and XSOL(i-1) when it is fixed. Node changes alternate between slow
// (0.01 squared) and fast (0.3 squared); the fixed ends and, with a free
// bottom, the free top node never count as fast.
TEST_P(TakeOver, EndNodesAndTheStepChangeFollowTheBoundaryKinds) {
  const auto [IBOT, ITOP] = GetParam();
  auto col = std::make_unique<SoilColumn>();
  auto loop = std::make_unique<LoopState>();
  constexpr int NN = 6;
  BoundaryConditions bc;
  bc.IBOT = static_cast<BottomBoundary>(IBOT);
  bc.ITOP = static_cast<TopBoundary>(ITOP);
  const double K0 = 2e-3;
  const double HTOT = 4.0;
  const double DT = K0 / HTOT;  // the rate of a node is then close to its squared change
  const double ERROR = 0.01;
  col->NN = NN;
  loop->ends.EBOT = 0.125;
  loop->ends.ETOP = 0.875;
  loop->DSQ = 99.0;
  loop->NFAST = 7;

  // The value the solver gives node i, and its change from EOLD.
  const auto node_value = [](int i) { return 0.9 - 0.05 * i - (i % 2 == 0 ? 0.3 : 0.01); };
  for (int i = 1; i <= NN; ++i) col->EOLD[i] = 0.9 - 0.05 * i;
  for (int i = 1; i <= NN + 1; ++i) col->XSOL[i] = -1.0;
  const bool bottom_fixed = IBOT >= 2;
  for (int i = bottom_fixed ? 2 : 1; i <= NN; ++i)
    col->XSOL[bottom_fixed ? i - 1 : i] = node_value(i);

  take_over_solution(bc, FastNodeTest(ERROR, DT, K0, HTOT), *col, *loop);

  const bool top_fixed = ITOP >= 2;
  EXPECT_EQ(col->EN[1], bottom_fixed ? 0.125 : node_value(1));
  EXPECT_EQ(col->EN[NN], top_fixed ? 0.875 : node_value(NN));
  for (int i = 2; i <= NN - 1; ++i) EXPECT_EQ(col->EN[i], node_value(i)) << "node " << i;

  // The step change, summed in the order the nodes are taken over: upward
  // with a free bottom, downward from the top with a fixed one.
  double dsq = 0.0;
  int nfast = 0;
  const auto add = [&](int i, bool counts_fast) {
    const double c = (col->EOLD[i] - node_value(i)) * (col->EOLD[i] - node_value(i));
    dsq += c;
    if (counts_fast && c / DT * K0 / HTOT > ERROR) ++nfast;
  };
  if (!bottom_fixed) {
    for (int i = 1; i <= NN - 1; ++i) add(i, true);
    if (!top_fixed) add(NN, false);
  } else {
    for (int i = top_fixed ? NN - 1 : NN; i >= 2; --i) add(i, true);
  }
  EXPECT_EQ(loop->DSQ, dsq);
  EXPECT_EQ(loop->NFAST, nfast);
}

INSTANTIATE_TEST_SUITE_P(BoundaryKinds, TakeOver,
                         ::testing::Values(TakeOverCase{1, 1}, TakeOverCase{1, 3},
                                           TakeOverCase{3, 1}, TakeOverCase{3, 3},
                                           TakeOverCase{2, 3}, TakeOverCase{0, 2}));

TEST(TakeOver, CountsOnlyNodesFasterThanTheThreshold) {
  auto col = std::make_unique<SoilColumn>();
  auto loop = std::make_unique<LoopState>();
  BoundaryConditions bc;
  bc.IBOT = BottomBoundary::Velocity;
  bc.ITOP = TopBoundary::Surcharge;
  col->NN = 4;
  // Changes 0.1, 0.2, 0.3 at nodes 1..3: rates 0.02, 0.08, 0.18 (to rounding).
  for (int i = 1; i <= 3; ++i) {
    col->EOLD[i] = 1.0;
    col->XSOL[i] = 1.0 - 0.1 * i;
  }
  // A node exactly at the threshold is not faster than it.
  const double at_node_2 = (1.0 - 0.8) * (1.0 - 0.8) / 0.5 * 1.0 / 1.0;
  ASSERT_EQ(col->XSOL[2], 0.8);
  const std::vector<std::pair<double, int>> thresholds = {{0.0, 3}, {0.05, 2}, {0.1, 1},
                                                          {0.2, 0}, {-1.0, 3}, {at_node_2, 1}};
  for (const auto& [error, fast] : thresholds) {
    take_over_solution(bc, FastNodeTest(error, 0.5, 1.0, 1.0), *col, *loop);
    EXPECT_EQ(loop->NFAST, fast) << "ERROR = " << error;
  }
}

// ---------------------------------------------------------------------------
// Halving

// A step whose restart snapshot differs from its step snapshot (as after a
// filling advance and a refinement that added two nodes), then a diverged
// pass that left junk in the column.
struct DivergedStep {
  CapturedRun r = started_step();
  int NNS = 0, NNR = 0;
  double T_end = 0.0, DT_old = 0.0;

  DivergedStep() {
    SoilColumn& col = r.col();
    NNS = col.NN;
    for (int i = 1; i <= NNS; ++i) col.EN[i] = 1.0 - 1e-4 * i;
    take_step_snapshot(*r.run);
    NNR = NNS + 2;
    col.NN = NNR;
    for (int i = 1; i <= NNR; ++i) {
      col.EN[i] = 0.9 - 1e-4 * i;
      col.Z[i] = 0.01 * i;
      col.SIGE[i] = 2.0 * i;
      col.DXI[i] = 1e-3 + 1e-7 * i;
    }
    col.WSUM = 55.0;
    take_restart_snapshot(*r.run);
    for (int i = 1; i <= NNR; ++i) {
      col.EN[i] = 0.3;
      col.EIT[i] = 0.31;
      col.EMID[i] = 0.32;
      col.Z[i] = -1.0;
      col.SIGE[i] = -2.0;
      col.DXI[i] = -3.0;
    }
    col.WSUM = -4.0;
    col.NN1 = 17;
    col.NN2 = 23;
    r.loop().FONE = 1e-9;
    T_end = r.clock().T();
    DT_old = r.clock().DT();
  }
};

TEST(HalveStep, HalvesTheStepAndMovesTheClockBackByTheHalfRemoved) {
  DivergedStep s;
  halve_step(*s.r.run);
  EXPECT_EQ(s.r.clock().DT(), s.DT_old / 2.0);
  EXPECT_EQ(s.r.clock().T(), s.T_end - s.DT_old / 2.0);
  EXPECT_EQ(s.r.loop().NHALF, 1);
  EXPECT_EQ(s.r.loop().FONE, 1.0);
  halve_step(*s.r.run);
  EXPECT_EQ(s.r.clock().DT(), s.DT_old / 4.0);
  EXPECT_EQ(s.r.clock().T(), s.T_end - s.DT_old / 2.0 - s.DT_old / 4.0);
  EXPECT_EQ(s.r.loop().NHALF, 2);
}

TEST(HalveStep, WithoutFillingOrDesiccationRestoresTheRestartSnapshot) {
  DivergedStep s;
  const SoilColumn& col = s.r.col();
  halve_step(*s.r.run);
  ASSERT_EQ(col.NN, s.NNR);
  for (int i = 1; i <= s.NNR; ++i) {
    EXPECT_EQ(col.EN[i], 0.9 - 1e-4 * i) << i;
    EXPECT_EQ(col.EIT[i], col.EN[i]) << i;
    EXPECT_EQ(col.EOLD[i], col.EN[i]) << i;
    EXPECT_EQ(col.Z[i], 0.01 * i) << i;
    EXPECT_EQ(col.SIGE[i], 2.0 * i) << i;
    EXPECT_EQ(col.DXI[i], 1e-3 + 1e-7 * i) << i;
  }
  EXPECT_EQ(col.WSUM, 55.0);
  // The crack markers are the step's own business here.
  EXPECT_EQ(col.NN1, 17);
  EXPECT_EQ(col.NN2, 23);
}

TEST(HalveStep, KeepsTheMidStepVoidRatiosOfTheDivergedPass) {
  // The repeated pass is a repeated one (KIT = 1): it linearises about the
  // mid-step void ratios the diverged pass left, not about the snapshot.
  for (const auto& [IFIL, IDES] : {std::pair{2, 2}, std::pair{1, 2}, std::pair{2, 1}}) {
    DivergedStep s;
    s.r.def().IFIL = IFIL;
    s.r.def().IDES = IDES;
    halve_step(*s.r.run);
    for (int i = 1; i <= s.NNR; ++i) {
      ASSERT_EQ(s.r.col().EMID[i], 0.32) << "IFIL " << IFIL << " IDES " << IDES << " node " << i;
    }
  }
}

TEST(HalveStep, StagedFillingAndDesiccationRestoreTheStepSnapshot) {
  for (const auto& [IFIL, IDES] : {std::pair{1, 2}, std::pair{2, 1}, std::pair{1, 1}}) {
    DivergedStep s;
    s.r.def().IFIL = IFIL;
    s.r.def().IDES = IDES;
    const ColumnSnapshot& snap = s.r.run->step_snapshot;
    halve_step(*s.r.run);
    const SoilColumn& col = s.r.col();
    ASSERT_EQ(col.NN, s.NNS) << IFIL << IDES;
    for (int i = 1; i <= s.NNS; ++i) {
      ASSERT_EQ(col.EN[i], 1.0 - 1e-4 * i) << i;
      ASSERT_EQ(col.EIT[i], col.EN[i]) << i;
      ASSERT_EQ(col.EOLD[i], col.EN[i]) << i;
      ASSERT_EQ(col.Z[i], snap.Z[i]) << i;
      ASSERT_EQ(col.SIGE[i], snap.SIGE[i]) << i;
      ASSERT_EQ(col.DXI[i], snap.DXI[i]) << i;
    }
    EXPECT_EQ(col.WSUM, snap.WSUM);
    EXPECT_EQ(col.NN1, 23);  // the tip of the last step
    EXPECT_EQ(s.r.clock().DT(), s.DT_old / 2.0);
    EXPECT_EQ(s.r.loop().FONE, 1.0);
  }
}

TEST(HalveStep, TheFirstHalvingOfAFillingStepStepsBackOneStage) {
  struct Case {
    int IFIL, KF7, KSTG;
    int KF7_after, KSTG_after;
  };
  const std::vector<Case> cases = {
      {1, 0, 3, 1, 2},  // the step had closed stage 2: it lies inside it again
      {1, 0, 1, 1, 1},  // never below the first stage
      {1, 1, 3, 1, 3},  // a later halving of the same step
      {2, 0, 3, 0, 3},  // no filling: the cursor is not touched
  };
  for (const Case& c : cases) {
    DivergedStep s;
    s.r.def().IFIL = c.IFIL;
    s.r.loop().stage.KF7 = c.KF7;
    s.r.loop().stage.KSTG = c.KSTG;
    halve_step(*s.r.run);
    EXPECT_EQ(s.r.loop().stage.KF7, c.KF7_after) << c.IFIL << c.KF7 << c.KSTG;
    EXPECT_EQ(s.r.loop().stage.KSTG, c.KSTG_after) << c.IFIL << c.KF7 << c.KSTG;
  }
}

// ---------------------------------------------------------------------------
// The error-level test

// Error level of the first pass of the step, from a twin run.
double first_pass_level() {
  CapturedRun twin = started_step();
  iteration_pass(*twin.run);
  return twin.loop().ESQ / twin.col().NN;
}

TEST(IterateStep, APassAtTheSameErrorLevelIsNotDivergence) {
  const double level = first_pass_level();
  ASSERT_GT(level, 0.0);

  CapturedRun same = started_step();
  same.loop().FONE = level;
  iterate_step(*same.run, same.out());
  const auto same_lines = lines_of(same.io->console.str());
  ASSERT_GE(same_lines.size(), 2u);
  EXPECT_EQ(same_lines[0].rfind(" ITERATION NO.=   1", 0), 0u) << same_lines[0];
  EXPECT_NE(same_lines[1], "  INSTABILITY OCCURS!!!!!!!!");

  CapturedRun lower = started_step();
  lower.loop().FONE = std::nextafter(level, 0.0);
  const double DT = lower.clock().DT();
  const double T = lower.clock().T();
  iterate_step(*lower.run, lower.out());
  const auto lower_lines = lines_of(lower.io->console.str());
  ASSERT_GE(lower_lines.size(), 2u);
  EXPECT_EQ(lower_lines[1], "  INSTABILITY OCCURS!!!!!!!!");
  EXPECT_GE(lower.loop().NHALF, 1);
  // Every halving took half of the step and half of its time.
  double expect_T = T;
  double expect_DT = DT;
  for (int k = 0; k < lower.loop().NHALF; ++k) {
    expect_T = expect_T - expect_DT / 2.0;
    expect_DT = expect_DT / 2.0;
  }
  EXPECT_EQ(lower.clock().DT(), expect_DT);
  EXPECT_EQ(lower.clock().T(), expect_T);
}

TEST(IterateStep, ADivergingPassHalvesTheStepAndSolvesItAgain) {
  CapturedRun r = started_step();
  const double DT = r.clock().DT();
  const double T = r.clock().T();
  r.loop().FONE = 0.0;  // any change at all is a growing error level
  EXPECT_EQ(iterate_step(*r.run, r.out()), IterationResult::Converged);
  const std::string console = r.io->console.str();
  const int halvings = count_lines(console, "  INSTABILITY OCCURS!!!!!!!!");
  EXPECT_GE(halvings, 1);
  EXPECT_EQ(r.loop().NHALF, halvings);
  EXPECT_EQ(r.clock().DT(), std::ldexp(DT, -halvings));
  EXPECT_NEAR(r.clock().T(), T - DT + std::ldexp(DT, -halvings), 1e-15 * T);
  // The repeat is judged against 1.0 again and converges.
  EXPECT_EQ(count_lines(console, " ITERATION NO.="), r.loop().ITER);
}

TEST(IterateStep, AcceptsTheStepAfterSixHundredRepeatedPasses) {
  CapturedRun r = started_step();
  r.def().ERROR1 = -1.0;  // no pass ever converges
  EXPECT_EQ(iterate_step(*r.run, r.out()), IterationResult::Converged);
  EXPECT_EQ(r.loop().ITER, 601);
  const std::string console = r.io->console.str();
  EXPECT_EQ(count_lines(console, " ITERATION NO.="), 601);
  EXPECT_EQ(count_lines(console, " CONVERGENCE PROBLEM OCCURS!!!!!!"), 1);
  EXPECT_EQ(lines_of(console).back(), " CONVERGENCE PROBLEM OCCURS!!!!!!");
  EXPECT_EQ(r.loop().NHALF, 0);
}

TEST(IterateStep, TheAcceptedStepIsTheMeanOfItsLastTwoIterates) {
  // A step whose count already stands at 601 accepts its next pass that
  // fails to converge: the 602nd pass of the step.
  CapturedRun twin = started_step();
  twin.def().ERROR1 = -1.0;
  const std::vector<double> start(twin.col().EN.data(), twin.col().EN.data() + twin.col().NN);
  iteration_pass(*twin.run);

  CapturedRun r = started_step();
  r.def().ERROR1 = -1.0;
  r.loop().ITER = 601;
  EXPECT_EQ(iterate_step(*r.run, r.out()), IterationResult::Converged);
  EXPECT_EQ(r.loop().ITER, 601);
  EXPECT_EQ(r.io->console.str(), " CONVERGENCE PROBLEM OCCURS!!!!!!\n");
  const SoilColumn& col = r.col();
  ASSERT_EQ(col.NN, twin.col().NN);
  for (int i = 1; i <= col.NN; ++i) {
    const double solved = twin.col().EN[i];
    ASSERT_EQ(col.EN[i], (solved + start[i - 1]) / 2.0) << i;
    // The mid-step values are those of the pass, taken before the mean.
    ASSERT_EQ(col.EMID[i], (col.EOLD[i] + solved) / 2.0) << i;
  }
}

TEST(IterateStep, ANonFinitePassIsHalvedUntilTheStepNoLongerMovesTheClock) {
  CapturedRun r = started_step();
  const double DT = r.clock().DT();
  const double T_start = r.clock().T() - DT;
  r.run->soil.GS = NaN;  // every assembly is poisoned
  EXPECT_EQ(iterate_step(*r.run, r.out()), IterationResult::Failed);
  const int NHALF = r.loop().NHALF;
  const std::string console = r.io->console.str();
  EXPECT_GT(NHALF, 40);
  EXPECT_LE(NHALF, MAX_HALVINGS + 1);
  EXPECT_EQ(count_lines(console, "  INSTABILITY OCCURS!!!!!!!!"), NHALF);
  EXPECT_EQ(count_lines(console, " CONVERGENCE PROBLEM"), 0);
  EXPECT_EQ(r.clock().DT(), std::ldexp(DT, -NHALF));
  EXPECT_NEAR(r.clock().T(), T_start, 1e-15 * T_start);
  // The column is back at the start of the step.
  for (int i = 1; i <= r.col().NN; ++i) ASSERT_EQ(r.col().EN[i], 1.0) << i;
}

TEST(IterateStep, TheCapOfRepeatedPassesDoesNotAcceptANonFinitePass) {
  CapturedRun r = started_step();
  r.loop().ITER = 700;
  r.run->soil.GS = NaN;
  EXPECT_EQ(iterate_step(*r.run, r.out()), IterationResult::Failed);
  EXPECT_EQ(count_lines(r.io->console.str(), " CONVERGENCE PROBLEM"), 0);
  EXPECT_GT(r.loop().NHALF, 0);
}

TEST(IterateStep, ANonFiniteLinearisationPointIsNotCarriedIntoTheRepeat) {
  // A repeated pass (KIT = 1) whose mid-step void ratios hold a non-number
  // fails; the halved step must start again from its own void ratios.
  CapturedRun r = started_step();
  r.loop().KIT = 1;
  for (int i = 1; i <= r.col().NN; ++i) r.col().EMID[i] = r.col().EN[i];
  r.col().EMID[250] = NaN;
  EXPECT_EQ(iterate_step(*r.run, r.out()), IterationResult::Converged);
  EXPECT_GE(r.loop().NHALF, 1);
  for (int i = 1; i <= r.col().NN; ++i) ASSERT_TRUE(std::isfinite(r.col().EN[i])) << i;
}

TEST(IterationPass, BothEndsFixedTakeTheirBoundaryVoidRatios) {
  Answers a;
  a.bottom = 3;  // pervious base: its void ratio is fixed too
  CapturedRun r = started_step(a);
  ASSERT_EQ(r.run->acting_boundaries().IBOT, BottomBoundary::Pervious);
  ASSERT_EQ(r.run->acting_boundaries().ITOP, TopBoundary::Surcharge);
  iteration_pass(*r.run);
  const SoilColumn& col = r.col();
  const BoundaryValues& ends = r.loop().ends;
  // The no-swelling clamp cannot lift them above the start of the step.
  EXPECT_EQ(col.EN[1], std::min(ends.EBOT, col.EOLD[1]));
  EXPECT_EQ(col.EN[col.NN], std::min(ends.ETOP, col.EOLD[col.NN]));
  EXPECT_LT(ends.EBOT, 1.0);
  for (int i = 2; i <= col.NN - 1; ++i) ASSERT_EQ(col.EN[i], col.XSOL[i - 1]) << i;
}

TEST(IterationPass, TheErrorLevelIsMeasuredBeforeTheNoSwellingClamp) {
  // Over an impervious base the solver lifts the base node above its
  // start-of-step value in the second step; the clamp takes it back, but the
  // change between the iterates is that of the solution.
  CapturedRun r(Answers{});
  begin_output_interval(*r.run);
  ASSERT_EQ(time_step(*r.run, r.out()), StepOutcome::Next);
  r.clock().advance();
  take_step_snapshot(*r.run);
  take_restart_snapshot(*r.run);
  r.loop().KIT = 0;
  iteration_pass(*r.run);
  const SoilColumn& col = r.col();
  ASSERT_EQ(r.run->acting_boundaries().IBOT, BottomBoundary::Velocity);
  ASSERT_EQ(r.run->acting_boundaries().ITOP, TopBoundary::Surcharge);
  ASSERT_GT(col.XSOL[1], col.EOLD[1]);
  EXPECT_EQ(col.EN[1], col.EOLD[1]);
  double esq = 0.0;
  for (int i = 1; i <= col.NN; ++i) {
    const double taken = i < col.NN ? col.XSOL[i] : r.loop().ends.ETOP;
    esq += (taken - col.EIT[i]) * (taken - col.EIT[i]);
  }
  EXPECT_EQ(r.loop().ESQ, esq);
}

// A layer filled from a thin first layer at 0.5 per time unit for 100 time
// units, drained at both ends.
Answers filling_answers() {
  Answers a;
  a.soil = "7.0 -0.05 6.8e-8 4.0 100.0";
  a.H0 = 0.0;
  a.IFIL = 1;
  a.stages = {{0.0, 100.0, 0.5}};
  a.bottom = 3;
  a.OPT = {50.0};
  a.MAXDT = 1.0;
  return a;
}

TEST(IterationPass, StagedFillingTestsTheBaseAgainstTheTopOfTheMidStepColumn) {
  // A repeated pass about mid-step void ratios below those of the column: the
  // elevations follow them before the boundary rows read the top. A base
  // head between the two tops leaves no effective stress at the base only
  // under the mid-step top.
  for (const bool below : {true, false}) {
    CapturedRun r = started_step(filling_answers());
    SoilColumn& col = r.col();
    const RunScales& p = r.scales();
    const Soil& soil = r.soil();
    BoundaryConditions& bc = r.def().bc;
    for (int i = 1; i <= col.NN; ++i) col.EMID[i] = 0.9 - 1e-4 * i;
    r.loop().KIT = 1;
    double z = p.ZBOT;
    double w = 0.0;
    for (int k = 1; k <= col.NN - 1; ++k) {
      const double e = p.E0 * (col.EMID[k] + col.EMID[k + 1]) / 2.0;
      const double next = z + (e + 1.0) / (p.E0 + 1.0) * col.DXI[k] * p.HTOT;
      w += (next - z) * (e + soil.GS) * soil.GW / (e + 1.0);
      z = next;
    }
    const double top = col.Z[col.NN];
    ASSERT_LT(z, top);
    bc.IBOT = BottomBoundary::Head;
    bc.HB = p.ZBOT + (below ? (z + top) / 2.0 : z - (top - z)) + col.SIGE[1] / soil.GW;
    if (below) {
      EXPECT_THROW(iteration_pass(*r.run), RunStop);
    } else {
      iteration_pass(*r.run);
    }
    // The base stress of the mid-step column is what the rows were given.
    if (below) {
      EXPECT_EQ(col.Z[col.NN], z);
      EXPECT_EQ(col.WSUM, bc.LT + w + bc.LB);
    }
  }
}

TEST(IterateStep, AHalvedStagedFillingStepIsRepeatedFromTheFillingAdvance) {
  CapturedRun r = started_step(filling_answers());
  r.loop().FONE = 0.0;
  const double DT = r.clock().DT();
  EXPECT_EQ(iterate_step(*r.run, r.out()), IterationResult::RepeatFromFilling);
  EXPECT_EQ(r.loop().NHALF, 1);
  EXPECT_EQ(r.clock().DT(), DT / 2.0);
  EXPECT_EQ(count_lines(r.io->console.str(), " ITERATION NO.="), 1);

  // A drying run with the (warned) filling switch repeats the iteration
  // itself.
  Answers drying = filling_answers();
  drying.IDES = 1;
  CapturedRun d = started_step(drying);
  d.loop().FONE = 0.0;
  EXPECT_EQ(iterate_step(*d.run, d.out()), IterationResult::Converged);
  EXPECT_GE(d.loop().NHALF, 1);
}

TEST(IterationPass, GeometryAndBaseStressFollowTheNewVoidRatios) {
  Answers a;
  a.top_value = 3.0;  // surcharge
  CapturedRun r = started_step(a);
  iteration_pass(*r.run);
  const RunScales& p = r.scales();
  const RunDefinition& def = r.def();
  const SoilColumn& col = r.col();
  double z = p.ZBOT;
  double w = 0.0;
  EXPECT_EQ(col.Z[1], p.ZBOT);
  for (int k = 1; k <= col.NN - 1; ++k) {
    ASSERT_EQ(col.ER[k], p.E0 * col.EN[k]);
    const double e = (col.ER[k] + col.ER[k + 1]) / 2.0;
    const double next = z + (e + 1.0) / (p.E0 + 1.0) * col.DXI[k] * p.HTOT;
    w += (next - z) * (e + def.GS) * def.GW / (e + 1.0);
    z = next;
    ASSERT_EQ(col.Z[k + 1], z) << k;
  }
  EXPECT_EQ(col.WSUM, def.bc.LT + w + def.bc.LB);
  EXPECT_EQ(def.bc.LT, 3.0);
}

}  // namespace
}  // namespace slurry1d::testing
