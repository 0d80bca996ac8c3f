// The one-sweep kernel must give exactly the system and solution of the
// separate assembly and solve, for every pair of boundary kinds it takes.

#include "solver/column_pass.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "driver/time_loop.hpp"
#include "solver/interior_rows.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d {
namespace {

struct Kinds {
  int ITOP;
  int IBOT;
  int NN;       // nodes of the column (501 after the march, or fewer)
  int NN1 = 0;  // the crack tip; 0: none (NN + 1)
};

class OneSweep : public ::testing::TestWithParam<Kinds> {};

TEST_P(OneSweep, GivesTheBitsOfTheSeparateSteps) {
  testing::DiscardedOutputs sink;
  auto run = testing::set_up_from_answers(testing::self_weight_answers(300.0), sink.out);
  march_in_time(*run, sink.out);  // a column whose void ratios vary
  BoundaryConditions bc;
  bc.ITOP = static_cast<TopBoundary>(GetParam().ITOP);
  bc.IBOT = static_cast<BottomBoundary>(GetParam().IBOT);
  bc.VT = 1e-4;
  bc.VB = -2e-4;
  bc.LT = 5.0;
  bc.HB = 1.0;
  const RunScales& scales = run->scales;
  SoilColumn& col = run->col;
  StepIterates& it = run->solver.iterates;
  col.NN = GetParam().NN;
  col.NN1 = GetParam().NN1 > 0 ? GetParam().NN1 : col.NN + 1;
  for (int i = 1; i <= col.NN; ++i) it.EMID[i] = 0.97 * col.EN[i] + 0.03 * it.EOLD[i];
  Soil& soil = run->soil;
  if (GetParam().NN1 > 0) {
    // A drying soil, and crack data on every node: crack-onset void ratios a
    // little above the void ratios, a total stress rising downward, cracked
    // lengths a little longer than the lengths.
    soil.A2 = 7.0;
    soil.B2 = -0.15;
    soil.CRA = 1.0;
    soil.CRB = 0.01;
    soil.CRC = 1.0;
    soil.CRD = 0.1;
    soil.ETA = 0.5;
    for (int i = 1; i <= col.NN; ++i) {
      col.ECR[i] = soil.E0 * col.EN[i] * (1.02 + 0.01 * std::sin(0.1 * i));
      col.SIGV[i] = 40.0 * (col.NN - i) / col.NN + 0.5;
      col.DXIC[i] = col.DXI[i] * 1.07;
    }
  }

  auto separate_it = std::make_unique<StepIterates>(it);
  auto separate = std::make_unique<TridiagonalSystem>();
  BoundaryValues separate_ends;
  const double DT = run->clock.DT();
  assemble_interior_rows(soil, bc.VT, DT, col, *separate_it, *separate, 1);
  assemble_boundary_rows(soil, bc, scales, col, *separate_it, *separate, separate_ends);
  solve_tridiagonal(col.NN, bc.ITOP, bc.IBOT, *separate);

  ASSERT_TRUE(can_assemble_and_solve_in_one_sweep(bc, col));
  BoundaryValues ends;
  auto sys = std::make_unique<TridiagonalSystem>();
  assemble_and_solve_in_one_sweep(soil, bc, scales, DT, col, it, *sys, ends);

  EXPECT_EQ(ends.ETOP, separate_ends.ETOP);
  EXPECT_EQ(ends.EBOT, separate_ends.EBOT);
  for (int i = 1; i <= col.NN; ++i) {
    ASSERT_EQ(sys->CL[i], separate->CL[i]) << i;
    ASSERT_EQ(sys->CD[i], separate->CD[i]) << i;
    ASSERT_EQ(sys->CU[i], separate->CU[i]) << i;
    ASSERT_EQ(sys->RHS[i], separate->RHS[i]) << i;
    ASSERT_EQ(sys->XSOL[i], separate->XSOL[i]) << i;
    ASSERT_TRUE(std::isfinite(sys->XSOL[i]) && std::isfinite(sys->CD[i])) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(BoundaryKinds, OneSweep,
                         ::testing::Values(Kinds{1, 1, 501}, Kinds{1, 2, 501}, Kinds{1, 3, 501},
                                           Kinds{3, 1, 501}, Kinds{3, 2, 501}, Kinds{3, 3, 501},
                                           Kinds{3, 1, 6}, Kinds{1, 3, 6}));

// Across a crack tip: rows of the three forms, the junction anywhere from the
// base to the top, a cracked base.
INSTANTIATE_TEST_SUITE_P(CrackTips, OneSweep,
                         ::testing::Values(Kinds{1, 1, 501, 501}, Kinds{1, 1, 501, 500},
                                           Kinds{1, 3, 501, 300}, Kinds{3, 1, 501, 300},
                                           Kinds{3, 3, 501, 3}, Kinds{1, 1, 501, 2},
                                           Kinds{1, 1, 501, 1}, Kinds{1, 2, 501, 1},
                                           Kinds{1, 1, 6, 4}));

TEST(OneSweep, LeavesSmallColumnsAndAHeadOnTopToTheSeparateSteps) {
  BoundaryConditions p;
  auto col = std::make_unique<SoilColumn>();
  p.ITOP = TopBoundary::Surcharge;
  col->NN = 501;
  col->NN1 = 502;
  EXPECT_TRUE(can_assemble_and_solve_in_one_sweep(p, *col));
  col->NN1 = 501;
  EXPECT_TRUE(can_assemble_and_solve_in_one_sweep(p, *col));
  col->NN1 = 300;  // cracked columns too
  EXPECT_TRUE(can_assemble_and_solve_in_one_sweep(p, *col));
  col->NN1 = 6;
  col->NN = 5;
  EXPECT_FALSE(can_assemble_and_solve_in_one_sweep(p, *col));
  col->NN = 501;
  col->NN1 = 502;
  p.ITOP = TopBoundary::Head;
  EXPECT_FALSE(can_assemble_and_solve_in_one_sweep(p, *col));
}

}  // namespace
}  // namespace slurry1d
