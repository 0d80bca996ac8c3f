// Writes a sample comparison page for the browser test: a made-up 3 x 3
// study of C and D and one run that failed, as runs made with --csv leave
// them, compared into OUT_DIR/made_up_study/compare.html.
//
//   compare_samples OUT_DIR

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "compare/compare_command.hpp"
#include "compare/study_fixture.hpp"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: compare_samples OUT_DIR\n";
    return 2;
  }
  const fs::path study = fs::absolute(argv[1]) / "made_up_study";
  fs::remove_all(study);
  std::vector<std::string> dirs;
  for (const double C : {1e-6, 2e-6, 4e-6}) {
    for (const double D : {4.0, 4.5, 5.0}) {
      const fs::path dir =
          study / "runs" / ("C" + slurry1d::test::shortest(C) + "_D" + slurry1d::test::shortest(D));
      auto run = slurry1d::test::made_up(C, D);
      run.units = R"("units": {"length": "m", "time": "days"}, )";
      slurry1d::test::write_made_up_run(dir, run);
      dirs.push_back(dir.string());
    }
  }
  auto failed = slurry1d::test::made_up(8e-6, 4.0);
  failed.exit_status = 3;
  failed.reason = "numerical_failure";
  failed.end_time = 12.5;
  slurry1d::test::write_made_up_run(study / "runs" / "failed", failed);
  dirs.push_back((study / "runs" / "failed").string());
  return slurry1d::compare::run_compare(dirs, study, std::cout, std::cerr);
}
