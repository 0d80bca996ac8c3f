#pragma once

// summary.json: one JSON object with the program and its version, every
// answer by its name (lists as arrays), the derived constants, how the run
// ended, the final height and settlement, and the run time. Numbers are in
// the shortest form that reads back to the same double; a value that is not
// finite or not known is null.

#include <optional>
#include <string>
#include <string_view>

#include "report/run_facts.hpp"

namespace slurry1d::results {

// What the summary tells beside the facts.
struct SummaryFigures {
  std::optional<double> final_height;  // height of the layer at the end
  std::optional<double> settlement;    // at the end, as history.csv measures it
  double run_time_seconds = 0.0;
};

std::string summary_json(const report::RunFacts& facts, const SummaryFigures& figures);

// A JSON string literal of the text: quoted, with quotes, backslashes and
// control characters escaped.
std::string json_string(std::string_view text);

}  // namespace slurry1d::results
