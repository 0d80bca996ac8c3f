// The set-up of a run: headings, reference values, scales, the initial
// column, the first step, the steady state, deferred velocity boundaries and
// the first snapshots.

#include "driver/setup.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/dialog.hpp"
#include "driver/run_answers.hpp"
#include "driver/simulation.hpp"
#include "model/run_stop.hpp"
#include "output/fields.hpp"

namespace slurry1d::testing {
namespace {

std::string shortest_text(double v) {
  return format_free_real(v);
}

double self_weight_E0() {
  return 7.0 * std::pow(0.1, -0.2);
}

TEST(SetUp, WritesTheHeadingsOfTheTimeSeriesAndCrackFiles) {
  CapturedRun r(Answers{});
  const auto ts = lines_of(r.io->ts.str());
  ASSERT_GE(ts.size(), 3u);
  EXPECT_EQ(ts[0], "                         AVERAGE   CUMULATED  CUMULATED");
  EXPECT_EQ(ts[1], "               SOIL        DRY      OUTFLOW    OUTFLOW    CRUST\t");
  EXPECT_EQ(ts[2], "   -TIME-    -HEIGHT-   -DENSITY-    -TOP-     -BOTTOM--THINKNESS-");
  EXPECT_EQ(r.io->tc.str(),
            "               CRACK     SOIL     TOTAL     CRACK     FLUID SIDE-WALL SIMULATED\n"
            "    -TIME-    -DEPTH-  -HEIGHT-  -VOLUME-  -VOLUME-  -VOLUME- -LOSS-  -RATE-\n");
}

TEST(SetUp, WritesTheReferenceVoidRatioAndPermeabilityToTheConsole) {
  CapturedRun r(Answers{});
  const double E0 = self_weight_E0();
  const double K0 = 6.8e-8 * std::pow(E0, 4.0);
  EXPECT_EQ(r.scales().E0, E0);
  EXPECT_EQ(r.scales().K0, K0);
  const auto console = lines_of(r.io->console.str());
  const auto at = std::find(console.begin(), console.end(), " E0 = " + shortest_text(E0));
  ASSERT_NE(at, console.end()) << r.io->console.str();
  ASSERT_NE(at + 1, console.end());
  EXPECT_EQ(*(at + 1), " K0 = " + shortest_text(K0));
}

TEST(SetUp, ANewRunStartsFromAUniformColumnOfFreshSlurry) {
  CapturedRun r(Answers{});
  const RunScales& p = r.scales();
  const SoilColumn& col = r.col();
  ASSERT_EQ(col.NN, 501);
  EXPECT_EQ(p.HTOT, 10.0);
  EXPECT_EQ(p.H0IN, 10.0);
  EXPECT_EQ(p.H0, 10.0);
  EXPECT_EQ(p.ZBOT, 0.0);
  EXPECT_EQ(p.HT, 0.0);  // an impervious base: no head-driven steady state
  EXPECT_EQ(col.Z[1], 0.0);
  for (int i = 1; i <= col.NN; ++i) {
    ASSERT_EQ(col.EN[i], 1.0) << i;
    ASSERT_EQ(col.DXI[i], (1.0 / 500) * 10.0 / 10.0) << i;
    ASSERT_NEAR(col.Z[i], (i - 1) * 0.02, 1e-12) << i;
  }
  EXPECT_NEAR(col.Z[col.NN], 10.0, 1e-12);
  const double E0 = p.E0;
  EXPECT_NEAR(col.WSUM, 10.0 * (E0 + 2.65) * 9.81 / (E0 + 1.0), 1e-12 * col.WSUM);
  EXPECT_EQ(col.NN1, col.NN + 1);
  EXPECT_EQ(col.NN2, col.NN + 1);
}

TEST(SetUp, ANewRunRecordIsZeroEverywhere) {
  // Allocated in zeroed memory and value-initialised: no array holds junk,
  // whatever the memory held before.
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto run = std::make_unique<slurry1d::Run>();
    for (const NodalArray* a :
         {&run->col.EN, &run->col.DXI, &run->col.Z, &run->col.ECR, &run->col.SIGV, &run->col.DXIC,
          &run->solver.iterates.EMID, &run->solver.iterates.EIT, &run->solver.iterates.EOLD,
          &run->solver.system.CL, &run->solver.system.CD, &run->solver.system.CU,
          &run->solver.system.RHS, &run->solver.system.XSOL, &run->regrid_work.EN,
          &run->filling_work.Ew, &run->steady_work.KSS, &run->report_work.ALPHA}) {
      for (const int i : {1, 2, 501, 502, 10000, MAXNODE}) ASSERT_EQ((*a)[i], 0.0) << i;
    }
    EXPECT_EQ(run->def.profile[MAXNODE].e, 0.0);
    EXPECT_EQ(run->loop.FONE, 1.0);  // the members' own initial values still apply
    // Junk for the next record to be allocated where this one was.
    for (int i = 1; i <= MAXNODE; ++i) run->col.EN[i] = run->solver.iterates.EIT[i] = 7.0;
  }
}

TEST(SetUp, LeavesANewRecordZeroAboveTheTopNode) {
  auto run = std::make_unique<slurry1d::Run>();
  DiscardedOutputs io;
  std::istringstream in(Answers{}.text());
  run_dialog(in, io.out, false, run->def);
  set_up_run(*run, io.out);
  const SoilColumn& col = run->col;
  const StepIterates& it = run->solver.iterates;
  const TridiagonalSystem& sys = run->solver.system;
  const double E0 = run->scales.E0;
  for (int i = col.NN + 1; i <= MAXNODE; ++i) {
    for (const NodalArray* a : {&col.EN, &col.DXI, &col.Z, &col.DXIC, &it.EIT, &it.EOLD}) {
      ASSERT_EQ((*a)[i], 0.0) << i;
    }
  }
  for (int i = 1; i <= MAXNODE; ++i) {
    for (const NodalArray* a :
         {&col.ECR, &col.SIGV, &it.EMID, &sys.CL, &sys.CD, &sys.CU, &sys.RHS}) {
      ASSERT_EQ((*a)[i], 0.0) << i;
    }
  }
  // The solver starts from the column's nodes; the cracked lengths are its
  // lengths.
  for (int i = 1; i <= col.NN; ++i) {
    ASSERT_EQ(it.EIT[i], col.EN[i]) << i;
    ASSERT_EQ(it.EOLD[i], col.EN[i]) << i;
    ASSERT_EQ(col.DXIC[i], col.DXI[i]) << i;
  }
  for (int i = col.NN + 1; i <= MAXNODE; ++i) {
    ASSERT_EQ(col.ESS[i], E0) << i;
    ASSERT_EQ(col.ZSS[i], SINGLE_1E_20) << i;
  }
}

TEST(SetUp, TimesAreMadeNondimensional) {
  Answers a;
  a.TS = 5.0;
  a.OPT = {10.0, 20.0};
  a.MAXDT = 4.0;
  CapturedRun r(a);
  const RunScales& p = r.scales();
  const double scale = p.K0 / p.HTOT;
  EXPECT_EQ(p.T0N, p.K0 * 5.0 / p.HTOT);
  EXPECT_EQ(r.clock().T(), p.T0N);
  EXPECT_EQ(r.clock().TMARK(), p.T0N);
  EXPECT_EQ(r.clock().DTPREV(), 0.0);
  EXPECT_EQ(r.clock().DTSAVE(), 0.0);
  EXPECT_EQ(p.DTMAX, p.K0 * 4.0 / p.HTOT);
  EXPECT_EQ(p.OPTN[1], p.K0 * 10.0 / p.HTOT);
  EXPECT_EQ(p.OPTN[2], p.K0 * 20.0 / p.HTOT);
  EXPECT_EQ(p.OPTN[3], p.K0 * -1.0 / p.HTOT);
  EXPECT_EQ(p.OPTN[50], -p.K0 / p.HTOT);
  EXPECT_EQ(p.TBFN[1], 0.0);  // no filling: the stage table stays 0
  EXPECT_EQ(p.Z1N, 0.1 / (9.81 * 10.0));
  // First step: the compression time scale -Z1/(GW HTOT B1) is below OPT(1)
  // and MAXDT.
  const double natural = -0.1 / (9.81 * 10.0 * -0.2);
  EXPECT_EQ(r.clock().DT(), p.K0 * natural / p.HTOT);
  EXPECT_NEAR(r.clock().DT(), natural * scale, 1e-18);
}

// ---------------------------------------------------------------------------
// Total height and first step

TEST(TotalHeight, AddsWhatEveryStageFillsAndWhatInstantaneousStagesPlace) {
  auto p = std::make_unique<RunDefinition>();
  auto scales = std::make_unique<RunScales>();
  scales->H0 = 3.0;
  p->IFIL = 1;
  p->NS = 2;
  p->stage[1] = {5.0, 5.0, 2.0};   // 2 placed at once
  p->stage[2] = {0.0, 10.0, 0.1};  // 1 over ten time units
  p->stage[3] = {-1.0, -1.0, -1.0};
  compute_total_height(*p, *scales);
  EXPECT_EQ(scales->HTOT, 3.0 + 2.0 + (10.0 - 0.0) * 0.1);
  EXPECT_EQ(scales->HTOT, (3.0 + (5.0 - 5.0) * 2.0 + 2.0) + (10.0 - 0.0) * 0.1);

  p->IFIL = 2;
  compute_total_height(*p, *scales);
  EXPECT_EQ(scales->HTOT, 3.0);
}

struct FirstStepCase {
  const char* what;
  int IFIL;
  double OPT1, MAXDT, natural;  // natural: -Z1/(GW HTOT B1)
  double TBF, TEF, FRH, H0IN;
  double DT;  // expected, in time units
  double H0;  // expected
};

class FirstStep : public ::testing::TestWithParam<FirstStepCase> {};

TEST_P(FirstStep, IsTheSmallestOfItsLimits) {
  const FirstStepCase& c = GetParam();
  auto p = std::make_unique<RunDefinition>();
  auto scales = std::make_unique<RunScales>();
  p->IFIL = c.IFIL;
  p->OPT[1] = c.OPT1;
  p->MAXDT = c.MAXDT;
  // -Z1/(GW HTOT B1) = natural with GW = 1, HTOT = 1, B1 = -1.
  p->Z1 = c.natural;
  p->GW = 1.0;
  scales->HTOT = 1.0;
  p->B1 = -1.0;
  p->stage[1] = {c.TBF, c.TEF, c.FRH};
  scales->H0 = 4.0;
  scales->H0IN = c.H0IN;
  EXPECT_EQ(choose_first_step(*p, *scales), c.DT) << c.what;
  EXPECT_EQ(scales->H0, c.H0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Limits, FirstStep,
    ::testing::Values(FirstStepCase{"natural", 2, 100.0, 10.0, 4.0, 0, 0, 0, 4.0, 4.0, 4.0},
                      FirstStepCase{"maximum step", 2, 100.0, 10.0, 40.0, 0, 0, 0, 4.0, 10.0, 4.0},
                      FirstStepCase{"first output", 2, 3.0, 10.0, 40.0, 0, 0, 0, 4.0, 3.0, 4.0},
                      FirstStepCase{"filling, maximum step", 1, 100.0, 10.0, 40.0, 0.0, 50.0, 0.3,
                                    4.0, 10.0, 4.0},
                      FirstStepCase{"filling, first stage", 1, 100.0, 10.0, 40.0, 2.0, 2.5, 0.3,
                                    4.0, 0.5, 4.0},
                      FirstStepCase{"filling, thin first layer", 1, 100.0, 10.0, 40.0, 0.0, 50.0,
                                    0.3, 0.0, 10.0, 10.0 * 0.05000000074505806 * 0.3},
                      FirstStepCase{"filling, instantaneous first stage", 1, 100.0, 10.0, 40.0, 7.0,
                                    7.0, 0.3, 4.0, 10.0, 4.0}));

TEST(SetUp, AStagedFillingRunWithoutInitialHeightStartsFromAThinLayer) {
  const Answers a = thin_layer_filling_answers();
  CapturedRun r(a);
  const RunScales& p = r.scales();
  EXPECT_EQ(p.HTOT, 50.0);
  EXPECT_EQ(p.H0IN, 0.0);
  EXPECT_EQ(p.H0, 1.0 * 0.05000000074505806 * 0.5);
  EXPECT_EQ(r.clock().DT(), p.K0 * 1.0 / 50.0);
  EXPECT_EQ(p.DTMAX, p.K0 * 1.0 / 50.0);
  EXPECT_EQ(p.TEFN[1], p.K0 * 100.0 / 50.0);
  EXPECT_EQ(p.TBFN[2], p.K0 * -1.0 / 50.0);
  // The thin layer is built over the full nominal scale HTOT.
  const SoilColumn& col = r.col();
  EXPECT_NEAR(col.Z[col.NN], 0.025, 1e-9);
  EXPECT_EQ(col.DXI[1], (1.0 / 500) * p.H0 / 50.0);
}

TEST(SetUp, AnInstantaneousFirstStageOfANewRunStopsWithItsMessage) {
  Answers a;
  a.H0 = 2.0;
  a.IFIL = 1;
  a.stages = {{5.0, 5.0, 2.0}, {5.0, 10.0, 0.1}};
  CapturedOutputs io;
  auto run = std::make_unique<slurry1d::Run>();
  std::istringstream in(a.text());
  run_dialog(in, io.out, false, run->def);
  try {
    set_up_run(*run, io.out);
    FAIL() << "the set-up went on";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::RefusedRun);
    EXPECT_EQ(stop.exit_status(), 2);
    ASSERT_EQ(stop.lines().size(), 1u);
    EXPECT_EQ(stop.lines()[0], "PLEASE SPECIFY INITIAL HEIGHT INSTEAD OF INSTANEOUS FILLING!");
    io.console.str("");
    report_stop(stop, io.out);
    EXPECT_EQ(io.console.str(), " PLEASE SPECIFY INITIAL HEIGHT INSTEAD OF INSTANEOUS FILLING!\n");
  }
  // Headings only; no column, no report.
  EXPECT_EQ(lines_of(io.ts.str()).size(), 3u);
  EXPECT_EQ(lines_of(io.tc.str()).size(), 2u);
  EXPECT_EQ(io.vd.str(), "");
  EXPECT_EQ(run->col.NN, 501);
  EXPECT_EQ(run->col.Z[2], 0.0);
}

// ---------------------------------------------------------------------------
// Steady state

TEST(SetUp, OnlyANewRunWithoutDesiccationSolvesTheSteadyState) {
  const double E0 = self_weight_E0();
  Answers continued;
  continued.ICONT = 1;
  continued.pairs = {{E0, 10.0}, {E0, 0.0}};
  Answers drying;
  drying.IDES = 1;

  struct Case {
    const char* what;
    Answers answers;
    bool steady;
  };
  for (const Case& c : {Case{"new run", Answers{}, true}, Case{"continued run", continued, false},
                        Case{"desiccation run", drying, false}}) {
    CapturedRun r(c.answers);
    const std::string console = r.io->console.str();
    EXPECT_EQ(console.find(" STEADY STATE HEIGHT = ") != std::string::npos, c.steady) << c.what;
    EXPECT_EQ(r.loop().ISTEADY, c.steady ? 1 : 0) << c.what;
    if (!c.steady) {
      for (int i = 1; i <= r.col().NN; ++i) {
        ASSERT_EQ(r.col().ESS[i], r.scales().E0) << c.what << i;
        ASSERT_EQ(r.col().ZSS[i], SINGLE_1E_20) << c.what << i;
      }
    } else {
      EXPECT_LT(r.col().ZSS[r.col().NN], 10.0) << c.what;
    }
  }
}

TEST(SetUp, AContinuedRunAtTheReferenceVoidRatioKeepsItsSpacingAsNominalLength) {
  const double E0 = self_weight_E0();
  Answers a;
  a.ICONT = 1;
  a.pairs = {{E0, 12.0}, {E0, 2.0}};
  CapturedRun r(a);
  const SoilColumn& col = r.col();
  const RunScales& p = r.scales();
  EXPECT_EQ(p.ZBOT, 2.0);
  EXPECT_NEAR(p.HTOT, 10.0, 1e-12);
  EXPECT_EQ(p.H0IN, 10.0);  // as answered
  EXPECT_EQ(col.Z[1], 2.0);
  EXPECT_NEAR(col.Z[col.NN], 12.0, 1e-12);
  for (int k = 1; k <= col.NN - 1; ++k) ASSERT_NEAR(col.DXI[k] * p.HTOT, 0.02, 1e-13) << k;
}

// ---------------------------------------------------------------------------
// Deferred velocity boundaries

struct DeferralCase {
  const char* what;
  int IDES;
  int top;
  double VT;
  int bottom;
  double VB;
  int ITOP, JTOP, IBOT, JBOT;
};

class Deferral : public ::testing::TestWithParam<DeferralCase> {};

TEST_P(Deferral, OnlyRunsWithoutDesiccationDeferANonZeroVelocity) {
  const DeferralCase& c = GetParam();
  Answers a;
  a.IDES = c.IDES;
  a.top = c.top;
  a.top_value = c.VT;
  a.bottom = c.bottom;
  a.bottom_value = c.VB;
  CapturedRun r(a);
  // The conditions that act: a deferred end acts free-draining.
  const BoundaryConditions acting = r.run->acting_boundaries();
  EXPECT_EQ(code(acting.ITOP), c.ITOP) << c.what;
  EXPECT_EQ(r.boundaries().top_deferred, c.JTOP == 1) << c.what;
  EXPECT_EQ(code(acting.IBOT), c.IBOT) << c.what;
  EXPECT_EQ(r.boundaries().bottom_deferred, c.JBOT == 1) << c.what;
  EXPECT_EQ(r.loop().VTC, c.VT) << c.what;
  EXPECT_EQ(r.loop().VBC, c.bottom == 4 ? c.VB : 0.0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, Deferral,
    ::testing::Values(
        DeferralCase{"evaporation without desiccation", 2, 1, 1e-5, 1, 0.0, 3, 1, 1, 0},
        DeferralCase{"evaporation with desiccation", 1, 1, 1e-5, 1, 0.0, 1, 0, 1, 0},
        DeferralCase{"zero evaporation", 2, 1, 0.0, 1, 0.0, 1, 0, 1, 0},
        DeferralCase{"base velocity without desiccation", 2, 2, 0.0, 4, -1e-5, 3, 0, 3, 1},
        DeferralCase{"base velocity with desiccation", 1, 2, 0.0, 4, -1e-5, 3, 0, 1, 0},
        DeferralCase{"zero base velocity", 2, 2, 0.0, 4, 0.0, 3, 0, 1, 0}));

}  // namespace
}  // namespace slurry1d::testing
