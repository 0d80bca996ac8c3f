#pragma once

// The report of a run: reads the result tables the run wrote into its
// directory, draws the charts and writes report.html there, with every chart
// also as charts/<name>.svg.
//
//   report::RunFacts facts{...};              // answers, end, units
//   const auto outcome = report::write_report(output_dir, facts);
//   if (!outcome.ok()) { message outcome.error; exit status 4 }

#include <filesystem>
#include <string>
#include <vector>

#include "report/run_facts.hpp"

namespace slurry1d::report {

// The page's name in the output directory; the charts go into charts/.
inline constexpr const char* REPORT_HTML = "report.html";

enum class ReportProblem {
  None,
  UnreadableResults,  // a result table is missing or malformed
  CannotWrite,        // report.html or a chart file could not be written
};

struct ReportOutcome {
  ReportProblem problem = ReportProblem::None;
  std::string error;                         // names the file, when there is a problem
  std::vector<std::filesystem::path> files;  // written, report.html first
  bool ok() const { return problem == ReportProblem::None; }
};

ReportOutcome write_report(const std::filesystem::path& run_dir, const RunFacts& facts);

}  // namespace slurry1d::report
