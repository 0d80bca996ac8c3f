#pragma once

// Run directories of a made-up study, written as a run made with --csv
// writes them: summary.json, history.csv, profiles.csv and steady.csv. A run
// of a 2 m layer settles as s(t) = S (1 - exp(-t / T)), with S and T set by
// the run; its column has five nodes. A failed run leaves summary.json only;
// an interrupted run leaves its tables up to the interruption.

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace slurry1d::test {

inline std::string shortest(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

struct MadeUpRun {
  double C = 1e-6;
  double D = 4.0;
  double final_settlement = 0.5;  // S
  double time_scale = 100.0;      // T
  int exit_status = 0;
  std::string reason = "last_output_time";
  double end_time = 1000.0;
  std::string extra_answers;  // appended to the answers object, e.g. ", \"HB\": 1"
  std::string units;          // a "units" member, e.g. "\"units\": {...}, "
};

// A run of a study of C and D: the larger C, the faster it settles; the
// larger D, the more.
inline MadeUpRun made_up(double C, double D) {
  MadeUpRun r;
  r.C = C;
  r.D = D;
  r.final_settlement = 0.1 * D;
  r.time_scale = 1e-4 / C;
  return r;
}

inline const std::vector<double>& made_up_times() {
  static const std::vector<double> times = {0, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
  return times;
}

inline double made_up_settlement(const MadeUpRun& r, double t) {
  return r.final_settlement * (1.0 - std::exp(-t / r.time_scale));
}

constexpr double MADE_UP_H0 = 2.0;

inline std::string made_up_summary(const MadeUpRun& r) {
  const double s = made_up_settlement(r, r.end_time);
  const bool column = r.exit_status == 0 || r.exit_status >= 128;
  return std::string("{\n  \"program\": \"slurry1d\",\n  \"version\": \"1.0.0\",\n  ") + r.units +
         "\"answers\": {\"A1\": 7.0, \"B1\": -0.2, \"C\": " + shortest(r.C) +
         ", \"D\": " + shortest(r.D) +
         ", \"Z1\": 0.1, \"IDES\": 2, \"GS\": 2.65, \"GW\": 9.81, \"H0\": 2, \"IFIL\": 2, "
         "\"ITOP\": 2, \"LT\": 0, \"IBOT\": 1, \"ME\": 1, \"TS\": 0, \"NO\": 3, "
         "\"OPT\": [10, 100, 1000], \"MAXDT\": 5, \"ICONT\": 2" +
         r.extra_answers +
         "},\n  \"derived\": {\"E0\": 11.094, \"K0\": 0.0103, \"solids_height\": 0.16},\n"
         "  \"end\": {\"reason\": \"" +
         r.reason + "\", \"message\": \"\", \"time\": " + shortest(r.end_time) +
         ", \"exit_status\": " + std::to_string(r.exit_status) +
         ", \"output_times_not_reached\": []},\n  \"final_height\": " +
         (column ? shortest(MADE_UP_H0 - s) : "null") +
         ",\n  \"settlement\": " + (column ? shortest(s) : "null") +
         ",\n  \"run_time_seconds\": 0.25\n}\n";
}

inline std::string made_up_history(const MadeUpRun& r) {
  std::string csv =
      "step,time,height,settlement,placed_height,top_outflow,base_outflow,crust_thickness,"
      "crack_depth,nodes,step_length,passes\n";
  int step = 0;
  double last = 0.0;
  for (const double t : made_up_times()) {
    if (t > r.end_time) break;
    const double s = made_up_settlement(r, t);
    csv += std::to_string(step++) + "," + shortest(t) + "," + shortest(MADE_UP_H0 - s) + "," +
           shortest(s) + "," + shortest(MADE_UP_H0) + "," + shortest(s) + ",0,0,0,5," +
           shortest(t - last) + ",3\n";
    last = t;
  }
  return csv;
}

inline std::string made_up_profile_rows(const MadeUpRun& r, double t, const char* event) {
  const double height = MADE_UP_H0 - made_up_settlement(r, t);
  std::string rows;
  for (int node = 1; node <= 5; ++node) {
    const double f = (node - 1) / 4.0;
    const double e = 11.0 - (1.0 - f) * 40.0 * made_up_settlement(r, t) / MADE_UP_H0;
    rows += shortest(t) + "," + event + "," + std::to_string(node) + "," + shortest(f * height) +
            "," + shortest(e) + ",0.2,1,10,1,1e-7,1\n";
  }
  return rows;
}

inline std::string made_up_profiles(const MadeUpRun& r) {
  std::string csv =
      "time,event,node,elevation,void_ratio,solid_content,effective_stress,pore_pressure,"
      "excess_pore_pressure,permeability,shrinkage_factor\n";
  csv += made_up_profile_rows(r, 0, "start");
  for (const double t : {10.0, 100.0, 1000.0}) {
    if (t <= r.end_time) csv += made_up_profile_rows(r, t, "output");
  }
  return csv + made_up_profile_rows(r, r.end_time, "end");
}

inline void write_text_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Writes the run into `dir` (created): all its tables when it gave its
// answer or was interrupted, summary.json alone when it failed.
inline void write_made_up_run(const std::filesystem::path& dir, const MadeUpRun& r) {
  std::filesystem::create_directories(dir);
  write_text_file(dir / "summary.json", made_up_summary(r));
  if (r.exit_status != 0 && r.exit_status < 128) return;
  write_text_file(dir / "history.csv", made_up_history(r));
  write_text_file(dir / "profiles.csv", made_up_profiles(r));
  write_text_file(dir / "steady.csv",
                  "node,elevation,void_ratio,effective_stress,pore_pressure,permeability\n"
                  "1,0,4,13,20,1e-9\n2,1.2,11,0,0,1e-7\n");
}

// A fresh directory under the system's temporary directory, removed with
// the object.
class TempDir {
 public:
  explicit TempDir(const std::string& name) {
    std::random_device seed;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate =
          std::filesystem::temp_directory_path() / (name + "-" + std::to_string(seed()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
    }
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace slurry1d::test
