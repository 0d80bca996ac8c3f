#pragma once

// Test scaffolding until runs write their results as data: turns the legacy
// files of a finished run ("input", "vd.out", "ts.out", "tc.out" and the
// console) into the result tables the report reads (history.csv at the output
// times only, profiles.csv at the reported nodes, steady.csv, cracks.csv) and
// the facts the program would hand over in memory.

#include <filesystem>
#include <string>

#include "report/run_facts.hpp"

namespace slurry1d::browser_test {

// Writes the tables into `dir` (where the legacy files are) and returns the
// facts; `exit_status` is the program's. Throws std::runtime_error on a file
// it cannot read.
report::RunFacts convert_legacy_run(const std::filesystem::path& dir, const std::string& name,
                                    int exit_status);

}  // namespace slurry1d::browser_test
