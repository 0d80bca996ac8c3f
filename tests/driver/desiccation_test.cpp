// Desiccation geometry: the column below and above the crack tip, the base
// stress, the crack tip, the volumes of soil and cracks, the exposure times
// and the start of cracking.

#include "driver/desiccation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "driver/run_answers.hpp"
#include "driver/time_loop.hpp"
#include "solver/column_fixture.hpp"

namespace slurry1d::testing {
namespace {

constexpr int NN = 8;

double crack_fn(const Soil& soil, double s) {
  return soil.crack_onset_void_ratio(s);
}

double f(const Soil& soil, double r, double x) {
  return soil.shrinkage_ratio(r, x);
}

// A drying run of eight nodes on a base at ZBOT = 0.5 under a surcharge of 2:
// the void ratios fall towards the top, the crack-onset void ratios are
// given (about 1.4 at the soil's stresses) and a crack-tip marker is chosen
// by each test.
struct DryingColumn {
  std::unique_ptr<Run> run = std::make_unique<Run>();
  RunDefinition& def = run->def;
  RunScales& scales = run->scales;
  Soil& soil = run->soil;
  SoilColumn& col = run->col;
  LoopState& loop = run->loop;

  DryingColumn(int NN1, int NN2) {
    const auto solver_case = make_soil();
    soil = solver_case->soil;
    scales = solver_case->scales;
    def.bc = solver_case->bc;
    def.GS = soil.GS;
    def.GW = soil.GW;
    def.IDES = 1;
    scales.ZBOT = 0.5;
    def.bc.LT = 2.0;
    col.NN = NN;
    col.NN1 = NN1;
    col.NN2 = NN2;
    for (int i = 1; i <= NN; ++i) {
      col.EN[i] = 0.95 - 0.06 * i;
      col.ER[i] = soil.E0 * col.EN[i];
      col.DXI[i] = 0.1 + 0.01 * i;
      col.DXIC[i] = col.DXI[i] * 0.8;
      col.ECR[i] = 1.3 + 0.02 * i;
      col.ESTEP[i] = col.EN[i] + 0.01;
      col.SIGV[i] = 3.0 * (NN - i) + def.bc.LT;
      col.SIGE[i] = -99.0;
      col.Z[i] = -99.0;
    }
  }

  // One pass of the cracked geometry.
  void update_cracked_column() {
    slurry1d::update_cracked_column(soil, run->geometry(), def.bc.LT, col);
  }

  // The elevations and saturated weight of the elements below the tip, and
  // the cracked elements above it, as the geometry defines them.
  struct Geometry {
    std::vector<double> Z;
    double weight = 0.0;
  };
  Geometry expected_geometry() const {
    Geometry g;
    g.Z.assign(NN + 1, 0.0);
    g.Z[1] = scales.ZBOT;
    const int last = std::min(col.NN1, NN);
    for (int k = 1; k <= last - 1; ++k) {
      const double e = (col.ER[k] + col.ER[k + 1]) / 2.0;
      g.Z[k + 1] = g.Z[k] + soil.HTOT * col.DXI[k] * (e + 1.0) / (soil.E0 + 1.0);
      g.weight += (g.Z[k + 1] - g.Z[k]) * (e + soil.GS) * soil.GW / (e + 1.0);
    }
    for (int k = col.NN1; k <= NN - 1; ++k) {
      const double r = (col.EN[k] + col.EN[k + 1]) / 2.0;
      const double x = (col.ECR[k] + col.ECR[k + 1]) / 2.0;
      g.Z[k + 1] =
          g.Z[k] + soil.HTOT * col.DXIC[k] * (soil.E0 * r + 1.0) / ((x + 1.0) * f(soil, r, x));
      const double e = soil.E0 * r;
      g.weight += (g.Z[k + 1] - g.Z[k]) * (e + soil.GS) * soil.GW / (e + 1.0);
    }
    return g;
  }
};

// ---------------------------------------------------------------------------
// update_cracked_column

TEST(CrackedColumn, WithoutACrackTheBaseStressLeavesTheSurchargeOut) {
  DryingColumn d(NN + 1, NN + 1);
  const auto g = d.expected_geometry();
  const std::vector<double> SIGV(d.col.SIGV.data(), d.col.SIGV.data() + NN);
  d.update_cracked_column();
  for (int i = 1; i <= NN; ++i) ASSERT_EQ(d.col.Z[i], g.Z[i]) << i;
  EXPECT_EQ(d.col.WSUM, g.weight);
  // Only the top stress is set; the others are those of the last crack.
  EXPECT_EQ(d.col.SIGV[NN], d.def.bc.LT);
  for (int i = 1; i < NN; ++i) EXPECT_EQ(d.col.SIGV[i], SIGV[i - 1]) << i;
  EXPECT_EQ(d.col.SIGE[3], -99.0);
  EXPECT_EQ(d.col.NN1, NN + 1);  // ER well above ECR: nothing cracks
}

TEST(CrackedColumn, WithACrackTheBaseStressIncludesTheSurcharge) {
  DryingColumn d(5, 5);
  d.col.EN[4] = 1.0;  // the node below the tip stays wet
  d.col.ER[4] = d.soil.E0;
  const auto g = d.expected_geometry();
  d.update_cracked_column();
  for (int i = 1; i <= NN; ++i) ASSERT_EQ(d.col.Z[i], g.Z[i]) << i;
  EXPECT_EQ(d.col.WSUM, g.weight + d.def.bc.LT);

  // Total stress from the surcharge down, effective stress against a water
  // table at the top node.
  double sigv = d.def.bc.LT;
  EXPECT_EQ(d.col.SIGV[NN], sigv);
  for (int k = NN - 1; k >= 1; --k) {
    const double e = (d.col.ER[k] + d.col.ER[k + 1]) / 2.0;
    sigv = sigv + (g.Z[k + 1] - g.Z[k]) * (e + d.soil.GS) * d.soil.GW / (e + 1.0);
    ASSERT_EQ(d.col.SIGV[k], sigv) << k;
    ASSERT_EQ(d.col.SIGE[k], sigv - (g.Z[NN] - g.Z[k]) * d.soil.GW) << k;
  }
  // Node 4 is tested against the new stress and stays uncracked.
  EXPECT_EQ(d.col.ECR[4], crack_fn(d.soil, d.col.SIGV[4]));
  EXPECT_EQ(d.col.NN1, 5);
}

// Void ratios that put node k just below (cracked) or above its crack-onset
// void ratio at the stresses of the column.
void set_cracked(DryingColumn& d, const std::vector<int>& cracked) {
  for (int k = 1; k <= NN; ++k) {
    const double ecr = crack_fn(d.soil, d.col.SIGV[k]);
    const bool is_cracked = std::find(cracked.begin(), cracked.end(), k) != cracked.end();
    d.col.ER[k] = ecr * (is_cracked ? 0.99 : 1.01);
    d.col.EN[k] = d.col.ER[k] / d.soil.E0;
  }
}

TEST(CrackTip, RunsDownOnlyThroughConsecutiveCrackedNodes) {
  DryingColumn d(NN + 1, NN + 1);
  set_cracked(d, {8, 7, 5, 4});
  const std::vector<double> DXIC(d.col.DXIC.data(), d.col.DXIC.data() + NN);
  d.update_cracked_column();
  EXPECT_EQ(d.col.NN1, 7);
  // Tested from the top down to the first uncracked node, no further.
  for (int k = 6; k <= 8; ++k) EXPECT_EQ(d.col.ECR[k], crack_fn(d.soil, d.col.SIGV[k])) << k;
  EXPECT_EQ(d.col.ECR[5], 1.3 + 0.02 * 5);
  // The newly cracked element keeps its solids at the crack-onset state of
  // its mean stress; the others are untouched.
  const double ec = crack_fn(d.soil, (d.col.SIGV[7] + d.col.SIGV[8]) / 2.0);
  EXPECT_EQ(d.col.DXIC[7], (ec + 1.0) / (d.soil.E0 + 1.0) * d.col.DXI[7]);
  for (int k = 1; k <= 6; ++k) EXPECT_EQ(d.col.DXIC[k], DXIC[k - 1]) << k;
}

TEST(CrackTip, NeverMovesUp) {
  DryingColumn d(5, 5);
  // Nothing is cracked any more by the values: the tip stays where it was.
  for (int k = 1; k <= NN; ++k) {
    d.col.EN[k] = 1.0;
    d.col.ER[k] = d.soil.E0;
  }
  d.update_cracked_column();
  EXPECT_EQ(d.col.NN1, 5);
}

TEST(CrackTip, MovesOnFromTheTipOfTheLastStep) {
  // Within the step the tip has already gone down to node 6; the test starts
  // again below the tip of the last step (node 8), where node 7 is wet, and
  // does not reach the dry node 5.
  DryingColumn d(6, 8);
  d.col.ER[7] = 2.5;
  d.col.ER[5] = 0.3;
  for (const int k : {5, 7}) d.col.EN[k] = d.col.ER[k] / d.soil.E0;
  d.update_cracked_column();
  ASSERT_GT(d.col.ER[7] / d.col.ECR[7], 1.0);
  ASSERT_LT(d.col.ER[5], crack_fn(d.soil, d.col.SIGV[5]));
  EXPECT_EQ(d.col.NN1, 6);
}

TEST(CrackTip, ACrackAtTheBaseIsNotTestedAgain) {
  DryingColumn d(1, 1);
  d.update_cracked_column();
  EXPECT_EQ(d.col.NN1, 1);
  EXPECT_EQ(d.col.ECR[1], 1.3 + 0.02);  // no test below the base
}

TEST(CrackTip, ANodeWithoutAPositiveCrackOnsetVoidRatioCountsAsCracked) {
  DryingColumn d(NN + 1, NN + 1);
  d.soil.CRD = -0.5;  // 1/d = -2: the crack-onset void ratio is below zero
  for (int k = 1; k <= NN; ++k) ASSERT_LT(crack_fn(d.soil, d.col.SIGV[k]), 0.0);
  d.update_cracked_column();
  EXPECT_EQ(d.col.NN1, 1);
}

TEST(CrackTip, OnlyTheTopNodeCrackedLeavesTheElementLengthsAlone) {
  DryingColumn d(NN + 1, NN + 1);
  set_cracked(d, {8});
  const std::vector<double> DXIC(d.col.DXIC.data(), d.col.DXIC.data() + NN);
  d.update_cracked_column();
  EXPECT_EQ(d.col.NN1, NN);
  for (int k = 1; k <= NN; ++k) EXPECT_EQ(d.col.DXIC[k], DXIC[k - 1]) << k;
}

// ---------------------------------------------------------------------------
// final_geometry

struct Volumes {
  std::vector<double> Z;
  double VSOIL = 0.0, VCRACK = 0.0;
};

Volumes expected_volumes(const DryingColumn& d, double VSOIL_before) {
  Volumes v;
  v.Z.assign(NN + 1, 0.0);
  const SoilColumn& col = d.col;
  v.Z[1] = d.scales.ZBOT;
  v.VSOIL = VSOIL_before;
  if (col.NN1 > 1) {
    const int last = std::min(col.NN1, NN);
    for (int k = 1; k <= last - 1; ++k) {
      const double e = d.soil.E0 * (col.EN[k] + col.EN[k + 1]) / 2.0;
      v.Z[k + 1] = v.Z[k] + d.soil.HTOT * col.DXI[k] * (e + 1.0) / (d.soil.E0 + 1.0);
    }
    v.VSOIL = v.Z[last] - d.scales.ZBOT;
  }
  if (col.NN1 < NN) {
    if (col.NN1 == 1) v.VSOIL = 0.0;
    for (int k = col.NN1; k <= NN - 1; ++k) {
      const double r = (col.EN[k] + col.EN[k + 1]) / 2.0;
      const double x = (col.ECR[k] + col.ECR[k + 1]) / 2.0;
      v.Z[k + 1] = v.Z[k] + d.soil.HTOT * col.DXIC[k] * (d.soil.E0 * r + 1.0) /
                                ((x + 1.0) * f(d.soil, r, x));
      const double f1 = f(d.soil, col.EN[k], col.ECR[k]);
      const double f2 = f(d.soil, col.EN[k + 1], col.ECR[k + 1]);
      v.VSOIL += (v.Z[k + 1] - v.Z[k]) * (f1 + f2) / 2.0;
      v.VCRACK += (v.Z[k + 1] - v.Z[k]) * (2.0 - f1 - f2) / 2.0;
    }
  }
  return v;
}

class FinalGeometry : public ::testing::TestWithParam<int> {};

TEST_P(FinalGeometry, SoilAndCrackVolumesFillTheColumnAboveTheBase) {
  const int NN1 = GetParam();
  DryingColumn d(NN1, NN1);
  // The cracked nodes have dried below their crack-onset void ratios.
  for (int i = NN1; i <= NN; ++i) d.col.ECR[i] = 1.2 * d.col.ER[i];
  d.loop.VSOIL = 123.0;
  d.loop.VCRACK = 45.0;
  d.col.WSUM = 9.0;
  const Volumes v = expected_volumes(d, 123.0);
  final_geometry(*d.run);
  for (int i = 1; i <= NN; ++i) ASSERT_EQ(d.col.Z[i], v.Z[i]) << "NN1 " << NN1 << " node " << i;
  EXPECT_EQ(d.loop.VSOIL, v.VSOIL) << NN1;
  EXPECT_EQ(d.loop.VCRACK, v.VCRACK) << NN1;
  EXPECT_NEAR(d.loop.VSOIL + d.loop.VCRACK, d.col.Z[NN] - d.scales.ZBOT, 1e-12) << NN1;
  EXPECT_GT(d.loop.VSOIL, 0.0);
  EXPECT_EQ(d.col.WSUM, 9.0);  // the base stress is the iteration's
  if (NN1 < NN) {
    EXPECT_GT(d.loop.VCRACK, 0.0) << NN1;
  } else {
    EXPECT_EQ(d.loop.VCRACK, 0.0) << NN1;
    EXPECT_EQ(d.loop.VSOIL, d.col.Z[NN] - d.scales.ZBOT) << NN1;
  }
}

// A crack at the base (NN1 = 1) counts its soil volume from 0.
INSTANTIATE_TEST_SUITE_P(CrackTips, FinalGeometry, ::testing::Values(NN + 1, NN, 5, 2, 1));

TEST(FinalGeometry, WithoutDesiccationTheElevationsFollowTheVoidRatios) {
  DryingColumn d(NN + 1, NN + 1);
  d.def.IDES = 2;
  final_geometry(*d.run);
  double z = d.scales.ZBOT;
  EXPECT_EQ(d.col.Z[1], z);
  for (int k = 1; k <= NN - 1; ++k) {
    const double r = (d.col.EN[k] + d.col.EN[k + 1]) / 2.0;
    z = z + (d.soil.E0 * r + 1.0) / (d.soil.E0 + 1.0) * d.col.DXI[k] * d.soil.HTOT;
    ASSERT_EQ(d.col.Z[k + 1], z) << k;
  }
  EXPECT_EQ(d.loop.KF4, 0);
}

TEST(FinalGeometry, MarksTheStartOfCrackingOnce) {
  struct Case {
    int NN2, NN1;
    bool marks;
  };
  for (const Case& c : {Case{NN + 1, 5, true}, Case{NN, 5, true}, Case{NN + 1, NN, false},
                        Case{NN + 1, NN + 1, false}, Case{6, 5, false}}) {
    DryingColumn d(c.NN1, c.NN2);
    // Two steps of 0.25 from 0.1: cracking would have begun at 0.35.
    d.run->clock = Clock(0.1, 0.25);
    d.run->clock.advance();
    d.run->clock.advance();
    d.run->step_snapshot.NN = NN;
    d.run->step_snapshot.Z[NN] = 3.25;
    d.run->step_snapshot.Z[NN - 1] = 3.0;
    final_geometry(*d.run);
    EXPECT_EQ(d.loop.KF4, c.marks ? 1 : 0) << c.NN2 << " " << c.NN1;
    const Clock& clock = d.run->clock;
    EXPECT_EQ(clock.TMARK(), c.marks ? clock.T() - clock.DT() : 0.1) << c.NN2 << " " << c.NN1;
    EXPECT_NE(clock.T() - clock.DT(), 0.1);
    EXPECT_EQ(d.loop.HCRK, c.marks ? 3.25 : 0.0) << c.NN2 << " " << c.NN1;
  }
}

// ---------------------------------------------------------------------------
// accumulate_evaporation

TEST(Evaporation, ExposureTimesShrinkWithThePlanAreaOnceTheSurfaceHasCracked) {
  struct Case {
    int NN1;
    bool top_cracked, base_cracked;
  };
  for (const Case& c : {Case{NN + 1, false, false}, Case{NN, true, false}, Case{4, true, false},
                        Case{1, true, true}}) {
    DryingColumn d(c.NN1, c.NN1);
    d.def.bc.VT = 5e-3;
    d.def.bc.VB = -2e-3;
    d.scales.T0N = 0.125;
    Clock& clock = d.run->clock;
    clock = Clock(0.8125, 0.0625);
    clock.advance();  // to 0.875
    d.loop.TEFT = 0.5;
    d.loop.TEFB = 0.25;
    const SoilColumn& col = d.col;
    accumulate_evaporation(*d.run);
    const double TEFT = c.top_cracked ? 0.5 + 0.0625 *
                                                  (f(d.soil, col.EN[NN], col.ECR[NN]) +
                                                   f(d.soil, col.ESTEP[NN], col.ECR[NN])) /
                                                  2.0
                                      : 0.875 - 0.125;
    const double TEFB =
        c.base_cracked
            ? 0.25 + 0.0625 *
                         (f(d.soil, col.EN[1], col.ECR[1]) + f(d.soil, col.ESTEP[1], col.ECR[1])) /
                         2.0
            : 0.875 - 0.125;
    EXPECT_EQ(d.loop.TEFT, TEFT) << c.NN1;
    EXPECT_EQ(d.loop.TEFB, TEFB) << c.NN1;
    EXPECT_EQ(d.loop.VEVAP, (d.def.bc.VT * TEFT + d.def.bc.VB * TEFB) * d.scales.HTOT / d.scales.K0)
        << c.NN1;
  }
}

// ---------------------------------------------------------------------------
// The step after the first crack

TEST(FirstCrack, ResetsTheStepOnceToTheCompressionTimeScale) {
  DryingColumn d(5, NN + 1);
  LoopState& loop = d.loop;
  d.scales.Z1N = d.soil.Z1 / (d.soil.GW * d.soil.HTOT);
  d.scales.DTMAX = 1.0;
  d.scales.OPTN[1] = 10.0;
  // A step of 0.01 to 1.0, halved from the 0.02 carried into the interval.
  Clock& clock = d.run->clock;
  clock = Clock(0.98, 0.02);
  clock.begin_output_interval(true);
  clock.advance();
  clock.halve();
  ASSERT_EQ(clock.T(), 0.99);
  ASSERT_EQ(clock.DT(), 0.01);
  loop.IOUT = 1;
  loop.FONE = 1e-9;
  loop.DMARCH = 7.0;
  loop.DSQ = 8.0;

  choose_next_step(*d.run);
  EXPECT_EQ(d.col.NN2, 5);
  EXPECT_EQ(clock.DTPREV(), 0.01);
  EXPECT_EQ(clock.DT(), -(d.soil.K0 / d.soil.HTOT) / (d.soil.B1 / d.scales.Z1N));
  EXPECT_NEAR(clock.DT(),
              -d.soil.Z1 / (d.soil.GW * d.soil.HTOT * d.soil.B1) * d.soil.K0 / d.soil.HTOT, 1e-15);
  EXPECT_EQ(loop.KF5, 1);
  // Nothing else of the growth rule happens at the reset.
  EXPECT_EQ(loop.FONE, 1e-9);
  EXPECT_EQ(clock.DTSAVE(), 0.02);
  EXPECT_EQ(loop.DMARCH, 7.0);

  // The next step with the crack grows as usual.
  const double reset = clock.DT();
  d.col.NN1 = 4;
  choose_next_step(*d.run);
  EXPECT_EQ(clock.DT(), std::min(1.5 * reset, d.scales.DTMAX));
  EXPECT_EQ(clock.DTSAVE(), clock.DT());
  EXPECT_EQ(loop.FONE, 1.0);
  EXPECT_EQ(loop.DMARCH, 8.0 / NN);
  EXPECT_EQ(loop.KF5, 1);
}

TEST(FirstCrack, WithoutACrackTheStepGrows) {
  DryingColumn d(NN + 1, NN + 1);
  d.scales.DTMAX = 1.0;
  d.scales.OPTN[1] = 10.0;
  d.run->clock = Clock(1.0, 0.01);
  d.loop.IOUT = 1;
  choose_next_step(*d.run);
  EXPECT_EQ(d.run->clock.DT(), 1.5 * 0.01);
  EXPECT_EQ(d.loop.KF5, 0);
}

}  // namespace
}  // namespace slurry1d::testing
