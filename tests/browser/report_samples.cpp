// Writes sample reports for the browser test: runs the program with --csv on
// each answer file in a directory of its own under OUT_DIR, reads the facts
// of the run back from its summary.json, and writes the report there from
// the tables the run wrote.
//
//   report_samples SLURRY1D_EXE OUT_DIR ANSWERS.txt...

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "report/report.hpp"

namespace fs = std::filesystem;
// In the order of the file: the answers in the order of the dialog.
using json = nlohmann::ordered_json;

namespace {

int run_program(const fs::path& exe, const fs::path& answers, const fs::path& dir) {
  const std::string command = "cd \"" + dir.string() + "\" && \"" + exe.string() + "\" --csv < \"" +
                              answers.string() + "\" > console.txt 2> errors.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<slurry1d::report::NamedValue> named_values(const json& object) {
  std::vector<slurry1d::report::NamedValue> out;
  for (const auto& [name, value] : object.items()) {
    slurry1d::report::NamedValue v{name, {}, value.is_array()};
    if (value.is_array()) {
      for (const json& x : value) v.values.push_back(x.is_number() ? x.get<double>() : NAN);
    } else {
      v.values.push_back(value.is_number() ? value.get<double>() : NAN);
    }
    out.push_back(std::move(v));
  }
  return out;
}

// The facts a run hands to the report, as its summary.json gives them. The
// examples are answered in metres, days and kilopascals.
slurry1d::report::RunFacts facts_of(const fs::path& dir, const std::string& name) {
  std::ifstream in(dir / "summary.json");
  if (!in) throw std::runtime_error("no summary.json");
  const json s = json::parse(in);
  slurry1d::report::RunFacts f;
  f.name = name;
  f.answers = named_values(s.at("answers"));
  f.derived = named_values(s.at("derived"));
  const json& end = s.at("end");
  f.end.reason = end.at("reason").get<std::string>();
  f.end.message = end.at("message").get<std::string>();
  if (end.at("time").is_number()) f.end.time = end.at("time").get<double>();
  f.end.exit_status = end.at("exit_status").get<int>();
  f.end.output_times_not_reached = end.at("output_times_not_reached").get<std::vector<double>>();
  f.units = {"m", "days", "kPa", "kN/m³", "m/day"};
  return f;
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
      const auto facts = facts_of(dir, name);
      if (facts.end.exit_status != status) throw std::runtime_error("summary.json: another status");
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
