// The ways of running a case from the command line: the answer file as an
// argument, the output directory, answers set on the command line, the quiet
// console and the line on how the run ended, each held against the plain run
// an engineer would otherwise make.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kLegacyFiles = {"input", "vd.out", "ts.out", "tc.out"};

bool has_text(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A run of the program in `dir` with `arguments`, standard input from
// `input` (relative to dir) and its standard output and error kept in
// stdout.txt and stderr.txt there (console.txt belongs to --quiet).
ProgramRun run_in(const fs::path& dir, const std::string& arguments,
                  const std::string& input = "/dev/null") {
  const std::string command = "cd '" + dir.string() + "' && '" SLURRY1D_EXE "' " + arguments +
                              " < " + input + " > stdout.txt 2> stderr.txt";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.dir = dir;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.console = read_file(dir / "stdout.txt");
  run.errors = read_file(dir / "stderr.txt");
  return run;
}

// A scratch directory holding the answer file `name`.
fs::path directory_with(const std::string& answers, const std::string& name = "case.txt") {
  const fs::path dir = scratch_directory();
  fs::create_directories((dir / name).parent_path());
  std::ofstream(dir / name, std::ios::binary) << answers;
  return dir;
}

std::set<std::string> entries_of(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.insert(entry.path().filename().string());
  return names;
}

void expect_same_legacy_files(const fs::path& a, const fs::path& b) {
  for (const std::string& name : kLegacyFiles) {
    EXPECT_FALSE(read_file(a / name).empty()) << name;
    EXPECT_EQ(read_file(a / name), read_file(b / name)) << name;
  }
}

TEST(RunningCases, AnswersAsArgumentOrOnStandardInputGiveTheSameRun) {
  const std::string answers = surcharge_example_to_day_10();
  const ProgramRun piped = run_program(answers);
  ASSERT_EQ(piped.status, 0) << piped.errors;
  EXPECT_EQ(piped.errors, "");  // no option: nothing new on stderr
  EXPECT_FALSE(piped.has_file("console.txt") && piped.file("console.txt") != piped.console);

  const ProgramRun named = run_in(directory_with(answers), "case.txt");
  EXPECT_EQ(named.status, 0) << named.errors;
  expect_same_legacy_files(piped.dir, named.dir);
  EXPECT_EQ(named.console, piped.console);
  EXPECT_EQ(named.errors, "run ended: last output time t = 10 reached\n");

  // "-" is standard input.
  const ProgramRun dash = run_in(directory_with(answers), "-", "case.txt");
  EXPECT_EQ(dash.status, 0) << dash.errors;
  expect_same_legacy_files(piped.dir, dash.dir);
  EXPECT_EQ(dash.errors, "");
}

TEST(RunningCases, AnOutputDirectoryLeavesTheCurrentDirectoryUntouched) {
  const std::string answers = surcharge_example_to_day_10();
  const ProgramRun plain = run_program(answers);
  const fs::path dir = directory_with(answers);
  const ProgramRun run = run_in(dir, "-o 'runs/case 1' case.txt");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(entries_of(dir),
            (std::set<std::string>{"case.txt", "runs", "stdout.txt", "stderr.txt"}));
  EXPECT_EQ(entries_of(dir / "runs/case 1"),
            (std::set<std::string>{"input", "vd.out", "ts.out", "tc.out"}));
  expect_same_legacy_files(plain.dir, dir / "runs/case 1");
  EXPECT_EQ(run.console, plain.console);

  // A second run there says that it replaces the first.
  const ProgramRun again = run_in(dir, "--output-dir='runs/case 1' case.txt");
  EXPECT_EQ(again.status, 0) << again.errors;
  EXPECT_EQ(again.errors,
            "slurry1d: the files of an earlier run in runs/case 1 are replaced\n"
            "run ended: last output time t = 10 reached\n");
}

TEST(RunningCases, SetReplacesAnAnswerInTheEchoAndTheResult) {
  const std::string answers = surcharge_example_to_day_10();
  std::string heavier = answers;
  heavier.replace(heavier.find("2.65 "), 4, "2.75");
  const ProgramRun plain = run_program(answers);
  const ProgramRun edited = run_program(heavier);
  const ProgramRun set = run_in(directory_with(answers), "--set GS=2.75 case.txt");
  EXPECT_EQ(set.status, 0) << set.errors;
  EXPECT_EQ(set.lines("input").at(2), " 2.7500    \tSPECIFIC GRAVITY OF SOLIDS");
  EXPECT_EQ(plain.lines("input").at(2), " 2.6500    \tSPECIFIC GRAVITY OF SOLIDS");
  EXPECT_NE(set.file("vd.out"), plain.file("vd.out"));
  EXPECT_NE(set.file("ts.out"), plain.file("ts.out"));
  // The run is the one of an answer file that holds the value set.
  expect_same_legacy_files(edited.dir, set.dir);
  EXPECT_EQ(set.console, edited.console);
}

// Each refused with status 2 and the names that can be set; a name the run
// never asks is known once the dialog is over, before any result file.
TEST(RunningCases, NamesThatCannotBeSetAreRefused) {
  const std::string answers = surcharge_example_to_day_10();
  struct Case {
    std::string arguments, message;
    bool dialog_ran;
  };
  const std::vector<Case> cases = {
      {"--set XYZ=1",
       "slurry1d: --set XYZ=1 is refused: 'XYZ' is not a name the program asks\n"
       "slurry1d: the names --set takes: A1, B1, C, D, Z1, ERROR, ERROR1,",
       false},
      {"--set gs=2.75",
       "'gs' is not a name the program asks: names are written as its messages "
       "write them, GS\nslurry1d: the names --set takes: A1,",
       false},
      {"--set IDES=1",
       "slurry1d: --set IDES=1 is refused: IDES is a switch: its answer decides "
       "which questions follow, so it is given in the answer file\n"
       "slurry1d: the names --set takes: A1,",
       false},
      {"--set NO=5", "slurry1d: --set NO=5 is refused: NO is a count", false},
      {"--set 'OPT(3)=100'",
       "slurry1d: --set OPT(3)=100 is refused: this run never asks OPT(3)\n"
       "slurry1d: the values this run asks, which --set can replace: A1, B1, C, D, Z1, GS, GW, "
       "H0, LT, ME, TS, OPT(1) to OPT(2), MAXDT\n"
       "run ended: refused before the run began (exit status 2)\n",
       true},
      {"--set VT=0.001", "slurry1d: --set VT=0.001 is refused: this run never asks VT", true},
  };
  for (const Case& c : cases) {
    const ProgramRun run = run_in(directory_with(answers), c.arguments + " case.txt");
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_TRUE(has_text(run.errors, c.message)) << c.arguments << ": " << run.errors;
    EXPECT_EQ(run.has_file("input"), c.dialog_ran) << c.arguments;
    EXPECT_FALSE(run.has_file("vd.out")) << c.arguments;
  }
}

TEST(RunningCases, QuietWritesTheConsoleIntoConsoleTxt) {
  const std::string answers = example("drying_crust.txt");
  const ProgramRun plain = run_program(answers);
  ASSERT_EQ(plain.status, 0) << plain.errors;
  const ProgramRun quiet = run_in(directory_with(answers), "--quiet case.txt");
  EXPECT_EQ(quiet.status, 0) << quiet.errors;
  EXPECT_EQ(quiet.console, "");
  EXPECT_EQ(quiet.errors, "run ended: last output time t = 150 reached\n");
  EXPECT_EQ(quiet.file("console.txt"), plain.console);
  expect_same_legacy_files(plain.dir, quiet.dir);

  // Into the output directory with -o; from standard input as well.
  const ProgramRun into = run_in(directory_with(answers), "--quiet -o out", "case.txt");
  EXPECT_EQ(into.status, 0) << into.errors;
  EXPECT_EQ(read_file(into.dir / "out/console.txt"), plain.console);
  EXPECT_FALSE(into.has_file("console.txt"));
}

TEST(RunningCases, VerifyWritesEveryFileIntoTheOutputDirectory) {
  const fs::path dir = directory_with(surcharge_example_to_day_10());
  const ProgramRun run = run_in(dir, "--verify -o out case.txt");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(entries_of(dir),
            (std::set<std::string>{"case.txt", "out", "stdout.txt", "stderr.txt"}));
  EXPECT_EQ(entries_of(dir / "out"),
            (std::set<std::string>{"input", "vd.out", "ts.out", "tc.out", "verify.csv"}));
  EXPECT_TRUE(has_text(run.console, "verify: run 5 of 5"));
}

TEST(RunningCases, AnAnswerFileThatCannotBeReadIsRefused) {
  const fs::path dir = scratch_directory();
  fs::create_directory(dir / "folder");
  const ProgramRun missing = run_in(dir, "-o out nothere.txt");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.errors,
            "slurry1d: cannot read the answer file nothere.txt: there is no such file\n");
  const ProgramRun folder = run_in(dir, "folder");
  EXPECT_EQ(folder.status, 2);
  EXPECT_EQ(folder.errors, "slurry1d: cannot read the answer file folder: it is a directory\n");
  EXPECT_EQ(entries_of(dir), (std::set<std::string>{"folder", "stdout.txt", "stderr.txt"}));
}

// The answers are never overwritten: the answer file is compared with every
// file the run would write, in the output directory.
TEST(RunningCases, AnAnswerFileAmongTheFilesOfTheRunIsRefused) {
  const std::string answers = surcharge_example_to_day_10();
  struct Case {
    std::string name, arguments, message;
  };
  const std::vector<Case> cases = {
      {"out/input", "-o out out/input", "the answers are read from \"out/input\", a file this run"},
      {"out/ts.out", "-o out", "the answers are read from \"out/ts.out\""},
      {"console.txt", "--quiet console.txt", "the answers are read from \"console.txt\""},
      {"r/verify.csv", "--verify -o r r/verify.csv", "the answers are read from \"r/verify.csv\""},
  };
  for (const Case& c : cases) {
    const fs::path dir = directory_with(answers, c.name);
    const std::string input = c.arguments == "-o out" ? c.name : "/dev/null";
    const ProgramRun run = run_in(dir, c.arguments, input);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_TRUE(has_text(run.errors, c.message)) << c.arguments << ": " << run.errors;
    EXPECT_EQ(read_file(dir / c.name), answers) << c.arguments;
    EXPECT_FALSE(fs::exists(dir / "out/vd.out")) << c.arguments;
  }
}

TEST(RunningCases, AnOutputDirectoryThatIsAFileIsRefused) {
  const fs::path dir = directory_with(surcharge_example_to_day_10());
  std::ofstream(dir / "taken") << "x";
  const ProgramRun run = run_in(dir, "-o taken case.txt");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "slurry1d: --output-dir taken is refused: taken is a file, not a directory\n");
}

TEST(RunningCases, CompareIsASubcommandAndAFileOfThatNameIsGivenWithItsPath) {
  const fs::path dir = directory_with(surcharge_example_to_day_10(), "compare");
  const ProgramRun subcommand = run_in(dir, "compare");
  EXPECT_EQ(subcommand.status, 2);
  EXPECT_TRUE(has_text(subcommand.errors, "slurry1d compare: ")) << subcommand.errors;
  EXPECT_FALSE(subcommand.has_file("input"));
  const ProgramRun file = run_in(dir, "./compare");
  EXPECT_EQ(file.status, 0) << file.errors;
  EXPECT_TRUE(file.has_file("vd.out"));
}

// How and when each kind of end came, with the output times left.
TEST(RunningCases, TheLastLineSaysHowTheRunEnded) {
  struct Case {
    std::string answers, outcome;
    int status;
  };
  const std::vector<Case> cases = {
      {example("self_weight.txt"),
       "run ended: steady-state height 5.073 reached at t = 29650; output time 100000 not "
       "reached\n",
       0},
      {example("evaporation_top.txt"), "run ended: minimum void ratio 1.0 reached at node ", 0},
      {read_file(fs::path(SLURRY1D_GOLDEN) / "cases/base_instability_in_the_loop.txt"),
       "run ended: no effective stress left at the base at t = ", 3},
      {read_file(fs::path(SLURRY1D_GOLDEN) / "cases/instantaneous_first_stage.txt"),
       "run ended: run definition refused (exit status 2)\n", 2},
  };
  for (const Case& c : cases) {
    const ProgramRun run = run_in(directory_with(c.answers), "-o out case.txt");
    EXPECT_EQ(run.status, c.status) << c.outcome;
    const std::vector<std::string> lines = split_lines(run.errors);
    ASSERT_FALSE(lines.empty()) << c.outcome;
    EXPECT_EQ((lines.back() + "\n").rfind(c.outcome, 0), 0u) << run.errors;
    if (c.status != 0) {
      EXPECT_TRUE(lines.back().ends_with("(exit status " + std::to_string(c.status) + ")"));
    }
  }
}

}  // namespace
}  // namespace slurry1d::e2e
