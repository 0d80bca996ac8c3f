#include "results/summary_json.hpp"

#include <cmath>
#include <cstdio>
#include <span>
#include <vector>

#include "output/fields.hpp"

namespace slurry1d::results {
namespace {

std::string json_number(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[40];
  const int n = render_free_real(std::span<char>(buf, sizeof buf), v);
  return std::string(buf, static_cast<std::size_t>(n));
}

std::string json_number(const std::optional<double>& v) {
  return v ? json_number(*v) : "null";
}

std::string json_array(const std::vector<double>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ", ";
    out += json_number(values[i]);
  }
  return out + "]";
}

// "name": value, one per line, at the indentation of an object's members.
std::string named_values(const std::vector<report::NamedValue>& values) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const report::NamedValue& v = values[i];
    out += "    " + json_string(v.name) + ": ";
    if (v.list || v.values.size() != 1) {
      out += json_array(v.values);
    } else {
      out += json_number(v.values.front());
    }
    out += i + 1 < values.size() ? ",\n" : "\n";
  }
  return out;
}

std::string end_object(const report::RunEnd& end) {
  return "{\n    \"reason\": " + json_string(end.reason) +
         ",\n    \"message\": " + json_string(end.message) +
         ",\n    \"time\": " + json_number(end.time) +
         ",\n    \"exit_status\": " + std::to_string(end.exit_status) +
         ",\n    \"output_times_not_reached\": " + json_array(end.output_times_not_reached) +
         "\n  }";
}

}  // namespace

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string summary_json(const report::RunFacts& facts, const SummaryFigures& figures) {
  std::string out = "{\n";
  out += "  \"program\": \"slurry1d\",\n";
  out += "  \"version\": " + json_string(SLURRY1D_VERSION) + ",\n";
  if (!facts.name.empty()) out += "  \"name\": " + json_string(facts.name) + ",\n";
  out += "  \"answers\": {\n" + named_values(facts.answers) + "  },\n";
  out += "  \"derived\": {\n" + named_values(facts.derived) + "  },\n";
  out += "  \"end\": " + end_object(facts.end) + ",\n";
  out += "  \"final_height\": " + json_number(figures.final_height) + ",\n";
  out += "  \"settlement\": " + json_number(figures.settlement) + ",\n";
  out += "  \"run_time_seconds\": " + json_number(figures.run_time_seconds) + "\n";
  return out + "}\n";
}

}  // namespace slurry1d::results
