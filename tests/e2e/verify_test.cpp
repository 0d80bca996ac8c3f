// --verify run as a user runs it: the given run's files exactly as without
// it, the refined runs leaving no file, the table on the console and in
// verify.csv; refused controls; and every bundled example, run with the
// options the README gives it, rated within 1 % at every output time compared.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ',');) out.push_back(field);
  return out;
}

// The values of one column of verify.csv, by its name.
std::vector<std::string> csv_column(const ProgramRun& run, const std::string& name) {
  const std::vector<std::string> lines = run.lines("verify.csv");
  std::vector<std::string> values;
  if (lines.empty()) return values;
  const std::vector<std::string> header = csv_fields(lines[0]);
  for (std::size_t c = 0; c < header.size(); ++c) {
    if (header[c] != name) continue;
    for (std::size_t i = 1; i < lines.size(); ++i) values.push_back(csv_fields(lines[i]).at(c));
  }
  return values;
}

std::set<std::string> files_in(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(Verify, KeepsTheGivenRunsFilesAndAddsTheTable) {
  const std::string answers = surcharge_example_to_day_10();
  const ProgramRun plain = run_program(answers);
  const ProgramRun verified = run_program(answers, "--verify");
  ASSERT_EQ(verified.status, 0) << verified.errors;
  for (const char* name : {"input", "vd.out", "ts.out", "tc.out"}) {
    EXPECT_EQ(verified.file(name), plain.file(name)) << name;
  }
  EXPECT_EQ(files_in(verified.dir),
            (std::set<std::string>{"answers.txt", "console.txt", "errors.txt", "input", "vd.out",
                                   "ts.out", "tc.out", "verify.csv"}))
      << "the refined runs write no file";
  EXPECT_EQ(verified.console.rfind(plain.console, 0), 0u) << "the given run's console first";
  const std::string table = verified.console.substr(plain.console.size());
  EXPECT_NE(table.find(" verify: run 5 of 5, nodes x 4 (--step-factor 1 --nodes 2001), to t = 10"),
            std::string::npos);
  EXPECT_NE(table.find(" height of the layer"), std::string::npos);
  EXPECT_EQ(verified.errors, "");

  EXPECT_EQ(csv_column(verified, "time"), (std::vector<std::string>{"1", "10"}));
  const std::vector<std::string> error =
      csv_column(verified, "estimated_total_error_of_settlement_in_length_units");
  ASSERT_EQ(error.size(), 2u);
  // The standard steps leave the settlement several per cent low at 10 days.
  EXPECT_LT(std::stod(error[1]), -0.01);
  EXPECT_EQ(csv_column(verified, "within_1_percent"), (std::vector<std::string>{"0", "0"}));
}

TEST(Verify, RefinementsBeyondTheControlsAreRefusedBeforeAnyQuestion) {
  const std::string answers = surcharge_example_to_day_10();
  for (const char* arguments : {"--verify --step-factor 300", "--nodes 5001 --verify"}) {
    const ProgramRun run = run_program(answers, arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_NE(run.errors.find("slurry1d: --verify runs the case with"), std::string::npos)
        << arguments;
    EXPECT_FALSE(run.has_file("input")) << arguments;
  }
}

TEST(Verify, NothingToVerifyAfterRefusedAnswers) {
  const ProgramRun run = run_program("7.0 -0.2 6.8e-7 4.0 0.1\n5\n", "--verify");
  EXPECT_EQ(run.status, 2);
  EXPECT_FALSE(run.has_file("verify.csv"));
  EXPECT_EQ(run.console.find(" verify:"), std::string::npos);
}

// The options the README's table of examples gives an example for 1 %: the
// text between backticks in the last cell of its row, "" for none.
std::string readme_options(const std::string& example_file) {
  std::istringstream readme(
      read_file(std::filesystem::path(SLURRY1D_EXAMPLES) / ".." / "README.md"));
  const std::string start = "| `" + example_file + "` |";
  for (std::string line; std::getline(readme, line);) {
    if (line.rfind(start, 0) != 0) continue;
    const std::size_t last_bar = line.find_last_of('|', line.size() - 2);
    const std::string cell = line.substr(last_bar + 1);
    const std::size_t open = cell.find('`');
    if (open == std::string::npos) return "";
    return cell.substr(open + 1, cell.find('`', open + 1) - open - 1);
  }
  ADD_FAILURE() << example_file << " has no row in the README's table of examples";
  return "";
}

class ExampleVerified : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleVerified, EveryOutputTimeIsWithinOnePercent) {
#ifdef SLURRY1D_SANITIZED
  GTEST_SKIP() << "five runs of every example take many minutes under the sanitizers; the "
                  "verification's code is run there by its unit tests";
#endif
  const std::string file = std::string(GetParam()) + ".txt";
  const std::string options = readme_options(file);
  const ProgramRun run = run_program(example(file), options + " --verify");
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::vector<std::string> within = csv_column(run, "within_1_percent");
  ASSERT_FALSE(within.empty()) << run.console;
  const std::vector<std::string> percent = csv_column(run, "gci_total_percent_of_settlement");
  const std::vector<std::string> time = csv_column(run, "time");
  for (std::size_t i = 0; i < within.size(); ++i) {
    EXPECT_EQ(within[i], "1") << file << " " << options << ": t = " << time[i] << ", GCI "
                              << percent[i] << " % of the settlement";
  }
  std::printf("%-24s %-32s output times compared %zu, largest GCI %s %%\n", file.c_str(),
              options.empty() ? "(as it is)" : options.c_str(), within.size(),
              [&] {
                double largest = 0.0;
                for (const std::string& p : percent) largest = std::max(largest, std::stod(p));
                return std::to_string(largest);
              }()
                  .c_str());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleVerified,
                         ::testing::Values("self_weight", "surcharge_two_way", "pressure_head_base",
                                           "base_velocity", "evaporation_top", "staged_filling",
                                           "continued_run", "drying_crust"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace slurry1d::e2e
