#include "compare/study_table.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "output/fields.hpp"

namespace slurry1d::compare {
namespace {

const std::vector<double>* values_of(const StudyRun& run, const std::string& name) {
  for (const report::NamedValue& a : run.summary.answers) {
    if (a.name == name) return &a.values;
  }
  return nullptr;
}

// Equal to the bit where it matters: two NaN count as the same answer.
bool same_values(const std::vector<double>& a, const std::vector<double>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); });
}

bool varies(std::span<const StudyRun> runs, const std::string& name) {
  const std::vector<double>* first = values_of(runs.front(), name);
  return std::any_of(runs.begin() + 1, runs.end(), [&](const StudyRun& r) {
    const std::vector<double>* v = values_of(r, name);
    if (first == nullptr || v == nullptr) return first != v;
    return !same_values(*first, *v);
  });
}

// Orders two runs by one answer: numerically, element by element; a run
// without the answer after those with it. -1, 0 or 1.
int order_by(const std::vector<double>* a, const std::vector<double>* b) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? 1 : -1);
  const std::size_t n = std::min(a->size(), b->size());
  for (std::size_t i = 0; i < n; ++i) {
    if ((*a)[i] < (*b)[i]) return -1;
    if ((*b)[i] < (*a)[i]) return 1;
  }
  return a->size() < b->size() ? -1 : (a->size() > b->size() ? 1 : 0);
}

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string optional_number(const std::optional<double>& v) {
  return v ? shortest_number(*v) : std::string();
}

std::string values_field(const std::optional<std::vector<double>>& values) {
  if (!values) return {};
  std::string text;
  for (const double v : *values) {
    if (!text.empty()) text += ' ';
    text += shortest_number(v);
  }
  return text;
}

}  // namespace

std::string shortest_number(double v) {
  return format_free_real(v);
}

std::string display_number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  std::string text = buf;
  const auto e = text.find('e');
  if (e == std::string::npos) return text;
  std::string exponent = text.substr(e + 1);
  const bool negative = exponent[0] == '-';
  exponent.erase(0, exponent.find_first_not_of("+-0"));
  return text.substr(0, e + 1) + (negative ? "-" : "") + (exponent.empty() ? "0" : exponent);
}

std::vector<std::string> varied_answer_names(std::span<const StudyRun> runs) {
  std::vector<std::string> names;
  if (runs.empty()) return names;
  for (const StudyRun& run : runs) {
    for (const report::NamedValue& a : run.summary.answers) {
      if (std::find(names.begin(), names.end(), a.name) == names.end() && varies(runs, a.name)) {
        names.push_back(a.name);
      }
    }
  }
  return names;
}

std::optional<double> time_to_settlement_fraction(const report::History& h, double fraction) {
  const std::size_t n = std::min(h.time.size(), h.settlement.size());
  if (n == 0) return std::nullopt;
  const double final_settlement = h.settlement[n - 1];
  if (final_settlement == 0.0 || !std::isfinite(final_settlement)) return std::nullopt;
  // The degree of settlement u = s / s_final, so that a layer that swells (a
  // negative settlement) is measured the same way.
  const double start = h.time[0];
  for (std::size_t i = 0; i < n; ++i) {
    const double u = h.settlement[i] / final_settlement;
    if (!std::isfinite(u) || !std::isfinite(h.time[i]) || u < fraction) continue;
    if (i == 0) return 0.0;
    const double u0 = h.settlement[i - 1] / final_settlement;
    if (!std::isfinite(u0) || u == u0) return h.time[i] - start;
    const double t0 = h.time[i - 1], t1 = h.time[i];
    return t0 + (fraction - u0) / (u - u0) * (t1 - t0) - start;
  }
  return std::nullopt;
}

std::vector<StudyRun> in_study_order(std::vector<StudyRun> runs) {
  const std::vector<std::string> names = varied_answer_names(runs);
  std::stable_sort(runs.begin(), runs.end(), [&](const StudyRun& a, const StudyRun& b) {
    for (const std::string& name : names) {
      if (const int o = order_by(values_of(a, name), values_of(b, name)); o != 0) return o < 0;
    }
    return false;
  });
  return runs;
}

StudyTable build_study_table(std::span<const StudyRun> runs) {
  StudyTable table;
  table.varied_names = varied_answer_names(runs);
  if (!runs.empty()) table.units = runs.front().summary.units;
  for (const StudyRun& run : runs) {
    StudyRow row;
    row.run = run.name;
    for (const std::string& name : table.varied_names) {
      const std::vector<double>* v = values_of(run, name);
      row.varied.push_back(v ? std::optional(*v) : std::nullopt);
    }
    row.end = run.summary.end;
    if (run.gave_answer()) {
      row.final_height = run.summary.final_height;
      row.settlement = run.summary.settlement;
      if (run.history) row.time_to_90_percent = time_to_settlement_fraction(*run.history, 0.9);
      row.drawn = run.history.has_value() || run.final_profile.has_value();
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

std::string summary_csv(const StudyTable& table) {
  std::string csv = "run";
  for (const std::string& name : table.varied_names) csv += "," + csv_field(name);
  csv += ",final_height,settlement,time_to_90_percent_settlement,end_reason,exit_status,end_time\n";
  for (const StudyRow& row : table.rows) {
    csv += csv_field(row.run);
    for (const auto& values : row.varied) csv += "," + values_field(values);
    csv += "," + optional_number(row.final_height) + "," + optional_number(row.settlement) + "," +
           optional_number(row.time_to_90_percent) + "," + csv_field(row.end.reason) + "," +
           std::to_string(row.end.exit_status) + "," + optional_number(row.end.time) + "\n";
  }
  return csv;
}

}  // namespace slurry1d::compare
