#pragma once

// The program after its command line: the answers from the file named or
// from standard input, every file of the run in the output directory, the
// console on standard output or in console.txt, the progress line and the
// line on how the run ended on standard error, and the run itself (with
// --verify, its verification).

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "driver/command_line.hpp"

namespace slurry1d::program {

// The names of every file the run writes into the output directory: the four
// of every run, console.txt with --quiet, verify.csv with --verify. A feature
// that writes files of its own adds their names here, so that an answer file
// among them is refused before any file is created.
std::vector<std::string> files_of_run(const ProgramOptions& options);

// Runs the case the options describe, `console` being standard output and
// `errors` standard error. Returns the exit status: the run's, 2 for an
// answer file that cannot be read or is one of the files the run writes, 4
// for an output directory or console.txt that cannot be created or written.
int run_case(const ProgramOptions& options, std::ostream& console, std::ostream& errors);

}  // namespace slurry1d::program
