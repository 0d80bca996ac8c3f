#include "driver/profile.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace slurry1d {
namespace {

struct Built {
  std::unique_ptr<SoilColumn> col = std::make_unique<SoilColumn>();
  double H0 = -1.0;
  double ZBOT = -1.0;
};

Built build(double E0, std::initializer_list<ProfilePair> points, int NN) {
  auto pairs = std::make_unique<FixedArray<ProfilePair, MAXNODE>>();
  int ND = 0;
  for (const ProfilePair& pt : points) (*pairs)[++ND] = pt;
  Built b;
  build_profile_from_pairs(E0, *pairs, ND, NN, *b.col, b.H0, b.ZBOT);
  return b;
}

TEST(BuildProfileFromPairs, TwoPairsThreeNodes) {
  const Built b = build(3.0, {{2.0, 0.0}, {1.0, 10.0}}, 3);
  const SoilColumn& c = *b.col;
  EXPECT_EQ(c.Z[1], 0.0);
  EXPECT_EQ(c.Z[2], 5.0);
  EXPECT_EQ(c.Z[3], 10.0);
  EXPECT_EQ(c.EN[1], 2.0 / 3.0);
  EXPECT_EQ(c.EN[2], 0.5);
  EXPECT_EQ(c.EN[3], 1.0 / 3.0);
  EXPECT_EQ(c.DXI[1], 4.0 * 5.0 / 2.75);
  EXPECT_EQ(c.DXI[2], 4.0 * 5.0 / 2.25);
  // No node above the top: its void ratio counts as 0.
  EXPECT_EQ(c.DXI[3], 4.0 * 5.0 / 1.5);
  EXPECT_EQ(b.H0, 4.0 * 5.0 / 2.75 + 4.0 * 5.0 / 2.25);
  EXPECT_EQ(b.ZBOT, 0.0);
}

TEST(BuildProfileFromPairs, UniformProfileHasNodeSpacingAsNominalLength) {
  const double E0 = 2.871;
  const Built b = build(E0, {{E0, 0.0}, {E0, 3.7}, {E0, 4.1}, {E0, 9.3}}, 501);
  const SoilColumn& c = *b.col;
  const double DZ = 9.3 / 500;
  for (int i = 1; i <= 500; ++i) {
    ASSERT_NEAR(c.DXI[i], DZ, 1e-15 * DZ) << i;
    ASSERT_NEAR(c.EN[i], 1.0, 1e-14) << i;
  }
  EXPECT_EQ(c.EN[501], 1.0);
  EXPECT_NEAR(b.H0, 9.3, 1e-12);
}

TEST(BuildProfileFromPairs, NodeOnAPairTakesItsVoidRatio) {
  // Spacing 2: node 3 stands exactly at the middle pair.
  const Built b = build(2.0, {{3.0, 0.0}, {2.2, 4.0}, {1.1, 10.0}}, 6);
  const SoilColumn& c = *b.col;
  EXPECT_EQ(c.Z[3], 4.0);
  EXPECT_EQ(c.EN[3], 2.2 / 2.0);
  // Its neighbours interpolate in the two different intervals.
  EXPECT_EQ(c.EN[2], ((2.0 - 0.0) * 2.2 + (4.0 - 2.0) * 3.0) / 4.0 / 2.0);
  EXPECT_EQ(c.EN[4], ((6.0 - 4.0) * 1.1 + (10.0 - 6.0) * 2.2) / 6.0 / 2.0);
  EXPECT_EQ(c.EN[5], ((8.0 - 4.0) * 1.1 + (10.0 - 8.0) * 2.2) / 6.0 / 2.0);
}

TEST(BuildProfileFromPairs, RaisedBottomKeepsAbsoluteAccumulatedElevations) {
  const double E0 = 1.9;
  const int NN = 501;
  const Built b = build(E0, {{1.8, 100.0}, {1.2, 104.3}, {0.9, 110.3}}, NN);
  const SoilColumn& c = *b.col;
  EXPECT_EQ(b.ZBOT, 100.0);
  EXPECT_EQ(c.Z[1], 100.0);
  EXPECT_EQ(c.Z[NN], 110.3);
  const double DZ = (110.3 - 100.0) / (NN - 1);
  double z = 100.0;
  int differs_from_product = 0;
  for (int i = 2; i <= NN - 1; ++i) {
    z = z + DZ;
    ASSERT_EQ(c.Z[i], z) << i;
    if (z != 100.0 + (i - 1) * DZ) ++differs_from_product;
  }
  EXPECT_GT(differs_from_product, 0);  // the accumulation is what is tested
}

TEST(BuildProfileFromPairs, InterpolatesAndScalesEveryNode) {
  const double E0 = 2.5;
  const ProfilePair pts[] = {{2.4, -1.0}, {2.0, 0.3}, {1.7, 0.35}, {1.1, 2.0}, {0.8, 5.0}};
  const int NN = 37;
  const Built b = build(E0, {pts[0], pts[1], pts[2], pts[3], pts[4]}, NN);
  const SoilColumn& c = *b.col;
  const double DZ = (5.0 - -1.0) / (NN - 1);
  double EV[NN + 2] = {};
  EV[1] = 2.4;
  EV[NN] = 0.8;
  for (int i = 2; i <= NN - 1; ++i) {
    const double z = c.Z[i];
    // Interval found from the top down this time.
    int k = 4;
    while (k > 0 && z <= pts[k - 1].z) --k;
    const ProfilePair lo = pts[k - 1], hi = pts[k];
    EV[i] = ((z - lo.z) * hi.e + (hi.z - z) * lo.e) / (hi.z - lo.z);
    ASSERT_EQ(c.EN[i], EV[i] / E0) << i;
  }
  double H0 = 0.0;
  for (int i = 1; i <= NN; ++i) {
    const double expected = (E0 + 1.0) * DZ / ((EV[i] + EV[i + 1]) * 0.5 + 1.0);
    ASSERT_EQ(c.DXI[i], expected) << i;
    if (i < NN) H0 = H0 + expected;
  }
  EXPECT_EQ(b.H0, H0);
  EXPECT_EQ(b.ZBOT, -1.0);
}

}  // namespace
}  // namespace slurry1d
