#include "program/run_report.hpp"

#include <filesystem>
#include <system_error>

#include "report/report.hpp"
#include "verify/verify_output.hpp"

namespace slurry1d::program {

namespace fs = std::filesystem;

std::string run_name(const ProgramOptions& options) {
  if (options.answers_file) return options.answers_file->stem().string();
  std::error_code error;
  fs::path dir = fs::weakly_canonical(fs::absolute(options.output_dir, error), error);
  if (!dir.has_filename()) dir = dir.parent_path();  // "runs/case/"
  const std::string name = dir.filename().string();
  return error || name.empty() ? std::string("run") : name;
}

namespace {

// A unit of time as it reads after "per": "days" -> "day", "hours" ->
// "hour"; "s" and "ms" stay.
std::string singular(const std::string& unit) {
  if (unit.size() > 2 && unit.back() == 's') return unit.substr(0, unit.size() - 1);
  return unit;
}

}  // namespace

report::Units report_units(const UnitNames& names) {
  report::Units units;
  if (names.length.empty()) return units;
  units.length = names.length;
  units.time = names.time;
  units.stress = names.stress;
  units.unit_weight = names.unit_weight;
  units.velocity = names.length + "/" + singular(names.time);
  return units;
}

report::RunFacts report_facts(const ProgramOptions& options, const results::CsvResults& csv,
                              const verify::VerifyTable* verified, int status) {
  report::RunFacts facts = csv.facts();
  facts.name = run_name(options);
  facts.units = report_units(options.units);
  facts.end.exit_status = status;
  if (verified != nullptr) {
    facts.accuracy_section =
        verify::report_section(*verified, facts.units.time, facts.units.length);
  }
  return facts;
}

int write_run_report(const ProgramOptions& options, const results::CsvResults& csv,
                     const verify::VerifyTable* verified, int status, RecordWriter& errors) {
  if (!csv.column_built()) return status;
  const report::ReportOutcome outcome =
      report::write_report(options.output_dir, report_facts(options, csv, verified, status));
  if (outcome.ok()) return status;
  errors.write_text("slurry1d: the report could not be written: " + outcome.error);
  return status == 0 ? 4 : status;
}

}  // namespace slurry1d::program
