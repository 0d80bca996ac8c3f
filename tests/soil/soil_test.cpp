// The soil's relations: what each stands for (slopes, inverses, limits) and
// the order in which each is evaluated, to the bit.

#include "soil/soil.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "support/soft_clay.hpp"

namespace slurry1d {
namespace {

using testing::soft_clay;

// The clay with its 3-D curve equal to its 1-D curve.
Soil clay_with_equal_curves() {
  Soil s = soft_clay();
  s.A2 = s.A1;
  s.B2 = s.B1;
  return s;
}

const std::vector<double> kScaledVoidRatios = {0.31, 0.5, 0.77, 0.93, 1.0};

double relative_difference(double a, double b) {
  return std::abs(a - b) / std::max(std::abs(a), std::abs(b));
}

// ---------------------------------------------------------------- slopes

TEST(StressSlope, AtZeroEffectiveStressIsZ1PowerOverA1B1) {
  struct Case {
    double A1, B1, Z1;
  };
  for (const Case c : {Case{2.5, -0.2, 0.5}, Case{7.0, -0.35, 0.02}, Case{1.3, -0.08, 3.0}}) {
    Soil s;
    s.A1 = c.A1;
    s.B1 = c.B1;
    s.Z1 = c.Z1;
    s.E0 = c.A1 * std::pow(c.Z1, c.B1);
    const double expected = std::pow(c.Z1, 1.0 - c.B1) / (c.A1 * c.B1);
    EXPECT_NEAR(s.compression_slope(1.0), expected, 1e-13 * std::abs(expected))
        << "A1=" << c.A1 << " B1=" << c.B1 << " Z1=" << c.Z1;
  }
}

TEST(StressSlope, IsTheDerivativeOfTheInverseCurve) {
  const Soil s = soft_clay();
  // s'(e) = (e/A1)^(1/B1) - Z1; compare with a central difference in e.
  for (const double r : kScaledVoidRatios) {
    const double e = r * s.E0;
    const double h = 1e-6 * e;
    const auto stress = [&](double ev) { return std::pow(ev / s.A1, 1.0 / s.B1) - s.Z1; };
    const double numeric = (stress(e + h) - stress(e - h)) / (2.0 * h);
    EXPECT_LT(relative_difference(s.compression_slope(r), numeric), 1e-7) << r;
  }
}

TEST(StressSlope, NegativeForFallingCurves) {
  const Soil s = soft_clay();
  for (const double r : kScaledVoidRatios) {
    EXPECT_LT(s.compression_slope(r), 0.0);
    EXPECT_LT(s.shrinkage_slope(r), 0.0);
  }
}

TEST(SlopeDifference, VanishesForEqualCurvesAndIsTheJumpOfSlopes) {
  const Soil s = soft_clay();
  Soil unscaled = s;
  unscaled.E0 = 1.0;
  for (const double x : {0.6, 1.4, 2.2}) {
    EXPECT_EQ(clay_with_equal_curves().slope_difference(x), 0.0);
    // Unscaled: the same as the slopes at r = x with E0 = 1.
    const double expected = unscaled.compression_slope(x) - unscaled.shrinkage_slope(x);
    EXPECT_NEAR(s.slope_difference(x), expected, 1e-14 * std::abs(expected));
  }
}

// ------------------------------------------------------------ fluxes

TEST(GravityFlux, VanishesWithoutBuoyantWeight) {
  Soil s = soft_clay();
  s.GS = 1.0;
  for (const double r : kScaledVoidRatios) {
    EXPECT_EQ(s.gravity_flux(r), 0.0);
    // Only the stress-gradient part of the cracked flux is left.
    const double R = 0.9, dS = -0.3, fp = -0.02;
    const double expected =
        -((r * s.E0 + 1.0) * dS * fp) * (std::pow(r, s.D) * R / (s.E0 * r + 1.0));
    EXPECT_EQ(s.gravity_flux_cracked(R, r, dS, fp), expected);
  }
}

TEST(GravityFlux, IsBuoyantWeightTimesRelativePermeability) {
  const Soil s = soft_clay();
  for (const double r : kScaledVoidRatios) {
    const double k_rel = s.C * std::pow(r * s.E0, s.D) / s.K0;
    EXPECT_NEAR(s.gravity_flux(r), (s.GS - 1.0) * k_rel / (1.0 + r * s.E0), 1e-14);
  }
}

TEST(GravityFlux, CrackedFormWithEqualCurvesAndNoShrinkageIsTheUncrackedForm) {
  const Soil s = clay_with_equal_curves();
  const double dS = s.slope_difference(1.7);
  for (const double r : kScaledVoidRatios) {
    const double fp = s.crack_onset_slope(3.0);
    EXPECT_NEAR(s.gravity_flux_cracked(1.0, r, dS, fp), s.gravity_flux(r),
                1e-14 * s.gravity_flux(r))
        << r;
  }
}

// ------------------------------------------------------- diffusivities

TEST(Diffusivity, NegativeForFallingCurveAndPositiveForRisingOne) {
  const Soil s = soft_clay();
  Soil rising_curve = s;
  rising_curve.B1 = 0.2;
  for (const double r : kScaledVoidRatios) {
    const double sp = s.compression_slope(r);
    EXPECT_LT(s.diffusivity(r, sp), 0.0) << r;
    const double rising = rising_curve.compression_slope(r);
    EXPECT_GT(s.diffusivity(r, rising), 0.0) << r;
  }
}

TEST(Diffusivity, CrackedFormReducesToUncrackedAtOnsetWithoutShrinkage) {
  // R = 1, x = E0 and the 1-D slope: (1 + x) is (1 + E0) and R^2 = 1.
  const Soil s = soft_clay();
  for (const double r : kScaledVoidRatios) {
    const double sp = s.compression_slope(r);
    const double uncracked = s.diffusivity(r, sp);
    EXPECT_LT(relative_difference(s.diffusivity_cracked(1.0, r, s.E0, sp), uncracked), 1e-14);
    // R enters squared, x through (1 + x).
    EXPECT_LT(
        relative_difference(s.diffusivity_cracked(0.5, r, 2.0 * s.E0 + 1.0, sp), 0.5 * uncracked),
        1e-14);
  }
}

// ----------------------------------------------- velocity and gradients

TEST(BoundaryGradient, InvertsFluidVelocity) {
  const Soil s = soft_clay();
  struct Case {
    double ra, rb, dz;
  };
  const Case cases[] = {{0.95, 0.9, 0.002}, {0.5, 0.52, 0.01}, {1.0, 0.6, 0.1}, {0.7, 0.7, 0.05}};
  for (const double r : kScaledVoidRatios) {
    const double sp = s.compression_slope(r);
    for (const Case c : cases) {
      const double v = s.fluid_velocity(c.ra, c.rb, sp, c.dz, r);
      const double gradient = s.boundary_gradient(v, r, sp);
      const double expected = (c.ra - c.rb) / c.dz;
      EXPECT_NEAR(gradient, expected, 1e-9 * (std::abs(expected) + 1.0))
          << "r=" << r << " ra=" << c.ra << " rb=" << c.rb << " dz=" << c.dz;
    }
  }
}

TEST(FluidVelocity, ZeroAtBuoyantEquilibriumGradient) {
  const Soil s = soft_clay();
  for (const double r : kScaledVoidRatios) {
    const double sp = s.compression_slope(r);
    const double dz = 0.004;
    const double gradient = -(s.GS - 1.0) * s.GW * s.HTOT / (s.E0 * (1.0 + s.E0) * sp);
    ASSERT_GT(gradient, 0.0);  // the void ratio rises upward in equilibrium
    const double v = s.fluid_velocity(r, r - gradient * dz, sp, dz, r);
    EXPECT_NEAR(v, 0.0, 1e-12 * s.K0) << r;
    // And the inverse gives that gradient for no flow.
    EXPECT_NEAR(s.boundary_gradient(0.0, r, sp), gradient, 1e-12 * gradient);
  }
}

TEST(FluidVelocity, UpwardFlowWithoutGradientIsBuoyantSeepage) {
  const Soil s = soft_clay();
  for (const double r : kScaledVoidRatios) {
    const double sp = s.compression_slope(r);
    const double k = s.permeability(r * s.E0);
    EXPECT_EQ(k, s.C * std::pow(r * s.E0, s.D));
    EXPECT_NEAR(s.fluid_velocity(r, r, sp, 0.01, r), (s.GS - 1.0) * k / (1.0 + r * s.E0),
                1e-12 * k);
  }
}

TEST(BoundaryGradient, CrackedFormReducesToUncrackedAtOnsetWithEqualCurves) {
  const Soil s = soft_clay();
  for (const double r : kScaledVoidRatios) {
    const double sp = s.compression_slope(r);
    for (const double v : {0.0, 3e-7, -2e-6}) {
      const double uncracked = s.boundary_gradient(v, r, sp);
      const double cracked = s.boundary_gradient_cracked(1.0, s.E0, sp, v, r, 0.0, -0.5);
      EXPECT_LT(relative_difference(cracked, uncracked), 1e-13) << "r=" << r << " v=" << v;
    }
  }
}

// -------------------------------------------------------------- cracks

TEST(CrackOnsetSlope, IsTheDerivativeOfTheOnsetVoidRatio) {
  const Soil s = soft_clay();
  for (const double stress : {0.0, 0.4, 3.0, 25.0, 400.0}) {
    const double h = 1e-5 * (stress + 1.0);
    const double numeric =
        (s.crack_onset_void_ratio(stress + h) - s.crack_onset_void_ratio(stress - h)) / (2.0 * h);
    EXPECT_LT(relative_difference(s.crack_onset_slope(stress), numeric), 1e-7) << stress;
  }
}

TEST(CrackOnsetVoidRatio, LimitsAtZeroAndLargeStress) {
  const Soil s = soft_clay();
  EXPECT_EQ(s.crack_onset_void_ratio(0.0), 1.0 / std::pow(s.CRA, s.CRC) + 1.0 / s.CRD);
  EXPECT_NEAR(s.crack_onset_void_ratio(1e15), 1.0 / s.CRD, 1e-9);
  // Falls monotonically with the stress for positive b and c.
  double previous = s.crack_onset_void_ratio(0.0);
  for (const double stress : {1.0, 10.0, 100.0, 1000.0}) {
    const double now = s.crack_onset_void_ratio(stress);
    EXPECT_LT(now, previous);
    EXPECT_GT(now, 1.0 / s.CRD);
    previous = now;
  }
}

// ---------------------------------------------------------- shrinkage

// A soil whose void ratio at zero stress is E0.
Soil with_E0(double E0) {
  Soil s;
  s.E0 = E0;
  return s;
}

TEST(ShrinkageRatio, UsesTwoThirdsInSinglePrecision) {
  // r E0 = 2, x = 1: 3 / (2/3 + (0.6666666865348816 + 1)).
  EXPECT_EQ(with_E0(2.0).shrinkage_ratio(1.0, 1.0), 1.285714274766494);
  EXPECT_EQ(with_E0(4.0).shrinkage_ratio(0.5, 1.0), 1.285714274766494);
  EXPECT_NE(with_E0(2.0).shrinkage_ratio(1.0, 1.0), 9.0 / 7.0);
}

TEST(ShrinkageRatio, OneAtOnsetBelowOneUnderItAboveOneOver) {
  for (const double E0 : {0.75, 1.5, 2.871, 6.0}) {
    const Soil s = with_E0(E0);
    for (const double x : {0.75, 1.5, 3.0}) {
      const double at_onset = x / E0;
      EXPECT_NEAR(s.shrinkage_ratio(at_onset, x), 1.0, 1e-7) << "E0=" << E0 << " x=" << x;
      EXPECT_LT(s.shrinkage_ratio(0.8 * at_onset, x), 1.0);
      EXPECT_GT(s.shrinkage_ratio(1.2 * at_onset, x), 1.0);
    }
  }
}

// ------------------------------------------------- compression curve

TEST(CompressionCurve, GivesE0AtZeroStressAndItsInverseAtTheShiftedStress) {
  const Soil s = soft_clay();
  EXPECT_EQ(s.void_ratio_at_stress(0.0), s.E0);
  EXPECT_EQ(s.scaled_void_ratio_at_shifted_stress(s.Z1), std::pow(s.Z1, s.B1) * s.A1 / s.E0);
  EXPECT_NEAR(s.scaled_void_ratio_at_shifted_stress(s.Z1), 1.0, 1e-15);
  for (const double sigma : {0.3, 4.0, 70.0}) {
    const double e = s.void_ratio_at_stress(sigma);
    EXPECT_LT(e, s.E0) << sigma;
    EXPECT_NEAR(s.scaled_void_ratio_at_shifted_stress(sigma + s.Z1), e / s.E0, 1e-15) << sigma;
    // The inverse curve s'(e) = (e/A1)^(1/B1) - Z1 takes it back.
    EXPECT_NEAR(std::pow(e / s.A1, 1.0 / s.B1) - s.Z1, sigma, 1e-12 * sigma) << sigma;
  }
}

TEST(CompressionCurve, ThePiecesOfTheSolverGiveTheBitsOfTheWholeRelations) {
  const Soil s = soft_clay();
  for (const double r : kScaledVoidRatios) {
    EXPECT_EQ(s.compression_slope_of_power(s.compression_power(r)), s.compression_slope(r)) << r;
    const double rD = s.permeability_ratio(r);
    EXPECT_EQ(rD, std::pow(r, s.D));
    EXPECT_EQ(s.gravity_flux_of_power(r, rD), s.gravity_flux(r)) << r;
    const double sp = s.compression_slope(r);
    EXPECT_EQ(s.diffusivity_of_power(r, rD, sp), s.diffusivity(r, sp)) << r;
  }
}

// ------------------------------------------------ order of evaluation

// Each function against its expression written out in the order of the
// model, and against a regrouping of the same algebra: the first must agree
// to the last bit, and the sample must be rich enough that the regrouping
// differs somewhere (otherwise the check would prove nothing).
struct OrderCase {
  const char* name;
  std::function<double(double, double, double)> function;
  std::function<double(double, double, double)> written;
  std::function<double(double, double, double)> regrouped;
};

std::vector<OrderCase> order_cases() {
  const Soil s = soft_clay();
  const double E0 = s.E0, D = s.D, GS = s.GS, GW = s.GW, HTOT = s.HTOT, K0 = s.K0;
  std::vector<OrderCase> cases;
  cases.push_back({"compression_slope",
                   [=](double r, double, double) { return s.compression_slope(r); },
                   [=](double r, double, double) {
                     return std::pow((r * E0) / s.A1, 1.0 / s.B1 - 1.0) / s.B1 / s.A1;
                   },
                   [=](double r, double, double) {
                     return std::pow(r * E0 / s.A1, 1.0 / s.B1 - 1.0) / (s.B1 * s.A1);
                   }});
  cases.push_back(
      {"gravity_flux", [=](double r, double, double) { return s.gravity_flux(r); },
       [=](double r, double, double) { return std::pow(r, D) * (GS - 1.0) / (r * E0 + 1.0); },
       [=](double r, double, double) { return std::pow(r, D) * ((GS - 1.0) / (r * E0 + 1.0)); }});
  cases.push_back(
      {"gravity_flux_cracked",
       [=](double r, double a, double b) { return s.gravity_flux_cracked(a, r, b, -0.013); },
       [=](double r, double a, double b) {
         return ((GS - 1.0) - (r * E0 + GS) * b * -0.013) * (std::pow(r, D) * a / (E0 * r + 1.0));
       },
       [=](double r, double a, double b) {
         return ((GS - 1.0) - (r * E0 + GS) * (b * -0.013)) * std::pow(r, D) * a / (E0 * r + 1.0);
       }});
  cases.push_back({"diffusivity", [=](double r, double a, double) { return s.diffusivity(r, -a); },
                   [=](double r, double a, double) {
                     return std::pow(r, D) * E0 / GW / HTOT * (E0 + 1.0) / (r * E0 + 1.0) * -a;
                   },
                   [=](double r, double a, double) {
                     return std::pow(r, D) * E0 * (E0 + 1.0) * -a / (GW * HTOT * (r * E0 + 1.0));
                   }});
  cases.push_back(
      {"diffusivity_cracked",
       [=](double r, double a, double b) { return s.diffusivity_cracked(a, r, b, -0.37); },
       [=](double r, double a, double b) {
         return (b + 1.0) * (std::pow(r, D) * (a * a * E0)) * -0.37 / GW / HTOT / (r * E0 + 1.0);
       },
       [=](double r, double a, double b) {
         return (b + 1.0) * std::pow(r, D) * a * a * E0 * -0.37 / (GW * HTOT * (r * E0 + 1.0));
       }});
  cases.push_back(
      {"boundary_gradient",
       [=](double r, double a, double) { return s.boundary_gradient(a * 1e-6, r, -0.41); },
       [=](double r, double a, double) {
         return ((r * E0 + 1.0) * (a * 1e-6 / K0) / std::pow(r, D) - GS + 1.0) *
                (GW * HTOT / E0 / (E0 + 1.0) / -0.41);
       },
       [=](double r, double a, double) {
         return ((r * E0 + 1.0) * (a * 1e-6 / K0) / std::pow(r, D) - (GS - 1.0)) *
                (GW * HTOT / (E0 * (E0 + 1.0) * -0.41));
       }});
  cases.push_back({"boundary_gradient_cracked",
                   [=](double r, double a, double b) {
                     return s.boundary_gradient_cracked(a, b, -0.29, 2e-6, r, 0.21, -0.013);
                   },
                   [=](double r, double a, double b) {
                     return ((E0 * r + 1.0) * 2e-6 / K0 / std::pow(r, D) -
                             ((GS - 1.0) - (r * E0 + GS) * 0.21 * -0.013)) *
                            (GW * HTOT / a / E0 / (b + 1.0) / -0.29);
                   },
                   [=](double r, double a, double b) {
                     return ((E0 * r + 1.0) * (2e-6 / K0) / std::pow(r, D) -
                             ((GS - 1.0) - (r * E0 + GS) * 0.21 * -0.013)) *
                            (GW * HTOT / (a * E0 * (b + 1.0) * -0.29));
                   }});
  cases.push_back(
      {"fluid_velocity",
       [=](double r, double a, double b) {
         return s.fluid_velocity(r, r - a * 0.01, -0.41, b * 0.01, r);
       },
       [=](double r, double a, double b) {
         return ((r - (r - a * 0.01)) * ((E0 + 1.0) * E0 * -0.41 / GW / HTOT) / (b * 0.01) +
                 (GS - 1.0)) *
                (std::pow(r, D) * K0 / (E0 * r + 1.0));
       },
       [=](double r, double a, double b) {
         return ((r - (r - a * 0.01)) / (b * 0.01) * ((E0 + 1.0) * E0 * -0.41) / (GW * HTOT) +
                 (GS - 1.0)) *
                std::pow(r, D) * K0 / (E0 * r + 1.0);
       }});
  cases.push_back({"slope_difference",
                   [=](double, double a, double) { return s.slope_difference(a); },
                   [=](double, double a, double) {
                     return std::pow(a / s.A1, 1.0 / s.B1 - 1.0) / s.A1 / s.B1 -
                            std::pow(a / s.A2, 1.0 / s.B2 - 1.0) / s.A2 / s.B2;
                   },
                   [=](double, double a, double) {
                     return std::pow(a / s.A1, 1.0 / s.B1 - 1.0) / (s.A1 * s.B1) -
                            std::pow(a / s.A2, 1.0 / s.B2 - 1.0) / (s.A2 * s.B2);
                   }});
  cases.push_back({"crack_onset_slope",
                   [=](double, double a, double) { return s.crack_onset_slope(a * 7.0); },
                   [=](double, double a, double) {
                     return -(s.CRC * s.CRB) / std::pow(s.CRB * (a * 7.0) + s.CRA, s.CRC + 1.0);
                   },
                   [=](double, double a, double) {
                     return -s.CRC * (s.CRB / std::pow(s.CRB * (a * 7.0) + s.CRA, s.CRC + 1.0));
                   }});
  cases.push_back({"shrinkage_ratio",
                   [=](double r, double, double b) { return s.shrinkage_ratio(r, b); },
                   [=](double r, double, double b) {
                     return (r * E0 + 1.0) / ((r * E0) / 3.0 + (b * 0.6666666865348816 + 1.0));
                   },
                   [=](double r, double, double b) {
                     return (r * E0 + 1.0) / (1.0 + (r * E0) / 3.0 + b * 0.6666666865348816);
                   }});
  cases.push_back({"crack_onset_void_ratio",
                   [=](double, double a, double) { return s.crack_onset_void_ratio(a * 7.0); },
                   [=](double, double a, double) {
                     return 1.0 / std::pow(s.CRB * (a * 7.0) + s.CRA, s.CRC) + 1.0 / s.CRD;
                   },
                   [=](double, double a, double) {
                     const double p = std::pow(s.CRB * (a * 7.0) + s.CRA, s.CRC);
                     return (1.0 + p / s.CRD) / p;
                   }});
  cases.push_back({"shrinkage_slope",
                   [=](double r, double, double) { return s.shrinkage_slope(r); },
                   [=](double r, double, double) {
                     return std::pow((r * E0) / s.A2, 1.0 / s.B2 - 1.0) / s.B2 / s.A2;
                   },
                   [=](double r, double, double) {
                     return std::pow(r * E0 / s.A2, 1.0 / s.B2 - 1.0) / (s.B2 * s.A2);
                   }});
  cases.push_back(
      {"void_ratio_at_stress",
       [=](double, double a, double) { return s.void_ratio_at_stress(a * 9.0); },
       [=](double, double a, double) { return s.A1 * std::pow(a * 9.0 + s.Z1, s.B1); },
       [=](double, double a, double) { return s.A1 / std::pow(a * 9.0 + s.Z1, -s.B1); }});
  cases.push_back(
      {"scaled_void_ratio_at_shifted_stress",
       [=](double, double a, double) { return s.scaled_void_ratio_at_shifted_stress(a * 9.0); },
       [=](double, double a, double) { return std::pow(a * 9.0, s.B1) * s.A1 / E0; },
       [=](double, double a, double) { return std::pow(a * 9.0, s.B1) * (s.A1 / E0); }});
  return cases;
}

TEST(EvaluationOrder, EveryFunctionMatchesItsWrittenExpressionToTheBit) {
  std::vector<double> rs, as, bs;
  for (int k = 1; k <= 40; ++k) {
    rs.push_back(0.2 + 0.0197 * k);
    as.push_back(0.31 + 0.0433 * k);
    bs.push_back(0.7 + 0.0611 * k);
  }
  for (const OrderCase& c : order_cases()) {
    int regrouped_differs = 0;
    for (std::size_t k = 0; k < rs.size(); ++k) {
      for (std::size_t m = 0; m < as.size(); ++m) {
        const double r = rs[k], a = as[m], b = bs[(k + m) % bs.size()];
        const double got = c.function(r, a, b);
        ASSERT_EQ(got, c.written(r, a, b)) << c.name << " r=" << r << " a=" << a << " b=" << b;
        if (got != c.regrouped(r, a, b)) ++regrouped_differs;
      }
    }
    EXPECT_GT(regrouped_differs, 0) << c.name << ": the sample cannot tell the order apart";
  }
}

TEST(SoilOf, TakesEveryConstantAndScaleOfTheRun) {
  auto def = std::make_unique<RunDefinition>();
  auto scales = std::make_unique<RunScales>();
  double next = 1.0;
  for (double* field : {&def->A1, &def->B1, &def->C, &def->D, &def->Z1, &def->A2, &def->B2,
                        &def->CRA, &def->CRB, &def->CRC, &def->CRD, &def->ETA, &def->CV, &def->GS,
                        &def->GW, &scales->E0, &scales->K0, &scales->HTOT}) {
    *field = next;
    next += 1.0;
  }
  const Soil s = soil_of(*def, *scales);
  const std::vector<double> taken = {s.A1,  s.B1,  s.C,   s.D,  s.Z1, s.A2, s.B2, s.CRA, s.CRB,
                                     s.CRC, s.CRD, s.ETA, s.CV, s.GS, s.GW, s.E0, s.K0,  s.HTOT};
  for (std::size_t i = 0; i < taken.size(); ++i) EXPECT_EQ(taken[i], 1.0 + i) << "field " << i;
}

}  // namespace
}  // namespace slurry1d
