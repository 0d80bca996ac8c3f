#include "solver/boundary_rows.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "model/run_stop.hpp"
#include "solver/column_fixture.hpp"
#include "solver/interior_rows.hpp"

namespace slurry1d {
namespace {

using testing::make_column;
using testing::make_soil;
using testing::NaN;

constexpr int NN = 10;

struct System {
  std::unique_ptr<testing::SolverCase> p = make_soil();
  std::unique_ptr<SoilColumn> c;
  BoundaryValues ends{-5.0, -5.0};

  // Interior rows in place, the end rows holding a sentinel.
  System(int ITOP, int IBOT, int n = NN) : c(make_column(*p, n)) {
    p->bc.ITOP = static_cast<TopBoundary>(ITOP);
    p->bc.IBOT = static_cast<BottomBoundary>(IBOT);
    assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
    for (const int i : {1, n}) c->CL[i] = c->CD[i] = c->CU[i] = c->RHS[i] = 42.0;
  }
  void run() { assemble_boundary_rows(p->soil, p->bc, p->scales, *c, ends); }
};

void expect_row_unchanged(const SoilColumn& before, const SoilColumn& after, int i) {
  EXPECT_EQ(after.CL[i], before.CL[i]) << "CL at row " << i;
  EXPECT_EQ(after.CD[i], before.CD[i]) << "CD at row " << i;
  EXPECT_EQ(after.CU[i], before.CU[i]) << "CU at row " << i;
  EXPECT_EQ(after.RHS[i], before.RHS[i]) << "RHS at row " << i;
}

double uncracked_gradient(const Soil& soil, double v, double r) {
  return soil.boundary_gradient(v, r, soil.compression_slope(r));
}

double cracked_gradient(const Soil& soil, double v, double r, double x, double s) {
  const double fp = soil.crack_onset_slope(s);
  const double dS = soil.slope_difference(x);
  const double R = soil.shrinkage_ratio(r, x);
  const double sp3 = soil.shrinkage_slope(r);
  return soil.boundary_gradient_cracked(R, x, sp3, v, r, dS, fp);
}

// ------------------------------------------------------------------ top

TEST(TopVelocity, UncrackedTopElementGivesTheGradientRow) {
  for (const int tip : {NN + 1, NN}) {
    System s(1, 3);
    s.c->NN1 = tip;
    for (int i = 1; i <= NN; ++i) s.c->ECR[i] = s.c->SIGV[i] = s.c->DXIC[i] = NaN;
    const auto before = std::make_unique<SoilColumn>(*s.c);
    s.run();
    const SoilColumn& c = *s.c;
    const double rT = (c.EMID[NN] + c.EMID[NN - 1]) / 2;
    EXPECT_EQ(c.CD[NN], 1.0);
    EXPECT_EQ(c.CL[NN], -1.0);
    EXPECT_EQ(c.RHS[NN], uncracked_gradient(s.p->soil, s.p->bc.VT, rT) * c.DXI[NN - 1]) << tip;
    expect_row_unchanged(*before, c, NN - 1);
    EXPECT_EQ(s.ends.ETOP, -5.0);
  }
}

TEST(TopVelocity, CrackedTopElementUsesUnclampedShrinkageAndCrackedLength) {
  for (const int tip : {NN - 1, 3, 1}) {
    System s(1, 3);
    s.c->NN1 = tip;
    // Void ratios above the onset value: R > 1, which must not be clamped here.
    s.c->ECR[NN] = 0.8 * s.p->soil.E0 * s.c->EMID[NN];
    s.c->ECR[NN - 1] = 0.8 * s.p->soil.E0 * s.c->EMID[NN - 1];
    s.c->DXI[NN - 1] = NaN;
    s.run();
    const SoilColumn& c = *s.c;
    const double rT = (c.EMID[NN] + c.EMID[NN - 1]) / 2;
    const double xT = (c.ECR[NN] + c.ECR[NN - 1]) / 2;
    const double sT = (c.SIGV[NN] + c.SIGV[NN - 1]) / 2;
    ASSERT_GT(s.p->soil.shrinkage_ratio(rT, xT), 1.0);
    EXPECT_EQ(c.CD[NN], 1.0);
    EXPECT_EQ(c.CL[NN], -1.0);
    EXPECT_EQ(c.RHS[NN], cracked_gradient(s.p->soil, s.p->bc.VT, rT, xT, sT) * c.DXIC[NN - 1])
        << tip;
  }
}

TEST(TopVelocity, NoFlowGivesTheBuoyantEquilibriumGradient) {
  System s(1, 3);
  s.p->bc.VT = 0.0;
  s.run();
  const testing::SolverCase& p = *s.p;
  const SoilColumn& c = *s.c;
  const double rT = (c.EMID[NN] + c.EMID[NN - 1]) / 2;
  const double sp = p.soil.compression_slope(rT);
  const double expected = -(p.soil.GS - 1) * p.soil.GW * p.soil.HTOT /
                          (p.soil.E0 * (p.soil.E0 + 1) * sp) * c.DXI[NN - 1];
  EXPECT_GT(expected, 0.0);
  EXPECT_NEAR(c.RHS[NN], expected, 1e-14 * expected);
}

TEST(TopSurcharge, FixesTheTopNodeOnTheCompressionCurve) {
  for (const double LT : {0.0, 3.5, 120.0}) {
    System s(3, 1);
    s.p->bc.LT = LT;
    const auto before = std::make_unique<SoilColumn>(*s.c);
    s.run();
    const testing::SolverCase& p = *s.p;
    const SoilColumn& c = *s.c;
    const double ETOP = std::pow(LT + p.soil.Z1, p.soil.B1) * p.soil.A1 / p.soil.E0;
    EXPECT_EQ(s.ends.ETOP, ETOP) << LT;
    if (LT == 0.0) {
      EXPECT_EQ(s.ends.ETOP, 1.0);
    }
    EXPECT_EQ(c.RHS[NN - 1], before->RHS[NN - 1] - before->CU[NN - 1] * ETOP);
    EXPECT_EQ(c.CU[NN - 1], 0.0);
    EXPECT_EQ(c.CL[NN - 1], before->CL[NN - 1]);
    EXPECT_EQ(c.CD[NN - 1], before->CD[NN - 1]);
    EXPECT_EQ(c.CL[NN], 0.0);
    EXPECT_EQ(c.CD[NN], 0.0);
    EXPECT_EQ(c.CU[NN], 0.0);
    EXPECT_EQ(c.RHS[NN], 0.0);
  }
}

TEST(TopHead, NeverStoredKindLeavesTheTopRowsAlone) {
  System s(2, 1);
  const auto before = std::make_unique<SoilColumn>(*s.c);
  s.run();
  expect_row_unchanged(*before, *s.c, NN);
  expect_row_unchanged(*before, *s.c, NN - 1);
  EXPECT_EQ(s.ends.ETOP, -5.0);
}

// --------------------------------------------------------------- bottom

TEST(BottomVelocity, UncrackedBottomElementGivesTheGradientRow) {
  for (const int tip : {NN + 1, 2}) {
    for (const double VB : {0.0, 4e-7}) {
      System s(3, 1);
      s.c->NN1 = tip;
      s.p->bc.VB = VB;
      for (int i = 1; i <= NN; ++i) s.c->ECR[i] = s.c->SIGV[i] = s.c->DXIC[i] = NaN;
      const auto before = std::make_unique<SoilColumn>(*s.c);
      s.run();
      const SoilColumn& c = *s.c;
      const double rB = (c.EMID[1] + c.EMID[2]) / 2;
      EXPECT_EQ(c.CD[1], -1.0);
      EXPECT_EQ(c.CU[1], 1.0);
      EXPECT_EQ(c.RHS[1], uncracked_gradient(s.p->soil, VB, rB) * c.DXI[1]) << tip << " " << VB;
      expect_row_unchanged(*before, c, 2);
      EXPECT_EQ(s.ends.EBOT, -5.0);
    }
  }
}

TEST(BottomVelocity, CrackedBottomElementUsesCrackedLength) {
  for (const int tip : {1, 0}) {
    System s(3, 1);
    s.c->NN1 = tip;
    s.p->bc.VB = -1e-7;
    s.c->DXI[1] = NaN;
    s.run();
    const SoilColumn& c = *s.c;
    const double rB = (c.EMID[1] + c.EMID[2]) / 2;
    const double xB = (c.ECR[1] + c.ECR[2]) / 2;
    const double sB = (c.SIGV[1] + c.SIGV[2]) / 2;
    EXPECT_EQ(c.CD[1], -1.0);
    EXPECT_EQ(c.CU[1], 1.0);
    EXPECT_EQ(c.RHS[1], cracked_gradient(s.p->soil, -1e-7, rB, xB, sB) * c.DXIC[1]) << tip;
  }
}

void expect_bottom_fixed(const SoilColumn& before, const SoilColumn& c, double EBOT) {
  EXPECT_EQ(c.RHS[2], before.RHS[2] - EBOT * before.CL[2]);
  EXPECT_EQ(c.CL[2], 0.0);
  EXPECT_EQ(c.CD[2], before.CD[2]);
  EXPECT_EQ(c.CU[2], before.CU[2]);
  EXPECT_EQ(c.CL[1], 0.0);
  EXPECT_EQ(c.CD[1], 0.0);
  EXPECT_EQ(c.CU[1], 0.0);
  EXPECT_EQ(c.RHS[1], 0.0);
}

TEST(BottomHead, FixesTheBottomNodeAtTheHeadsEffectiveStress) {
  System s(1, 2);
  testing::SolverCase& p = *s.p;
  p.bc.HB = 3.0;
  p.scales.ZBOT = 0.25;
  const auto before = std::make_unique<SoilColumn>(*s.c);
  s.run();
  const double EBOT =
      std::pow(((p.scales.H0IN + p.scales.ZBOT) - p.bc.HB) * p.soil.GW + (s.c->SIGE[1] + p.soil.Z1),
               p.soil.B1) *
      p.soil.A1 / p.soil.E0;
  ASSERT_LT(EBOT, s.c->EOLD[1]);
  EXPECT_EQ(s.ends.EBOT, EBOT);
  expect_bottom_fixed(*before, *s.c, EBOT);
}

TEST(BottomHead, StopsWhenTheBaseLosesItsEffectiveStress) {
  struct Case {
    double ZNN, ZBOT, HB, SIGE1;
    bool stops;
  };
  // P = ((Z(NN) + ZBOT) - HB) GW + SIGE(1), with GW = 10.
  const Case cases[] = {{10.0, 0.0, 12.0, 20.0, true},    // P exactly 0
                        {10.0, 0.0, 12.0, 19.0, true},    // P < 0
                        {10.0, 0.0, 12.0, 20.5, false},   // P > 0
                        {10.0, 1.0, 13.0, 20.0, true},    // ZBOT counted with the top elevation
                        {10.0, 1.0, 12.0, 20.0, false}};  // P = 10
  for (const Case k : cases) {
    System s(1, 2);
    s.p->soil.GW = 10.0;
    s.p->scales.ZBOT = k.ZBOT;
    s.p->bc.HB = k.HB;
    s.c->Z[NN] = k.ZNN;
    s.c->SIGE[1] = k.SIGE1;
    if (!k.stops) {
      EXPECT_NO_THROW(s.run()) << k.HB << " " << k.SIGE1;
      continue;
    }
    try {
      s.run();
      ADD_FAILURE() << "no stop for HB=" << k.HB << " SIGE(1)=" << k.SIGE1;
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.kind(), StopKind::CannotGoOn);
      EXPECT_EQ(stop.exit_status(), 3);
      ASSERT_EQ(stop.lines().size(), 1u);
      EXPECT_EQ(stop.lines()[0], "MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM");
    }
  }
}

TEST(BottomPervious, FixesTheBottomNodeDrainedToTheTop) {
  System s(1, 3);
  testing::SolverCase& p = *s.p;
  s.c->WSUM = 260.0;
  const auto before = std::make_unique<SoilColumn>(*s.c);
  s.run();
  const double EBOT =
      std::pow((s.c->WSUM - p.soil.GW * s.c->Z[NN]) + p.soil.Z1, p.soil.B1) * p.soil.A1 / p.soil.E0;
  ASSERT_LT(EBOT, s.c->EOLD[1]);
  EXPECT_EQ(s.ends.EBOT, EBOT);
  expect_bottom_fixed(*before, *s.c, EBOT);
}

TEST(BottomPervious, BaseNeverSwellsWithinAStep) {
  for (const int IBOT : {3, 2}) {
    System s(1, IBOT);
    // Light column, or a head well below the top: EBOT above EOLD(1).
    s.c->WSUM = s.p->soil.GW * s.c->Z[NN] + 0.1;
    s.c->Z[NN] = s.p->scales.H0IN;
    s.p->bc.HB = s.p->scales.H0IN - 0.01;
    s.c->SIGE[1] = 0.05;
    const auto before = std::make_unique<SoilColumn>(*s.c);
    s.run();
    EXPECT_EQ(s.ends.EBOT, s.c->EOLD[1]) << IBOT;
    expect_bottom_fixed(*before, *s.c, s.c->EOLD[1]);
  }
}

TEST(BothEndsFixed, TopIsMovedFirstThenBottomIntoTheSameRow) {
  System s(3, 3, 3);
  s.p->bc.LT = 15.0;
  s.c->WSUM = 200.0;
  const auto before = std::make_unique<SoilColumn>(*s.c);
  s.run();
  const double expected =
      (before->RHS[2] - before->CU[2] * s.ends.ETOP) - s.ends.EBOT * before->CL[2];
  EXPECT_EQ(s.c->RHS[2], expected);
  EXPECT_EQ(s.c->CL[2], 0.0);
  EXPECT_EQ(s.c->CU[2], 0.0);
  EXPECT_EQ(s.c->CD[2], before->CD[2]);
}

}  // namespace
}  // namespace slurry1d
