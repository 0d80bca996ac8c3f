#pragma once

// Reads back the tables of --csv (history.csv, profiles.csv, ...) by their
// column names, and the legacy records they must agree with to the legacy
// files' print precision.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {

inline std::vector<std::string> comma_fields(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ',');) out.push_back(field);
  if (!line.empty() && line.back() == ',') out.emplace_back();
  return out;
}

inline double number_of(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size()) return std::nan("");
  return v;
}

// A CSV table: its header and its rows, every row as many fields as the header.
struct Table {
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> rows;
  bool rectangular = true;

  std::size_t size() const { return rows.size(); }
  std::size_t index(const std::string& name) const {
    for (std::size_t c = 0; c < names.size(); ++c) {
      if (names[c] == name) return c;
    }
    ADD_FAILURE() << "no column " << name;
    return 0;
  }
  const std::string& text(std::size_t row, const std::string& name) const {
    return rows.at(row).at(index(name));
  }
  double number(std::size_t row, const std::string& name) const {
    return number_of(text(row, name));
  }
};

inline Table read_table(const ProgramRun& run, const std::string& file) {
  Table t;
  const std::vector<std::string> lines = run.lines(file);
  if (lines.empty()) return t;
  t.names = comma_fields(lines[0]);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    t.rows.push_back(comma_fields(lines[i]));
    if (t.rows.back().size() != t.names.size()) t.rectangular = false;
  }
  return t;
}

// The rows of profiles.csv that make one snapshot: one time and event.
struct Snapshot {
  std::string time;
  std::string event;
  std::vector<std::size_t> rows;
};

inline std::vector<Snapshot> snapshots(const Table& profiles) {
  std::vector<Snapshot> out;
  for (std::size_t r = 0; r < profiles.size(); ++r) {
    const std::string& time = profiles.text(r, "time");
    const std::string& event = profiles.text(r, "event");
    if (out.empty() || out.back().time != time || out.back().event != event) {
      out.push_back({time, event, {}});
    }
    out.back().rows.push_back(r);
  }
  return out;
}

// A value agrees with a printed field (E w.d or F w.d) when it lies within
// half a unit of the field's last digit of the printed value.
inline ::testing::AssertionResult agrees_to_print(double value, std::string printed) {
  const auto first = printed.find_first_not_of(' ');
  if (first == std::string::npos) return ::testing::AssertionFailure() << "empty field";
  printed = printed.substr(first, printed.find_last_not_of(' ') + 1 - first);
  if (printed.find("NaN") != std::string::npos || printed.find("Inf") != std::string::npos) {
    const bool same = printed.find("NaN") != std::string::npos
                          ? std::isnan(value)
                          : std::isinf(value) && (value < 0) == (printed[0] == '-');
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << value << " is printed as '" << printed << "'";
  }
  const auto point = printed.find('.');
  const auto e = printed.find('E');
  if (point == std::string::npos) return ::testing::AssertionFailure() << "'" << printed << "'";
  const std::size_t end = e == std::string::npos ? printed.size() : e;
  const int digits = static_cast<int>(end - point - 1);
  const int exponent = e == std::string::npos ? 0 : std::atoi(printed.c_str() + e + 1);
  const double shown = std::strtod(printed.c_str(), nullptr);
  const double half_unit = 0.5 * std::pow(10.0, exponent - digits);
  const double tolerance = half_unit * (1.0 + 1e-9) + 1e-12 * std::fabs(shown);
  if (std::fabs(value - shown) <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << value << " is printed as '" << printed << "'";
}

// One "TIME =" block of vd.out: its time field and node rows (label and
// 12-wide fields as printed), from the top down.
struct VdBlock {
  std::string time;
  bool initial = false;
  std::vector<std::vector<std::string>> rows;
};

inline bool is_node_label(const std::string& text) {
  bool digit = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != ' ' && c != '*') {
      return false;
    }
  }
  return digit;
}

inline std::vector<VdBlock> vd_blocks(const ProgramRun& run) {
  std::vector<VdBlock> blocks;
  for (const std::string& line : run.lines("vd.out")) {
    if (line.rfind("TIME = ", 0) == 0) {
      blocks.push_back({line.substr(7), false, {}});
    } else if (!blocks.empty() && line.find("INITIAL STATE") != std::string::npos) {
      blocks.back().initial = true;
    } else if (!blocks.empty() && line.size() >= 4 + 12 * 5 && is_node_label(line.substr(0, 4))) {
      std::vector<std::string> row{line.substr(0, 4)};
      for (std::size_t at = 4; at + 12 <= line.size(); at += 12) row.push_back(line.substr(at, 12));
      blocks.back().rows.push_back(row);
    }
  }
  return blocks;
}

// The data lines of ts.out (6 x E11.4) as printed.
inline std::vector<std::vector<std::string>> ts_lines(const ProgramRun& run) {
  std::vector<std::vector<std::string>> out;
  const auto lines = run.lines("ts.out");
  for (std::size_t i = 3; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.size() != 66 || l.find("THE") != std::string::npos) continue;
    std::vector<std::string> fields;
    for (std::size_t at = 0; at < 66; at += 11) fields.push_back(l.substr(at, 11));
    out.push_back(fields);
  }
  return out;
}

// The data lines of tc.out (7 x F10.4, F10.7) as printed.
inline std::vector<std::vector<std::string>> tc_lines(const ProgramRun& run) {
  std::vector<std::vector<std::string>> out;
  const auto lines = run.lines("tc.out");
  for (std::size_t i = 2; i < lines.size(); ++i) {
    std::vector<std::string> fields;
    for (std::size_t at = 0; at + 10 <= lines[i].size(); at += 10) {
      fields.push_back(lines[i].substr(at, 10));
    }
    out.push_back(fields);
  }
  return out;
}

}  // namespace slurry1d::e2e
