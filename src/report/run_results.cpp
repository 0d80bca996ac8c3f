#include "report/run_results.hpp"

#include <fstream>
#include <string>

#include "report/result_table.hpp"

namespace slurry1d::report {
namespace {

std::vector<double> column(const ResultTable& t, const char* name) {
  const auto values = t.numbers(name);
  return {values.begin(), values.end()};
}

ProfileEvent event_named(const std::string& word, std::size_t row) {
  if (word == "start") return ProfileEvent::Start;
  if (word == "output") return ProfileEvent::Output;
  if (word == "end") return ProfileEvent::End;
  throw ResultFileError("profiles.csv line " + std::to_string(row + 2) + ": unknown event '" +
                        word + "'");
}

History history_from(const ResultTable& t) {
  return {column(t, "time"),          column(t, "height"),          column(t, "settlement"),
          column(t, "placed_height"), column(t, "crust_thickness"), column(t, "crack_depth")};
}

// Rows of one time and event, in a run, make one snapshot of the column.
std::vector<ProfileSnapshot> profiles_from(const ResultTable& t) {
  const auto time = t.numbers("time");
  const auto& event = t.words("event");
  const auto z = t.numbers("elevation");
  const auto e = t.numbers("void_ratio");
  const auto s = t.numbers("effective_stress");
  const auto u = t.numbers("excess_pore_pressure");
  std::vector<ProfileSnapshot> snapshots;
  for (std::size_t r = 0; r < t.rows(); ++r) {
    const ProfileEvent ev = event_named(event[r], r);
    if (snapshots.empty() || snapshots.back().time != time[r] || snapshots.back().event != ev) {
      snapshots.push_back({time[r], ev, {}, {}, {}, {}});
    }
    ProfileSnapshot& p = snapshots.back();
    p.elevation.push_back(z[r]);
    p.void_ratio.push_back(e[r]);
    p.effective_stress.push_back(s[r]);
    p.excess_pore_pressure.push_back(u[r]);
  }
  return snapshots;
}

SteadyProfile steady_from(const ResultTable& t) {
  return {column(t, "elevation"), column(t, "void_ratio"), column(t, "effective_stress")};
}

CrackRecords cracks_from(const ResultTable& t) {
  return {column(t, "time"), column(t, "crack_depth"), column(t, "soil_volume"),
          column(t, "crack_volume"), column(t, "fluid_volume")};
}

// The columns the report reads of each table; the others are passed over.
constexpr std::string_view HISTORY_COLUMNS[] = {"time",          "height",          "settlement",
                                                "placed_height", "crust_thickness", "crack_depth"};
constexpr std::string_view PROFILE_COLUMNS[] = {
    "time", "event", "elevation", "void_ratio", "effective_stress", "excess_pore_pressure"};
constexpr std::string_view STEADY_COLUMNS[] = {"elevation", "void_ratio", "effective_stress"};
constexpr std::string_view CRACK_COLUMNS[] = {"time", "crack_depth", "soil_volume", "crack_volume",
                                              "fluid_volume"};

}  // namespace

History read_history(std::istream& in) {
  return history_from(ResultTable::parse(in, "history.csv", HISTORY_COLUMNS));
}
std::vector<ProfileSnapshot> read_profiles(std::istream& in) {
  return profiles_from(ResultTable::parse(in, "profiles.csv", PROFILE_COLUMNS));
}
SteadyProfile read_steady(std::istream& in) {
  return steady_from(ResultTable::parse(in, "steady.csv", STEADY_COLUMNS));
}
CrackRecords read_cracks(std::istream& in) {
  return cracks_from(ResultTable::parse(in, "cracks.csv", CRACK_COLUMNS));
}

RunResults read_run_results(const std::filesystem::path& dir) {
  RunResults r;
  r.history = history_from(ResultTable::read(dir / "history.csv", HISTORY_COLUMNS));
  r.profiles = profiles_from(ResultTable::read(dir / "profiles.csv", PROFILE_COLUMNS));
  if (std::filesystem::exists(dir / "steady.csv")) {
    r.steady = steady_from(ResultTable::read(dir / "steady.csv", STEADY_COLUMNS));
  }
  if (std::filesystem::exists(dir / "cracks.csv")) {
    r.cracks = cracks_from(ResultTable::read(dir / "cracks.csv", CRACK_COLUMNS));
  }
  return r;
}

}  // namespace slurry1d::report
