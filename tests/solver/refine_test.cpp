#include "solver/refine.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "model/run_stop.hpp"
#include "solver/nodeset_columns.hpp"

namespace slurry1d {
namespace {

using testing_support::fill_uniform_column;
using testing_support::make_column;
using testing_support::make_parameters;

// Constants chosen so that at a node with EN = 1 the gradient g of a velocity
// boundary is 1 - 2 v: E0 = 1, sp = -1 (A1 = 1, B1 = -1), GS = 2, GW = 2,
// HTOT = 1, K0 = 1. With ME = 0.88 the tenth of the distance to ME is 0.012,
// so an impervious base (v = 0, g = 1) gives hB = 0.012 and an evaporating
// top with VT = 1.5 (g = -2) gives hT = 0.006.
class RefineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p->soil.A1 = 1.0;
    p->soil.B1 = -1.0;
    p->soil.Z1 = 1.0;
    p->soil.E0 = 1.0;
    p->soil.K0 = 1.0;
    p->soil.D = 4.0;
    p->soil.GS = 2.0;
    p->soil.GW = 2.0;
    p->soil.HTOT = 1.0;
    ME = 0.88;
    p->bc.ITOP = static_cast<TopBoundary>(3);
    p->bc.IBOT = static_cast<BottomBoundary>(3);
    // 21 nodes 0.05 apart: DXI = 0.05 everywhere.
    fill_uniform_column(
        *col, 21, 0.0, 1.0, [](double) { return 1.0; }, 1.0, 1.0);
  }

  std::string run() {
    std::ostringstream os;
    RecordWriter console(os);
    refine_boundary_elements(p->soil, p->geometry(), p->bc, ME, *col, added, console);
    return os.str();
  }

  std::unique_ptr<testing::SolverCase> p = make_parameters();
  double ME = 0.0;  // the minimum void ratio
  std::unique_ptr<SoilColumn> col = make_column();
  NodeAddition added{9, 9, 9, 9};
};

TEST_F(RefineTest, NoVelocityBoundaryAddsNothingAndRebuildsHydrostaticStress) {
  p->bc.LT = 3.0;
  p->bc.LB = 0.5;
  for (int k = 1; k <= 21; ++k) col->SIGE[k] = -7.0;
  const std::string out = run();

  EXPECT_EQ(out,
            " ADDITIONAL NODES ADDED AT TOP    = 0\n"
            " ADDITIONAL NODES ADDED AT BOTTOM = 0\n"
            " TOTAL NUMBER OF NODES\t    = 21\n");
  EXPECT_EQ(added.KTOPADD, 0);
  EXPECT_EQ(added.KBOTADD, 0);
  EXPECT_EQ(added.NTOPADD, 0);
  EXPECT_EQ(added.NBOTADD, 0);
  ASSERT_EQ(col->NN, 21);
  for (int k = 1; k <= 21; ++k) EXPECT_EQ(col->Z[k], (k - 1) * 0.05) << k;
  // Buoyant weight (GS - 1) GW dz / (1 + e) = 0.05 per element, LT on top,
  // LB once at the base.
  EXPECT_EQ(col->SIGE[21], 3.0);
  for (int k = 2; k <= 20; ++k) EXPECT_NEAR(col->SIGE[k], 3.0 + (21 - k) * 0.05, 1e-13) << k;
  EXPECT_NEAR(col->SIGE[1], 3.0 + 20 * 0.05 + 0.5, 1e-13);
}

TEST_F(RefineTest, BottomSplitOfFourNodesGivesFiveEqualElements) {
  p->bc.IBOT = static_cast<BottomBoundary>(1);
  col->EN[1] = 0.9;  // the estimate reads node 2, which stays at 1
  const std::string out = run();

  // 0.05 / 0.012 = 4.17, truncated to 4.
  EXPECT_EQ(added.KBOTADD, 1);
  EXPECT_EQ(added.NBOTADD, 4);
  EXPECT_EQ(added.KTOPADD, 0);
  ASSERT_EQ(col->NN, 25);
  EXPECT_EQ(out,
            " ADDITIONAL NODES ADDED AT TOP    = 0\n"
            " ADDITIONAL NODES ADDED AT BOTTOM = 4\n"
            " TOTAL NUMBER OF NODES\t    = 25\n");

  EXPECT_EQ(col->Z[1], 0.0);
  for (int k = 2; k <= 5; ++k) EXPECT_NEAR(col->Z[k], 0.01 * (k - 1), 1e-16) << k;
  for (int k = 6; k <= 25; ++k) EXPECT_EQ(col->Z[k], (k - 5) * 0.05) << k;
  // New nodes on the straight line from EN(1) = 0.9 to the old node 2.
  EXPECT_EQ(col->EN[1], 0.9);
  for (int k = 2; k <= 5; ++k) EXPECT_NEAR(col->EN[k], 0.9 + 0.02 * (k - 1), 1e-15) << k;
  for (int k = 6; k <= 25; ++k) EXPECT_EQ(col->EN[k], 1.0) << k;
  // Five elements of elevation span 0.01 at their own mean void ratios.
  for (int j = 1; j <= 5; ++j) {
    const double em = (col->EN[j] + col->EN[j + 1]) / 2.0;
    EXPECT_NEAR(col->DXI[j], 0.01 * 2.0 / (1.0 + em), 1e-16) << j;
  }
  for (int j = 6; j <= 24; ++j) EXPECT_NEAR(col->DXI[j], 0.05, 1e-15) << j;
}

TEST_F(RefineTest, TopSplitRecomputesTheMPlusOneElementsBelowTheNewTop) {
  p->bc.ITOP = static_cast<TopBoundary>(1);
  p->bc.VT = 1.5;
  col->EN[20] = 0.9;  // below the top node, which the estimate reads
  run();

  // 0.05 / 0.006 = 8.33, truncated to 8.
  EXPECT_EQ(added.KTOPADD, 1);
  EXPECT_EQ(added.NTOPADD, 8);
  EXPECT_EQ(added.KBOTADD, 0);
  ASSERT_EQ(col->NN, 29);
  EXPECT_EQ(col->EN[29], 1.0);
  EXPECT_EQ(col->EN[20], 0.9);
  for (int k = 21; k <= 28; ++k) {
    EXPECT_NEAR(col->EN[k], 1.0 - (29 - k) * (0.1 / 9.0), 1e-15) << k;
    EXPECT_NEAR(col->Z[k], 1.0 - (29 - k) * (0.05 / 9.0), 1e-15) << k;
  }
  EXPECT_EQ(col->Z[29], 20 * 0.05);
  EXPECT_EQ(col->Z[20], 19 * 0.05);
  for (int k = 20; k <= 28; ++k) {
    const double em = (col->EN[k] + col->EN[k + 1]) / 2.0;
    EXPECT_NEAR(col->DXI[k], (0.05 / 9.0) * 2.0 / (1.0 + em), 1e-16) << k;
  }
  // Element 20 spans from the old node 20 (EN 0.9) to the first new node.
  EXPECT_NE(col->DXI[20], col->DXI[28]);
  EXPECT_NEAR(col->DXI[19], 0.05, 1e-15);
}

TEST_F(RefineTest, BothEndsSplitKeepInteriorNodesAndStress) {
  p->bc.IBOT = static_cast<BottomBoundary>(1);
  p->bc.ITOP = static_cast<TopBoundary>(1);
  p->bc.VT = 1.5;
  p->bc.LT = 2.0;
  p->bc.LB = 0.25;
  const std::string out = run();

  ASSERT_EQ(col->NN, 33);
  EXPECT_EQ(added.NBOTADD, 4);
  EXPECT_EQ(added.NTOPADD, 8);
  EXPECT_EQ(out,
            " ADDITIONAL NODES ADDED AT TOP    = 8\n"
            " ADDITIONAL NODES ADDED AT BOTTOM = 4\n"
            " TOTAL NUMBER OF NODES\t    = 33\n");
  // Old nodes 2..20 now sit at 6..24 with their elevations.
  for (int k = 6; k <= 24; ++k) EXPECT_EQ(col->Z[k], (k - 5) * 0.05) << k;
  EXPECT_EQ(col->Z[33], 20 * 0.05);
  for (int k = 2; k <= 33; ++k) EXPECT_GT(col->Z[k], col->Z[k - 1]) << k;
  // Hydrostatic: 0.05 per 0.05 of elevation at EN = 1, whatever the spacing.
  EXPECT_EQ(col->SIGE[33], 2.0);
  EXPECT_NEAR(col->SIGE[1], 2.0 + 1.0 + 0.25, 1e-13);
  EXPECT_NEAR(col->SIGE[2], 2.0 + 0.99, 1e-13);
}

TEST_F(RefineTest, ZeroEstimateSplitsNothingButRecomputesTheEndElement) {
  p->bc.IBOT = static_cast<BottomBoundary>(1);
  ME = 1.0;  // q = 0 at node 2
  col->DXI[1] = 0.123;
  run();
  EXPECT_EQ(added.KBOTADD, 1);
  EXPECT_EQ(added.NBOTADD, 0);
  EXPECT_EQ(col->NN, 21);
  EXPECT_EQ(col->DXI[1], 0.05);
}

TEST_F(RefineTest, NegativeEstimateSplitsNothingButRecomputesTheEndElement) {
  p->bc.ITOP = static_cast<TopBoundary>(1);
  p->bc.VT = 0.0;  // g = 1 at the top: hT = -0.012
  col->DXI[20] = 0.123;
  run();
  EXPECT_EQ(added.KTOPADD, 1);
  EXPECT_EQ(added.NTOPADD, 0);
  EXPECT_EQ(col->NN, 21);
  EXPECT_NEAR(col->DXI[20], 0.05, 1e-15);
}

TEST_F(RefineTest, InfiniteOrNaNEstimateSplitsNothing) {
  // VT = 0.5 makes g = -0 at the top: hT = -(0.012 / -0) = +infinity.
  p->bc.ITOP = static_cast<TopBoundary>(1);
  p->bc.VT = 0.5;
  col->DXI[20] = 0.123;
  run();
  EXPECT_EQ(added.KTOPADD, 0);
  EXPECT_EQ(col->DXI[20], 0.123);

  p->bc.IBOT = static_cast<BottomBoundary>(1);
  ME = std::numeric_limits<double>::quiet_NaN();
  col->DXI[1] = 0.123;
  run();
  EXPECT_EQ(added.KBOTADD, 0);
  EXPECT_EQ(added.KTOPADD, 0);
  EXPECT_EQ(col->NN, 21);
  EXPECT_EQ(col->DXI[1], 0.123);
}

void expect_capacity_stop(const std::function<void()>& call) {
  try {
    call();
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::CannotGoOn);
    EXPECT_EQ(stop.exit_status(), 3);
    ASSERT_EQ(stop.lines().size(), 2u);
    EXPECT_EQ(stop.lines()[0],
              "INAPPROPRIATE COMBINATION OF BOUNDARY CONDITIONS AND MATERIAL PROPERTIES!");
    EXPECT_EQ(stop.lines()[1],
              "PLEASE ADJUST THE BOUNDARY CONDITION OR MODIFY THE MATRIAL PROPERTIES!");
  }
}

TEST_F(RefineTest, BottomSplitBeyondCapacityStopsBeforeTouchingTheColumn) {
  p->bc.IBOT = static_cast<BottomBoundary>(1);
  p->bc.ITOP = static_cast<TopBoundary>(1);
  p->bc.VT = 1.5;
  std::ostringstream os;
  RecordWriter console(os);
  for (const double VB : {0.0, -1e300}) {
    // VB = 0 with ME just below E0: 5e11 nodes; VB = -1e300: about 8e300
    // nodes, far past any integer.
    p->bc.VB = VB;
    ME = VB == 0.0 ? 1.0 - 1e-12 : 0.88;
    expect_capacity_stop(
        [&] { refine_boundary_elements(p->soil, p->geometry(), p->bc, ME, *col, added, console); });
    EXPECT_EQ(col->NN, 21);
    EXPECT_EQ(col->DXI[1], 0.05);
    EXPECT_EQ(col->Z[2], 0.05);
    EXPECT_EQ(col->EN[22], 0.0);
  }
  EXPECT_EQ(os.str(), "");
}

// A column of NN nodes whose entries above NN hold a marker.
void fill_large_column(SoilColumn& col, int NN) {
  fill_uniform_column(
      col, NN, 0.0, (NN - 1) * 0.05, [](double) { return 1.0; }, 1.0, 1.0);
  for (int k = NN + 1; k <= MAXNODE; ++k) {
    col.EN[k] = 7.0;
    col.Z[k] = 7.0;
    col.DXI[k] = 7.0;
  }
}

TEST_F(RefineTest, ColumnMayReachButNotPassTheCapacity) {
  p->bc.IBOT = static_cast<BottomBoundary>(1);
  fill_large_column(*col, MAXNODE - 4);
  run();
  EXPECT_EQ(col->NN, MAXNODE);
  EXPECT_EQ(col->EN[MAXNODE], 1.0);
  EXPECT_NEAR(col->Z[MAXNODE], (MAXNODE - 5) * 0.05, 1e-9);

  fill_large_column(*col, MAXNODE - 3);
  expect_capacity_stop([&] { run(); });
  EXPECT_EQ(col->NN, MAXNODE - 3);
  EXPECT_EQ(col->EN[MAXNODE], 7.0);
}

TEST_F(RefineTest, TopSplitBeyondCapacityStopsWithNothingWrittenPastIt) {
  p->bc.IBOT = static_cast<BottomBoundary>(1);
  p->bc.ITOP = static_cast<TopBoundary>(1);
  p->bc.VT = 1.5;
  fill_large_column(*col, MAXNODE - 10);  // +4 at the bottom fits, +8 at the top does not
  expect_capacity_stop([&] { run(); });
  for (int k = MAXNODE - 5; k <= MAXNODE; ++k) {
    EXPECT_EQ(col->EN[k], 7.0) << k;
    EXPECT_EQ(col->Z[k], 7.0) << k;
    EXPECT_EQ(col->DXI[k], 7.0) << k;
  }
}

}  // namespace
}  // namespace slurry1d
