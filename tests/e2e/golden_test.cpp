// Every byte the program leaves behind on a fixed set of answer files, held
// against digests recorded from a build known to be right: the bundled
// examples and the answer files under tests/golden/cases (normal ends, the
// program's own stops, refused and unreadable input, numerical failures).
//
// A change that is meant to keep every output (a refactor, a faster path)
// must leave this test green. A change that is meant to alter an output
// records the digests anew and says why in its commit:
//
//   SLURRY1D_GOLDEN_RECORD=1 build/tests/e2e_tests --gtest_filter='Golden*'
//
// rewrites tests/golden/expected.txt from the build at hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

namespace fs = std::filesystem;

// 64-bit FNV-1a: enough to tell two outputs apart, small enough to keep in
// the repository for every case.
std::uint64_t digest(const std::string& bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (const unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string fingerprint(const std::string& bytes) {
  char text[40];
  std::snprintf(text, sizeof text, "%zu %016llx", bytes.size(),
                static_cast<unsigned long long>(digest(bytes)));
  return text;
}

struct GoldenCase {
  std::string name;
  fs::path answers;
};

std::vector<GoldenCase> golden_cases() {
  std::vector<GoldenCase> cases;
  for (const auto& entry : fs::directory_iterator(SLURRY1D_EXAMPLES)) {
    if (entry.path().extension() == ".txt") {
      cases.push_back({"example/" + entry.path().stem().string(), entry.path()});
    }
  }
  for (const auto& entry : fs::directory_iterator(fs::path(SLURRY1D_GOLDEN) / "cases")) {
    if (entry.path().extension() == ".txt") {
      cases.push_back({"case/" + entry.path().stem().string(), entry.path()});
    }
  }
  std::sort(cases.begin(), cases.end(),
            [](const GoldenCase& a, const GoldenCase& b) { return a.name < b.name; });
  return cases;
}

// What a run leaves behind, one line per output: "<case> <output> <bytes> <digest>".
std::vector<std::string> fingerprints(const GoldenCase& c, const std::string& arguments = "") {
  const ProgramRun run = run_program(read_file(c.answers), arguments);
  std::vector<std::string> lines;
  lines.push_back(c.name + " status " + std::to_string(run.status));
  lines.push_back(c.name + " stdout " + fingerprint(run.console));
  lines.push_back(c.name + " stderr " + fingerprint(run.errors));
  for (const char* file : {"input", "vd.out", "ts.out", "tc.out"}) {
    const std::string what = run.has_file(file) ? fingerprint(run.file(file)) : "absent";
    lines.push_back(c.name + " " + file + " " + what);
  }
  return lines;
}

fs::path expected_path() {
  return fs::path(SLURRY1D_GOLDEN) / "expected.txt";
}

std::map<std::string, std::string> recorded() {
  std::map<std::string, std::string> by_key;
  std::istringstream in(read_file(expected_path()));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto first = line.find(' ');
    const auto second = line.find(' ', first + 1);
    by_key[line.substr(0, second)] = line.substr(second + 1);
  }
  return by_key;
}

// Every case's outputs held against the recorded ones, the program run with
// `arguments`.
void expect_recorded_bytes(const std::vector<GoldenCase>& cases, const std::string& arguments) {
  const auto expected = recorded();
  std::size_t compared = 0;
  for (const auto& c : cases) {
    for (const auto& line : fingerprints(c, arguments)) {
      const auto second = line.find(' ', line.find(' ') + 1);
      const std::string key = line.substr(0, second);
      const auto it = expected.find(key);
      ASSERT_NE(it, expected.end()) << key << " has no recorded digest";
      EXPECT_EQ(line.substr(second + 1), it->second)
          << key << " differs from the recorded output (arguments: '" << arguments << "')";
      ++compared;
    }
  }
  EXPECT_EQ(compared, expected.size()) << "a recorded case no longer runs";
}

TEST(Golden, EveryCaseLeavesTheRecordedBytes) {
  const auto cases = golden_cases();
  ASSERT_GE(cases.size(), 20u) << "the examples or tests/golden/cases went missing";

  if (std::getenv("SLURRY1D_GOLDEN_RECORD") != nullptr) {
    std::ofstream out(expected_path(), std::ios::binary);
    out << "# <case> <output> <bytes> <FNV-1a 64>; see tests/e2e/golden_test.cpp\n";
    for (const auto& c : cases) {
      for (const auto& line : fingerprints(c)) out << line << '\n';
    }
    GTEST_SKIP() << "recorded " << expected_path();
  }

  expect_recorded_bytes(cases, "");
}

// The refinement controls at their defaults, given explicitly, are the
// standard run to the last byte.
TEST(Golden, DefaultControlsGivenExplicitlyLeaveTheRecordedBytes) {
  if (std::getenv("SLURRY1D_GOLDEN_RECORD") != nullptr) GTEST_SKIP() << "recording";
  expect_recorded_bytes(golden_cases(), "--nodes 501 --step-factor 1");
  expect_recorded_bytes(golden_cases(), "--step-factor=1.0 --nodes=501");
}

// The results as data are written beside the legacy files and change none
// of them, nor the console, nor the exit status.
TEST(Golden, ResultsAsDataLeaveTheRecordedBytes) {
  if (std::getenv("SLURRY1D_GOLDEN_RECORD") != nullptr) GTEST_SKIP() << "recording";
  expect_recorded_bytes(golden_cases(), "--csv");
}

}  // namespace
}  // namespace slurry1d::e2e
