#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/simulation.hpp"
#include "progress/progress_line.hpp"
#include "progress/progress_observer.hpp"
#include "progress/run_outcome.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d::progress {
namespace {

std::string text_of(const ProgressFigures& f, std::size_t room = ProgressLine::CAPACITY) {
  std::vector<char> buffer(room);
  return std::string(buffer.data(), progress_text(buffer, f));
}

TEST(ProgressText, TimeAgainstTheLastOutputTimeStepsAndNodes) {
  EXPECT_EQ(text_of({1234.5, 0.0, 100000.0, 5678, 501}),
            "t = 1234.5 of 100000 (1.2 %), step 5678, 501 nodes");
  // The share counts from the starting time.
  EXPECT_EQ(text_of({150.0, 100.0, 200.0, 12, 1001}),
            "t = 150 of 200 (50.0 %), step 12, 1001 nodes");
  EXPECT_EQ(text_of({29650.123456, 0.0, 29650.0, 7554, 501}),
            "t = 29650.1 of 29650 (100.0 %), step 7554, 501 nodes");
  // No output time to march to: no share.
  EXPECT_EQ(text_of({0.0, 0.0, 0.0, 1, 501}), "t = 0, step 1, 501 nodes");
  // Cut to the room given.
  EXPECT_EQ(text_of({1234.5, 0.0, 100000.0, 5678, 501}, 11), "t = 1234.5");
  EXPECT_EQ(text_of({1234.5, 0.0, 100000.0, 5678, 501}, 1), "");
}

// The end of a run as the RunEnded event tells it.
class Outcome : public ::testing::Test {
 protected:
  Outcome() {
    def->NO = 4;
    def->OPT[1] = 1000.0;
    def->OPT[2] = 3000.0;
    def->OPT[3] = 10000.0;
    def->OPT[4] = 100000.0;
    def->ME = 1.0;
  }
  std::string line(EndReason reason, int status, double time, int reached, int node = 0,
                   std::optional<double> steady = std::nullopt) const {
    return outcome_line(
        RunEnded{reason, status, time, node, reached, {}, *def, *column, 5.07, *scales}, steady);
  }

  std::unique_ptr<RunDefinition> def = std::make_unique<RunDefinition>();
  std::unique_ptr<SoilColumn> column = std::make_unique<SoilColumn>();
  std::unique_ptr<RunScales> scales = std::make_unique<RunScales>();
};

TEST_F(Outcome, EveryEndSaysHowAndWhen) {
  struct Case {
    EndReason reason;
    int status;
    double time;
    int reached;
    int node;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {EndReason::LastOutputTime, 0, 100000.0, 4, 0,
       "run ended: last output time t = 100000 reached"},
      {EndReason::SteadyStateHeight, 0, 29650.0000001, 3, 0,
       "run ended: steady-state height 5.073 reached at t = 29650; output time 100000 not reached"},
      {EndReason::MinimumVoidRatio, 0, 598.5, 0, 1,
       "run ended: minimum void ratio 1.0 reached at node 1, t = 598.5; output times 1000, 3000, "
       "10000, 100000 not reached"},
      {EndReason::QuietSteps, 0, 5000.0, 2, 0,
       "run ended: no further change (four quiet steps in a row) at t = 5000; output times 10000, "
       "100000 not reached"},
      {EndReason::Unstable, 3, 12.5, 0, 0,
       "run ended: unstable: the marching difference exceeded the node count at t = 12.5; output "
       "times 1000, 3000, 10000, 100000 not reached (exit status 3)"},
      {EndReason::BaseInstability, 3, 0.0, 0, 0,
       "run ended: no effective stress left at the base at t = 0; output times 1000, 3000, 10000, "
       "100000 not reached (exit status 3)"},
      {EndReason::TooManyNodes, 3, 2.0, 0, 0,
       "run ended: a velocity boundary needed more nodes than the column holds at t = 2; output "
       "times 1000, 3000, 10000, 100000 not reached (exit status 3)"},
      {EndReason::RefusedRun, 2, 0.0, 0, 0, "run ended: run definition refused (exit status 2)"},
      {EndReason::RefusedInput, 2, 0.0, 0, 0, "run ended: answers refused (exit status 2)"},
      {EndReason::Interrupted, 130, 1500.25, 1, 0,
       "run ended: interrupted at t = 1500.25; output times 3000, 10000, 100000 not reached (exit "
       "status 130)"},
      {EndReason::NumericalFailure, 3, 2500.0, 1, 0,
       "run ended: failed numerically at t = 2500; output times 3000, 10000, 100000 not reached "
       "(exit status 3)"},
      {EndReason::FileError, 4, 1000.0, 1, 0,
       "run ended: a result file could not be written, at t = 1000; output times 3000, 10000, "
       "100000 not reached (exit status 4)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(line(c.reason, c.status, c.time, c.reached, c.node, 5.07328), c.expected);
  }
}

TEST_F(Outcome, TheSteadyHeightIsTheSolvedOneWhereKnown) {
  EXPECT_EQ(line(EndReason::SteadyStateHeight, 0, 10.0, 4, 0, 3.83309),
            "run ended: steady-state height 3.833 reached at t = 10");
  // Not solved (a continued run): the height the run ended at.
  EXPECT_EQ(line(EndReason::SteadyStateHeight, 0, 10.0, 4),
            "run ended: steady-state height 5.07 reached at t = 10");
}

TEST_F(Outcome, ManyOutputTimesNotReachedAreGivenAsARange) {
  def->NO = 12;
  for (int i = 1; i <= 12; ++i) def->OPT[i] = 100.0 * i;
  EXPECT_EQ(line(EndReason::SteadyStateHeight, 0, 250.0, 2, 0, 5.0),
            "run ended: steady-state height 5 reached at t = 250; the 10 output times from 300 to "
            "1200 not reached");
  def->NO = 0;
  EXPECT_EQ(line(EndReason::LastOutputTime, 0, 0.0, 0),
            "run ended: no output time asked for; the state at t = 0 reported");
}

TEST(OutcomeBeforeRun, TheStatusSaysWhatEndedTheDialog) {
  EXPECT_EQ(outcome_before_run(2), "run ended: refused before the run began (exit status 2)");
  EXPECT_EQ(outcome_before_run(130), "run ended: interrupted during the dialog (exit status 130)");
  EXPECT_EQ(outcome_before_run(143), "run ended: interrupted during the dialog (exit status 143)");
  EXPECT_EQ(outcome_before_run(4),
            "run ended: the echo file \"input\" could not be written (exit status 4)");
}

TEST(ProgressLine, DrawsInPlaceAndBlanksOutWhatALongerLineLeft) {
  std::ostringstream terminal;
  ProgressLine line(terminal);
  EXPECT_FALSE(line.shown());
  line.draw("t = 10, step 5");
  EXPECT_EQ(terminal.str(), "\rt = 10, step 5");
  EXPECT_TRUE(line.shown());
  terminal.str("");
  line.draw("t = 9");
  EXPECT_EQ(terminal.str(), "\rt = 9" + std::string(9, ' ') + "\rt = 9");
  terminal.str("");
  line.clear();
  EXPECT_EQ(terminal.str(), "\r     \r");
  EXPECT_FALSE(line.shown());
  terminal.str("");
  line.clear();  // nothing shown: nothing written
  line.restore();
  EXPECT_EQ(terminal.str(), "\rt = 9");
  terminal.str("");
  line.hide();
  line.restore();  // hidden: not drawn again
  EXPECT_EQ(terminal.str(), "\r     \r");
  EXPECT_FALSE(line.shown());
}

TEST(ProgressLine, ATextWiderThanTheLineIsCut) {
  std::ostringstream terminal;
  ProgressLine line(terminal);
  line.draw(std::string(200, 'x'));
  EXPECT_EQ(terminal.str(), "\r" + std::string(ProgressLine::CAPACITY, 'x'));
}

// Another stream on the same terminal: its lines come above the progress
// line, which is cleared before them and drawn again after.
TEST(BelowProgressLine, LinesComeAboveTheProgressLine) {
  std::ostringstream terminal;
  ProgressLine line(terminal);
  BelowProgressLine below(terminal.rdbuf(), line);
  std::ostream console(&below);
  line.draw("t = 1");
  console << " STEP 1\n STEP 2\n";
  EXPECT_EQ(terminal.str(), "\rt = 1");  // kept until a flush
  console.flush();
  EXPECT_EQ(terminal.str(), "\rt = 1\r     \r STEP 1\n STEP 2\n\rt = 1");
  // A line not yet ended goes on at a flush, without the progress line after
  // it; its end brings the progress line back.
  terminal.str("");
  console << " PART" << std::flush;
  EXPECT_EQ(terminal.str(), "\r     \r PART");
  console << " END\n" << std::flush;
  EXPECT_EQ(terminal.str(), "\r     \r PART END\n\rt = 1");
}

TEST(BelowProgressLine, AFullBufferGoesOnUpToItsLastLineEnd) {
  std::ostringstream terminal;
  ProgressLine line(terminal);
  BelowProgressLine below(terminal.rdbuf(), line);
  std::ostream console(&below);
  line.draw("p");
  const std::string row = std::string(99, 'r') + "\n";
  std::string written;
  for (int k = 0; k < 100; ++k) written += row;  // more than the buffer holds
  written += "unfinished";
  console << written;
  const std::string screen = terminal.str();
  // Only whole lines reached the terminal, each batch followed by the line.
  ASSERT_TRUE(screen.ends_with("\n\rp")) << screen.substr(screen.size() - 20);
  EXPECT_EQ(screen.find("unfinished"), std::string::npos);
  const std::size_t before_flush = screen.size();
  console.flush();
  // The flush clears the line and hands on the rest, the unfinished line last.
  const std::string flushed = terminal.str().substr(before_flush);
  EXPECT_EQ(flushed.rfind("\r \r", 0), 0u);
  EXPECT_TRUE(flushed.ends_with("r\nunfinished"));
  // Every row arrived once and in order.
  std::string rows;
  for (std::size_t at = terminal.str().find('r'); at != std::string::npos;) {
    const std::size_t end = terminal.str().find('\n', at);
    if (end == std::string::npos) break;
    rows += terminal.str().substr(at, end + 1 - at);
    at = terminal.str().find('r', end);
  }
  EXPECT_EQ(rows, written.substr(0, written.size() - 10));
}

TEST(RedrawPace, EveryFewStepsFromTheFirst) {
  EveryFewSteps pace(100);
  std::vector<long> drawn;
  for (long step = 1; step <= 450; ++step) {
    if (pace.due(step)) drawn.push_back(step);
  }
  EXPECT_EQ(drawn, (std::vector<long>{1, 101, 201, 301, 401}));
}

TEST(RedrawPace, TheClockIsLookedAtEverySixteenSteps) {
  FewTimesASecond pace;
  EXPECT_TRUE(pace.due(1));
  // Between the looks at the clock nothing is due, however long it took.
  for (long step = 2; step < 16; ++step) EXPECT_FALSE(pace.due(step)) << step;
}

// A run of the program's own on `answers`, its files in a scratch directory
// removed afterwards, followed by `observer`.
int observed_run(const std::string& answers, RunObserver& observer) {
  std::random_device seed;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("slurry1d_progress_" + std::to_string(seed()));
  std::filesystem::create_directories(dir);
  testing::DiscardedOutputs sink;
  std::istringstream in(answers);
  const int status =
      run_program(AnswerInput{in, false, std::nullopt, nullptr}, sink.out, {}, dir, observer);
  std::filesystem::remove_all(dir);
  return status;
}

// A self-weight run followed from its set-up to its end: the progress line
// drawn every 10 steps, then cleared, then the outcome.
TEST(ProgressObserver, FollowsARunToItsOutcome) {
  std::ostringstream terminal, outcome;
  ProgressLine line(terminal);
  EveryFewSteps pace(10);
  ProgressObserver watcher(&line, &outcome, pace);
  const int status = observed_run(testing::self_weight_answers(30.0), watcher);
  watcher.program_ended(status);  // told by the event already: nothing more
  EXPECT_EQ(status, 0);
  EXPECT_EQ(outcome.str(), "run ended: last output time t = 30 reached\n");
  const std::string screen = terminal.str();
  EXPECT_EQ(screen.rfind("\rt = ", 0), 0u) << screen;
  EXPECT_NE(screen.find(" of 30 ("), std::string::npos);
  EXPECT_NE(screen.find(", step 11, 501 nodes"), std::string::npos);
  EXPECT_EQ(screen.find(", step 12,"), std::string::npos);
  EXPECT_FALSE(line.shown());
  EXPECT_TRUE(screen.ends_with("\r")) << screen;  // cleared at the end
}

TEST(ProgressObserver, ADialogRefusedTellsItsOutcomeFromTheStatus) {
  std::ostringstream outcome;
  EveryFewSteps pace(1);
  ProgressObserver watcher(nullptr, &outcome, pace);
  const int status = observed_run("7.0 -0.2 6.8e-8 4.0 0.1\n2\n-2.65\n", watcher);
  watcher.program_ended(status);
  EXPECT_EQ(outcome.str(), "run ended: refused before the run began (exit status 2)\n");
}

TEST(ProgressObserver, WithoutStreamsItWritesNothing) {
  EveryFewSteps pace(1);
  ProgressObserver watcher(nullptr, nullptr, pace);
  EXPECT_EQ(observed_run(testing::self_weight_answers(10.0), watcher), 0);
  watcher.program_ended(0);
}

}  // namespace
}  // namespace slurry1d::progress
