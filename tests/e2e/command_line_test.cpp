#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

TEST(CommandLine, HelpPrintsUsageAndCreatesNoFile) {
  const ProgramRun run = run_program("", "--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.console.find("usage: slurry1d [options] [ANSWERS]\n"), std::string::npos);
  EXPECT_FALSE(run.has_file("input"));
}

TEST(CommandLine, VersionPrintsTheVersion) {
  const ProgramRun run = run_program("", "--version");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.console.rfind("slurry1d ", 0), 0u);
}

TEST(CommandLine, UnknownArgumentIsRefused) {
  const ProgramRun run = run_program("", "--bogus");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.errors.find("unknown argument '--bogus'"), std::string::npos);
}

// A refused control ends the program before anything is asked or created,
// with status 2 and a message that says which values are allowed.
TEST(CommandLine, RefusedControlsSayWhatIsAllowed) {
  const std::string nodes = "the column takes N = 10 NNI - 9 nodes, one of 11, 21, 31, ..., 19991";
  const std::string factor = "the step factor is a number from 1 to 1000";
  struct Case {
    std::string arguments, message;
  };
  const std::vector<Case> cases = {
      {"--nodes 500", "--nodes 500 is refused: " + nodes},
      {"--nodes 1", "--nodes 1 is refused: " + nodes},
      {"--nodes 0", "--nodes 0 is refused"},
      {"--nodes -9", "--nodes -9 is refused"},
      {"--nodes 20001", "--nodes 20001 is refused"},
      {"--nodes 501.0", "--nodes 501.0 is refused"},
      {"--nodes 5e2", "--nodes 5e2 is refused"},
      {"--nodes ' 501'", "--nodes  501 is refused"},
      {"--nodes=abc", "--nodes abc is refused"},
      {"--nodes", "--nodes needs a value; try slurry1d --help"},
      {"--nodes 101 --step-factor 0.5", "--step-factor 0.5 is refused: " + factor},
      {"--step-factor 0", "--step-factor 0 is refused"},
      {"--step-factor -2", "--step-factor -2 is refused"},
      {"--step-factor 1001", "--step-factor 1001 is refused"},
      {"--step-factor nan", "--step-factor nan is refused"},
      {"--step-factor inf", "--step-factor inf is refused"},
      {"--step-factor 2x", "--step-factor 2x is refused"},
      {"--step-factor=", "--step-factor  is refused"},
      {"--step-factor", "--step-factor needs a value"},
      {"--nodes 101 extra more", "unknown argument 'more': the answers are read from one file"},
      {"--nodes101", "unknown argument '--nodes101'"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = run_program("", c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_NE(run.errors.find("slurry1d: " + c.message), std::string::npos)
        << c.arguments << ": " << run.errors;
    EXPECT_EQ(run.console, "") << c.arguments;
    EXPECT_FALSE(run.has_file("input")) << c.arguments;
  }
}

TEST(CommandLine, AcceptedControlsLetTheDialogBegin) {
  for (const char* arguments : {"--nodes 11", "--nodes 19991", "--nodes=2001", "--step-factor 1",
                                "--step-factor=1000", "--step-factor 2.5 --nodes 101"}) {
    const ProgramRun run = run_program("", arguments);
    EXPECT_EQ(run.status, 2) << arguments;  // the empty answers end the dialog
    EXPECT_TRUE(run.has_file("input")) << arguments;
    EXPECT_NE(run.errors.find("A1"), std::string::npos) << arguments << ": " << run.errors;
  }
}

TEST(CommandLine, HelpDescribesTheControls) {
  const ProgramRun run = run_program("", "--nodes 101 --help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.console.find("  --nodes N "), std::string::npos);
  EXPECT_NE(run.console.find("  --step-factor F "), std::string::npos);
  EXPECT_NE(run.console.find("3F/(3F - 1)"), std::string::npos);
}

TEST(CommandLine, EmptyInputEndsWithStatusTwoAndAnInputFile) {
  const ProgramRun run = run_program("");
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.has_file("input"));
  EXPECT_EQ(run.file("input"), "");
  EXPECT_NE(run.errors.find("A1"), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace slurry1d::e2e
