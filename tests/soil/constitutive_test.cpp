#include "soil/constitutive.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace slurry1d {
namespace {

// A soft clay: e = 2.5 (s' + 0.5)^-0.2, k = 1e-6 e^4, a 3-D curve slightly
// flatter than the 1-D one, and a cracking function a..d.
struct Soil {
  double A1 = 2.5, B1 = -0.2, Z1 = 0.5, C = 1e-6, D = 4.0;
  double A2 = 2.1, B2 = -0.15;
  double CRA = 1.2, CRB = 0.05, CRC = 0.8, CRD = 2.0;
  double GS = 2.65, GW = 9.81, HTOT = 10.0;
  double E0 = A1 * std::pow(Z1, B1);
  double K0 = C * std::pow(E0, D);
};

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
    const double E0 = c.A1 * std::pow(c.Z1, c.B1);
    const double expected = std::pow(c.Z1, 1.0 - c.B1) / (c.A1 * c.B1);
    EXPECT_NEAR(stress_slope(1.0, E0, c.A1, c.B1), expected, 1e-13 * std::abs(expected))
        << "A1=" << c.A1 << " B1=" << c.B1 << " Z1=" << c.Z1;
  }
}

TEST(StressSlope, IsTheDerivativeOfTheInverseCurve) {
  const Soil s;
  // s'(e) = (e/A1)^(1/B1) - Z1; compare with a central difference in e.
  for (const double r : kScaledVoidRatios) {
    const double e = r * s.E0;
    const double h = 1e-6 * e;
    const auto stress = [&](double ev) { return std::pow(ev / s.A1, 1.0 / s.B1) - s.Z1; };
    const double numeric = (stress(e + h) - stress(e - h)) / (2.0 * h);
    EXPECT_LT(relative_difference(stress_slope(r, s.E0, s.A1, s.B1), numeric), 1e-7) << r;
  }
}

TEST(StressSlope, NegativeForFallingCurves) {
  const Soil s;
  for (const double r : kScaledVoidRatios) {
    EXPECT_LT(stress_slope(r, s.E0, s.A1, s.B1), 0.0);
    EXPECT_LT(stress_slope(r, s.E0, s.A2, s.B2), 0.0);
  }
}

TEST(SlopeDifference, VanishesForEqualCurvesAndIsTheJumpOfSlopes) {
  const Soil s;
  for (const double x : {0.6, 1.4, 2.2}) {
    EXPECT_EQ(slope_difference(s.A1, s.B1, x, s.A1, s.B1), 0.0);
    // Unscaled: the same as stress_slope at r = x with E0 = 1.
    const double expected = stress_slope(x, 1.0, s.A1, s.B1) - stress_slope(x, 1.0, s.A2, s.B2);
    EXPECT_NEAR(slope_difference(s.A1, s.B1, x, s.A2, s.B2), expected, 1e-14 * std::abs(expected));
  }
}

// ------------------------------------------------------------ fluxes

TEST(GravityFlux, VanishesWithoutBuoyantWeight) {
  const Soil s;
  for (const double r : kScaledVoidRatios) {
    EXPECT_EQ(gravity_flux(1.0, r, s.D, s.E0), 0.0);
    // Only the stress-gradient part of the cracked flux is left.
    const double R = 0.9, dS = -0.3, fp = -0.02;
    const double expected =
        -((r * s.E0 + 1.0) * dS * fp) * (std::pow(r, s.D) * R / (s.E0 * r + 1.0));
    EXPECT_EQ(gravity_flux_cracked(R, r, s.D, s.E0, 1.0, dS, fp), expected);
  }
}

TEST(GravityFlux, IsBuoyantWeightTimesRelativePermeability) {
  const Soil s;
  for (const double r : kScaledVoidRatios) {
    const double k_rel = s.C * std::pow(r * s.E0, s.D) / s.K0;
    EXPECT_NEAR(gravity_flux(s.GS, r, s.D, s.E0), (s.GS - 1.0) * k_rel / (1.0 + r * s.E0), 1e-14);
  }
}

TEST(GravityFlux, CrackedFormWithEqualCurvesAndNoShrinkageIsTheUncrackedForm) {
  const Soil s;
  const double dS = slope_difference(s.A1, s.B1, 1.7, s.A1, s.B1);
  for (const double r : kScaledVoidRatios) {
    const double fp = crack_onset_slope(s.CRA, s.CRB, s.CRC, 3.0);
    EXPECT_NEAR(gravity_flux_cracked(1.0, r, s.D, s.E0, s.GS, dS, fp),
                gravity_flux(s.GS, r, s.D, s.E0), 1e-14 * gravity_flux(s.GS, r, s.D, s.E0))
        << r;
  }
}

// ------------------------------------------------------- diffusivities

TEST(Diffusivity, NegativeForFallingCurveAndPositiveForRisingOne) {
  const Soil s;
  for (const double r : kScaledVoidRatios) {
    const double sp = stress_slope(r, s.E0, s.A1, s.B1);
    EXPECT_LT(diffusivity(r, s.D, s.E0, s.GW, s.HTOT, sp), 0.0) << r;
    const double rising = stress_slope(r, s.E0, s.A1, 0.2);
    EXPECT_GT(diffusivity(r, s.D, s.E0, s.GW, s.HTOT, rising), 0.0) << r;
  }
}

TEST(Diffusivity, CrackedFormReducesToUncrackedAtOnsetWithoutShrinkage) {
  // R = 1, x = E0 and the 1-D slope: (1 + x) is (1 + E0) and R^2 = 1.
  const Soil s;
  for (const double r : kScaledVoidRatios) {
    const double sp = stress_slope(r, s.E0, s.A1, s.B1);
    const double uncracked = diffusivity(r, s.D, s.E0, s.GW, s.HTOT, sp);
    EXPECT_LT(relative_difference(diffusivity_cracked(1.0, r, s.E0, s.D, s.E0, sp, s.GW, s.HTOT),
                                  uncracked),
              1e-14);
    // R enters squared, x through (1 + x).
    EXPECT_LT(relative_difference(
                  diffusivity_cracked(0.5, r, s.E0, s.D, 2.0 * s.E0 + 1.0, sp, s.GW, s.HTOT),
                  0.5 * uncracked),
              1e-14);
  }
}

// ----------------------------------------------- velocity and gradients

TEST(BoundaryGradient, InvertsFluidVelocity) {
  const Soil s;
  struct Case {
    double ra, rb, dz;
  };
  const Case cases[] = {{0.95, 0.9, 0.002}, {0.5, 0.52, 0.01}, {1.0, 0.6, 0.1}, {0.7, 0.7, 0.05}};
  for (const double r : kScaledVoidRatios) {
    const double sp = stress_slope(r, s.E0, s.A1, s.B1);
    for (const Case c : cases) {
      const double v = fluid_velocity(c.ra, c.rb, s.GS, s.E0, sp, c.dz, s.D, s.K0, r, s.GW, s.HTOT);
      const double gradient = boundary_gradient(v, r, s.GS, s.D, s.E0, s.K0, sp, s.GW, s.HTOT);
      const double expected = (c.ra - c.rb) / c.dz;
      EXPECT_NEAR(gradient, expected, 1e-9 * (std::abs(expected) + 1.0))
          << "r=" << r << " ra=" << c.ra << " rb=" << c.rb << " dz=" << c.dz;
    }
  }
}

TEST(FluidVelocity, ZeroAtBuoyantEquilibriumGradient) {
  const Soil s;
  for (const double r : kScaledVoidRatios) {
    const double sp = stress_slope(r, s.E0, s.A1, s.B1);
    const double dz = 0.004;
    const double gradient = -(s.GS - 1.0) * s.GW * s.HTOT / (s.E0 * (1.0 + s.E0) * sp);
    ASSERT_GT(gradient, 0.0);  // the void ratio rises upward in equilibrium
    const double v =
        fluid_velocity(r, r - gradient * dz, s.GS, s.E0, sp, dz, s.D, s.K0, r, s.GW, s.HTOT);
    EXPECT_NEAR(v, 0.0, 1e-12 * s.K0) << r;
    // And the inverse gives that gradient for no flow.
    EXPECT_NEAR(boundary_gradient(0.0, r, s.GS, s.D, s.E0, s.K0, sp, s.GW, s.HTOT), gradient,
                1e-12 * gradient);
  }
}

TEST(FluidVelocity, UpwardFlowWithoutGradientIsBuoyantSeepage) {
  const Soil s;
  for (const double r : kScaledVoidRatios) {
    const double sp = stress_slope(r, s.E0, s.A1, s.B1);
    const double k = s.C * std::pow(r * s.E0, s.D);
    EXPECT_NEAR(fluid_velocity(r, r, s.GS, s.E0, sp, 0.01, s.D, s.K0, r, s.GW, s.HTOT),
                (s.GS - 1.0) * k / (1.0 + r * s.E0), 1e-12 * k);
  }
}

TEST(BoundaryGradient, CrackedFormReducesToUncrackedAtOnsetWithEqualCurves) {
  const Soil s;
  for (const double r : kScaledVoidRatios) {
    const double sp = stress_slope(r, s.E0, s.A1, s.B1);
    for (const double v : {0.0, 3e-7, -2e-6}) {
      const double uncracked = boundary_gradient(v, r, s.GS, s.D, s.E0, s.K0, sp, s.GW, s.HTOT);
      const double cracked = boundary_gradient_cracked(s.GW, s.HTOT, 1.0, s.E0, s.E0, sp, v, r,
                                                       s.K0, s.D, s.GS, 0.0, -0.5);
      EXPECT_LT(relative_difference(cracked, uncracked), 1e-13) << "r=" << r << " v=" << v;
    }
  }
}

// -------------------------------------------------------------- cracks

TEST(CrackOnsetSlope, IsTheDerivativeOfTheOnsetVoidRatio) {
  const Soil s;
  for (const double stress : {0.0, 0.4, 3.0, 25.0, 400.0}) {
    const double h = 1e-5 * (stress + 1.0);
    const double numeric = (crack_onset_void_ratio(stress + h, s.CRD, s.CRA, s.CRB, s.CRC) -
                            crack_onset_void_ratio(stress - h, s.CRD, s.CRA, s.CRB, s.CRC)) /
                           (2.0 * h);
    EXPECT_LT(relative_difference(crack_onset_slope(s.CRA, s.CRB, s.CRC, stress), numeric), 1e-7)
        << stress;
  }
}

TEST(CrackOnsetVoidRatio, LimitsAtZeroAndLargeStress) {
  const Soil s;
  EXPECT_EQ(crack_onset_void_ratio(0.0, s.CRD, s.CRA, s.CRB, s.CRC),
            1.0 / std::pow(s.CRA, s.CRC) + 1.0 / s.CRD);
  EXPECT_NEAR(crack_onset_void_ratio(1e15, s.CRD, s.CRA, s.CRB, s.CRC), 1.0 / s.CRD, 1e-9);
  // Falls monotonically with the stress for positive b and c.
  double previous = crack_onset_void_ratio(0.0, s.CRD, s.CRA, s.CRB, s.CRC);
  for (const double stress : {1.0, 10.0, 100.0, 1000.0}) {
    const double now = crack_onset_void_ratio(stress, s.CRD, s.CRA, s.CRB, s.CRC);
    EXPECT_LT(now, previous);
    EXPECT_GT(now, 1.0 / s.CRD);
    previous = now;
  }
}

// ---------------------------------------------------------- shrinkage

TEST(ShrinkageRatio, UsesTwoThirdsInSinglePrecision) {
  // r E0 = 2, x = 1: 3 / (2/3 + (0.6666666865348816 + 1)).
  EXPECT_EQ(shrinkage_ratio(1.0, 1.0, 2.0), 1.285714274766494);
  EXPECT_EQ(shrinkage_ratio(0.5, 1.0, 4.0), 1.285714274766494);
  EXPECT_NE(shrinkage_ratio(1.0, 1.0, 2.0), 9.0 / 7.0);
}

TEST(ShrinkageRatio, OneAtOnsetBelowOneUnderItAboveOneOver) {
  for (const double E0 : {0.75, 1.5, 2.871, 6.0}) {
    for (const double x : {0.75, 1.5, 3.0}) {
      const double at_onset = x / E0;
      EXPECT_NEAR(shrinkage_ratio(at_onset, x, E0), 1.0, 1e-7) << "E0=" << E0 << " x=" << x;
      EXPECT_LT(shrinkage_ratio(0.8 * at_onset, x, E0), 1.0);
      EXPECT_GT(shrinkage_ratio(1.2 * at_onset, x, E0), 1.0);
    }
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
  const Soil s;
  const double E0 = s.E0, D = s.D, GS = s.GS, GW = s.GW, HTOT = s.HTOT, K0 = s.K0;
  std::vector<OrderCase> cases;
  cases.push_back({"stress_slope",
                   [=](double r, double, double) { return stress_slope(r, E0, s.A1, s.B1); },
                   [=](double r, double, double) {
                     return std::pow((r * E0) / s.A1, 1.0 / s.B1 - 1.0) / s.B1 / s.A1;
                   },
                   [=](double r, double, double) {
                     return std::pow(r * E0 / s.A1, 1.0 / s.B1 - 1.0) / (s.B1 * s.A1);
                   }});
  cases.push_back(
      {"gravity_flux", [=](double r, double, double) { return gravity_flux(GS, r, D, E0); },
       [=](double r, double, double) { return std::pow(r, D) * (GS - 1.0) / (r * E0 + 1.0); },
       [=](double r, double, double) { return std::pow(r, D) * ((GS - 1.0) / (r * E0 + 1.0)); }});
  cases.push_back(
      {"gravity_flux_cracked",
       [=](double r, double a, double b) {
         return gravity_flux_cracked(a, r, D, E0, GS, b, -0.013);
       },
       [=](double r, double a, double b) {
         return ((GS - 1.0) - (r * E0 + GS) * b * -0.013) * (std::pow(r, D) * a / (E0 * r + 1.0));
       },
       [=](double r, double a, double b) {
         return ((GS - 1.0) - (r * E0 + GS) * (b * -0.013)) * std::pow(r, D) * a / (E0 * r + 1.0);
       }});
  cases.push_back({"diffusivity",
                   [=](double r, double a, double) { return diffusivity(r, D, E0, GW, HTOT, -a); },
                   [=](double r, double a, double) {
                     return std::pow(r, D) * E0 / GW / HTOT * (E0 + 1.0) / (r * E0 + 1.0) * -a;
                   },
                   [=](double r, double a, double) {
                     return std::pow(r, D) * E0 * (E0 + 1.0) * -a / (GW * HTOT * (r * E0 + 1.0));
                   }});
  cases.push_back(
      {"diffusivity_cracked",
       [=](double r, double a, double b) {
         return diffusivity_cracked(a, r, E0, D, b, -0.37, GW, HTOT);
       },
       [=](double r, double a, double b) {
         return (b + 1.0) * (std::pow(r, D) * (a * a * E0)) * -0.37 / GW / HTOT / (r * E0 + 1.0);
       },
       [=](double r, double a, double b) {
         return (b + 1.0) * std::pow(r, D) * a * a * E0 * -0.37 / (GW * HTOT * (r * E0 + 1.0));
       }});
  cases.push_back({"boundary_gradient",
                   [=](double r, double a, double) {
                     return boundary_gradient(a * 1e-6, r, GS, D, E0, K0, -0.41, GW, HTOT);
                   },
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
                     return boundary_gradient_cracked(GW, HTOT, a, E0, b, -0.29, 2e-6, r, K0, D, GS,
                                                      0.21, -0.013);
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
         return fluid_velocity(r, r - a * 0.01, GS, E0, -0.41, b * 0.01, D, K0, r, GW, HTOT);
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
  cases.push_back(
      {"slope_difference",
       [=](double, double a, double) { return slope_difference(s.A1, s.B1, a, s.A2, s.B2); },
       [=](double, double a, double) {
         return std::pow(a / s.A1, 1.0 / s.B1 - 1.0) / s.A1 / s.B1 -
                std::pow(a / s.A2, 1.0 / s.B2 - 1.0) / s.A2 / s.B2;
       },
       [=](double, double a, double) {
         return std::pow(a / s.A1, 1.0 / s.B1 - 1.0) / (s.A1 * s.B1) -
                std::pow(a / s.A2, 1.0 / s.B2 - 1.0) / (s.A2 * s.B2);
       }});
  cases.push_back(
      {"crack_onset_slope",
       [=](double, double a, double) { return crack_onset_slope(s.CRA, s.CRB, s.CRC, a * 7.0); },
       [=](double, double a, double) {
         return -(s.CRC * s.CRB) / std::pow(s.CRB * (a * 7.0) + s.CRA, s.CRC + 1.0);
       },
       [=](double, double a, double) {
         return -s.CRC * (s.CRB / std::pow(s.CRB * (a * 7.0) + s.CRA, s.CRC + 1.0));
       }});
  cases.push_back({"shrinkage_ratio",
                   [=](double r, double, double b) { return shrinkage_ratio(r, b, E0); },
                   [=](double r, double, double b) {
                     return (r * E0 + 1.0) / ((r * E0) / 3.0 + (b * 0.6666666865348816 + 1.0));
                   },
                   [=](double r, double, double b) {
                     return (r * E0 + 1.0) / (1.0 + (r * E0) / 3.0 + b * 0.6666666865348816);
                   }});
  cases.push_back({"crack_onset_void_ratio",
                   [=](double, double a, double) {
                     return crack_onset_void_ratio(a * 7.0, s.CRD, s.CRA, s.CRB, s.CRC);
                   },
                   [=](double, double a, double) {
                     return 1.0 / std::pow(s.CRB * (a * 7.0) + s.CRA, s.CRC) + 1.0 / s.CRD;
                   },
                   [=](double, double a, double) {
                     const double p = std::pow(s.CRB * (a * 7.0) + s.CRA, s.CRC);
                     return (1.0 + p / s.CRD) / p;
                   }});
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

}  // namespace
}  // namespace slurry1d
