#include "solver/interior_rows.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "solver/column_fixture.hpp"

namespace slurry1d {
namespace {

using testing::make_column;
using testing::make_soil;
using testing::NaN;

struct Row {
  double CL, CD, CU, RHS;
};

double clamp1(double R) {
  return std::min(R, 1.0);
}

// Row i of the system written out term by term from the model, with every
// half-element value recomputed for the row itself.
Row expected_row(const testing::SolverCase& p, const SoilColumn& c, int i) {
  const Soil& soil = p.soil;
  const double E0 = p.soil.E0, HTOT = p.soil.HTOT, DT = testing::STEP;
  const auto& EMID = c.EMID;
  const double rm = (EMID[i - 1] + EMID[i]) / 2;
  const double rp = (EMID[i] + EMID[i + 1]) / 2;
  const double spm = soil.compression_slope(rm);
  const double spp = soil.compression_slope(rp);
  Row row{};
  if (i < c.NN1) {
    const double L = c.DXI[i] + c.DXI[i - 1];
    const double dp = soil.diffusivity(rp, spp);
    const double dm = soil.diffusivity(rm, spm);
    row.RHS =
        L * (E0 * c.EOLD[i] / DT / (E0 + 1) / 2) + (soil.gravity_flux(rm) - soil.gravity_flux(rp));
    row.CU = dp / c.DXI[i];
    row.CD = L * (E0 / (E0 + 1) / DT / 2) + (-(dp / c.DXI[i]) - dm / c.DXI[i - 1]);
    row.CL = dm / c.DXI[i - 1];
    return row;
  }
  const double xm = (c.ECR[i - 1] + c.ECR[i]) / 2;
  const double xp = (c.ECR[i] + c.ECR[i + 1]) / 2;
  const double sm = (c.SIGV[i - 1] + c.SIGV[i]) / 2;
  const double sp = (c.SIGV[i] + c.SIGV[i + 1]) / 2;
  const double Q1 = clamp1(soil.shrinkage_ratio(EMID[i + 1], c.ECR[i + 1]));
  const double Q0 = clamp1(soil.shrinkage_ratio(EMID[i], c.ECR[i]));
  const double Rp = clamp1(soil.shrinkage_ratio(rp, xp));
  const double Rm = clamp1(soil.shrinkage_ratio(rm, xm));
  const double dSp = soil.slope_difference(xp);
  const double dSm = soil.slope_difference(xm);
  const double fpm = soil.crack_onset_slope(sm);
  const double fpp = soil.crack_onset_slope(sp);
  const double sp3p = soil.shrinkage_slope(rp);
  const double sp3m = soil.shrinkage_slope(rm);
  const double cp = soil.diffusivity_cracked(Rp, rp, xp, sp3p);
  const double cm = soil.diffusivity_cracked(Rm, rm, xm, sp3m);
  if (i > c.NN1) {
    const double L = c.DXIC[i] + c.DXIC[i - 1];
    const double W =
        ((E0 * EMID[i] + 1) * ((Q1 - Q0) * ((p.bc.VT / p.soil.K0) * p.soil.ETA) / c.DXIC[i])) / Q0 /
        (c.ECR[i] + 1);
    const double T = (E0 * c.EOLD[i]) / (c.ECR[i] + 1) / DT;
    row.CU = cp / c.DXIC[i];
    row.CD = L * (E0 / (c.ECR[i] + 1) / DT / 2) + (-(cp / c.DXIC[i]) - cm / c.DXIC[i - 1]);
    row.CL = cm / c.DXIC[i - 1];
    row.RHS = L * ((W + T) / 2) + (soil.gravity_flux_cracked(Rm, rm, dSm, fpm) -
                                   soil.gravity_flux_cracked(Rp, rp, dSp, fpp));
    return row;
  }
  const double H = c.Z[i + 1] - c.Z[i - 1];
  const double dm = soil.diffusivity(rm, spm);
  row.CU = cp / c.DXIC[i];
  row.CD = H * (E0 / (c.ECR[i] + 1) / DT / 2) / HTOT + (-(cp / c.DXIC[i]) - dm / c.DXI[i - 1]);
  row.CL = dm / c.DXI[i - 1];
  row.RHS = H * ((E0 * c.EOLD[i]) / (c.ECR[i] + 1) / DT / 2) / HTOT +
            (soil.gravity_flux(rm) - soil.gravity_flux_cracked(Rp, rp, dSp, fpp));
  return row;
}

void expect_row(const SoilColumn& c, int i, const Row& row) {
  EXPECT_EQ(c.CL[i], row.CL) << "CL at row " << i << " NN1=" << c.NN1;
  EXPECT_EQ(c.CD[i], row.CD) << "CD at row " << i << " NN1=" << c.NN1;
  EXPECT_EQ(c.CU[i], row.CU) << "CU at row " << i << " NN1=" << c.NN1;
  EXPECT_EQ(c.RHS[i], row.RHS) << "RHS at row " << i << " NN1=" << c.NN1;
}

void fill_system(SoilColumn& c, double value) {
  for (int i = 1; i <= c.NN + 1; ++i) c.CL[i] = c.CD[i] = c.CU[i] = c.RHS[i] = value;
}

// Every row against the written-out forms, for crack tips from none to the
// bottom: uncracked rows only, a junction at the top row, a junction inside,
// a junction at row 2, and cracked rows throughout.
class EveryRow : public ::testing::TestWithParam<int> {};

TEST_P(EveryRow, MatchesTheWrittenFormsToTheBit) {
  const auto p = make_soil();
  const int NN = 12;
  auto c = make_column(*p, NN);
  // Two nodes above their crack-onset void ratio: their shrinkage ratios and
  // those of the half-elements around them exceed 1 and are clamped.
  c->ECR[8] = 0.9 * p->soil.E0 * c->EN[8];
  c->ECR[9] = 0.9 * p->soil.E0 * c->EN[9];
  c->NN1 = GetParam();
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
  for (int i = 2; i <= NN - 1; ++i) expect_row(*c, i, expected_row(*p, *c, i));
}

INSTANTIATE_TEST_SUITE_P(CrackTips, EveryRow, ::testing::Values(13, 12, 11, 6, 3, 2, 1, 0));

TEST(InteriorRows, ClampedShrinkageIsExercised) {
  const auto p = make_soil();
  auto c = make_column(*p, 12);
  c->ECR[8] = 0.9 * p->soil.E0 * c->EN[8];
  c->EMID.copy_from(c->EN, 12);
  EXPECT_GT(p->soil.shrinkage_ratio(c->EMID[8], c->ECR[8]), 1.0);
}

TEST(InteriorRows, UncrackedRowSumIsTheStorageCoefficient) {
  const auto p = make_soil();
  for (const double DT : {1e-5, 1e-3, 0.1}) {
    auto c = make_column(*p, 40);
    assemble_interior_rows(p->soil, p->bc.VT, DT, *c, 0);
    for (int i = 2; i <= 39; ++i) {
      const double L = c->DXI[i] + c->DXI[i - 1];
      const double storage = L * p->soil.E0 / ((p->soil.E0 + 1) * 2 * DT);
      const double scale = std::abs(c->CL[i]) + std::abs(c->CD[i]) + std::abs(c->CU[i]);
      EXPECT_NEAR(c->CL[i] + c->CD[i] + c->CU[i], storage, 1e-14 * scale) << i << " DT=" << DT;
    }
  }
}

TEST(InteriorRows, WithoutBuoyantWeightAUniformColumnStaysPut) {
  auto p = make_soil();
  p->soil.GS = 1.0;
  auto c = make_column(*p, 30);
  for (int i = 1; i <= 30; ++i) c->EN[i] = c->EOLD[i] = 0.8;
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
  for (int i = 2; i <= 29; ++i) {
    const double r = 0.8;
    const double residual = c->CL[i] * r + c->CD[i] * r + c->CU[i] * r - c->RHS[i];
    EXPECT_NEAR(residual, 0.0, 1e-13 * std::abs(c->RHS[i])) << i;
  }
}

TEST(InteriorRows, FillsOnlyRowsTwoToNNMinusOne) {
  const auto p = make_soil();
  {
    auto c = make_column(*p, 3);
    fill_system(*c, 42.0);
    assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
    for (const int i : {1, 3, 4}) {
      EXPECT_EQ(c->CL[i], 42.0) << i;
      EXPECT_EQ(c->CD[i], 42.0) << i;
      EXPECT_EQ(c->CU[i], 42.0) << i;
      EXPECT_EQ(c->RHS[i], 42.0) << i;
    }
    EXPECT_NE(c->CD[2], 42.0);
    expect_row(*c, 2, expected_row(*p, *c, 2));
  }
  {
    auto c = make_column(*p, 3);
    c->NN = 2;
    c->NN1 = 3;
    fill_system(*c, 42.0);
    assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(c->CL[i], 42.0) << i;
      EXPECT_EQ(c->CD[i], 42.0) << i;
      EXPECT_EQ(c->CU[i], 42.0) << i;
      EXPECT_EQ(c->RHS[i], 42.0) << i;
    }
    EXPECT_EQ(c->EMID[1], c->EN[1]);
    EXPECT_EQ(c->EMID[2], c->EN[2]);
  }
}

TEST(InteriorRows, FirstPassCopiesTheColumnIntoTheWorkingVoidRatios) {
  const auto p = make_soil();
  auto c = make_column(*p, 20);
  for (const int KIT : {0, 2}) {
    c->EMID.fill(-7.0, 21);
    assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, KIT);
    for (int i = 1; i <= 20; ++i) ASSERT_EQ(c->EMID[i], c->EN[i]) << i;
    EXPECT_EQ(c->EMID[21], -7.0) << "copy ran past NN";
  }
}

TEST(InteriorRows, LaterPassesUseTheWorkingVoidRatiosAsLeft) {
  const auto p = make_soil();
  auto c = make_column(*p, 20);
  for (int i = 1; i <= 20; ++i) c->EMID[i] = (c->EOLD[i] + 0.97 * c->EN[i]) / 2;
  auto reference = make_column(*p, 20);
  reference->EN.copy_from(c->EMID, 20);
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *reference, 0);

  const double kept = c->EMID[7];
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 1);
  EXPECT_EQ(c->EMID[7], kept);
  EXPECT_NE(c->EMID[7], c->EN[7]);
  for (int i = 2; i <= 19; ++i) {
    EXPECT_EQ(c->CD[i], reference->CD[i]) << i;
    EXPECT_EQ(c->RHS[i], reference->RHS[i]) << i;
  }
}

TEST(InteriorRows, UncrackedColumnNeverReadsCrackData) {
  const auto p = make_soil();
  auto c = make_column(*p, 25);
  for (int i = 1; i <= 26; ++i) c->ECR[i] = c->SIGV[i] = c->DXIC[i] = NaN;
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
  for (int i = 2; i <= 24; ++i) {
    EXPECT_TRUE(std::isfinite(c->CL[i]) && std::isfinite(c->CD[i]) && std::isfinite(c->CU[i]) &&
                std::isfinite(c->RHS[i]))
        << i;
  }
}

TEST(InteriorRows, JunctionUsesUncrackedLengthBelowCrackedLengthAboveAndElevations) {
  const auto p = make_soil();
  const int NN = 15, tip = 9;
  auto c = make_column(*p, NN);
  c->NN1 = tip;
  // Lengths the junction must not read.
  c->DXI[tip] = NaN;
  c->DXIC[tip - 1] = NaN;
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
  ASSERT_TRUE(std::isfinite(c->CD[tip]) && std::isfinite(c->RHS[tip]));
  ASSERT_TRUE(std::isfinite(c->CL[tip]) && std::isfinite(c->CU[tip]));
  expect_row(*c, tip, expected_row(*p, *c, tip));

  // Storage over the height Z(i+1) - Z(i-1): moving the node above moves
  // CD - (diffusion part) in proportion.
  const double CD_before = c->CD[tip];
  const double diffusion = -c->CU[tip] - c->CL[tip];
  const double H = c->Z[tip + 1] - c->Z[tip - 1];
  c->Z[tip + 1] += 0.5 * H;
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
  EXPECT_NEAR(c->CD[tip] - diffusion, 1.5 * (CD_before - diffusion),
              1e-12 * std::abs(CD_before - diffusion));
  const double E0 = p->soil.E0;
  EXPECT_NEAR(c->CD[tip] - diffusion,
              1.5 * H * E0 / (c->ECR[tip] + 1) / testing::STEP / 2 / p->soil.HTOT,
              1e-12 * std::abs(c->CD[tip]));
}

TEST(InteriorRows, CrackedRowCarriesTheWallLossOfTheShrinkageJump) {
  // Loss term W vanishes when the shrinkage ratios of node i and i+1 agree
  // and grows with VT * ETA otherwise.
  const auto p = make_soil();
  const int NN = 10;
  auto c = make_column(*p, NN);
  c->NN1 = 2;
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
  const double with_loss = c->RHS[5];
  p->soil.ETA = 0.0;
  assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, 0);
  const double without_loss = c->RHS[5];
  const double L = c->DXIC[5] + c->DXIC[4];
  const double Q0 = std::min(p->soil.shrinkage_ratio(c->EN[5], c->ECR[5]), 1.0);
  const double Q1 = std::min(p->soil.shrinkage_ratio(c->EN[6], c->ECR[6]), 1.0);
  const double W = (p->soil.E0 * c->EN[5] + 1) * (Q1 - Q0) * (p->bc.VT / p->soil.K0) * 0.3 /
                   c->DXIC[5] / Q0 / (c->ECR[5] + 1);
  ASSERT_NE(W, 0.0);
  // The difference of two large right-hand sides keeps only their rounding.
  EXPECT_NEAR(with_loss - without_loss, L * W / 2, 1e-14 * std::abs(with_loss));
}

}  // namespace
}  // namespace slurry1d
