#include "browser/legacy_results.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace slurry1d::browser_test {
namespace {

using report::NamedValue;
using report::RunFacts;

std::vector<std::string> lines_of(const std::filesystem::path& path, bool required = true) {
  std::ifstream in(path);
  if (!in && required) throw std::runtime_error(path.string() + ": cannot be opened");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::optional<double> number(const std::string& token) {
  if (token.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(token.c_str(), &end);
  if (end != token.c_str() + token.size()) return std::nullopt;
  return v;
}

// An echo record: its leading numbers and the words after them.
std::pair<std::vector<double>, std::string> echo_record(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> values;
  std::string token, label;
  while (in >> token) {
    if (const auto v = number(token); v && label.empty()) {
      values.push_back(*v);
    } else {
      label += (label.empty() ? "" : " ") + token;
    }
  }
  return {values, label};
}

class Answers {
 public:
  void add(const std::string& name, double v) {
    for (auto& a : list_) {
      if (a.name == name) {
        a.values.push_back(v);
        return;
      }
    }
    list_.push_back({name, {v}});
  }
  double get(const std::string& name, double fallback = 0) const {
    const auto values = all(name);
    return values.empty() ? fallback : values.front();
  }
  std::vector<double> all(const std::string& name) const {
    for (const auto& a : list_) {
      if (a.name == name) return a.values;
    }
    return {};
  }
  const std::vector<NamedValue>& list() const { return list_; }

 private:
  std::vector<NamedValue> list_;
};

Answers answers_from_echo(const std::vector<std::string>& echo) {
  const std::map<std::string, std::vector<std::string>> names = {
      {"A1,B1,C,D,Z1", {"A1", "B1", "C", "D", "Z1"}},
      {"3-D DESSICATION STATUS", {"IDES"}},
      {"A2,B2:3-D SHRINKAGE PARAMETERS", {"A2", "B2"}},
      {"CRACKING FUNCTION PARAMETERS, a,b,c,d", {"CRA", "CRB", "CRC", "CRD"}},
      {"CRACK-WALL LOSS PARAMETER", {"ETA"}},
      {"CRUST VOID RATIO", {"CV"}},
      {"SPECIFIC GRAVITY OF SOLIDS", {"GS"}},
      {"UNIT WEIGHT OF WATER", {"GW"}},
      {"INITIAL HEIGHT OF SOIL", {"H0"}},
      {"STAGE FILLING STATUS", {"IFIL"}},
      {"NUMBER OF FILLING STAGES", {"NS"}},
      {"BEGINNING TIME,ENDING TIME,HEIGHTS OR RATES", {"TBF", "TEF", "FRH"}},
      {"TOP BOUNDARY CONDITION", {"ITOP"}},
      {"BOTTOM BOUNDARY CONDITION", {"IBOT"}},
      {"MINIMUM VOID RATIO", {"ME"}},
      {"STARTING TIME", {"TS"}},
      {"NUMBER OF OUTPUT FILES", {"NO"}},
      {"SPECIFIED TIME FOR OUTPUT", {"OPT"}},
      {"MAXIMUM TIME INTERVAL", {"MAXDT"}},
      {"INITIAL STATUS", {"ICONT"}},
      {"NUMBER OF NODAL VOID RATIO-ELEVATION", {"ND"}},
  };
  Answers a;
  for (const std::string& line : echo) {
    const auto [values, label] = echo_record(line);
    if (label == "NUMBER OF NODE") break;  // the final profile follows
    if (label == "TOP BOUNDARY CONDITION VALUES") {
      a.add(a.get("ITOP") == 1 ? "VT" : "LT", values.at(0));
      continue;
    }
    if (label == "BOTTOM BOUNDARY CONDITION VALUES") {
      a.add(a.get("IBOT") == 2 ? "HB" : "VB", values.at(0));
      continue;
    }
    const auto it = names.find(label);
    if (it == names.end()) continue;
    for (std::size_t i = 0; i < it->second.size() && i < values.size(); ++i) {
      a.add(it->second[i], values[i]);
    }
  }
  return a;
}

// Fixed-width numeric fields (ts.out and tc.out glue a negative value to the
// one before it); empty when a field is not a number.
std::vector<double> fixed_fields(const std::string& line, std::size_t count, std::size_t width) {
  if (line.size() < count * width) return {};
  std::vector<double> fields;
  for (std::size_t k = 0; k < count; ++k) {
    std::istringstream field(line.substr(k * width, width));
    double v = 0;
    std::string rest;
    if (!(field >> v) || (field >> rest)) return {};
    fields.push_back(v);
  }
  return fields;
}

struct Block {
  double time = 0;
  bool initial = false;
  std::vector<std::vector<double>> rows;  // from the top down, fields after the label
};

// The "TIME =" blocks of vd.out: node rows are a 4-wide label and 12-wide fields.
std::vector<Block> vd_blocks(const std::vector<std::string>& lines) {
  std::vector<Block> blocks;
  for (const std::string& line : lines) {
    if (line.rfind("TIME =", 0) == 0) {
      blocks.push_back({std::strtod(line.c_str() + 6, nullptr), blocks.empty(), {}});
      continue;
    }
    if (blocks.empty() || line.size() < 4 + 12 * 5 || !number(line.substr(0, 4).c_str())) continue;
    std::vector<double> fields;
    for (std::size_t at = 4; at + 12 <= line.size(); at += 12) {
      std::istringstream field(line.substr(at, 12));
      double v = 0;
      field >> v;
      fields.push_back(v);
    }
    blocks.back().rows.push_back(fields);
  }
  return blocks;
}

std::string csv(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

double placed_height(const Answers& a, double t) {
  double placed = a.get("H0");
  const auto tbf = a.all("TBF"), tef = a.all("TEF"), frh = a.all("FRH");
  for (std::size_t s = 0; s < tbf.size(); ++s) {
    if (tbf[s] == tef[s]) {
      if (t >= tbf[s]) placed += frh[s];
    } else {
      placed += frh[s] * std::clamp(t - tbf[s], 0.0, tef[s] - tbf[s]);
    }
  }
  return a.get("IFIL") == 1 ? placed : 0.0;
}

}  // namespace

report::RunFacts convert_legacy_run(const std::filesystem::path& dir, const std::string& name,
                                    int exit_status) {
  const Answers a = answers_from_echo(lines_of(dir / "input"));
  const double A1 = a.get("A1"), B1 = a.get("B1"), C = a.get("C"), D = a.get("D"), Z1 = a.get("Z1"),
               GW = a.get("GW");
  const bool desiccation = a.get("IDES") == 1;
  const auto stress_of = [&](double e) { return std::pow(e / A1, 1 / B1) - Z1; };

  // tc.out: the crack records, after two heading lines.
  std::vector<std::vector<double>> cracks;
  for (const std::string& line : lines_of(dir / "tc.out", false)) {
    if (auto values = fixed_fields(line, 8, 10); !values.empty()) cracks.push_back(values);
  }
  const auto crack_depth_at = [&](double t) {
    double depth = 0;
    for (const auto& c : cracks) {
      if (c[0] <= t) depth = c[1];
    }
    return depth;
  };

  // ts.out: one line of 6 fields per report.
  std::ofstream history(dir / "history.csv");
  history << "time,height,settlement,placed_height,outflow_top,outflow_base,crust_thickness,"
             "crack_depth,nodes,step,passes\n";
  double first_height = NAN, last_time = 0;
  for (const std::string& line : lines_of(dir / "ts.out")) {
    const auto v = fixed_fields(line, 6, 11);
    if (v.empty()) continue;
    if (std::isnan(first_height)) first_height = v[1];
    history << csv(v[0]) << ',' << csv(v[1]) << ',' << csv(first_height - v[1]) << ','
            << csv(placed_height(a, v[0])) << ',' << csv(v[3]) << ',' << csv(v[4]) << ','
            << csv(v[5]) << ',' << csv(crack_depth_at(v[0])) << ",0,0,0\n";
    last_time = v[0];
  }

  const std::vector<Block> blocks = vd_blocks(lines_of(dir / "vd.out"));
  const std::vector<double> opt = a.all("OPT");
  const auto is_output = [&](double t) {
    for (const double o : opt) {
      if (std::abs(o - t) <= 1e-6 * std::max(1.0, std::abs(o))) return true;
    }
    return false;
  };
  std::ofstream profiles(dir / "profiles.csv");
  profiles << "time,event,node,elevation,void_ratio,solid_content,effective_stress,"
              "pore_pressure,excess_pore_pressure,permeability,shrinkage_factor\n";
  const auto write_block = [&](const Block& b, const char* event) {
    const double top = b.rows.empty() ? 0 : b.rows.front()[0];
    int node = 1;
    for (auto r = b.rows.rbegin(); r != b.rows.rend(); ++r, ++node) {
      const double z = (*r)[0], e = (*r)[1], u = (*r)[3];
      const double excess = desiccation ? NAN : u - GW * (top - z);
      const double alpha = b.initial ? 1.0 : (*r)[4];
      profiles << csv(b.time) << ',' << event << ',' << node << ',' << csv(z) << ',' << csv(e)
               << ',' << csv((*r)[2]) << ',' << csv(stress_of(e)) << ',' << csv(u) << ','
               << csv(excess) << ',' << csv(C * std::pow(e, D)) << ',' << csv(alpha) << '\n';
    }
  };
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const bool last = i + 1 == blocks.size();
    if (i == 0) {
      write_block(blocks[i], "start");
    } else if (is_output(blocks[i].time)) {
      write_block(blocks[i], "output");
      if (last) write_block(blocks[i], "end");
    } else {
      write_block(blocks[i], "end");
    }
  }

  // The steady state stands beside the starting table of a new run without desiccation.
  const bool steady = !desiccation && a.get("ICONT") == 2 && !blocks.empty();
  std::filesystem::remove(dir / "steady.csv");
  if (steady) {
    std::ofstream out(dir / "steady.csv");
    out << "node,elevation,void_ratio,effective_stress,permeability\n";
    int node = 1;
    for (auto r = blocks[0].rows.rbegin(); r != blocks[0].rows.rend(); ++r, ++node) {
      const double z = (*r)[4], e = (*r)[5];
      out << node << ',' << csv(z) << ',' << csv(e) << ',' << csv(stress_of(e)) << ','
          << csv(C * std::pow(e, D)) << '\n';
    }
  }
  std::filesystem::remove(dir / "cracks.csv");
  if (desiccation) {
    std::ofstream out(dir / "cracks.csv");
    out << "time,crack_depth,soil_height,soil_volume,crack_volume,fluid_volume,side_wall_loss,"
           "volume_loss_rate\n";
    for (const auto& c : cracks) {
      for (std::size_t k = 0; k < c.size(); ++k) out << (k ? "," : "") << csv(c[k]);
      out << '\n';
    }
  }

  RunFacts f;
  f.name = name;
  f.answers = a.list();
  const double E0 = A1 * std::pow(Z1, B1);
  f.derived = {{"E0", {E0}}, {"K0", {C * std::pow(E0, D)}}};
  if (!std::isnan(first_height)) f.derived.push_back({"starting_height", {first_height}});
  f.units = {"m", "days", "kPa", "kN/m³", "m/day"};
  f.end.exit_status = exit_status;
  f.end.time = last_time;
  std::string minimum;
  for (const std::string& line : lines_of(dir / "console.txt", false)) {
    if (line.find("PROGRAM STOPS FOR REACHING MINIMUM VOID RATIO") != std::string::npos) {
      minimum = line;
    }
  }
  if (!opt.empty() && std::abs(opt.back() - last_time) <= 1e-6 * opt.back()) {
    f.end.reason = "last_output_time";
  } else if (!minimum.empty()) {
    f.end.reason = "minimum_void_ratio";
    f.end.message = minimum.substr(minimum.find_first_not_of(' '));
  } else {
    f.end.reason = steady ? "steady_state_height" : "quiet_steps";
  }
  for (const double o : opt) {
    if (o > last_time * (1 + 1e-9)) f.end.output_times_not_reached.push_back(o);
  }
  return f;
}

}  // namespace slurry1d::browser_test
