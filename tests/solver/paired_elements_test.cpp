// Two uncracked elements finished together in the lanes of a pair must give
// the bits of each finished alone, whatever the values: ordinary ones, the
// extremes of the double range, zeros, infinities and NaNs.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>

#include "solver/column_fixture.hpp"
#include "solver/uncracked_rows.hpp"

namespace slurry1d {
namespace {

std::uint64_t bits(double x) {
  return std::bit_cast<std::uint64_t>(x);
}

TEST(PairedElements, FinishWithTheBitsOfEachElementAlone) {
  const auto p = testing::make_soil();
  auto col = std::make_unique<SoilColumn>();
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  using limits = std::numeric_limits<double>;
  const double specials[] = {0.0,
                             -0.0,
                             limits::min(),
                             limits::denorm_min(),
                             limits::max(),
                             limits::infinity(),
                             limits::quiet_NaN(),
                             1e-300,
                             1e300,
                             -1.0};
  const auto value = [&](int i) {
    if (i % 7 == 0) return specials[static_cast<std::size_t>(i / 7) % std::size(specials)];
    return std::pow(10.0, 8.0 * unit(rng) - 4.0);
  };
  for (int i = 0; i < 20000; ++i) {
    UncrackedPowers a{value(i), value(i + 1), value(i + 2)};
    UncrackedPowers b{value(i + 3), value(i + 4), value(i + 5)};
    col->DXI[1] = value(i + 6);
    col->DXI[2] = unit(rng);
    UncrackedHalf lower, upper;
    finish_uncracked_pair(p->soil, *col, 1, a, b, lower, upper);
    const UncrackedHalf lone_lower = finish_uncracked_half(p->soil, *col, 1, a);
    const UncrackedHalf lone_upper = finish_uncracked_half(p->soil, *col, 2, b);
    ASSERT_EQ(bits(lower.q), bits(lone_lower.q)) << i;
    ASSERT_EQ(bits(lower.g), bits(lone_lower.g)) << i;
    ASSERT_EQ(bits(upper.q), bits(lone_upper.q)) << i;
    ASSERT_EQ(bits(upper.g), bits(lone_upper.g)) << i;
  }
}

}  // namespace
}  // namespace slurry1d
