#pragma once

// Runs the built program as a user would: in a scratch directory of its own,
// with an answer file on standard input, and reads back what it left there.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace slurry1d::e2e {

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct ProgramRun {
  std::filesystem::path dir;
  int status = -1;
  std::string console;
  std::string errors;

  std::string file(const std::string& name) const { return read_file(dir / name); }
  bool has_file(const std::string& name) const { return std::filesystem::exists(dir / name); }
  std::vector<std::string> lines(const std::string& name) const { return split_lines(file(name)); }
  std::vector<std::string> console_lines() const { return split_lines(console); }
};

// The scratch directories of this test process, removed when it ends (set
// SLURRY1D_KEEP_SCRATCH to keep them for a look).
class ScratchDirectories {
 public:
  ~ScratchDirectories() {
    if (std::getenv("SLURRY1D_KEEP_SCRATCH") != nullptr) return;
    std::error_code ignored;
    for (const auto& dir : dirs_) std::filesystem::remove_all(dir, ignored);
  }
  std::filesystem::path make() {
    std::string templ = (std::filesystem::temp_directory_path() / "slurry1d-e2e-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) return {};
    dirs_.emplace_back(templ);
    return dirs_.back();
  }

 private:
  std::vector<std::filesystem::path> dirs_;
};

inline std::filesystem::path scratch_directory() {
  static ScratchDirectories scratch;
  return scratch.make();
}

// Runs the program with `arguments` on the given answers, in a scratch
// directory that `prepare` is handed first (to place a file or a directory
// where the program will write).
template <typename Prepare>
inline ProgramRun run_program_in_prepared_directory(const std::string& answers,
                                                    const std::string& arguments, Prepare prepare) {
  ProgramRun run;
  run.dir = scratch_directory();
  { std::ofstream(run.dir / "answers.txt", std::ios::binary) << answers; }
  prepare(run.dir);
  const std::string command = "cd '" + run.dir.string() + "' && '" SLURRY1D_EXE "' " + arguments +
                              " < answers.txt > console.txt 2> errors.txt";
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.console = read_file(run.dir / "console.txt");
  run.errors = read_file(run.dir / "errors.txt");
  return run;
}

// Runs the program with `arguments` on the given answers.
inline ProgramRun run_program(const std::string& answers, const std::string& arguments = "") {
  return run_program_in_prepared_directory(answers, arguments, [](const std::filesystem::path&) {});
}

inline std::string example(const std::string& name) {
  return read_file(std::filesystem::path(SLURRY1D_EXAMPLES) / name);
}

inline ProgramRun run_example(const std::string& name) {
  return run_program(example(name));
}

// The surcharge example (5 m, 20 kPa, pervious base) up to its first two
// output times, 1 and 10 days.
inline std::string surcharge_example_to_day_10() {
  std::ostringstream answers;
  for (const std::string& line : split_lines(example("surcharge_two_way.txt"))) {
    if (line.rfind("4 ", 0) == 0) {
      answers << "2    NO\n";
    } else if (line.rfind("100.0 ", 0) != 0 && line.rfind("1000.0 ", 0) != 0) {
      answers << line << '\n';
    }
  }
  return answers.str();
}

}  // namespace slurry1d::e2e
