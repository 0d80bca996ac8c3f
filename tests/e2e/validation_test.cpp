// The figures of the README's "Validation" section: the program run end to
// end against closed-form solutions of the consolidation equations, and
// against itself with shorter steps. Each test prints its table; run
//
//   build/tests/e2e_tests --gtest_filter='Validation*'
//
// to see them. Heights are read from the final profile that a run leaves in
// "input" (its top pair, written to full precision) and from the console's
// "STEADY STATE HEIGHT = " line, so every run ends at the time it measures.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"
#include "e2e/record_parsing.hpp"

namespace slurry1d::e2e {
namespace {

// A new run without desiccation or filling, under a surcharge q (0 for a
// free-draining top without load), with one output time.
struct Case {
  double A1, B1, C, D, Z1;  // e = A1 (s' + Z1)^B1, k = C e^D
  double GS, GW, H0;
  double q;
  int base;  // 1 impervious, 3 pervious
  double ME;
  double t;  // the output time, where the run ends
  double MAXDT;

  double E0() const { return A1 * std::pow(Z1, B1); }
  double void_ratio(double stress) const { return A1 * std::pow(stress + Z1, B1); }
  double permeability(double e) const { return C * std::pow(e, D); }

  std::string answers() const {
    std::ostringstream a;
    a.precision(17);
    a << A1 << ' ' << B1 << ' ' << C << ' ' << D << ' ' << Z1 << "\n2\n"
      << GS << '\n'
      << GW << '\n'
      << H0 << "\n2\n2\n"
      << q << '\n'
      << base << '\n'
      << ME << "\n0.0\n1\n"
      << t << '\n'
      << MAXDT << "\n2\n";
    return a.str();
  }
};

// The height of the layer where the run ended.
double final_height(const ProgramRun& run) {
  const std::vector<Pair> pairs = restart_profile(run);
  return pairs.empty() ? std::nan("") : pairs.front().z;
}

ProgramRun run_case(const Case& c, const std::string& arguments = "") {
  ProgramRun run = run_program(c.answers(), arguments);
  EXPECT_EQ(run.status, 0) << arguments << ": " << run.errors;
  return run;
}

// Terzaghi's average degree of consolidation at the time factor Tv.
double terzaghi_degree(double Tv) {
  double remaining = 0.0;
  for (int m = 0; m < 200; ++m) {
    const double M = std::numbers::pi * (2 * m + 1) / 2.0;
    remaining += 2.0 / (M * M) * std::exp(-M * M * Tv);
  }
  return 1.0 - remaining;
}

// Small strain: a 1 m layer drained at both ends, without buoyant
// self-weight (GS = 1), loaded by 0.1 kPa on a compression curve offset by
// Z1 = 100 kPa, so that the load changes the void ratio by 1e-4 relative and
// the coefficient of consolidation cv = k (1 + e) / (GW av) by about 1e-4.
// The largest step is a fiftieth of the time to Tv = 1.
TEST(Validation, TerzaghiInTheSmallStrainLimit) {
  Case c{2.5, -0.2, 1e-3, 4.0, 100.0, 1.0, 9.81, 1.0, 0.1, 3, 0.1, 0.0, 0.0};
  const double e0 = c.E0();
  const double e1 = c.void_ratio(c.q);
  const double av = (e0 - e1) / c.q;
  const double cv = c.permeability(e0) * (1.0 + e0) / (c.GW * av);
  const double drainage_path = c.H0 / 2.0;
  const double final_settlement = c.H0 * (e0 - e1) / (1.0 + e0);
  c.MAXDT = drainage_path * drainage_path / cv / 50.0;
  const std::string refined = "--nodes 101 --step-factor 8";

  std::printf("Terzaghi: cv = %.6g m2/day, final settlement %.6g m, MAXDT = %.4g day\n", cv,
              final_settlement, c.MAXDT);
  std::printf("standard: 501 nodes, F = 1; refined: %s\n", refined.c_str());
  std::printf("    Tv   U exact   U standard     dU    U refined     dU\n");
  double worst_standard = 0.0, worst_refined = 0.0;
  for (const double Tv : {0.05, 0.1, 0.2, 0.4, 0.7, 1.0}) {
    c.t = Tv * drainage_path * drainage_path / cv;
    const double exact = terzaghi_degree(Tv);
    const double standard = (c.H0 - final_height(run_case(c))) / final_settlement;
    const double fine = (c.H0 - final_height(run_case(c, refined))) / final_settlement;
    std::printf("  %4.2f   %.5f     %.5f  %+.5f      %.5f  %+.5f\n", Tv, exact, standard,
                standard - exact, fine, fine - exact);
    worst_standard = std::max(worst_standard, std::fabs(standard - exact));
    worst_refined = std::max(worst_refined, std::fabs(fine - exact));
    EXPECT_LE(std::fabs(fine - exact), 0.005) << "Tv = " << Tv;
  }
  std::printf("largest |dU|: %.4f standard, %.4f refined\n", worst_standard, worst_refined);
}

// H = Zs + A1 [(q + Z1 + g Zs)^(B1+1) - (q + Z1)^(B1+1)] / (g (B1 + 1)),
// with Zs the height of solids and g = (GS - 1) GW the buoyant unit weight.
double equilibrium_height(const Case& c) {
  const double Zs = c.H0 / (1.0 + c.E0());
  const double g = (c.GS - 1.0) * c.GW;
  const double B = c.B1 + 1.0;
  return Zs + c.A1 * (std::pow(c.q + c.Z1 + g * Zs, B) - std::pow(c.q + c.Z1, B)) / (g * B);
}

// The soil of the examples, left to consolidate until its top reaches the
// steady-state height: the program's steady-state solution (set-up) and the
// height where the run stopped, both on the standard column of 501 nodes.
TEST(Validation, EquilibriumHeightOfAPowerLawLayer) {
  struct Layer {
    const char* what;
    double H0, q;
    int base;
  };
  std::printf("Equilibrium height (501 nodes): closed form, steady-state solution, run's end\n");
  for (const Layer& layer : {Layer{"10 m slurry, self-weight, impervious base", 10.0, 0.0, 1},
                             Layer{"10 m slurry, 20 kPa, impervious base", 10.0, 20.0, 1},
                             Layer{"5 m layer, 20 kPa, pervious base", 5.0, 20.0, 3}}) {
    const Case c{7.0,      -0.2,    6.8e-7,     4.0, 0.1, 2.65, 9.81,
                 layer.H0, layer.q, layer.base, 1.0, 1e6, 500.0};
    const double exact = equilibrium_height(c);
    const ProgramRun run = run_case(c);
    const double steady = value_after(run.console, " STEADY STATE HEIGHT = ");
    const double reached = final_height(run);
    std::printf("  %-42s %.8f  %.8f (%+.1e)  %.8f (%+.1e)\n", layer.what, exact, steady,
                (steady - exact) / exact, reached, (reached - exact) / exact);
    EXPECT_NEAR(steady, exact, 1e-4 * exact) << layer.what;
    EXPECT_NEAR(reached, exact, 1e-4 * exact) << layer.what;
  }
}

// A fresh slurry on an impervious base settles at its top by the flow that
// the buoyant weight drives through the still uniform upper part,
// s(t) = (GS - 1) k(e0) t / (1 + e0), until the consolidation front that
// rises from the base reaches the top (between 1000 and 2000 days here).
TEST(Validation, EarlySettlementOfAFreshSlurry) {
  Case c{7.0, -0.2, 6.8e-7, 4.0, 0.1, 2.65, 9.81, 10.0, 0.0, 1, 1.0, 0.0, 50.0};
  const double rate = (c.GS - 1.0) * c.permeability(c.E0()) / (1.0 + c.E0());
  std::printf("Early settlement, 10 m fresh slurry, impervious base: %.6g m/day\n", rate);
  std::printf("   t (day)   exact (m)   501 nodes          2001 nodes\n");
  for (const double t : {100.0, 300.0, 1000.0}) {
    c.t = t;
    const double exact = rate * t;
    const double standard = c.H0 - final_height(run_case(c));
    const double fine = c.H0 - final_height(run_case(c, "--nodes 2001"));
    std::printf("  %7.0f    %.6f    %.6f (%+.2f%%)   %.6f (%+.2f%%)\n", t, exact, standard,
                100.0 * (standard - exact) / exact, fine, 100.0 * (fine - exact) / exact);
    EXPECT_NEAR(fine, exact, 0.01 * exact) << "t = " << t;
  }
}

// The surcharge example (5 m, 20 kPa, pervious base, MAXDT 20 days) at 10
// days, with every step 1, 2, 4 and 8 times shorter: the settlement converges
// as the differences between successive factors shrink by a steady ratio.
TEST(Validation, SettlementConvergesAsTheStepsShorten) {
  const std::string answers = surcharge_example_to_day_10();
  std::printf("Surcharge example, settlement at 10 days\n");
  std::printf("   F   settlement (m)   difference    ratio\n");
  std::vector<double> settlement;
  std::vector<double> difference;
  for (const int F : {1, 2, 4, 8}) {
    const ProgramRun run = run_program(answers, "--step-factor " + std::to_string(F));
    ASSERT_EQ(run.status, 0) << run.errors;
    settlement.push_back(5.0 - final_height(run));
    if (settlement.size() == 1) {
      std::printf("  %2d   %.6f\n", F, settlement.back());
      continue;
    }
    difference.push_back(settlement.back() - settlement[settlement.size() - 2]);
    if (difference.size() == 1) {
      std::printf("  %2d   %.6f       %+.6f\n", F, settlement.back(), difference.back());
      continue;
    }
    std::printf("  %2d   %.6f       %+.6f     %.2f\n", F, settlement.back(), difference.back(),
                difference[difference.size() - 2] / difference.back());
  }
  const double r1 = difference[0] / difference[1];
  const double r2 = difference[1] / difference[2];
  const double limit = settlement[3] + difference[2] / (r2 - 1.0);
  std::printf("extrapolated %.6f m: F = 1 is %.1f%% low, F = 8 %.1f%%\n", limit,
              100.0 * (limit - settlement[0]) / limit, 100.0 * (limit - settlement[3]) / limit);
  EXPECT_GT(difference[0], 0.0);
  EXPECT_GT(difference[1], 0.0);
  EXPECT_GT(difference[2], 0.0);
  for (const double r : {r1, r2}) {
    EXPECT_GE(r, 1.5);
    EXPECT_LE(r, 3.0);
  }
  EXPECT_NEAR(r2, r1, 0.25 * r1) << "the ratio is not steady";
}

}  // namespace
}  // namespace slurry1d::e2e
