#include <gtest/gtest.h>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

TEST(CommandLine, HelpPrintsUsageAndCreatesNoFile) {
  const ProgramRun run = run_program("", "--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.console.find("usage: slurry1d < answers.txt"), std::string::npos);
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

TEST(CommandLine, EmptyInputEndsWithStatusTwoAndAnInputFile) {
  const ProgramRun run = run_program("");
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.has_file("input"));
  EXPECT_EQ(run.file("input"), "");
  EXPECT_NE(run.errors.find("A1"), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace slurry1d::e2e
