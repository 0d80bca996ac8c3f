// Every way the program can end, run as a user runs it: the exit status, the
// message, and the four files left complete (flushed, closed, every line
// ended, the closing records of the way it ended present).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

const std::string kClay = "7.0 -0.2 6.8e-8 4.0 0.1\n";

// A fresh slurry under self-weight; `top` and `bottom` are the answers from
// the top boundary code to the bottom boundary value, `times` those from the
// minimum void ratio to the continuation switch.
std::string fresh_run(const std::string& top = "2\n0.0\n", const std::string& bottom = "1\n",
                      const std::string& times = "1.0\n0.0\n2\n20.0\n50.0\n20.0\n2\n") {
  return kClay + "2\n2.65\n9.81\n10.0\n2\n" + top + bottom + times;
}

// A desiccation run whose top node cracks and uncracks: its steps are halved
// back to slivers and the clock creeps.
const std::string kCreepingClock = kClay +
                                   "1\n5.0 -0.1\n1.0 0.01 1.0 0.1\n0.0\n3.0\n2.65\n9.81\n1.0\n2\n"
                                   "1\n5e-4\n1\n1.0\n0.0\n2\n20.0\n50.0\n20.0\n2\n";

// A desiccation run cracked throughout from the start: no step converges.
const std::string kDivergingStep = kClay +
                                   "1\n5.0 -0.1\n1.0 0.01 1.0 0.095\n0.0\n3.0\n2.65\n9.81\n1.0\n2\n"
                                   "1\n1e-6\n1\n1.0\n0.0\n2\n20.0\n50.0\n20.0\n2\n";

bool every_line_ended(const std::string& text) {
  return text.empty() || text.back() == '\n';
}

std::string last_line(const std::vector<std::string>& lines) {
  return lines.empty() ? std::string() : lines.back();
}

bool holds_text(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

void expect_files_ended(const ProgramRun& run) {
  for (const char* name : {"input", "vd.out", "ts.out", "tc.out"}) {
    if (run.has_file(name) && std::filesystem::is_regular_file(run.dir / name)) {
      EXPECT_TRUE(every_line_ended(run.file(name))) << name;
    }
  }
}

// The records every end of a run that reached the time loop leaves: the
// restart profile closed by the height and the stopping time in "input", the
// summary in "ts.out".
void expect_end_of_run_records(const ProgramRun& run) {
  const auto input = run.lines("input");
  ASSERT_GE(input.size(), 2u);
  EXPECT_TRUE(holds_text(input[input.size() - 2], "FINAL HEIGHT OF SOIL"));
  EXPECT_TRUE(holds_text(input.back(), "STOPPING TIME"));
  EXPECT_TRUE(holds_text(run.file("ts.out"), "THE TOTAL HEIGHT OF SOIL SOLID IS"));
  EXPECT_TRUE(holds_text(run.file("vd.out"), "TIME = "));
  EXPECT_EQ(run.lines("tc.out").size() >= 2, true);
  expect_files_ended(run);
}

// Runs the program in a scratch directory prepared by `prepare` first.
template <typename Prepare>
ProgramRun run_in_prepared_directory(const std::string& answers, Prepare prepare) {
  ProgramRun run;
  run.dir = scratch_directory();
  { std::ofstream(run.dir / "answers.txt", std::ios::binary) << answers; }
  prepare(run.dir);
  const std::string command = "cd '" + run.dir.string() +
                              "' && '" SLURRY1D_EXE "' < answers.txt > console.txt 2> errors.txt";
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.console = read_file(run.dir / "console.txt");
  run.errors = read_file(run.dir / "errors.txt");
  return run;
}

TEST(ExitPaths, NormalEndIsStatusZeroWithEveryClosingRecord) {
  const ProgramRun run = run_program(fresh_run());
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  expect_end_of_run_records(run);
  EXPECT_TRUE(holds_text(last_line(run.lines("ts.out")), "THE TOTAL HEIGHT OF SOIL SOLID IS"));
  EXPECT_EQ(run.lines("tc.out").size(), 2u);  // headings only without desiccation
}

TEST(ExitPaths, DesiccationRunEndsWithItsFinalCrackRecord) {
  const std::string answers = kClay +
                              "1\n7.0 -0.15\n1.0 0.01 1.0 0.1\n0.0\n3.0\n2.65\n9.81\n1.0\n2\n1\n"
                              "1e-3\n1\n1.0\n0.0\n2\n20.0\n50.0\n20.0\n2\n";
  const ProgramRun run = run_program(answers);
  EXPECT_EQ(run.status, 0) << run.errors;
  expect_end_of_run_records(run);
  EXPECT_TRUE(holds_text(last_line(run.lines("tc.out")), "50.0000"))
      << last_line(run.lines("tc.out"));
}

// The program's own stops end with their message on the console and a status
// that tells an answer (0) from a refused run definition (2) and a run that
// cannot go on (3).
struct OwnStop {
  const char* name;
  std::string answers;
  const char* message;
  int status;
  bool result_files;  // created before the stop
  bool end_records;   // the stop comes after the time loop began
};

void PrintTo(const OwnStop& c, std::ostream* os) {
  *os << c.name;
}

class OwnStops : public ::testing::TestWithParam<OwnStop> {};

TEST_P(OwnStops, EndWithTheirStatusAndCompleteFiles) {
  const OwnStop& c = GetParam();
  const ProgramRun run = run_program(c.answers);
  EXPECT_EQ(run.status, c.status) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_TRUE(holds_text(run.console, c.message))
      << run.console.substr(run.console.size() > 2000 ? run.console.size() - 2000 : 0);
  EXPECT_TRUE(run.has_file("input"));
  EXPECT_EQ(run.has_file("ts.out"), c.result_files);
  if (c.result_files) {
    EXPECT_EQ(run.lines("ts.out").size() >= 3, true);
    EXPECT_EQ(run.lines("tc.out").size() >= 2, true);
  }
  if (c.end_records) expect_end_of_run_records(run);
  expect_files_ended(run);
}

INSTANTIATE_TEST_SUITE_P(
    Stops, OwnStops,
    ::testing::Values(
        OwnStop{"EvaporationWithStagedFilling",
                kClay + "2\n2.65\n9.81\n0.0\n1\n1\n0.0 20.0 0.1\n1\n1e-6\n",
                "EVAPORATION ON TOP BOUNDARY IS NOT ACCEPTABLE IN STAGE FILLING PROCESS!!", 2,
                false, false},
        OwnStop{"SurchargeWithStagedFilling",
                kClay + "2\n2.65\n9.81\n0.0\n1\n1\n0.0 20.0 0.1\n2\n5.0\n",
                "ONLY ZERO SURCHARGE IS ACCEPTABLE IN STAGE FILLING PROCESS!!!", 2, false, false},
        OwnStop{"InstantaneousFirstStage",
                kClay + "2\n2.65\n9.81\n1.0\n1\n1\n0.0 0.0 0.5\n2\n0.0\n1\n1.0\n0.0\n1\n10.0\n"
                        "1.0\n2\n",
                "PLEASE SPECIFY INITIAL HEIGHT INSTEAD OF INSTANEOUS FILLING!", 2, true, false},
        OwnStop{"HighPressureAtTheBottom", fresh_run("2\n0.0\n", "2\n1000.0\n"),
                "MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM", 3, true, false},
        // A head at the base just below the water on the layer: the base test
        // of the time loop compares it with the settling top.
        OwnStop{"HighPressureAtTheBottomLaterInTheRun",
                fresh_run("2\n0.0\n", "2\n9.9\n", "1.0\n0.0\n1\n100000.0\n50.0\n2\n"),
                "MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM", 3, true, false},
        // Evaporation of 100 per day asks for a boundary layer thinner than
        // 20000 nodes can resolve.
        OwnStop{"NodeCapacity",
                kClay +
                    "1\n7.0 -0.15\n1.0 0.01 1.0 0.1\n0.0\n3.0\n2.65\n9.81\n1.0\n2\n1\n100.0\n1\n"
                    "1.0\n0.0\n2\n20.0\n50.0\n20.0\n2\n",
                "INAPPROPRIATE COMBINATION OF BOUNDARY CONDITIONS AND MATERIAL PROPERTIES!", 3,
                true, false},
        OwnStop{"MinimumVoidRatio", fresh_run("2\n0.0\n", "1\n", "10.5\n0.0\n1\n50.0\n20.0\n2\n"),
                "PROGRAM STOPS FOR REACHING MINIMUM VOID RATIO!", 0, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Input that cannot work ends with status 2 before any result file exists;
// "input" holds the echo of every answer taken.
struct BadInput {
  const char* name;
  std::string answers;
  const char* message;
  const char* last_echo;
};

void PrintTo(const BadInput& c, std::ostream* os) {
  *os << c.name;
}

class BadInputs : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputs, EndWithStatusTwoAndTheEchoSoFar) {
  const BadInput& c = GetParam();
  const ProgramRun run = run_program(c.answers);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(holds_text(run.errors, c.message)) << run.errors;
  EXPECT_FALSE(run.has_file("vd.out"));
  EXPECT_FALSE(run.has_file("ts.out"));
  EXPECT_FALSE(run.has_file("tc.out"));
  EXPECT_TRUE(holds_text(last_line(run.lines("input")), c.last_echo)) << run.file("input");
  expect_files_ended(run);
}

INSTANTIATE_TEST_SUITE_P(
    Input, BadInputs,
    ::testing::Values(
        BadInput{"Refused", kClay + "2\n0.0\n", "GS = 0 is refused", "3-D DESSICATION STATUS"},
        BadInput{"Unreadable", kClay + "2\n2.65\nwater\n",
                 "line 4 (GW, unit weight of water): 'water' is not a number",
                 "SPECIFIC GRAVITY OF SOLIDS"},
        BadInput{"NotANumberWord", kClay + "2\n2.65\n9.81\nNaN\n",
                 "line 5 (H0, initial height of the slurry): 'NaN' is not a number",
                 "UNIT WEIGHT OF WATER"},
        BadInput{"EndOfInputMidDialog", kClay + "2\n2.65\n9.81\n10.0\n2\n2\n",
                 "line 8 (LT, surcharge on the top): no answer: the input ends after line 7",
                 "TOP BOUNDARY CONDITION"}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs that fail numerically end with status 3 and their end-of-run records.
struct NumericalFailure {
  const char* name;
  std::string answers;
  const char* message;
};

void PrintTo(const NumericalFailure& c, std::ostream* os) {
  *os << c.name;
}

class NumericalFailures : public ::testing::TestWithParam<NumericalFailure> {};

TEST_P(NumericalFailures, EndWithStatusThreeAndTheEndOfRunRecords) {
  const NumericalFailure& c = GetParam();
  const ProgramRun run = run_program(c.answers);
  EXPECT_EQ(run.status, 3) << run.errors;
  EXPECT_TRUE(holds_text(run.errors, c.message)) << run.errors;
  expect_end_of_run_records(run);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, NumericalFailures,
    ::testing::Values(NumericalFailure{"CreepingClock", kCreepingClock, "the clock has stalled"},
                      NumericalFailure{"DivergingStep", kDivergingStep,
                                       "the iteration kept diverging"},
                      NumericalFailure{"InfiniteOutflow", fresh_run("2\n0.0\n", "4\n-9e307\n"),
                                       "of ts.out holds a number that is not finite"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExitPaths, ResultFileThatCannotBeCreatedIsStatusFour) {
  const ProgramRun run = run_in_prepared_directory(
      fresh_run(),
      [](const std::filesystem::path& dir) { std::filesystem::create_directory(dir / "vd.out"); });
  EXPECT_EQ(run.status, 4);
  EXPECT_TRUE(holds_text(run.errors, "cannot create vd.out")) << run.errors;
  // The dialog was complete: its echo is in "input", flushed and closed.
  EXPECT_TRUE(holds_text(last_line(run.lines("input")), "NUMBER OF NODE"));
  expect_files_ended(run);
}

TEST(ExitPaths, EchoFileThatCannotBeCreatedIsStatusFourBeforeAnyQuestion) {
  const ProgramRun run = run_in_prepared_directory(
      fresh_run(),
      [](const std::filesystem::path& dir) { std::filesystem::create_directory(dir / "input"); });
  EXPECT_EQ(run.status, 4);
  EXPECT_TRUE(holds_text(run.errors, "cannot create input")) << run.errors;
  EXPECT_FALSE(holds_text(run.console, "SPECIFY"));
}

TEST(ExitPaths, ResultFileThatCannotBeWrittenIsStatusFour) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const ProgramRun run =
      run_in_prepared_directory(fresh_run(), [](const std::filesystem::path& dir) {
        std::filesystem::create_symlink("/dev/full", dir / "ts.out");
      });
  EXPECT_EQ(run.status, 4);
  EXPECT_TRUE(holds_text(run.errors, "could not be written completely")) << run.errors;
  // The other files are complete all the same.
  EXPECT_TRUE(holds_text(last_line(run.lines("input")), "STOPPING TIME"));
  EXPECT_TRUE(every_line_ended(run.file("vd.out")));
}

}  // namespace
}  // namespace slurry1d::e2e
