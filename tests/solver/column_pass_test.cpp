// The one-sweep kernel must give exactly the system and solution of the
// separate assembly and solve, for every pair of boundary kinds it takes.

#include "solver/column_pass.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "driver/time_loop.hpp"
#include "solver/interior_rows.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d {
namespace {

struct Kinds {
  int ITOP;
  int IBOT;
  int NN;  // nodes of the column (501 after the march, or fewer)
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
  col.NN = GetParam().NN;
  col.NN1 = col.NN + 1;
  for (int i = 1; i <= col.NN; ++i) col.EMID[i] = 0.97 * col.EN[i] + 0.03 * col.EOLD[i];

  auto separate = std::make_unique<SoilColumn>(col);
  BoundaryValues separate_ends;
  TridiagonalWork separate_work;
  const double DT = run->clock.DT();
  const Soil& soil = run->soil;
  assemble_interior_rows(soil, bc.VT, DT, *separate, 1);
  assemble_boundary_rows(soil, bc, scales, *separate, separate_ends);
  solve_tridiagonal(*separate, bc.ITOP, bc.IBOT, separate_work);

  ASSERT_TRUE(can_assemble_and_solve_in_one_sweep(bc, col));
  BoundaryValues ends;
  auto work = std::make_unique<TridiagonalWork>();
  assemble_and_solve_in_one_sweep(soil, bc, scales, DT, col, ends, *work);

  EXPECT_EQ(ends.ETOP, separate_ends.ETOP);
  EXPECT_EQ(ends.EBOT, separate_ends.EBOT);
  for (int i = 1; i <= col.NN; ++i) {
    ASSERT_EQ(col.CL[i], separate->CL[i]) << i;
    ASSERT_EQ(col.CD[i], separate->CD[i]) << i;
    ASSERT_EQ(col.CU[i], separate->CU[i]) << i;
    ASSERT_EQ(col.RHS[i], separate->RHS[i]) << i;
    ASSERT_EQ(col.XSOL[i], separate->XSOL[i]) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(BoundaryKinds, OneSweep,
                         ::testing::Values(Kinds{1, 1, 501}, Kinds{1, 2, 501}, Kinds{1, 3, 501},
                                           Kinds{3, 1, 501}, Kinds{3, 2, 501}, Kinds{3, 3, 501},
                                           Kinds{3, 1, 6}, Kinds{1, 3, 6}));

TEST(OneSweep, LeavesCrackedAndSmallColumnsToTheSeparateSteps) {
  BoundaryConditions p;
  auto col = std::make_unique<SoilColumn>();
  p.ITOP = TopBoundary::Surcharge;
  col->NN = 501;
  col->NN1 = 502;
  EXPECT_TRUE(can_assemble_and_solve_in_one_sweep(p, *col));
  col->NN1 = 501;
  EXPECT_TRUE(can_assemble_and_solve_in_one_sweep(p, *col));
  col->NN1 = 500;
  EXPECT_FALSE(can_assemble_and_solve_in_one_sweep(p, *col));
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
