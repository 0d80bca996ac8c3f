// Coverage-guided fuzzing of the whole program with libFuzzer: each input is
// an answer file, run through the dialog, the set-up and the time loop in a
// scratch directory. Not part of the CMake build; with clang, from the
// repository root (each command on one line):
//
//   clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc -Itests
//     -DSLURRY1D_VERSION='"fuzz"' tests/fuzz/answers_libfuzzer.cpp
//     src/driver/*.cpp src/solver/*.cpp src/steady/*.cpp src/output/*.cpp
//     -o answers_libfuzzer
//   mkdir -p corpus && ./answers_libfuzzer -max_len=2048 -timeout=60
//     -artifact_prefix=$PWD/ corpus tests/fuzz/corpus
//
// tests/fuzz/corpus holds one valid answer file of every kind of run. An
// input ends in a crash when the program lets an exception other than its own
// stop escape, returns a status other than 0, 2 or 3, or ends with status 0
// after writing a number that is not finite into a file. A timeout is a run
// that takes longer than -timeout: a hang, or a legitimately long run (a tiny
// largest step, thousands of refined nodes, a step kept small by halvings for
// tens of thousands of steps) to look at. The artifacts need an absolute
// -artifact_prefix, as the runs change the current directory.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/answer_fuzz.hpp"

namespace {

// The runs write their files here; libFuzzer keeps its own paths relative to
// the directory it was started in, so each run goes there and comes back.
std::filesystem::path run_directory;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string name =
      (std::filesystem::temp_directory_path() / "slurry1d-libfuzzer-XXXXXX").string();
  if (mkdtemp(name.data()) == nullptr) std::abort();
  run_directory = name;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(run_directory, ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string answers(reinterpret_cast<const char*>(data), size);
  const std::filesystem::path home = std::filesystem::current_path();
  std::filesystem::current_path(run_directory);
  const slurry1d::testing::RunOutcome r = slurry1d::testing::run_answers_in_process(answers);
  std::filesystem::current_path(home);
  const bool sound = r.foreign_error.empty() && (r.status == 0 || r.status == 2 || r.status == 3) &&
                     (r.status != 0 || r.non_finite_file().empty());
  if (!sound) {
    std::fprintf(stderr, "unsound end: status %d, %s%s, non-finite in '%s'\n", r.status,
                 r.message.c_str(), r.foreign_error.c_str(), r.non_finite_file().c_str());
    std::abort();
  }
  return 0;
}
