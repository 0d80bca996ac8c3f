// Writes sample reports for the browser test: runs the program with --report
// on each answer file, as a user would, in a directory of its own under
// OUT_DIR (named after the file), and checks that the page is there. The
// answer files after --verify are run with --verify as well. The examples
// are answered in metres, days and kilopascals.
//
//   report_samples SLURRY1D_EXE OUT_DIR ANSWERS.txt... [--verify ANSWERS.txt...]

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr const char* UNITS = "--units m,days,kPa,kN/m³";

int run_program(const fs::path& exe, const std::string& options, const fs::path& answers,
                const fs::path& dir) {
  const std::string command = "cd \"" + dir.string() + "\" && \"" + exe.string() + "\" " + options +
                              " \"" + answers.string() + "\" > console.txt 2> errors.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: report_samples SLURRY1D_EXE OUT_DIR ANSWERS.txt... [--verify "
                 "ANSWERS.txt...]\n";
    return 2;
  }
  const fs::path exe = fs::absolute(argv[1]);
  const fs::path out = fs::absolute(argv[2]);
  std::string options = std::string("--report ") + UNITS;
  int failures = 0;
  for (int i = 3; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--verify") {
      options += " --verify";
      continue;
    }
    const fs::path answers = fs::absolute(argv[i]);
    const std::string name = answers.stem().string();
    const fs::path dir = out / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const int status = run_program(exe, options, answers, dir);
    if (!fs::exists(dir / "report.html")) {
      std::cerr << name << ": exit status " << status << " and no report.html\n";
      ++failures;
      continue;
    }
    const auto charts =
        fs::exists(dir / "charts")
            ? std::distance(fs::directory_iterator(dir / "charts"), fs::directory_iterator())
            : 0;
    std::cout << name << ": exit status " << status << ", report.html and " << charts
              << " charts\n";
  }
  return failures == 0 ? 0 : 1;
}
