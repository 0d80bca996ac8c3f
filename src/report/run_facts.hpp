#pragma once

// What the program knows of a run in memory and hands to the report: the
// answers by name, the values derived from them, how the run ended and the
// units the answers were given in (the program converts none).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace slurry1d::report {

// One answer (or derived value) by its name: one value, or a list such as
// the output times OPT or the stage beginnings TBF. Switches are whole numbers.
struct NamedValue {
  std::string name;
  std::vector<double> values;
  bool list = false;  // a list (OPT, TBF, ...), also when it holds one value or none
};

struct RunEnd {
  std::string reason;   // e.g. "steady_state_height", "last_output_time", "numerical_failure"
  std::string message;  // the console line that says why
  std::optional<double> time;
  int exit_status = 0;
  std::vector<double> output_times_not_reached;
};

// Unit names written on the axes and in the tables. The defaults are the
// dimensions themselves, for runs whose units the program was not told.
struct Units {
  std::string length = "L";
  std::string time = "T";
  std::string stress = "F/L²";
  std::string unit_weight = "F/L³";
  std::string velocity;  // empty: length/time
  std::string velocity_or_default() const {
    return velocity.empty() ? length + "/" + time : velocity;
  }
};

struct RunFacts {
  std::string name;  // a short name of the run, e.g. its answer file without extension
  std::vector<NamedValue> answers;
  std::vector<NamedValue> derived;  // E0, K0, height of solids, ...
  RunEnd end;
  Units units;

  // The first value of the answer `name`, if the run has that answer.
  std::optional<double> answer(std::string_view name) const {
    for (const auto& a : answers) {
      if (a.name == name && !a.values.empty()) return a.values.front();
    }
    return std::nullopt;
  }
};

}  // namespace slurry1d::report
