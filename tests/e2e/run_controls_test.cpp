// The refinement controls as a user meets them: --nodes sets the column, its
// reports and its restart profile; --step-factor shortens every step; every
// kind of run goes through with both.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"
#include "e2e/record_parsing.hpp"

namespace slurry1d::e2e {
namespace {

// The labels of the nodal rows of each table of "vd.out", table by table.
std::vector<std::vector<int>> table_labels(const ProgramRun& run) {
  std::vector<std::vector<int>> tables;
  for (const std::string& l : run.lines("vd.out")) {
    if (l.rfind("TIME = ", 0) == 0) tables.emplace_back();
    if (tables.empty() || l.size() < 16) continue;
    const std::string label = l.substr(0, 4);
    if (label.find_first_not_of(' ') == std::string::npos ||
        label.find_first_not_of(" 0123456789") != std::string::npos) {
      continue;
    }
    tables.back().push_back(std::atoi(label.c_str()));
  }
  return tables;
}

std::vector<std::string> echo_records(const ProgramRun& run) {
  std::vector<std::string> echo;
  for (const std::string& l : run.lines("input")) {
    echo.push_back(l);
    if (l.find("NUMBER OF NODE") != std::string::npos) break;
  }
  return echo;
}

TEST(RunControls, NodesSetTheColumnItsReportsAndItsRestartProfile) {
  const ProgramRun standard = run_program(surcharge_example_to_day_10());
  const ProgramRun run = run_program(surcharge_example_to_day_10(), "--nodes 101");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.console.find(" TOTAL NUMBER OF NODES\t    = 101\n"), std::string::npos);

  // The echo records the node parameter of the column, and nothing else
  // differs from the standard run's.
  std::vector<std::string> echo = echo_records(run);
  std::vector<std::string> standard_echo = echo_records(standard);
  ASSERT_EQ(echo.size(), standard_echo.size());
  EXPECT_EQ(echo.back(), "  11            NUMBER OF NODE");
  EXPECT_EQ(standard_echo.back(), "  51            NUMBER OF NODE");
  echo.pop_back();
  standard_echo.pop_back();
  EXPECT_EQ(echo, standard_echo);

  // Every table shows every tenth node, labelled 11 down to 1.
  const auto tables = table_labels(run);
  ASSERT_EQ(tables.size(), 3u);  // start, day 1, day 10
  for (const auto& labels : tables) {
    ASSERT_EQ(labels.size(), 11u);
    for (std::size_t i = 0; i < labels.size(); ++i) EXPECT_EQ(labels[i], 11 - static_cast<int>(i));
  }

  // The restart profile: 11 pairs from the top, whose top is the final height.
  const std::vector<Pair> pairs = restart_profile(run);
  ASSERT_EQ(pairs.size(), 11u);
  EXPECT_EQ(pairs.back().z, 0.0);
  EXPECT_NEAR(pairs.front().z, end_record_value(run, "FINAL HEIGHT OF SOIL"), 1e-4);
  EXPECT_EQ(restart_profile(standard).size(), 51u);
}

// A final profile of any node count continues, with the same or another.
TEST(RunControls, ARestartProfileContinuesOnAnyColumn) {
  const ProgramRun first = run_program(surcharge_example_to_day_10(), "--nodes 101");
  ASSERT_EQ(first.status, 0) << first.errors;
  const std::vector<Pair> pairs = restart_profile(first);
  std::ostringstream answers;
  for (const std::string& line : split_lines(surcharge_example_to_day_10())) {
    if (line.rfind("2 ", 0) == 0 && line.find("continue") != std::string::npos) break;
    if (line.rfind("0.0 ", 0) == 0 && line.find("TS") != std::string::npos) {
      answers << "10.0    TS\n";
    } else if (line.rfind("1.0 ", 0) == 0) {
      answers << "20.0    OPT(1)\n";
    } else if (line.rfind("10.0 ", 0) == 0) {
      answers << "40.0    OPT(2)\n";
    } else {
      answers << line << '\n';
    }
  }
  answers << "1\n" << pairs.size() << '\n';
  for (const Pair& p : pairs) answers << format_pair(p) << '\n';

  for (const char* arguments : {"--nodes 101", "", "--nodes 1001 --step-factor 2"}) {
    const ProgramRun later = run_program(answers.str(), arguments);
    ASSERT_EQ(later.status, 0) << arguments << ": " << later.errors;
    const auto series = time_series(later);
    ASSERT_EQ(series.size(), 3u) << arguments;
    EXPECT_NEAR(series.front().height, pairs.front().z, 1e-3) << arguments;
    EXPECT_LT(series.back().height, series.front().height) << arguments;
  }
}

TEST(RunControls, AStepFactorShortensTheFirstStepAndEveryStepOfTheRamp) {
  const ProgramRun standard = run_program(surcharge_example_to_day_10());
  for (const double F : {2.0, 4.0}) {
    std::ostringstream arguments;
    arguments << "--step-factor " << F;
    const ProgramRun run = run_program(surcharge_example_to_day_10(), arguments.str());
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<double> times = step_times(run);
    const std::vector<double> standard_times = step_times(standard);
    ASSERT_FALSE(times.empty());
    // The first step, printed to five digits.
    EXPECT_NEAR(times.front(), standard_times.front() / F, 1e-4 * times.front()) << "F = " << F;
    // About F times as many steps to the same output times.
    const double ratio =
        static_cast<double>(times.size()) / static_cast<double>(standard_times.size());
    EXPECT_GT(ratio, 0.8 * F) << "F = " << F;
    EXPECT_LT(ratio, 1.2 * F) << "F = " << F;
    EXPECT_EQ(times.back(), 10.0);
  }
}

// The answers of an example for these tests, which compare runs with each
// other: the staged filling example with the coarse steps it had before it
// was made accurate (MAXDT 10 days instead of 0.025), which its refined runs
// would otherwise take minutes over.
std::string answers_for_controls(const std::string& name) {
  if (name != "staged_filling.txt") return example(name);
  std::string answers;
  for (const std::string& line : split_lines(example(name))) {
    answers += (line.rfind("0.025 ", 0) == 0 ? std::string("10.0   MAXDT") : line) + "\n";
  }
  return answers;
}

// Every kind of run, refined in space and time, ends as the standard run
// does and close to its result.
TEST(RunControls, EveryExampleRunsRefined) {
  for (const char* name :
       {"self_weight.txt", "surcharge_two_way.txt", "pressure_head_base.txt", "base_velocity.txt",
        "evaporation_top.txt", "staged_filling.txt", "continued_run.txt", "drying_crust.txt"}) {
    const ProgramRun standard = run_program(answers_for_controls(name));
    const ProgramRun refined =
        run_program(answers_for_controls(name), "--nodes 1001 --step-factor 2");
    EXPECT_EQ(refined.status, 0) << name << ": " << refined.errors;
    const double H = end_record_value(standard, "FINAL HEIGHT OF SOIL");
    EXPECT_NEAR(end_record_value(refined, "FINAL HEIGHT OF SOIL"), H, 0.025 * H) << name;
    EXPECT_EQ(restart_profile(refined).size(), 101u) << name;
  }
}

// Staged filling keeps a tenth of the column for the old layer, and at
// least two nodes, on a column of any size.
TEST(RunControls, StagedFillingRunsOnTheSmallestAndOnLargerColumns) {
  for (const char* arguments : {"--nodes 11", "--nodes 21", "--nodes 2001"}) {
    const ProgramRun run = run_program(answers_for_controls("staged_filling.txt"), arguments);
    EXPECT_EQ(run.status, 0) << arguments << ": " << run.errors;
    const double H = end_record_value(run, "FINAL HEIGHT OF SOIL");
    EXPECT_GT(H, 6.8) << arguments;
    EXPECT_LT(H, 7.4) << arguments;
  }
}

}  // namespace
}  // namespace slurry1d::e2e
