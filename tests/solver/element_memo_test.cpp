#include "solver/element_memo.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "solver/column_fixture.hpp"
#include "solver/interior_rows.hpp"
#include "solver/step_iterates.hpp"

namespace slurry1d {
namespace {

// Counts its calls; its value tells the argument and the call it came from.
struct CountingFunction {
  int calls = 0;
  double operator()(double x) {
    ++calls;
    return 1000.0 * calls + x;
  }
};

TEST(ElementMemo, ComputesOnlyForArgumentBitsItHasNotSeenAtThatElement) {
  auto memo = std::make_unique<ElementMemo>();
  CountingFunction f;
  const auto at = [&](int k, double x) { return memo->at(k, x, [&](double v) { return f(v); }); };
  EXPECT_EQ(at(5, 0.25), 1000.25);
  EXPECT_EQ(at(5, 0.25), 1000.25);  // same element, same bits: remembered
  EXPECT_EQ(f.calls, 1);
  EXPECT_EQ(at(5, std::nextafter(0.25, 1.0)), 2000.0 + std::nextafter(0.25, 1.0));  // one ulp
  EXPECT_EQ(at(5, 0.25), 3000.25);  // the element remembers its last value only
  EXPECT_EQ(at(6, 0.25), 4000.25);  // another element has its own entry
  EXPECT_EQ(at(5, 0.25), 3000.25);
  EXPECT_EQ(f.calls, 4);
  // Zero and negative zero compare equal but are not the same bits.
  EXPECT_EQ(at(7, 0.0), 5000.0);
  EXPECT_EQ(at(7, -0.0), 6000.0);
  EXPECT_EQ(f.calls, 6);
  // NaN arguments are remembered by their bits like any other.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(at(8, nan)));
  EXPECT_TRUE(std::isnan(at(8, nan)));
  EXPECT_EQ(f.calls, 7);
}

TEST(ElementMemo, ForgetsEverythingAndNeverServesAnElementNotComputed) {
  auto memo = std::make_unique<ElementMemo>();
  CountingFunction f;
  const auto at = [&](int k, double x) { return memo->at(k, x, [&](double v) { return f(v); }); };
  // A new memo is zero: an argument 0.0 at an element never computed is
  // computed all the same.
  EXPECT_EQ(at(3, 0.0), 1000.0);
  // The elements below the first one computed hold its argument and value:
  // a value that is right for them.
  EXPECT_EQ(at(1, 0.0), 1000.0);
  EXPECT_EQ(at(2, 0.5), 2000.5);
  EXPECT_EQ(f.calls, 2);
  memo->forget();
  EXPECT_EQ(at(3, 0.0), 3000.0);
  EXPECT_EQ(at(MAXNODE, 0.0), 4000.0);
  EXPECT_EQ(at(MAXNODE, 0.0), 4000.0);
  EXPECT_EQ(f.calls, 4);
}

TEST(CrackedSlopes, ForgetsTheValuesOfAnotherSoil) {
  auto slopes = std::make_unique<CrackedSlopes>();
  Soil soil = testing::make_soil()->soil;
  slopes->serve(soil);
  const double x = 2.3;
  EXPECT_EQ(slopes->slope_difference(soil, 4, x), soil.slope_difference(x));
  for (double Soil::*constant : {&Soil::A1, &Soil::B1, &Soil::A2, &Soil::B2}) {
    soil.*constant *= 1.01;
    slopes->serve(soil);
    EXPECT_EQ(slopes->slope_difference(soil, 4, x), soil.slope_difference(x));
  }
}

// Passes over a column cracked from node 4 up, with the crack-onset void
// ratios and total stresses of a few nodes moving from pass to pass as the
// geometry of a drying column does: every pass gives the rows of a first
// assembly on fresh iterates, to the bit.
TEST(CrackedSlopes, RepeatedPassesGiveTheRowsOfAFreshAssembly) {
  const auto p = testing::make_soil();
  const int NN = 30;
  auto c = testing::make_column(*p, NN);
  c->NN1 = 4;
  for (int pass = 0; pass < 6; ++pass) {
    if (pass > 0) {
      c->ECR[5 + pass] *= 1.0 + 1e-9 * pass;
      c->SIGV[7 + pass] *= 1.0 - 1e-7;
      c->EN[10 + pass] *= 0.999;
      if (pass == 3) c->NN1 = 2;
      if (pass == 5) c->ECR[NN] = c->ECR[NN] + 0.1;
    }
    assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *c, *c, *c, 0);
    auto fresh = testing::make_column(*p, NN);
    static_cast<SoilColumn&>(*fresh) = static_cast<const SoilColumn&>(*c);
    fresh->EOLD.copy_from(c->EOLD, NN);
    assemble_interior_rows(p->soil, p->bc.VT, testing::STEP, *fresh, *fresh, *fresh, 0);
    for (int i = 2; i <= NN - 1; ++i) {
      ASSERT_EQ(c->CL[i], fresh->CL[i]) << "pass " << pass << " row " << i;
      ASSERT_EQ(c->CD[i], fresh->CD[i]) << "pass " << pass << " row " << i;
      ASSERT_EQ(c->CU[i], fresh->CU[i]) << "pass " << pass << " row " << i;
      ASSERT_EQ(c->RHS[i], fresh->RHS[i]) << "pass " << pass << " row " << i;
    }
  }
}

}  // namespace
}  // namespace slurry1d
