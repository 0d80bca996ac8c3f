#include "solver/filling.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "model/run_controls.hpp"
#include "solver/nodeset_columns.hpp"

namespace slurry1d {
namespace {

using testing_support::fill_uniform_column;
using testing_support::make_column;
using testing_support::make_parameters;
using testing_support::solids_height;

double curved_profile(double h) {
  return 0.55 + 0.4 * std::cos(1.3 * h) * std::exp(-0.2 * h);
}

double uniform_profile(double) {
  return 1.0;
}

struct Stage {
  double TBF, TEF, FRH;
};

// Staged filling runs in scaled time: K0 / HTOT = 0.5, so a stage of rate FRH
// over a scaled length L adds FRH * L * 2 of nominal height.
class FillingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p->scales.E0 = 1.5;
    p->scales.K0 = 3.0;
    p->scales.HTOT = 6.0;
    p->scales.DTMAX = 100.0;
    p->scales.ZBOT = 0.0;
  }

  // Stages given in scaled times; the entries after the last hold the values
  // the set-up leaves there.
  void set_stages(const std::vector<Stage>& stages) {
    def->NS = static_cast<int>(stages.size());
    for (int i = 1; i <= MAXSTAGE; ++i) {
      const bool used = i <= def->NS;
      const Stage s = used ? stages[static_cast<std::size_t>(i - 1)] : Stage{-1.0, -1.0, -1.0};
      def->stage[i] = {s.TBF, s.TEF, s.FRH};
      p->scales.TBFN[i] = used ? s.TBF : -p->scales.K0 / p->scales.HTOT;
      p->scales.TEFN[i] = used ? s.TEF : -p->scales.K0 / p->scales.HTOT;
    }
  }

  void column(double ZBOT, double H, double (*profile)(double)) {
    p->scales.ZBOT = ZBOT;
    fill_uniform_column(
        *col, 501, ZBOT, H, [&](double z) { return profile(z - ZBOT); }, p->scales.E0,
        p->scales.HTOT);
  }

  // The advance for a step of DT that ends at T, after a step of DTPREV.
  void step(double T, double DT) {
    clock = Clock(T, DTPREV);
    clock.remember_step();
    clock.restart_step(DT);
    advance_filling(*def, p->scales, STANDARD_NNI, clock, *col, cursor, *work);
    DTPREV = clock.DTPREV();
  }

  double credit_of(double FRH, double L) const { return FRH * L * p->scales.HTOT / p->scales.K0; }

  std::unique_ptr<testing::SolverCase> p = make_parameters();
  std::unique_ptr<RunDefinition> def = std::make_unique<RunDefinition>();
  std::unique_ptr<SoilColumn> col = make_column();
  std::unique_ptr<FillingWork> work = std::make_unique<FillingWork>();
  StageCursor cursor;
  double DTPREV = 0.0;  // the step before the next one
  Clock clock;
};

// The linear interpolation of the old profile at the height h above the base,
// searched from node 2 every time with the re-mesh's tolerance.
double interpolate_by_restart(const SoilColumn& old, double ZBOT, double z) {
  for (int j = 2; j <= old.NN; ++j) {
    if ((z - ZBOT) / (old.Z[j] - ZBOT) <= 1.0000009536743164) {
      return ((old.Z[j] - z) * old.EN[j - 1] + (z - old.Z[j - 1]) * old.EN[j]) /
             (old.Z[j] - old.Z[j - 1]);
    }
  }
  return std::nan("");
}

class InstantaneousRemesh : public FillingTest, public ::testing::WithParamInterface<double> {};

// 501 nodes, a layer 2.0 high, A = 0.1: Da = 2.1/500 = 0.0042 gives Na = 23,
// Nk = 478, then Da = 0.1/23 and Db = 2.0/477.
TEST_P(InstantaneousRemesh, FirstStageIsPlacedAtOnceOverTwentyThreeNodes) {
  const double ZBOT = GetParam();
  column(ZBOT, 2.0, curved_profile);
  set_stages({{0.0, 0.0, 0.1}});
  auto old = make_column();
  *old = *col;
  const double solids_before = solids_height(*col, p->scales.E0, p->scales.HTOT);

  step(0.01, 0.01);

  EXPECT_EQ(cursor.KSTG, 2);
  EXPECT_EQ(cursor.KF7, 0);
  EXPECT_EQ(clock.T(), 0.01);
  EXPECT_EQ(clock.DT(), 0.01);
  ASSERT_EQ(col->NN, 501);
  EXPECT_EQ(col->Z[1], ZBOT);
  EXPECT_EQ(col->EN[1], old->EN[1]);
  for (int k = 2; k <= 478; ++k) EXPECT_NEAR(col->Z[k] - col->Z[k - 1], 2.0 / 477, 1e-12) << k;
  for (int k = 479; k <= 501; ++k) {
    EXPECT_NEAR(col->Z[k] - col->Z[k - 1], 0.1 / 23, 1e-12) << k;
    EXPECT_EQ(col->EN[k], 1.0) << k;
  }
  for (int k = 478; k <= 500; ++k) EXPECT_EQ(col->DXI[k], (0.1 / 23) / p->scales.HTOT) << k;
  EXPECT_NEAR(col->Z[478], ZBOT + 2.0, 1e-12);
  EXPECT_NEAR(col->Z[501], ZBOT + 2.1, 1e-12);
  EXPECT_EQ(col->EN[478], old->EN[501]);
  for (int k = 2; k <= 477; ++k) {
    EXPECT_EQ(col->EN[k], interpolate_by_restart(*old, ZBOT, col->Z[k])) << k;
  }

  // The old layer keeps its solids; the new one holds exactly the nominal A.
  double solids_old_layer = 0.0;
  double nominal_new_layer = 0.0;
  for (int k = 1; k <= 477; ++k)
    solids_old_layer += col->DXI[k] * p->scales.HTOT / (1.0 + p->scales.E0);
  for (int k = 478; k <= 500; ++k) nominal_new_layer += col->DXI[k] * p->scales.HTOT;
  EXPECT_NEAR(solids_old_layer, solids_before, 1e-6 * solids_before);
  EXPECT_NEAR(nominal_new_layer, 0.1, 1e-15);
}

INSTANTIATE_TEST_SUITE_P(Bases, InstantaneousRemesh, ::testing::Values(0.0, 5.0, -3.0));

TEST_F(FillingTest, RaisedBaseGivesTheSameProfileAsAGroundBase) {
  column(0.0, 2.0, curved_profile);
  set_stages({{0.0, 0.0, 0.1}});
  step(0.01, 0.01);
  auto ground = make_column();
  *ground = *col;

  cursor = {};
  column(5.0, 2.0, curved_profile);
  step(0.01, 0.01);
  for (int k = 1; k <= 501; ++k) {
    EXPECT_NEAR(col->Z[k] - 5.0, ground->Z[k], 1e-12) << k;
    EXPECT_NEAR(col->EN[k], ground->EN[k], 1e-9) << k;
    EXPECT_NEAR(col->DXI[k], ground->DXI[k], 1e-12) << k;
  }
}

TEST_F(FillingTest, StepPastTheStageEndIsCutBackAndCreditedWithItsLength) {
  column(0.0, 2.0, uniform_profile);
  set_stages({{0.0, 10.0, 0.02}, {12.0, 20.0, 0.01}});
  cursor = {1, 1};
  DTPREV = 0.4;

  step(10.3, 0.45);  // from 9.85

  EXPECT_EQ(clock.T(), 10.0);
  EXPECT_NEAR(clock.DT(), 0.15, 1e-14);
  EXPECT_EQ(cursor.KF7, 0);
  EXPECT_EQ(cursor.KSTG, 2);
  EXPECT_EQ(DTPREV, clock.DT());
  EXPECT_NEAR(col->Z[501] - 2.0, credit_of(0.02, 0.15), 1e-13);
}

TEST_F(FillingTest, StepInsideAStageIsLimitedAndCreditedWithTheMeanStepLength) {
  column(0.0, 2.0, uniform_profile);
  set_stages({{0.0, 10.0, 0.02}});

  // First step of the run: DTPREV = 0, half the step.
  step(0.2, 0.2);
  EXPECT_EQ(cursor.KF7, 1);
  EXPECT_EQ(cursor.KSTG, 1);
  EXPECT_NEAR(col->Z[501] - 2.0, credit_of(0.02, 0.1), 1e-14);

  // A step longer than a twentieth of the stage is cut to it.
  DTPREV = 0.2;
  const double top = col->Z[501];
  step(2.2, 2.0);
  EXPECT_EQ(clock.DT(), 0.5);
  EXPECT_EQ(clock.T(), (2.2 - 2.0) + 0.5);
  EXPECT_NEAR(col->Z[501] - top, credit_of(0.02, (0.5 + 0.2) / 2.0), 1e-14);

  // ... or to the largest step.
  p->scales.DTMAX = 0.3;
  step(1.5, 0.8);
  EXPECT_EQ(clock.DT(), 0.3);
  EXPECT_EQ(clock.T(), (1.5 - 0.8) + 0.3);
}

TEST_F(FillingTest, TinyAmountLeavesTheColumnUnchanged) {
  column(0.0, 2.0, curved_profile);
  set_stages({{0.0, 10.0, 1e-12}});
  auto old = make_column();
  *old = *col;
  step(0.2, 0.2);
  EXPECT_EQ(cursor.KF7, 1);
  for (int k = 1; k <= 501; ++k) {
    EXPECT_EQ(col->EN[k], old->EN[k]) << k;
    EXPECT_EQ(col->Z[k], old->Z[k]) << k;
    EXPECT_EQ(col->DXI[k], old->DXI[k]) << k;
  }
}

TEST_F(FillingTest, AfterTheLastStageNothingChanges) {
  column(0.0, 2.0, curved_profile);
  set_stages({{0.0, 10.0, 0.02}});
  auto old = make_column();
  *old = *col;
  cursor = {0, 2};
  DTPREV = 0.7;
  step(15.0, 1.0);
  EXPECT_EQ(clock.T(), 15.0);
  EXPECT_EQ(clock.DT(), 1.0);
  EXPECT_EQ(DTPREV, 0.7);
  EXPECT_EQ(cursor.KF7, 1);
  EXPECT_EQ(cursor.KSTG, 2);
  for (int k = 1; k <= 501; ++k) {
    EXPECT_EQ(col->EN[k], old->EN[k]) << k;
    EXPECT_EQ(col->Z[k], old->Z[k]) << k;
  }
}

TEST_F(FillingTest, StageWithoutMaterialOnlyControlsTime) {
  column(0.0, 2.0, uniform_profile);
  set_stages({{0.0, 10.0, 0.0}, {10.0, 20.0, 0.02}});
  step(1.0, 0.4);
  EXPECT_EQ(cursor.KF7, 1);
  step(10.2, 0.4);
  EXPECT_EQ(clock.T(), 10.0);
  EXPECT_NEAR(clock.DT(), 0.2, 1e-14);
  EXPECT_EQ(cursor.KF7, 0);
  EXPECT_EQ(cursor.KSTG, 2);
  EXPECT_EQ(col->Z[501], 2.0);
}

TEST_F(FillingTest, NothingIsCreditedBeforeAStageBegins) {
  column(0.0, 2.0, uniform_profile);
  set_stages({{0.0, 50.0, 0.05}, {100.0, 150.0, 0.05}});
  cursor = {1, 2};
  DTPREV = 2.0;

  step(60.0, 2.0);  // inside the gap
  EXPECT_EQ(col->Z[501], 2.0);
  step(100.0, 2.0);  // ends on the beginning time
  EXPECT_EQ(col->Z[501], 2.0);
  EXPECT_EQ(cursor.KF7, 1);
  EXPECT_EQ(cursor.KSTG, 2);

  step(101.0, 2.0);  // ends past it: the mean of this and the previous step
  EXPECT_NEAR(col->Z[501] - 2.0, credit_of(0.05, 2.0), 1e-13);
  const double top = col->Z[501];
  step(103.0, 2.0);  // wholly inside: the mean of this and the previous step
  EXPECT_NEAR(col->Z[501] - top, credit_of(0.05, 2.0), 1e-13);
}

TEST_F(FillingTest, BracketSearchOverUnevenOldNodesMatchesASearchFromTheBase) {
  // Old nodes crowded toward the top, as a top refinement leaves them.
  p->scales.ZBOT = 0.0;
  col->NN = 501;
  for (int k = 1; k <= 501; ++k) {
    const double s = (k - 1) / 500.0;
    col->Z[k] = 2.0 * (1.0 - (1.0 - s) * (1.0 - s));
    col->EN[k] = curved_profile(col->Z[k]);
  }
  for (int k = 1; k < 501; ++k) {
    col->DXI[k] = testing_support::nominal_length(col->Z[k + 1] - col->Z[k], col->EN[k],
                                                  col->EN[k + 1], p->scales.E0, p->scales.HTOT);
  }
  auto old = make_column();
  *old = *col;
  set_stages({{0.0, 0.0, 0.1}});
  step(0.01, 0.01);
  for (int k = 2; k <= 477; ++k) {
    EXPECT_EQ(col->EN[k], interpolate_by_restart(*old, 0.0, col->Z[k])) << k;
  }
}

// Drives the advance over a whole schedule as the time loop does and checks
// that the column receives the stages' nominal heights.
struct ScheduleCase {
  const char* name;
  std::vector<Stage> stages;
};

class FillingSchedule : public FillingTest, public ::testing::WithParamInterface<ScheduleCase> {};

TEST_P(FillingSchedule, PlacesTheNominalHeightOfEveryStage) {
  const ScheduleCase& c = GetParam();
  const double H0 = 1.0;
  column(0.0, H0, uniform_profile);
  set_stages(c.stages);
  p->scales.DTMAX = 10.0;

  // The nominal heights, and the credit of the longest step any stage allows.
  double nominal = 0.0;
  double one_step = 0.0;
  double last_end = 0.0;
  for (const Stage& s : c.stages) {
    if (s.TBF == s.TEF) {
      nominal += s.FRH;
    } else {
      nominal += credit_of(s.FRH, s.TEF - s.TBF);
      one_step =
          std::max(one_step, credit_of(s.FRH, std::min((s.TEF - s.TBF) / 20.0, p->scales.DTMAX)));
    }
    last_end = std::max(last_end, s.TEF);
  }

  clock = Clock(0.0, 1.0);
  std::vector<double> ends_hit;
  for (int n = 0; n < 100000 && !(cursor.KSTG > def->NS && clock.T() > last_end); ++n) {
    const double before = clock.T();
    const double top = col->Z[col->NN];
    const int stage_before = cursor.KSTG;
    clock.advance();
    advance_filling(*def, p->scales, STANDARD_NNI, clock, *col, cursor, *work);
    ASSERT_GE(clock.T(), before) << "time went back at step " << n;
    ends_hit.push_back(clock.T());
    if (stage_before <= def->NS) {
      const Stage& s = c.stages[static_cast<std::size_t>(stage_before - 1)];
      if (clock.T() <= s.TBF) {
        EXPECT_EQ(col->Z[col->NN], top) << c.name << ": credit before the stage at " << clock.T();
      }
    }
    clock.remember_step();
    clock.grow(p->scales.DTMAX);
  }
  EXPECT_GT(cursor.KSTG, def->NS);
  EXPECT_NEAR(col->Z[col->NN] - H0, nominal, one_step) << c.name;
  for (const Stage& s : c.stages) {
    if (s.TBF == s.TEF) continue;
    EXPECT_NE(std::find(ends_hit.begin(), ends_hit.end(), s.TEF), ends_hit.end())
        << c.name << ": no step ended at " << s.TEF;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Stages, FillingSchedule,
    ::testing::Values(ScheduleCase{"gap", {{0.0, 50.0, 0.05}, {100.0, 150.0, 0.05}}},
                      ScheduleCase{"contiguous", {{0.0, 50.0, 0.05}, {50.0, 100.0, 0.02}}},
                      ScheduleCase{"gap off the step grid",
                                   {{0.0, 50.0, 0.05}, {101.3, 151.3, 0.03}}},
                      ScheduleCase{"late first stage", {{17.7, 40.0, 0.05}}},
                      ScheduleCase{"three stages with gaps",
                                   {{0.0, 30.0, 0.05}, {45.0, 80.0, 0.02}, {120.0, 121.0, 0.5}}}),
    [](const ::testing::TestParamInfo<ScheduleCase>& info) {
      std::string name = info.param.name;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

}  // namespace
}  // namespace slurry1d
