// The time loop: the step length (growth, the output times, the intervals),
// the stop conditions with the records each end writes, and whole runs.

#include "driver/time_loop.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <limits>
#include <string>
#include <vector>

#include "driver/iteration.hpp"
#include "driver/run_answers.hpp"
#include "model/run_stop.hpp"
#include "output/fields.hpp"
#include "platform/interrupt.hpp"

namespace slurry1d::testing {
namespace {

// The times printed by the step lines of a console.
std::vector<double> step_times(const std::string& console) {
  std::vector<double> times;
  for (const std::string& line : lines_of(console)) {
    if (line.rfind(" TIME = ", 0) == 0) times.push_back(std::stod(line.substr(8, 11)));
  }
  return times;
}

bool contains_line(const std::string& text, const std::string& line) {
  for (const std::string& l : lines_of(text)) {
    if (l == line) return true;
  }
  return false;
}

// What an end of the run leaves in the files besides the console.
struct EndRecords {
  int ts_data_lines = 0;  // data lines of "ts.out" after the headings
  bool summary = false;
  bool restart_profile = false;
  int tc_records = 0;
};

EndRecords end_records(const CapturedRun& r) {
  EndRecords e;
  for (const std::string& line : lines_of(r.io->ts.str())) {
    if (line.rfind(" THE TOTAL HEIGHT OF SOIL SOLID IS ", 0) == 0) e.summary = true;
    if (line.rfind(" 0.", 0) == 0 || line.rfind("-0.", 0) == 0) ++e.ts_data_lines;
  }
  const std::string input = r.io->input.str();
  e.restart_profile = input.find("\t\tFINAL HEIGHT OF SOIL\n") != std::string::npos &&
                      input.find("\t\tSTOPPING TIME\n") != std::string::npos;
  for (const std::string& line : lines_of(r.io->tc.str())) {
    if (line.find("CRACK") == std::string::npos && line.find("-TIME-") == std::string::npos) {
      ++e.tc_records;
    }
  }
  return e;
}

// ---------------------------------------------------------------------------
// Step length

// A layer drained at both ends: its steps converge without halving, so the
// step length follows the growth rule alone.
Answers drained_answers() {
  Answers a;
  a.bottom = 3;
  return a;
}

TEST(StepLength, GrowsByHalfAfterEveryStepUpToTheLargestStep) {
  Answers a = drained_answers();
  a.OPT = {20.0};
  a.MAXDT = 0.2;
  CapturedRun r(a);
  const RunScales& p = r.scales();
  const Clock& clock = r.clock();
  begin_output_interval(*r.run);
  bool reached_largest = false;
  for (int step = 1; step <= 40; ++step) {
    const StepOutcome outcome = time_step(*r.run, r.out());
    if (outcome == StepOutcome::RunEnded) break;
    const double grown = 1.5 * clock.DTPREV();
    EXPECT_EQ(clock.DT(), grown > p.DTMAX ? p.DTMAX : grown) << "step " << step;
    EXPECT_EQ(clock.DTSAVE(), clock.DT()) << "step " << step;
    EXPECT_LE(clock.DT(), p.DTMAX);
    reached_largest = reached_largest || clock.DT() == p.DTMAX;
  }
  EXPECT_TRUE(reached_largest);
}

TEST(StepLength, AStepThatWouldPassTheOutputTimeEndsOnIt) {
  Answers a = drained_answers();
  a.OPT = {0.03, 1.0};
  CapturedRun r(a);
  const RunScales& p = r.scales();
  const Clock& clock = r.clock();
  LoopState& loop = r.loop();
  begin_output_interval(*r.run);
  double T_before = 0.0, DT_before = 0.0, DTSAVE_before = 0.0;
  StepOutcome outcome = StepOutcome::Next;
  int steps = 0;
  while (outcome == StepOutcome::Next && steps < 100) {
    T_before = clock.T();
    DT_before = clock.DT();
    DTSAVE_before = clock.DTSAVE();
    outcome = time_step(*r.run, r.out());
    ++steps;
  }
  ASSERT_EQ(outcome, StepOutcome::OutputTimeReached);
  ASSERT_EQ(loop.NHALF, 0);
  ASSERT_GT(steps, 2);
  EXPECT_EQ(clock.T(), p.OPTN[1]);
  // The shortened step, and no growth after it.
  const double T_overshoot = T_before + DT_before;
  EXPECT_LT(p.OPTN[1], T_overshoot);
  EXPECT_EQ(clock.DTPREV(), p.OPTN[1] - T_overshoot + DT_before);
  EXPECT_EQ(clock.DT(), clock.DTPREV());
  EXPECT_EQ(clock.DTSAVE(), DTSAVE_before);
  EXPECT_EQ(clock.DTSAVE(), DT_before);

  // The next interval starts from the step carried over, not the shortened one.
  loop.IOUT = 2;
  begin_output_interval(*r.run);
  EXPECT_EQ(clock.DT(), DT_before);
  EXPECT_EQ(loop.ISTEP, 1);
  const double T_start = clock.T();
  time_step(*r.run, r.out());
  ASSERT_EQ(loop.NHALF, 0);
  EXPECT_EQ(clock.DTPREV(), DT_before);
  EXPECT_EQ(clock.T(), T_start + DT_before);
}

TEST(StepLength, AWholeRunResumesTheSecondIntervalWithTheCarriedStep) {
  Answers a = drained_answers();
  a.OPT = {0.03, 1.0};
  // The first step of the second interval, by hand.
  CapturedRun twin(a);
  begin_output_interval(*twin.run);
  while (time_step(*twin.run, twin.out()) == StepOutcome::Next) {
  }
  twin.loop().IOUT = 2;
  begin_output_interval(*twin.run);
  time_step(*twin.run, twin.out());
  const double expected = twin.scales().dimensional_time(twin.clock().T());

  CapturedRun r(a);
  march_in_time(*r.run, r.out());
  const auto console = lines_of(r.io->console.str());
  std::vector<std::string> step_lines;
  for (const std::string& l : console) {
    if (l.rfind(" TIME = ", 0) == 0) step_lines.push_back(l);
  }
  std::size_t at_output = 0;
  while (at_output < step_lines.size() &&
         step_lines[at_output].rfind(" TIME = " + format_G(11, 5, 0.03), 0) != 0) {
    ++at_output;
  }
  ASSERT_LT(at_output + 1, step_lines.size()) << r.io->console.str();
  EXPECT_EQ(step_lines[at_output + 1].substr(0, 19), " TIME = " + format_G(11, 5, expected));
}

TEST(StepLength, AStepEndingExactlyOnTheOutputTimeDoesNotGrow) {
  Answers a = drained_answers();
  a.OPT = {0.002, 1.0};  // below the first step the soil would take
  CapturedRun r(a);
  const RunScales& p = r.scales();
  const Clock& clock = r.clock();
  begin_output_interval(*r.run);
  const double DT = clock.DT();
  EXPECT_EQ(DT, p.K0 * 0.002 / p.HTOT);
  EXPECT_EQ(time_step(*r.run, r.out()), StepOutcome::OutputTimeReached);
  ASSERT_EQ(r.loop().NHALF, 0);
  EXPECT_EQ(clock.T(), p.OPTN[1]);
  EXPECT_EQ(clock.DTPREV(), DT);
  EXPECT_EQ(clock.DT(), DT);
  EXPECT_EQ(clock.DTSAVE(), DT);
}

// ---------------------------------------------------------------------------
// Stops and the end of a step

// A clock standing exactly at T.
Clock clock_on(double T) {
  return Clock(T, 1e-3);
}

// A run standing after an accepted step: a fast node, six steps in.
CapturedRun after_a_step(const Answers& a = Answers{}) {
  CapturedRun r(a);
  r.loop().IOUT = 1;
  r.loop().ISTEP = 6;
  r.loop().NFAST = 1;
  r.loop().DSQ = 1e-6;
  r.loop().DMARCH = 1e-6 / r.col().NN;
  r.loop().ITER = 4;
  r.clock() = clock_on(r.scales().OPTN[1] / 2.0);
  r.clear_outputs();
  return r;
}

TEST(QuietSteps, TheRunStopsOnTheFourthQuietStepInARow) {
  struct Case {
    int NQUIET, NFAST;
    bool stops;
    int NQUIET_after;
  };
  for (const Case& c : {Case{0, 0, false, 1}, Case{2, 0, false, 3}, Case{3, 0, true, 4},
                        Case{3, 2, false, 0}, Case{9, 1, false, 0}}) {
    CapturedRun r = after_a_step();
    r.loop().NQUIET = c.NQUIET;
    r.loop().NFAST = c.NFAST;
    const StepOutcome outcome = finish_step(*r.run, r.out());
    EXPECT_EQ(outcome == StepOutcome::RunEnded, c.stops) << c.NQUIET << " " << c.NFAST;
    EXPECT_EQ(r.loop().NQUIET, c.NQUIET_after) << c.NQUIET << " " << c.NFAST;
    const std::string console = r.io->console.str();
    const std::string message =
        " REACHED THE MINIMUM MARCHING DIFFERENCE = " + format_G(10, 5, r.def().ERROR);
    EXPECT_EQ(contains_line(console, message), c.stops) << console;
    // The stop comes before the step line.
    EXPECT_EQ(count_lines(console, " TIME = "), c.stops ? 0 : 1);
    if (c.stops) {
      const EndRecords e = end_records(r);
      EXPECT_EQ(e.ts_data_lines, 1);
      EXPECT_TRUE(e.summary);
      EXPECT_TRUE(e.restart_profile);
    }
  }
}

TEST(QuietSteps, AWholeRunWithoutFastNodesEndsAfterThreeStepLines) {
  CapturedRun r(Answers{});
  r.def().ERROR = 1e30;
  r.clear_outputs();
  march_in_time(*r.run, r.out());
  const std::string console = r.io->console.str();
  EXPECT_EQ(count_lines(console, " TIME = "), 3);
  EXPECT_TRUE(contains_line(console, " REACHED THE MINIMUM MARCHING DIFFERENCE = .10000E+31"))
      << console;
  EXPECT_EQ(r.loop().NQUIET, 4);
  const EndRecords e = end_records(r);
  EXPECT_EQ(e.ts_data_lines, 1);
  EXPECT_TRUE(e.summary);
  EXPECT_TRUE(e.restart_profile);
}

// The unstable stop ends a run that gave no answer: its message, then the
// end-of-run records, then a stop with status 3 and no further message.
TEST(UnstableStop, EndsTheRunOnceTheMarchingDifferenceExceedsTheNodeCount) {
  struct Case {
    int ISTEP;
    double DSQ_per_node;  // DSQ/NN, compared with NN
    bool stops;
  };
  for (const Case& c : {Case{6, 502.0, true}, Case{6, 501.0, false}, Case{5, 1e6, false},
                        Case{7, 1e6, true}, Case{6, 1.0, false}}) {
    CapturedRun r = after_a_step();
    ASSERT_EQ(r.col().NN, 501);
    r.loop().ISTEP = c.ISTEP;
    r.loop().DSQ = c.DSQ_per_node * 501.0;
    bool stopped = false;
    try {
      finish_step(*r.run, r.out());
    } catch (const RunStop& stop) {
      stopped = true;
      EXPECT_EQ(stop.kind(), StopKind::CannotGoOn);
      EXPECT_EQ(stop.exit_status(), 3);
      EXPECT_TRUE(stop.lines().empty());
    }
    const std::string console = r.io->console.str();
    EXPECT_EQ(stopped, c.stops) << c.ISTEP << " " << c.DSQ_per_node;
    EXPECT_EQ(contains_line(console, "  CALCULATION TERMINATED FOR UNSTABLE SITUATION!"), c.stops);
    if (c.stops) {
      EXPECT_EQ(count_lines(console, " TIME = "), 0);
      EXPECT_TRUE(end_records(r).restart_profile);
      EXPECT_TRUE(end_records(r).summary);
    }
  }
}

TEST(MinimumVoidRatio, StopsAtTheLowestNodeWithItsOwnRecords) {
  CapturedRun r = after_a_step(drying_answers());
  ASSERT_EQ(r.def().IDES, 1);
  SoilColumn& col = r.col();
  const double at_minimum = r.def().ME / r.scales().E0;
  col.EN[9] = at_minimum;
  col.EN[5] = at_minimum;
  col.EN[3] = std::nextafter(at_minimum, 1.0);  // just above: not yet
  EXPECT_EQ(finish_step(*r.run, r.out()), StepOutcome::RunEnded);
  const auto console = lines_of(r.io->console.str());
  ASSERT_GE(console.size(), 2u);
  EXPECT_EQ(console[console.size() - 2], "  REACH THE MINIMUM VOID RATIO AT NODE 5");
  EXPECT_EQ(console.back(), "  PROGRAM STOPS FOR REACHING MINIMUM VOID RATIO!");
  EXPECT_EQ(count_lines(r.io->console.str(), " TIME = "), 0);
  const EndRecords e = end_records(r);
  EXPECT_EQ(e.ts_data_lines, 1);
  EXPECT_TRUE(e.summary);
  EXPECT_TRUE(e.restart_profile);
  EXPECT_EQ(e.tc_records, 0);  // no final crack record at this stop
}

TEST(MinimumVoidRatio, OtherEndsOfADesiccationRunWriteTheFinalCrackRecord) {
  CapturedRun r = after_a_step(drying_answers());
  r.loop().NQUIET = 3;
  r.loop().NFAST = 0;
  EXPECT_EQ(finish_step(*r.run, r.out()), StepOutcome::RunEnded);
  EXPECT_EQ(end_records(r).tc_records, 1);
}

struct SteadyCase {
  const char* what;
  int IFIL, NS;
  double T_over_TBFN;  // T as a multiple of TBFN(NS) (ignored without stages)
  double ZTOPP, Z, ZSS;
  bool stops;
};

class SteadyHeight : public ::testing::TestWithParam<SteadyCase> {};

TEST_P(SteadyHeight, EndsTheRunOnceTheTopHasSettledToIt) {
  const SteadyCase& c = GetParam();
  CapturedRun r = after_a_step();
  RunDefinition& def = r.def();
  RunScales& scales = r.scales();
  SoilColumn& col = r.col();
  def.IFIL = c.IFIL;
  def.NS = c.NS;
  scales.TBFN[1] = scales.OPTN[1] / 8.0;
  scales.TBFN[2] = scales.OPTN[1] / 4.0;
  if (c.NS >= 1) r.clock() = clock_on(c.T_over_TBFN * scales.TBFN[c.NS]);
  r.loop().ZTOPP = c.ZTOPP;
  col.Z[col.NN] = c.Z;
  col.ZSS[col.NN] = c.ZSS;
  const StepOutcome outcome = finish_step(*r.run, r.out());
  EXPECT_EQ(outcome == StepOutcome::RunEnded, c.stops) << c.what;
  EXPECT_EQ(r.loop().ZTOPP, c.Z) << c.what;
  // The step line is written either way, before the end records.
  const auto console = lines_of(r.io->console.str());
  ASSERT_FALSE(console.empty());
  EXPECT_EQ(console.front().rfind(" TIME = ", 0), 0u) << c.what;
  EXPECT_EQ(end_records(r).restart_profile, c.stops) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SteadyHeight,
    ::testing::Values(SteadyCase{"settled", 2, 0, 0.0, 5.0, 5.0, 5.0, true},
                      SteadyCase{"below", 2, 0, 0.0, 5.2, 4.9, 5.0, true},
                      SteadyCase{"last step still above", 2, 0, 0.0, 4.99, 4.9, 5.0, false},
                      SteadyCase{"still above", 2, 0, 0.0, 5.2, 5.1, 5.0, false},
                      SteadyCase{"filling, last stage not begun", 1, 2, 1.0, 5.0, 5.0, 5.0, false},
                      SteadyCase{"filling, last stage begun", 1, 2, 1.5, 5.0, 5.0, 5.0, true},
                      SteadyCase{"filling, first of two stages begun", 1, 2, 0.75, 5.0, 5.0, 5.0,
                                 false},
                      SteadyCase{"filling without stages", 1, 0, 0.0, 5.0, 5.0, 5.0, true}));

TEST(FinishStep, LeavesTheStepLoopAtAnOutputTimeAndEndsAtTheLast) {
  Answers a;
  a.OPT = {1.0, 2.0};
  struct Case {
    int IOUT;
    int output;  // T at OPTN(output), 0 for between output times
    StepOutcome outcome;
    int ISTEP_after;
  };
  for (const Case& c :
       {Case{1, 1, StepOutcome::OutputTimeReached, 6}, Case{2, 2, StepOutcome::RunEnded, 6},
        Case{1, 0, StepOutcome::Next, 7}, Case{2, 0, StepOutcome::Next, 7}}) {
    CapturedRun r = after_a_step(a);
    r.loop().IOUT = c.IOUT;
    r.clock() =
        clock_on(c.output == 0 ? r.scales().OPTN[c.IOUT] * 0.75 : r.scales().OPTN[c.output]);
    EXPECT_EQ(finish_step(*r.run, r.out()), c.outcome) << c.IOUT << " " << c.output;
    EXPECT_EQ(r.loop().ISTEP, c.ISTEP_after) << c.IOUT << " " << c.output;
    EXPECT_EQ(end_records(r).restart_profile, c.outcome == StepOutcome::RunEnded);
  }
}

// ---------------------------------------------------------------------------
// Whole runs

TEST(March, StagedFillingRaisesTheInitialHeightWithTheFilledTop) {
  const Answers a = thin_layer_filling_answers();
  CapturedRun r(a);
  ASSERT_EQ(r.scales().H0IN, 0.0);
  begin_output_interval(*r.run);
  double H0IN = 0.0;
  for (int step = 1; step <= 20; ++step) {
    ASSERT_EQ(time_step(*r.run, r.out()), StepOutcome::Next);
    // The height right after the filling advance, before the step settles it.
    EXPECT_GT(r.scales().H0IN, H0IN) << step;
    EXPECT_GE(r.scales().H0IN, r.col().Z[r.col().NN]) << step;
    H0IN = r.scales().H0IN;
  }
  EXPECT_EQ(r.scales().H0IN, r.run->restart_snapshot.Z[r.run->restart_snapshot.NN]);
}

TEST(March, EvaporationIsCumulatedOnlyWithVelocitiesAtBothEnds) {
  for (const int top : {1, 2}) {
    Answers a = drying_answers();
    a.top = top;
    a.top_value = top == 1 ? 0.005 : 0.0;
    a.OPT = {0.5};
    CapturedRun r(a);
    march_in_time(*r.run, r.out());
    if (top == 1) {
      EXPECT_EQ(r.loop().TEFT, r.clock().T() - r.scales().T0N);
      EXPECT_GT(r.loop().VEVAP, 0.0);
    } else {
      EXPECT_EQ(r.loop().TEFT, 0.0);
      EXPECT_EQ(r.loop().VEVAP, 0.0);
    }
  }
}

TEST(March, WithoutOutputTimesTheRunEndsAtOnce) {
  Answers a;
  a.OPT = {};
  CapturedRun r(a);
  const double T = r.clock().T();
  r.clear_outputs();
  march_in_time(*r.run, r.out());
  const std::string console = r.io->console.str();
  EXPECT_EQ(count_lines(console, " TIME = "), 0);
  EXPECT_EQ(count_lines(console, " ITERATION NO.="), 0);
  EXPECT_EQ(r.clock().T(), T);
  const EndRecords e = end_records(r);
  EXPECT_EQ(e.ts_data_lines, 1);
  EXPECT_TRUE(e.summary);
  EXPECT_TRUE(e.restart_profile);
  EXPECT_EQ(count_lines(r.io->vd.str(), "TIME = "), 1);
}

TEST(March, EndsOnTheLastOutputTimeWithOneReportPerOutputTime) {
  Answers a;
  a.OPT = {0.5, 1.0, 2.0};
  CapturedRun r(a);
  r.clear_outputs();
  march_in_time(*r.run, r.out());
  EXPECT_EQ(r.clock().T(), r.scales().OPTN[3]);
  const EndRecords e = end_records(r);
  EXPECT_EQ(e.ts_data_lines, 3);
  EXPECT_TRUE(e.summary);
  EXPECT_TRUE(e.restart_profile);
  const std::vector<double> times = step_times(r.io->console.str());
  ASSERT_FALSE(times.empty());
  EXPECT_EQ(times.back(), 2.0);
  for (const double t : {0.5, 1.0}) {
    EXPECT_NE(std::find(times.begin(), times.end(), t), times.end()) << t;
  }
}

TEST(March, TimeNeverRunsBackwardsBetweenStepLines) {
  // A deferred evaporation top that switches on during the run: the
  // switching step ends at its own start time.
  Answers a;
  a.soil = "7.0 -0.2 6.8e-7 4.0 0.1";
  a.H0 = 2.0;
  a.top = 1;
  a.top_value = 0.0005;
  a.OPT = {10.0, 600.0};
  a.MAXDT = 10.0;
  CapturedRun r(a);
  r.clear_outputs();
  march_in_time(*r.run, r.out());
  ASSERT_NE(r.boundaries().TTOPSW, 0.0);
  const std::vector<double> times = step_times(r.io->console.str());
  ASSERT_GT(times.size(), 10u);
  for (std::size_t i = 1; i < times.size(); ++i) {
    ASSERT_GE(times[i], times[i - 1]) << "step line " << i + 1;
  }
  const double switched = r.scales().dimensional_time(r.boundaries().TTOPSW);
  EXPECT_GT(switched, 10.0);
  EXPECT_LT(switched, 600.0);
}

TEST(March, AStepThatCannotBeSolvedEndsTheRunAsAFailureWithItsRecords) {
  CapturedRun r(Answers{});
  r.run->soil.GS = std::numeric_limits<double>::quiet_NaN();
  r.clear_outputs();
  try {
    march_in_time(*r.run, r.out());
    FAIL() << "the run went on";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::Failure);
    EXPECT_EQ(stop.exit_status(), 3);
    ASSERT_FALSE(stop.lines().empty());
    EXPECT_NE(stop.lines()[0].find("halved"), std::string::npos) << stop.lines()[0];
  }
  const EndRecords e = end_records(r);
  EXPECT_EQ(e.ts_data_lines, 1);
  EXPECT_TRUE(e.summary);
  EXPECT_TRUE(e.restart_profile);
  // The records show the time the step started from.
  EXPECT_NEAR(r.clock().T(), r.scales().T0N, 1e-18);
  EXPECT_EQ(count_lines(r.io->console.str(), " TIME = "), 0);
}

// A request to stop from outside, noted while a step is solved, ends the run
// at the end of that step: the end-of-run records at its time, then the stop
// of its kind with the line that says so.
TEST(March, AnInterruptionEndsTheRunAtTheEndOfTheStepWithItsRecords) {
#ifdef _WIN32
  // There a Ctrl-C reaches the handlers as a console event, which raise()
  // cannot send; the C library's own SIGINT handling would end the tests.
  GTEST_SKIP() << "signals are raised on POSIX systems only";
#endif
  struct Case {
    int signal_number;
    StopKind kind;
    int status;
    const char* line;
  };
  for (const Case& c :
       {Case{SIGINT, StopKind::Interrupted, 130, "RUN INTERRUPTED (SIGINT) AT TIME = "},
        Case{SIGTERM, StopKind::Terminated, 143, "RUN INTERRUPTED (SIGTERM) AT TIME = "}}) {
    Answers a;
    a.OPT = {10.0, 100.0};
    CapturedRun r(a);
    r.clear_outputs();
    platform::forget_interruption();
    platform::install_interrupt_handlers();
    ASSERT_EQ(std::raise(c.signal_number), 0);
    try {
      march_in_time(*r.run, r.out());
      ADD_FAILURE() << "the run went on";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.kind(), c.kind);
      EXPECT_EQ(stop.exit_status(), c.status);
      ASSERT_EQ(stop.lines().size(), 1u);
      EXPECT_EQ(stop.lines()[0],
                c.line + format_free_real(r.scales().dimensional_time(r.clock().T())));
    }
    platform::restore_default_handlers();
    platform::forget_interruption();
    // One step was taken, and its time is the one of the final report.
    EXPECT_EQ(count_lines(r.io->console.str(), " TIME = "), 1);
    EXPECT_GT(r.clock().T(), r.scales().T0N);
    EXPECT_LT(r.clock().T(), r.scales().OPTN[1]);
    const EndRecords e = end_records(r);
    EXPECT_EQ(e.ts_data_lines, 1);
    EXPECT_TRUE(e.summary);
    EXPECT_TRUE(e.restart_profile);
  }
}

}  // namespace
}  // namespace slurry1d::testing
