// The study of examples/study as a user runs it: its script starts the nine
// runs of a 3 x 3 study of C and D through GNU parallel, each with --csv into
// a directory of its own, then `slurry1d compare` collects them. The table
// must hold every run once, with the final height that run's own
// summary.json gives, to the last bit.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

namespace fs = std::filesystem;

bool have_parallel() {
  return std::system("command -v parallel > /dev/null 2>&1") == 0;
}

std::vector<std::string> split_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.emplace_back();
  return fields;
}

// The number written after "name": in a summary.json (one member per line).
std::string json_member_text(const std::string& json, const std::string& name) {
  const std::string key = "\"" + name + "\": ";
  const auto at = json.find(key);
  if (at == std::string::npos) return {};
  const auto start = at + key.size();
  return json.substr(start, json.find_first_of(",\n}", start) - start);
}

// The subcommand as the built program runs it: its usage on --help, a
// missing -o and a directory that is not a run refused with status 2.
TEST(Study, CompareSaysHowItIsUsed) {
  const ProgramRun help = run_program("", "compare --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.console.rfind("usage: slurry1d compare RUNDIR... -o OUTDIR\n", 0), 0u)
      << help.console;
  const ProgramRun no_out = run_program("", "compare runs/a runs/b");
  EXPECT_EQ(no_out.status, 2);
  EXPECT_EQ(no_out.errors,
            "slurry1d compare: -o OUTDIR is missing: the directory to write the comparison "
            "into\nusage: slurry1d compare RUNDIR... -o OUTDIR\n");
  const ProgramRun not_a_run = run_program("", "compare . -o comparison");
  EXPECT_EQ(not_a_run.status, 2);
  EXPECT_EQ(not_a_run.errors,
            "slurry1d compare: .: no summary.json: not the directory of a run made with --csv\n");
  EXPECT_FALSE(not_a_run.has_file("comparison"));
}

TEST(Study, NineRunsThroughGnuParallelComparedInOneTable) {
#ifdef SLURRY1D_SANITIZED
  GTEST_SKIP() << "nine runs of thousands of steps each: too slow under the sanitizers";
#endif
  if (!have_parallel()) {
    if (std::getenv("SLURRY1D_REQUIRE_PARALLEL") != nullptr) FAIL() << "GNU parallel is missing";
    GTEST_SKIP() << "GNU parallel is missing (./run-tests.sh installs it)";
  }
  const fs::path dir = scratch_directory();
  const fs::path script = fs::path(SLURRY1D_EXAMPLES) / "study" / "run-study.sh";
  const std::string command = "SLURRY1D='" SLURRY1D_EXE "' sh '" + script.string() + "' '" +
                              dir.string() + "' > '" + (dir / "study.txt").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << read_file(dir / "study.txt");

  const std::vector<std::string> lines = split_lines(read_file(dir / "comparison/summary.csv"));
  ASSERT_EQ(lines.size(), 10u) << read_file(dir / "study.txt");
  const std::vector<std::string> head = split_fields(lines[0]);
  ASSERT_GE(head.size(), 4u);
  EXPECT_EQ(head[0], "run");
  EXPECT_EQ(head[1], "C");
  EXPECT_EQ(head[2], "D");
  EXPECT_EQ(head[3], "final_height");

  std::set<std::string> runs;
  std::set<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> row = split_fields(lines[i]);
    ASSERT_EQ(row.size(), head.size()) << lines[i];
    runs.insert(row[0]);
    pairs.insert({row[1], row[2]});
    const std::string summary = read_file(dir / row[0] / "summary.json");
    ASSERT_FALSE(summary.empty()) << row[0];
    // The same number as the run's own summary, in the same shortest form.
    EXPECT_EQ(row[3], json_member_text(summary, "final_height")) << row[0];
    EXPECT_EQ(std::stod(row[3]), std::stod(json_member_text(summary, "final_height"))) << row[0];
    EXPECT_EQ(row[1], json_member_text(summary, "C")) << row[0];
    EXPECT_EQ(row[2], json_member_text(summary, "D")) << row[0];
    // The directory is named after the values parallel handed to --set.
    const auto c_at = row[0].find("/C"), d_at = row[0].find("_D");
    ASSERT_TRUE(c_at != std::string::npos && d_at != std::string::npos) << row[0];
    EXPECT_EQ(std::stod(row[0].substr(c_at + 2, d_at - c_at - 2)), std::stod(row[1])) << row[0];
    EXPECT_EQ(std::stod(row[0].substr(d_at + 2)), std::stod(row[2])) << row[0];
  }
  EXPECT_EQ(runs.size(), 9u);
  EXPECT_EQ(pairs.size(), 9u);
  EXPECT_TRUE(fs::exists(dir / "comparison" / "compare.html"));
}

}  // namespace
}  // namespace slurry1d::e2e
