// Writes sample reports for the browser test: runs the program on each answer
// file in a directory of its own under OUT_DIR, turns its legacy files into
// the result tables, and writes the report there.
//
//   report_samples SLURRY1D_EXE OUT_DIR ANSWERS.txt...

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "browser/legacy_results.hpp"
#include "report/report.hpp"

namespace fs = std::filesystem;

namespace {

int run_program(const fs::path& exe, const fs::path& answers, const fs::path& dir) {
  const std::string command = "cd \"" + dir.string() + "\" && \"" + exe.string() + "\" < \"" +
                              answers.string() + "\" > console.txt 2> errors.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: report_samples SLURRY1D_EXE OUT_DIR ANSWERS.txt...\n";
    return 2;
  }
  const fs::path exe = fs::absolute(argv[1]);
  const fs::path out = fs::absolute(argv[2]);
  int failures = 0;
  for (int i = 3; i < argc; ++i) {
    const fs::path answers = fs::absolute(argv[i]);
    const std::string name = answers.stem().string();
    const fs::path dir = out / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const int status = run_program(exe, answers, dir);
    try {
      const auto facts = slurry1d::browser_test::convert_legacy_run(dir, name, status);
      const auto outcome = slurry1d::report::write_report(dir, facts);
      if (!outcome.ok()) throw std::runtime_error(outcome.error);
      std::cout << name << ": exit status " << status << ", " << outcome.files.size() << " files\n";
    } catch (const std::exception& e) {
      std::cerr << name << ": " << e.what() << "\n";
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
