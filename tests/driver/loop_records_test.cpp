// The records of the time loop: console progress lines, crack tip lines, the
// "tc.out" records with their values and rates, the "ts.out" summary lines,
// and when a desiccation run writes its crack records.

#include "driver/loop_records.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run_answers.hpp"
#include "driver/time_loop.hpp"
#include "output/fields.hpp"

namespace slurry1d::testing {
namespace {

std::string shortest(double v) {
  return format_free_real(v);
}

struct Console {
  std::ostringstream text;
  RecordWriter writer{text};
};

TEST(IterationLine, ShowsTheCountAndTheErrorLevel) {
  struct Case {
    int ITER;
    double level;
    const char* line;
  };
  for (const Case& c : {Case{3, 2.9863e-9, " ITERATION NO.=   3   ERROR LEVEL = .29863E-08"},
                        Case{601, 0.0, " ITERATION NO.= 601   ERROR LEVEL = 0.0000    "},
                        Case{1000, 0.25, " ITERATION NO.= ***   ERROR LEVEL = .25000    "}}) {
    Console console;
    write_iteration_line(console.writer, c.ITER, c.level);
    EXPECT_EQ(console.text.str(), std::string(c.line) + "\n");
  }
}

TEST(StepLine, ShowsTheTimeTheMarchingDifferenceAndTheIterations) {
  Console console;
  write_step_line(console.writer, 99.562, 5.7186e-9, 8);
  write_step_line(console.writer, 0.0050968, 4.9306e-6, 12);
  EXPECT_EQ(console.text.str(),
            " TIME =  99.562     MARCHING DIFFERENCE= .57186E-08 ITERATION NO =   8\n"
            " TIME = 0.50968E-02 MARCHING DIFFERENCE= .49306E-05 ITERATION NO =  12\n");
}

TEST(CrackTipLines, ShowTheTipNodeAndTheDepthBelowTheTop) {
  auto col = std::make_unique<SoilColumn>();
  col->NN = 10;
  col->NN1 = 7;
  col->Z[7] = 2.0;
  col->Z[10] = 2.5;
  Console console;
  write_crack_tip(console.writer, *col);
  EXPECT_EQ(console.text.str(), " THE CRACK TIP IS AT NODE 7\n THE CRACK DEPTH IS 0.5\n");
}

TEST(CrackRecord, HoldsSevenFourDecimalFieldsAndTheRateWithSeven) {
  Console tc;
  write_crack_record(tc.writer,
                     {3.9741, 0.0059, 0.9798, 0.9797, 0.0001, 0.0203, 0.0004, 0.0050429});
  write_crack_record(tc.writer, {125.5, 0.25, 1.0, 0.75, 0.25, -0.125, -1.5, -0.0625});
  EXPECT_EQ(tc.text.str(),
            "    3.9741    0.0059    0.9798    0.9797    0.0001    0.0203    0.0004 0.0050429\n"
            "  125.5000    0.2500    1.0000    0.7500    0.2500   -0.1250   -1.5000-0.0625000\n");
}

// A desiccation run some way into its drying, with a crack from node 6 up.
struct CrackedState {
  std::unique_ptr<RunScales> p = std::make_unique<RunScales>();
  std::unique_ptr<SoilColumn> col = std::make_unique<SoilColumn>();
  std::unique_ptr<LoopState> loop = std::make_unique<LoopState>();
  // Cracking began in the step from 0.025 to 0.03; the time is now 0.05.
  Clock clock = cracked_clock(0.05);

  static Clock cracked_clock(double T) {
    Clock c(0.025, 0.005);
    c.advance();
    c.mark_step_start();
    c.restart_step(T - c.T());
    c.advance();
    return c;
  }

  CrackedState() {
    p->HTOT = 2.0;
    p->K0 = 4e-3;
    p->T0N = 0.01;
    p->H0IN = 1.0;
    col->NN = 10;
    col->NN1 = 6;
    for (int i = 1; i <= 10; ++i) col->Z[i] = 0.09 * (i - 1);
    loop->VSOIL = 0.75;
    loop->VCRACK = 0.06;
    loop->VEVAP = 0.125;
    loop->HCRK = 0.95;
    loop->KF4 = 1;
  }
};

TEST(CrackRates, AverageTheVolumeLossSinceTheStartOrSinceCrackingBegan) {
  CrackedState s;
  ASSERT_EQ(s.clock.T(), 0.05);
  ASSERT_EQ(s.clock.TMARK(), 0.025);
  EXPECT_EQ(rate_since_start(*s.p, s.clock, *s.loop), (1.0 - 0.75) / (0.05 - 0.01) * 4e-3 / 2.0);
  EXPECT_EQ(rate_since_cracking(*s.p, s.clock, *s.loop),
            (0.95 - 0.75) / (0.05 - 0.025) * 4e-3 / 2.0);
  s.clock = Clock(s.p->T0N, 0.01);
  EXPECT_EQ(rate_since_start(*s.p, s.clock, *s.loop), 0.0);
  // Back at the start of the step in which cracking began.
  s.clock = Clock(0.025, 0.005);
  s.clock.advance();
  s.clock.mark_step_start();
  s.clock.step_back();
  ASSERT_EQ(s.clock.T(), s.clock.TMARK());
  EXPECT_EQ(rate_since_cracking(*s.p, s.clock, *s.loop), 0.0);
}

TEST(CrackRecord, ProgressRecordsShowTheLossAgainstTheInitialHeight) {
  CrackedState s;
  const CrackRecord r = crack_progress_record(*s.p, s.clock, *s.col, *s.loop, 0.5);
  EXPECT_EQ(r.time, 2.0 * 0.05 / 4e-3);
  EXPECT_EQ(r.depth, s.col->Z[10] - s.col->Z[6]);
  EXPECT_EQ(r.height, s.col->Z[10]);
  EXPECT_EQ(r.VSOIL, 0.75);
  EXPECT_EQ(r.VCRACK, 0.06);
  EXPECT_EQ(r.sixth, 1.0 - 0.75);
  EXPECT_EQ(r.seventh, 1.0 - 0.75 - 0.125);
  EXPECT_EQ(r.rate, 0.5);
}

TEST(CrackRecord, TheFinalRecordShowsTheEvaporatedVolume) {
  struct Case {
    const char* what;
    int NN1, KF4;
    bool depth_from_tip, rate_since_cracking;
  };
  for (const Case& c :
       {Case{"cracked", 6, 1, true, true}, Case{"never cracked", 11, 0, false, false},
        Case{"only the top node cracked", 10, 0, true, false}}) {
    CrackedState s;
    s.col->NN1 = c.NN1;
    s.loop->KF4 = c.KF4;
    const CrackRecord r = final_crack_record(*s.p, s.clock, *s.col, *s.loop);
    EXPECT_EQ(r.time, 2.0 * 0.05 / 4e-3) << c.what;
    EXPECT_EQ(r.depth, c.depth_from_tip ? s.col->Z[10] - s.col->Z[c.NN1] : 0.0) << c.what;
    EXPECT_EQ(r.height, s.col->Z[10]) << c.what;
    EXPECT_EQ(r.sixth, 0.125) << c.what;
    EXPECT_EQ(r.seventh, 1.0 - 0.75 - 0.125) << c.what;
    EXPECT_EQ(r.rate, c.rate_since_cracking ? rate_since_cracking(*s.p, s.clock, *s.loop)
                                            : rate_since_start(*s.p, s.clock, *s.loop))
        << c.what;
  }
}

TEST(SummaryLines, TellTheSolidsHeightAndTheSwitchesThatHappened) {
  struct Case {
    double TTOPSW, TBOTSW;
  };
  for (const Case& c : {Case{0.0, 0.0}, Case{0.02, 0.0}, Case{0.0, 0.03}, Case{0.02, 0.03}}) {
    auto p = std::make_unique<RunScales>();
    p->HTOT = 3.0;
    p->E0 = 5.0;
    p->K0 = 2e-3;
    BoundaryState boundaries;
    boundaries.TTOPSW = c.TTOPSW;
    boundaries.TBOTSW = c.TBOTSW;
    Console ts;
    write_summary_lines(ts.writer, *p, boundaries);
    std::string expected =
        " THE TOTAL HEIGHT OF SOIL SOLID IS " + shortest(3.0 / (5.0 + 1.0)) + "\n";
    if (c.TTOPSW != 0.0) {
      expected += "  THE DESSICATION PROCESS START AT : " + shortest(3.0 * c.TTOPSW / 2e-3) + "\n";
    }
    if (c.TBOTSW != 0.0) {
      expected += "  TIME WHEN THE SELF-WEIGHT CONSOLIDATION ENDS AT BOTTOM : " +
                  shortest(3.0 * c.TBOTSW / 2e-3) + "\n";
    }
    EXPECT_EQ(ts.text.str(), expected);
  }
}

// ---------------------------------------------------------------------------
// Crack records of whole runs

std::vector<std::string> crack_records(const CapturedRun& r) {
  std::vector<std::string> records;
  for (const std::string& line : lines_of(r.io->tc.str())) {
    if (line.find("CRACK") == std::string::npos && line.find("-TIME-") == std::string::npos) {
      records.push_back(line);
    }
  }
  return records;
}

TEST(CrackRecords, ARunThatNeverCracksWritesOneRecordAtTheEnd) {
  Answers a = drying_answers();
  a.desiccation = "7.0 -0.1\n1e6 0.0 1.0 1e6\n0.5\n5.0";  // crack-onset void ratio 2e-6
  a.OPT = {1.0, 2.0};
  CapturedRun r(a);
  march_in_time(*r.run, r.out());
  ASSERT_EQ(r.col().NN1, r.col().NN + 1);
  const auto records = crack_records(r);
  ASSERT_EQ(records.size(), 1u) << r.io->tc.str();
  const RunScales& p = r.scales();
  const LoopState& loop = r.loop();
  std::string expected = format_F(10, 4, 2.0) + format_F(10, 4, 0.0) +
                         format_F(10, 4, r.col().Z[r.col().NN]) + format_F(10, 4, loop.VSOIL) +
                         format_F(10, 4, 0.0) + format_F(10, 4, loop.VEVAP) +
                         format_F(10, 4, p.H0IN - loop.VSOIL - loop.VEVAP) +
                         format_F(10, 7, rate_since_start(p, r.clock(), loop));
  EXPECT_EQ(records[0], expected);
  EXPECT_EQ(count_lines(r.io->console.str(), " THE CRACK TIP"), 0);
}

TEST(CrackRecords, TheFirstCrackWritesNoRecordAndEveryLaterDeepeningDoes) {
  Answers a = drying_answers();
  a.OPT = {10.0};
  CapturedRun r(a);
  const int NN = r.col().NN;
  begin_output_interval(*r.run);
  int first_crack_steps = 0, deepening_steps = 0;
  StepOutcome outcome = StepOutcome::Next;
  for (int step = 1; step <= 2000 && outcome == StepOutcome::Next; ++step) {
    const int tip_before = r.col().NN2;
    const std::size_t records_before = crack_records(r).size();
    outcome = time_step(*r.run, r.out());
    const int tip = r.col().NN2;
    ASSERT_LE(tip, tip_before) << "step " << step;
    const bool deepened = tip_before <= NN && tip < tip_before;
    const std::size_t written = crack_records(r).size() - records_before;
    const std::size_t at_end = outcome == StepOutcome::RunEnded ? 1 : 0;
    ASSERT_EQ(written, (deepened ? 1u : 0u) + at_end) << "step " << step;
    first_crack_steps += tip_before > NN && tip <= NN ? 1 : 0;
    deepening_steps += deepened ? 1 : 0;
  }
  EXPECT_EQ(outcome, StepOutcome::RunEnded);
  EXPECT_EQ(first_crack_steps, 1);
  EXPECT_GT(deepening_steps, 3);
  EXPECT_EQ(r.loop().KF4, 1);
  EXPECT_EQ(r.loop().KF5, 1);
}

TEST(CrackRecords, AnOutputTimeWithACrackWritesARecordAndTheTipIsShownAfterEachStep) {
  Answers a = drying_answers();
  a.OPT = {8.0, 10.0};
  CapturedRun r(a);
  march_in_time(*r.run, r.out());
  const auto records = crack_records(r);
  int at_output_time = 0;
  for (const std::string& rec : records) at_output_time += rec.rfind("    8.0000", 0) == 0 ? 1 : 0;
  EXPECT_GE(at_output_time, 1);
  EXPECT_EQ(records.back().substr(0, 10), "   10.0000");

  // Every step line of a cracked column is followed by the tip and depth.
  const auto console = lines_of(r.io->console.str());
  int cracked_steps = 0;
  for (std::size_t i = 0; i + 2 < console.size(); ++i) {
    if (console[i].rfind(" TIME = ", 0) != 0) continue;
    if (console[i + 1].rfind(" THE CRACK TIP IS AT NODE ", 0) != 0) continue;
    ++cracked_steps;
    EXPECT_EQ(console[i + 2].rfind(" THE CRACK DEPTH IS ", 0), 0u) << console[i + 2];
  }
  EXPECT_GT(cracked_steps, 3);
  EXPECT_EQ(count_lines(r.io->console.str(), " THE CRACK TIP IS AT NODE "), cracked_steps);
}

}  // namespace
}  // namespace slurry1d::testing
