// Randomized bad input: valid answer files of every kind of run, mutated
// (tokens replaced, dropped and inserted, huge, tiny and non-numbers, counts at
// their limits, lines swapped, files cut short), fed through the dialog, the
// set-up and the time loop in-process. Every case must end with status 0, 2 or
// 3 and no exception of its own escaping, leave its files with every line
// ended, the end-of-run records after a numerical failure, and no non-finite
// number in a file after status 0.
//
// Each case runs in a child process of its own, killed only when it hangs
// (runs past a generous allowance of minutes). The seed is fixed, so the test
// is deterministic. By hand:
//   SLURRY1D_FUZZ_CASES=20000 SLURRY1D_FUZZ_SEED=7 SLURRY1D_FUZZ_SUMMARY=1
//   build/tests/unit_tests --gtest_filter='AnswerFuzz.*'
// (one command line).
// SLURRY1D_FUZZ_CASE_SECONDS sets the time after which a case counts as hung
// (default 300 s), SLURRY1D_FUZZ_ONLY=<seed> runs and shows a single case,
// SLURRY1D_FUZZ_FORK=0 runs the cases in this process (for a debugger).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>

#include "support/answer_fuzz.hpp"

namespace slurry1d {
namespace {

using testing::MutatedCase;
using testing::Mutation;
using testing::RunOutcome;

long env_long(const char* name, long fallback) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return fallback;
  char* end = nullptr;
  const long n = std::strtol(v, &end, 10);
  return end != v ? n : fallback;
}

// Fewer cases under the sanitizers and the index checks of a debug build,
// which run the same code many times slower.
long default_case_count() {
#ifdef NDEBUG
  return 300;
#else
  return 120;
#endif
}

// The time after which a case counts as hung. It only guards against a hang:
// every case ends within its steps (the step allowance of an output interval,
// the pace of the clock), which a busy machine may take many times longer to
// go through.
long default_case_seconds() {
  return 300;
}

std::string trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A short name of how a case ended, for the summary.
std::string outcome_label(const RunOutcome& r) {
  if (!r.abnormal.empty()) return r.abnormal.substr(0, 12);
  if (!r.foreign_error.empty()) return "foreign exception";
  const std::string& m = r.message;
  switch (r.status) {
    case 0: {
      const std::string last = trimmed(r.last_console);
      if (last.empty() || last.rfind("TIME =", 0) == 0) return "0 end of run";
      return "0 stop: " + last.substr(0, 48);
    }
    case 2:
      if (m.empty()) return "2 refused run: " + trimmed(r.last_console).substr(0, 48);
      if (m.find("the input ended") != std::string::npos) return "2 end of input";
      if (m.find("is refused") != std::string::npos) return "2 refused";
      return "2 unreadable";
    case 3:
      if (m.empty()) return "3 cannot go on: " + trimmed(r.last_console).substr(0, 48);
      if (m.find("stalled") != std::string::npos) return "3 stalled clock";
      if (m.find("diverging") != std::string::npos) return "3 diverging step";
      if (m.find("not finite") != std::string::npos) return "3 non-finite result";
      return "3 " + m.substr(0, 48);
    case 4:
      return "4 file";
  }
  return "status " + std::to_string(r.status);
}

bool ends_with_line_end(const std::string& text) {
  return text.empty() || text.back() == '\n';
}

std::string describe(std::uint64_t seed, const MutatedCase& c) {
  return "seed " + std::to_string(seed) + ", " + c.base + ", " +
         std::string(testing::mutation_name(c.kind)) + (c.interactive ? ", at a terminal" : "") +
         "\n--- answers ---\n" + c.text + "---";
}

struct Tally {
  std::map<Mutation, std::map<std::string, int>> by_kind;
  std::map<Mutation, std::map<std::string, std::uint64_t>> first_seed;
  std::map<Mutation, int> cases;
  double slowest = 0.0;
  std::string slowest_case;
};

void print_summary(const Tally& t, long count, double total_seconds) {
  std::cout << "fuzz summary: " << count << " cases in " << total_seconds << " s, slowest "
            << t.slowest << " s (" << t.slowest_case << ")\n";
  for (const auto& [kind, outcomes] : t.by_kind) {
    std::cout << "  " << testing::mutation_name(kind) << ": " << t.cases.at(kind) << " cases\n";
    for (const auto& [label, n] : outcomes) {
      std::cout << "      " << n << "  " << label << "  (first: seed "
                << t.first_seed.at(kind).at(label) << ")\n";
    }
  }
}

// One case by its seed, shown with its outcome before and after it runs.
void show_one_case(std::uint64_t seed) {
  const MutatedCase c = testing::mutated_case(seed);
  std::cout << describe(seed, c) << std::endl;
  const testing::ScratchDirectory scratch;
  const RunOutcome r = testing::run_answers_in_process(c.text, c.interactive);
  std::cout << "status " << r.status << " after " << r.seconds << " s: " << outcome_label(r) << "\n"
            << r.message << "\n";
}

TEST(AnswerFuzz, MutatedAnswerFilesEndThroughTheProgramsOwnPaths) {
  if (const long only = env_long("SLURRY1D_FUZZ_ONLY", 0); only != 0) {
    show_one_case(static_cast<std::uint64_t>(only));
    return;
  }
  const long count = env_long("SLURRY1D_FUZZ_CASES", default_case_count());
  const auto seed0 = static_cast<std::uint64_t>(env_long("SLURRY1D_FUZZ_SEED", 1996));
  const double allowance =
      static_cast<double>(env_long("SLURRY1D_FUZZ_CASE_SECONDS", default_case_seconds()));

  const bool isolated = env_long("SLURRY1D_FUZZ_FORK", 1) != 0;
  const testing::ScratchDirectory scratch;
  Tally tally;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < count; ++i) {
    const std::uint64_t seed = seed0 * 1000003u + static_cast<std::uint64_t>(i);
    const MutatedCase c = testing::mutated_case(seed);
    const RunOutcome r = isolated ? testing::run_answers_isolated(c.text, c.interactive, allowance)
                                  : testing::run_answers_in_process(c.text, c.interactive);
    ++tally.cases[c.kind];
    const std::string label = outcome_label(r);
    ++tally.by_kind[c.kind][label];
    tally.first_seed[c.kind].emplace(label, seed);
    if (r.seconds > tally.slowest) {
      tally.slowest = r.seconds;
      tally.slowest_case = "seed " + std::to_string(seed);
    }

    EXPECT_EQ(r.abnormal, "") << describe(seed, c);
    EXPECT_EQ(r.foreign_error, "") << describe(seed, c);
    if (!r.abnormal.empty()) continue;
    EXPECT_TRUE(r.status == 0 || r.status == 2 || r.status == 3) << r.status << describe(seed, c);
    if (r.status == 0) {
      EXPECT_EQ(r.non_finite_file(), "") << "status 0 with a non-finite number written\n"
                                         << describe(seed, c);
    }
    if (r.status == 3 && !r.message.empty()) {
      // A failed run ends with its end-of-run records.
      EXPECT_NE(r.ts.find("THE TOTAL HEIGHT OF SOIL SOLID IS"), std::string::npos)
          << describe(seed, c);
      EXPECT_NE(r.input.find("STOPPING TIME"), std::string::npos) << describe(seed, c);
    }
    for (const std::string* f : {&r.input, &r.vd, &r.ts, &r.tc}) {
      EXPECT_TRUE(ends_with_line_end(*f)) << describe(seed, c);
    }
  }
  const double total =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (env_long("SLURRY1D_FUZZ_SUMMARY", 0) != 0 || HasFailure()) print_summary(tally, count, total);
}

// The valid files themselves end normally and cleanly: the mutations start
// from runs that work.
TEST(AnswerFuzz, EveryValidFileEndsNormally) {
  const testing::ScratchDirectory scratch;
  for (const testing::AnswerFile& f : testing::valid_answer_files()) {
    const RunOutcome r = testing::run_answers_in_process(f.text);
    EXPECT_EQ(r.status, 0) << f.name << ": " << r.message;
    EXPECT_EQ(r.message, "") << f.name;
    EXPECT_EQ(r.non_finite_file(), "") << f.name;
    EXPECT_NE(r.input.find("STOPPING TIME"), std::string::npos) << f.name;
  }
}

}  // namespace
}  // namespace slurry1d

namespace slurry1d {
namespace {

// Inputs that once broke a run (a hang, a crawl of millions of steps, a
// non-finite number reported as success, a silently wrong length scale), with
// the way the run must end now.
struct FoundCase {
  const char* name;
  std::string answers;
  int status;
  const char* message;  // part of the first error line; "" for none
  bool interactive = false;
};

void PrintTo(const FoundCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string kSoil = "7.0 -0.2 6.8e-8 4.0 0.1\n";

// Staged filling from no height: the stage lines, then the rest of the run.
std::string filling_run(const std::string& h0, const std::string& stages) {
  return kSoil + "2\n2.65\n9.81\n" + h0 + "\n1\n2\n" + stages +
         "2\n0.0\n1\n1.0\n0.0\n1\n60.0\n10.0\n2\n";
}

std::string tolerance_run(const std::string& error1) {
  return kSoil + "3\n1.0e-6\n" + error1 +
         "\n2\n2.65\n9.81\n10.0\n2\n2\n0.0\n1\n1.0\n0.0\n1\n50.0\n20.0\n2\n";
}

const FoundCase kFoundCases[] = {
    {"CrackingTopNodeCreepsTheClock",
     kSoil +
         "1\n5.0 -0.1\n1.0 0.01 1.0 0.1\n0.0\n3.0\n2.65\n9.81\n1.0\n2\n1\n5e-4\n1\n1.0\n0.0\n2\n"
         "20.0\n50.0\n20.0\n2\n",
     3, "the clock has stalled"},
    {"LargestStepFarTooSmall",
     kSoil + "2\n2.65\n9.81\n10.0\n2\n2\n0.0\n1\n1.0\n0.0\n1\n20.0\n1e-6\n2\n", 3,
     "the clock has stalled"},
    {"CrackedThroughoutFromTheStart",
     kSoil + "1\n5.0 -0.1\n1.0 0.01 1.0 0.095\n0.0\n3.0\n2.65\n9.81\n1.0\n2\n1\n1e-6\n1\n1.0\n"
             "0.0\n2\n20.0\n50.0\n20.0\n2\n",
     3, "the iteration kept diverging"},
    {"HugeBaseVelocityOverflowsTheOutflow",
     kSoil + "2\n2.65\n9.81\n10.0\n2\n2\n0.0\n4\n-9e307\n1.0\n0.0\n1\n50.0\n20.0\n2\n", 3,
     "line 5 of ts.out holds a number that is not finite"},
    {"NegativeFillingRateFromNoHeight", filling_run("0.0", "0.0 20.0 -0.1\n30.0 40.0 0.1\n"), 2,
     "FRH(1) = -0.1 is refused"},
    {"NegativeFillingRateUnderAnInitialHeight",
     filling_run("5.0", "0.0 20.0 0.1\n30.0 40.0 -0.2\n"), 2, "FRH(2) = -0.2 is refused"},
    {"StageEndingBeforeItBegins", filling_run("5.0", "20.0 0.0 0.1\n30.0 40.0 0.1\n"), 2,
     "TEF(1) = 0 is refused: a stage cannot end before it begins (TBF(1) = 20)"},
    {"StageAskedAgainAtATerminal",
     filling_run("5.0", "20.0 0.0 0.1\n0.0 20.0 0.1\n30.0 40.0 0.1\n"), 0, "TEF(1) = 0 is refused",
     true},
    {"ZeroConvergenceTolerance", tolerance_run("0"), 2, "ERROR1 = 0 is refused"},
    {"NegativeConvergenceTolerance", tolerance_run("-1e16"), 2, "ERROR1 = -1e+16 is refused"},
};

class FoundByFuzzing : public ::testing::TestWithParam<FoundCase> {};

TEST_P(FoundByFuzzing, EndsTheWayItMust) {
  const FoundCase& c = GetParam();
  const testing::ScratchDirectory scratch;
  const RunOutcome r = testing::run_answers_in_process(c.answers, c.interactive);
  EXPECT_EQ(r.foreign_error, "");
  EXPECT_EQ(r.status, c.status) << r.message;
  EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
  if (r.status == 0) {
    EXPECT_EQ(r.non_finite_file(), "");
  }
  if (r.status == 3) {
    EXPECT_NE(r.input.find("STOPPING TIME"), std::string::npos);
    EXPECT_NE(r.ts.find("THE TOTAL HEIGHT OF SOIL SOLID IS"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, FoundByFuzzing, ::testing::ValuesIn(kFoundCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace slurry1d
