#pragma once

// The table of a study: one row per run with the answers that differ between
// the runs, the final height and settlement, the time to 90 % of the final
// settlement and how the run ended; and summary.csv, the same table as data.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "compare/study_run.hpp"
#include "report/run_facts.hpp"
#include "report/run_results.hpp"

namespace slurry1d::compare {

// The names of the answers whose values are not the same in every run (an
// answer some runs lack counts as varied), in the order the runs list them.
std::vector<std::string> varied_answer_names(std::span<const StudyRun> runs);

// The time after the start (the first row of the history) at which the
// settlement first reaches `fraction` of the final settlement (the last
// row's), interpolated linearly between the rows of the history. None when
// the history is empty or the final settlement is zero or not finite.
std::optional<double> time_to_settlement_fraction(const report::History& history, double fraction);

struct StudyRow {
  std::string run;  // the directory as given
  // Per varied answer: the run's values (none when it lacks the answer).
  std::vector<std::optional<std::vector<double>>> varied;
  // The answer of a run that gave one; none for a run that failed or was
  // interrupted.
  std::optional<double> final_height, settlement, time_to_90_percent;
  report::RunEnd end;
  bool drawn = false;  // the run has curves in the charts
};

struct StudyTable {
  std::vector<std::string> varied_names;
  std::vector<StudyRow> rows;  // in the order of the runs
  report::Units units;         // of the first run
};

StudyTable build_study_table(std::span<const StudyRun> runs);

// The runs in the order of their varied answers (the first varied answer
// first, numerically), runs of equal answers in the order given: a study's
// table then reads like its matrix.
std::vector<StudyRun> in_study_order(std::vector<StudyRun> runs);

// summary.csv: a header row, then one row per run. Columns: run, each varied
// answer by its name (a list's values separated by blanks), final_height,
// settlement, time_to_90_percent_settlement, end_reason, exit_status,
// end_time. Numbers in the shortest form that reads back to the same
// double; an empty field where a run has no value.
std::string summary_csv(const StudyTable& table);

// A number in the shortest form that reads back to the same double.
std::string shortest_number(double v);

// A number as the page and the console show it: six significant digits at
// most, an exponent without its padding ("3.4e-7", "1.5e6", "29650").
std::string display_number(double v);

}  // namespace slurry1d::compare
