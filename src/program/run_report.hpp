#pragma once

// The report of a run made with --report: report.html and charts/*.svg in
// the output directory, drawn from the tables the run wrote there, with the
// facts the run handed over (its answers, the values derived from them, how it
// ended) and, after --verify, the table of the verification.
//
//   status = write_run_report(options, csv, verified_table, status, out.errors);

#include <string>

#include "driver/command_line.hpp"
#include "output/record_writer.hpp"
#include "report/run_facts.hpp"
#include "results/csv_results.hpp"
#include "verify/comparison.hpp"

namespace slurry1d::program {

// The name the page gives the run: the answer file without its extension, or
// the name of the output directory when the answers came on standard input.
std::string run_name(const ProgramOptions& options);

// The units of the page: those --units names, else the dimensions.
report::Units report_units(const UnitNames& names);

// The facts the page shows: the run's own, named, in the units of --units,
// with the program's exit status and, when given, the accuracy section of the
// verification.
report::RunFacts report_facts(const ProgramOptions& options, const results::CsvResults& csv,
                              const verify::VerifyTable* verified, int status);

// Writes the report when the run built its column (every end after that,
// failed and interrupted ones too); `verified` is the verification's table,
// null without one. Returns the exit status: `status`, or 4 instead of 0 when
// the report could not be written (the message on `errors`).
int write_run_report(const ProgramOptions& options, const results::CsvResults& csv,
                     const verify::VerifyTable* verified, int status, RecordWriter& errors);

}  // namespace slurry1d::program
