#pragma once

// A run's results as the report and comparisons use them, read back from the
// files the run wrote into its output directory: history.csv, profiles.csv
// and, when the run has them, steady.csv and cracks.csv.

#include <filesystem>
#include <istream>
#include <optional>
#include <vector>

namespace slurry1d::report {

// The starting state and every accepted step.
struct History {
  std::vector<double> time, height, settlement, placed_height, crust_thickness, crack_depth;
};

enum class ProfileEvent { Start, Output, End };

// The column at one moment: one entry per node, from the base up.
struct ProfileSnapshot {
  double time = 0.0;
  ProfileEvent event = ProfileEvent::Output;
  std::vector<double> elevation, void_ratio, effective_stress, excess_pore_pressure;
};

struct SteadyProfile {
  std::vector<double> elevation, void_ratio, effective_stress;
};

// The crack records of a desiccation run.
struct CrackRecords {
  std::vector<double> time, crack_depth, soil_volume, crack_volume, fluid_volume;
};

struct RunResults {
  History history;
  std::vector<ProfileSnapshot> profiles;  // in the order written
  std::optional<SteadyProfile> steady;
  std::optional<CrackRecords> cracks;
};

// Each reader throws ResultFileError (result_table.hpp) naming the file.
History read_history(std::istream& in);
std::vector<ProfileSnapshot> read_profiles(std::istream& in);
SteadyProfile read_steady(std::istream& in);
CrackRecords read_cracks(std::istream& in);

// history.csv and profiles.csv must be there; steady.csv and cracks.csv are
// read when present.
RunResults read_run_results(const std::filesystem::path& dir);

}  // namespace slurry1d::report
