#pragma once

// Reads back the records of the result files by their columns, as an
// engineer's script would.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {

// The real in columns [first, first + width) of a record.
inline double field(const std::string& line, std::size_t first, std::size_t width) {
  if (line.size() < first + width) return std::nan("");
  return std::strtod(line.substr(first, width).c_str(), nullptr);
}

// Data lines of "ts.out": 6 x E11.4 (time, height, dry density, outflow top,
// outflow bottom, crust thickness), after the three heading lines.
struct TimeSeriesLine {
  double time, height, density, qtop, qbot, crust;
};

inline std::vector<TimeSeriesLine> time_series(const ProgramRun& run) {
  std::vector<TimeSeriesLine> rows;
  const auto lines = run.lines("ts.out");
  for (std::size_t i = 3; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.size() != 66 || l.find("THE") != std::string::npos) continue;
    rows.push_back({field(l, 0, 11), field(l, 11, 11), field(l, 22, 11), field(l, 33, 11),
                    field(l, 44, 11), field(l, 55, 11)});
  }
  return rows;
}

// Data lines of "tc.out": 7 x F10.4 and F10.7.
struct CrackLine {
  double time, depth, height, soil, crack, fluid, loss, rate;
};

inline std::vector<CrackLine> crack_records(const ProgramRun& run) {
  std::vector<CrackLine> rows;
  const auto lines = run.lines("tc.out");
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    rows.push_back({field(l, 0, 10), field(l, 10, 10), field(l, 20, 10), field(l, 30, 10),
                    field(l, 40, 10), field(l, 50, 10), field(l, 60, 10), field(l, 70, 10)});
  }
  return rows;
}

// Times of the console step lines " TIME = " G11.5 " MARCHING DIFFERENCE= " ...
inline std::vector<double> step_times(const ProgramRun& run) {
  std::vector<double> times;
  for (const std::string& l : run.console_lines()) {
    if (l.rfind(" TIME = ", 0) == 0 && l.find("MARCHING DIFFERENCE") != std::string::npos) {
      times.push_back(field(l, 8, 11));
    }
  }
  return times;
}

// The value a free-form record carries after its text.
inline double value_after(const std::string& text, const std::string& label) {
  const auto at = text.find(label);
  if (at == std::string::npos) return std::nan("");
  return std::strtod(text.c_str() + at + label.size(), nullptr);
}

// The final profile a run appends to "input": (void ratio, elevation) pairs
// from the top down, after the last echo record.
struct Pair {
  double e, z;
};

inline std::vector<Pair> restart_profile(const ProgramRun& run) {
  std::vector<Pair> pairs;
  for (const std::string& l : run.lines("input")) {
    if (l.find("FINAL HEIGHT OF SOIL") != std::string::npos) break;
    char* end = nullptr;
    const double e = std::strtod(l.c_str(), &end);
    if (end == l.c_str() || l.find('\t') != std::string::npos) continue;
    char* end2 = nullptr;
    const double z = std::strtod(end, &end2);
    if (end2 == end || *end2 != '\0') continue;
    pairs.push_back({e, z});
  }
  return pairs;
}

// The value of an end-of-run record of "input", named by its text ("FINAL
// HEIGHT OF SOIL", "STOPPING TIME"); NaN when the record is missing.
inline double end_record_value(const ProgramRun& run, const std::string& text) {
  for (const std::string& l : run.lines("input")) {
    if (l.find(text) != std::string::npos) return std::strtod(l.c_str(), nullptr);
  }
  return std::nan("");
}

// A pair as the program writes it, readable by the dialog.
inline std::string format_pair(const Pair& p) {
  char buf[64];
  std::snprintf(buf, sizeof buf, " %.17g %.17g", p.e, p.z);
  return buf;
}

// Height of solids of a profile given every few nodes: the integral of
// dz / (1 + e), by the trapezoidal rule.
inline double solids_height(const std::vector<Pair>& top_down) {
  double h = 0.0;
  for (std::size_t i = 1; i < top_down.size(); ++i) {
    const Pair& a = top_down[i - 1];
    const Pair& b = top_down[i];
    h += (a.z - b.z) * 0.5 * (1.0 / (1.0 + a.e) + 1.0 / (1.0 + b.e));
  }
  return h;
}

}  // namespace slurry1d::e2e
