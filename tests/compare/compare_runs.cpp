// compare_runs FIRST_DIR SECOND_DIR FILE...: compares the named files of two
// runs of one case (for example on Linux and, under Wine, on Windows). Prints
// one line per file and exits with 1 when a laid-out record differs or a
// full-precision number differs by more than 1e-10 relative, 2 on bad usage.
// The console ("console.txt") is compared less its records of single steps.
// A file missing from both runs is passed over; from one of them, it differs.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "compare/run_comparison.hpp"

namespace {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc < 4) {
    std::cerr << "usage: compare_runs FIRST_DIR SECOND_DIR FILE...\n";
    return 2;
  }
  const fs::path first = argv[1];
  const fs::path second = argv[2];
  bool passed = true;
  for (int i = 3; i < argc; ++i) {
    const std::string name = argv[i];
    const bool in_first = fs::exists(first / name);
    if (in_first != fs::exists(second / name)) {
      std::cout << name << ": written by one run only\n";
      passed = false;
      continue;
    }
    if (!in_first) continue;
    const auto comparison =
        slurry1d::compare::compare_texts(name, read_file(first / name), read_file(second / name),
                                         slurry1d::compare::limits_for(name));
    std::cout << slurry1d::compare::summary(comparison) << '\n';
    passed = passed && comparison.passed();
  }
  return passed ? 0 : 1;
}
