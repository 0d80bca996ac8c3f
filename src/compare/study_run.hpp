#pragma once

// One run of a study, read back from the directory a run made with --csv
// left behind: summary.json (the answers and how the run ended, which makes
// the directory a run's) and, for a run that gave its answer, its curves from
// history.csv and the final profile from profiles.csv.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "report/run_facts.hpp"
#include "report/run_results.hpp"

namespace slurry1d::compare {

// A directory that is not a run's, or whose files cannot be read; the
// message says which file and why.
class RunDirectoryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What summary.json says of a run.
struct RunSummary {
  std::vector<report::NamedValue> answers;  // in the order written; a null answer has no values
  report::RunEnd end;
  std::optional<double> final_height;  // null in the summary of a run stopped before its column
  std::optional<double> settlement;
  report::Units units;  // from an optional "units" object; else the dimensions
};

// A run's end as written at its end: the column of the last profile (the
// "end" snapshot of profiles.csv, or the last one written).
struct FinalProfile {
  double time = 0.0;
  std::vector<double> elevation, void_ratio;
};

struct StudyRun {
  std::string name;  // the directory as given
  RunSummary summary;
  // Read for the runs that gave their answer only: the curves of a run that
  // failed or was interrupted are not drawn beside the answers of the others.
  std::optional<report::History> history;
  std::optional<FinalProfile> final_profile;

  bool gave_answer() const { return summary.end.exit_status == 0; }
};

// Reads the text of a summary.json; throws RunDirectoryError (or JsonError,
// json.hpp, for text that is not JSON).
RunSummary parse_run_summary(std::string_view text);

// The last snapshot of a run's profiles: its "end" snapshot when it has one.
std::optional<FinalProfile> final_profile_of(const std::vector<report::ProfileSnapshot>& profiles);

// Reads the run in `dir`, named `name` in the table and the legends. Throws
// RunDirectoryError naming the file that is missing or unreadable.
StudyRun read_study_run(const std::filesystem::path& dir, const std::string& name);

}  // namespace slurry1d::compare
