// One pass of the step iteration on a fresh column, from assembly to the new
// void ratios: interior rows, boundary rows, solve, take-over.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "model/run_definition.hpp"
#include "model/soil_column.hpp"
#include "solver/boundary_rows.hpp"
#include "solver/column_fixture.hpp"
#include "solver/interior_rows.hpp"
#include "solver/tridiagonal.hpp"

namespace slurry1d {
namespace {

constexpr int LAYER_NODES = 501;

struct Layer {
  std::unique_ptr<testing::SolverCase> p = testing::make_soil();
  std::unique_ptr<testing::SolverColumn> c = std::make_unique<testing::SolverColumn>();
  BoundaryValues ends;

  // A fresh 10-unit slurry layer at E0, drained at the top under the
  // surcharge LT, impervious at the base.
  Layer(double GS, double LT) {
    p->soil.GS = GS;
    p->bc.ITOP = TopBoundary::Surcharge;
    p->bc.LT = LT;
    p->bc.IBOT = BottomBoundary::Velocity;
    p->bc.VB = 0.0;
    testing::SolverColumn& col = *c;
    col.NN = LAYER_NODES;
    col.NN1 = LAYER_NODES + 1;
    for (int i = 1; i <= LAYER_NODES; ++i) {
      col.EN[i] = col.EOLD[i] = 1.0;
      col.DXI[i] = 1.0 / 500;
      col.Z[i] = (i - 1) * p->scales.H0 / 500;
      col.XSOL[i] = 1.0;
    }
  }

  void iterate() {
    testing::SolverColumn& col = *c;
    assemble_interior_rows(p->soil, p->bc.VT, 1e-3, col, col, col, 0);
    assemble_boundary_rows(p->soil, p->bc, p->scales, col, col, col, ends);
    solve_tridiagonal(col.NN, p->bc.ITOP, p->bc.IBOT, col);
    // Bottom free, top fixed.
    for (int i = 1; i <= LAYER_NODES - 1; ++i) col.EN[i] = col.XSOL[i];
    col.EN[LAYER_NODES] = ends.ETOP;
  }
};

TEST(IterationSmoke, SelfWeightCompressesTheColumnAboveTheImperviousBase) {
  Layer run(2.65, 0.0);
  run.iterate();
  const testing::SolverColumn& c = *run.c;
  // No effective stress at the drained top: the top node stays at E0.
  EXPECT_EQ(c.EN[LAYER_NODES], 1.0);
  // The buoyant weight drives water upward through the whole column, but at
  // the base it cannot leave: the void ratio falls there first, rising to
  // the base the gradient of no flow.
  EXPECT_LT(c.EN[1], 1.0 - 1e-4);
  EXPECT_LT(c.EN[1], c.EN[2]);
  for (int i = 1; i <= 10; ++i) EXPECT_LT(c.EN[i], c.EN[i + 1]) << i;
  // Away from the base nothing has happened yet.
  for (int i = 100; i <= LAYER_NODES; ++i) EXPECT_NEAR(c.EN[i], 1.0, 1e-9) << i;
  for (int i = 1; i <= LAYER_NODES; ++i) EXPECT_LE(c.EN[i], 1.0 + 1e-12) << i;
}

TEST(IterationSmoke, SurchargeCompressesTheColumnBelowTheDrainedTop) {
  // No buoyant weight, a load on top: the void ratios next to the top fall
  // towards ETOP, the far end stays where it was.
  Layer run(1.0, 5.0);
  run.iterate();
  const testing::SolverColumn& c = *run.c;
  const double ETOP = run.ends.ETOP;
  ASSERT_LT(ETOP, 0.8);
  EXPECT_EQ(c.EN[LAYER_NODES], ETOP);
  EXPECT_LT(c.EN[LAYER_NODES - 1], 1.0 - 0.05);
  EXPECT_GT(c.EN[LAYER_NODES - 1], ETOP);
  for (int i = LAYER_NODES - 10; i <= LAYER_NODES - 2; ++i) EXPECT_LT(c.EN[i], c.EN[i - 1]) << i;
  for (int i = 1; i <= 400; ++i) EXPECT_NEAR(c.EN[i], 1.0, 1e-9) << i;
}

TEST(IterationSmoke, UnloadedColumnWithoutBuoyantWeightStaysPut) {
  Layer run(1.0, 0.0);
  run.iterate();
  const testing::SolverColumn& c = *run.c;
  EXPECT_EQ(run.ends.ETOP, 1.0);
  for (int i = 1; i <= LAYER_NODES; ++i) EXPECT_NEAR(c.EN[i], 1.0, 1e-12) << i;
}

}  // namespace
}  // namespace slurry1d
