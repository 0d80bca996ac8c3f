#include "solver/regrid.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "solver/nodeset_columns.hpp"

namespace slurry1d {
namespace {

using testing_support::fill_column;
using testing_support::fill_uniform_column;
using testing_support::make_column;
using testing_support::solids_height;

constexpr double kE0 = 2.5;

// A smooth, clearly non-linear profile of scaled void ratio over a layer of
// height about 2.
double smooth_profile(double z) {
  return 0.55 + 0.4 * std::cos(1.3 * z) * std::exp(-0.2 * z);
}

// 503 nodes from ZBOT over height H: the 501-node mesh with one extra node in
// the bottom element and one in the top element, as a boundary refinement
// leaves it.
void fill_refined_column(SoilColumn& col, double ZBOT, double H, double HTOT) {
  const double dz = H / 500.0;
  fill_column(
      col, 503,
      [&](int k) {
        if (k == 1) return ZBOT;
        if (k == 2) return ZBOT + 0.5 * dz;
        if (k == 502) return ZBOT + H - 0.5 * dz;
        if (k == 503) return ZBOT + H;
        return ZBOT + (k - 2) * dz;
      },
      [&](double z) { return smooth_profile(z - ZBOT); }, kE0, HTOT);
}

// The linear interpolation of the old profile at z, found by a search from
// node 2 every time.
double interpolate_by_restart(const SoilColumn& old, double z) {
  for (int k = 2; k <= old.NN; ++k) {
    if (z <= old.Z[k]) {
      return ((old.Z[k] - z) * old.EN[k - 1] + (z - old.Z[k - 1]) * old.EN[k]) /
             (old.Z[k] - old.Z[k - 1]);
    }
  }
  return std::nan("");
}

struct RegridCase {
  double ZBOT;
  double H;
};

class RegridRefinedColumn : public ::testing::TestWithParam<RegridCase> {};

TEST_P(RegridRefinedColumn, RestoresTheEvenMeshKeepingEndsProfileAndSolids) {
  const auto [ZBOT, H] = GetParam();
  const double HTOT = 3.0;
  auto col = make_column();
  fill_refined_column(*col, ZBOT, H, HTOT);
  auto old = make_column();
  *old = *col;
  auto work = std::make_unique<RegridWork>();

  regrid_column(51, ColumnGeometry{kE0, HTOT, ZBOT, 0.0, 0.0}, *col, *work);

  ASSERT_EQ(col->NN, 501);
  EXPECT_EQ(col->Z[1], ZBOT);
  EXPECT_EQ(col->Z[501], old->Z[503]);
  EXPECT_EQ(col->EN[1], old->EN[1]);
  EXPECT_EQ(col->EN[501], old->EN[503]);
  const double dz = H / 500.0;
  for (int j = 2; j <= 501; ++j) {
    EXPECT_NEAR(col->Z[j] - col->Z[j - 1], dz, 1e-12) << j;
  }
  for (int j = 2; j <= 500; ++j) {
    EXPECT_EQ(col->EN[j], interpolate_by_restart(*old, col->Z[j])) << j;
  }
  for (int j = 1; j <= 500; ++j) {
    const double e = (col->EN[j] + col->EN[j + 1]) / 2.0;
    EXPECT_NEAR(col->DXI[j] * HTOT * (e * kE0 + 1.0) / (kE0 + 1.0), dz, 1e-14) << j;
  }
  EXPECT_EQ(col->DXI[501], 0.0);
  // Interpolation of a smooth profile: the solids move by far less than one
  // element's share.
  const double before = solids_height(*old, kE0, HTOT);
  EXPECT_NEAR(solids_height(*col, kE0, HTOT), before, 1e-6 * before);
}

INSTANTIATE_TEST_SUITE_P(Bases, RegridRefinedColumn,
                         ::testing::Values(RegridCase{0.0, 2.0}, RegridCase{10.0, 2.0},
                                           RegridCase{-3.0, 1.5}));

TEST(RegridColumn, NewNodeOnAnOldNodeTakesItsValue) {
  // 1001 old nodes 2^-10 apart; the new spacing is twice that, so new node j
  // sits exactly on old node 2j - 1.
  auto col = make_column();
  fill_column(
      *col, 1001, [](int k) { return (k - 1) / 1024.0; },
      [](double z) { return 0.5 + 0.3 * std::sin(40.0 * z); }, kE0, 1.0);
  auto old = make_column();
  *old = *col;
  auto work = std::make_unique<RegridWork>();

  regrid_column(51, ColumnGeometry{kE0, 1.0, 0.0, 0.0, 0.0}, *col, *work);

  ASSERT_EQ(col->NN, 501);
  for (int j = 1; j <= 501; ++j) {
    EXPECT_EQ(col->Z[j], old->Z[2 * j - 1]) << j;
    EXPECT_EQ(col->EN[j], old->EN[2 * j - 1]) << j;
  }
}

TEST(RegridColumn, ThicknessesAreNormalisedByTheGivenHeight) {
  auto col = make_column();
  fill_uniform_column(
      *col, 503, 0.0, 2.0, [](double) { return 1.0; }, kE0, 4.0);
  auto work = std::make_unique<RegridWork>();
  regrid_column(51, ColumnGeometry{kE0, 4.0, 0.0, 0.0, 0.0}, *col, *work);
  // At EN = 1 each element's nominal length is its elevation span.
  for (int j = 1; j <= 500; ++j) EXPECT_NEAR(col->DXI[j], (2.0 / 500.0) / 4.0, 1e-16) << j;
}

}  // namespace
}  // namespace slurry1d
