#pragma once

// The command line of the program:
//
//   slurry1d [options] [ANSWERS]     the case answered by the file ANSWERS
//   slurry1d [options] < ANSWERS     ... or by standard input (a terminal: a person)
//   slurry1d compare ...             a subcommand (driver/subcommands.hpp)
//
// Every option is one row of the option table in command_line.cpp and, where
// it sets something, one member of ProgramOptions: a new flag is a bool
// member here and a row there.

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>

#include "driver/answer_overrides.hpp"
#include "model/run_controls.hpp"

namespace slurry1d {

// What the command line asks of the program.
struct ProgramOptions {
  // --nodes N, --step-factor F: how finely the case is resolved.
  RunControls controls;
  // --verify: the run as given, refined, and their comparison.
  bool verify = false;
  // --csv: the results as data (history.csv, profiles.csv, steady.csv,
  // cracks.csv, summary.json) in the output directory beside the legacy files.
  bool csv = false;
  // -o DIR, --output-dir DIR: the directory every file of the run goes into,
  // created when missing; "." (the current directory) without the option.
  // Observers that write files of their own write them here.
  std::filesystem::path output_dir = ".";
  bool output_dir_given = false;
  // --set NAME=VALUE (repeatable): answers that replace the dialog's.
  AnswerOverrides overrides;
  // --quiet: the console goes into console.txt in the output directory
  // instead of standard output (the prompts of a dialog at a terminal stay
  // on the screen).
  bool quiet = false;
  // ANSWERS: the answer file; without it (or with "-") the answers are read
  // from standard input.
  std::optional<std::filesystem::path> answers_file;
  // --help, --version: print and end.
  bool help = false;
  bool version = false;

  // Whether an option of the ways of running a case (an answer file named on
  // the command line, -o, --set, --quiet) is given: the program then says on
  // stderr how and when the run ended, wherever stderr goes.
  bool says_how_the_run_ended() const {
    return answers_file.has_value() || output_dir_given || !overrides.empty() || quiet;
  }
};

// Reads the command line into `options`. Returns the exit status when the
// command line ends the program (--help and --version: 0; an unknown
// argument or a refused value: 2; a subcommand: its own), nothing when the
// program is to run its case.
std::optional<int> handle_command_line(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err, ProgramOptions& options);
std::optional<int> handle_command_line(std::span<const char* const> args, std::ostream& out,
                                       std::ostream& err, ProgramOptions& options);

// The usage text of --help, line by line.
void write_usage(std::ostream& out);

}  // namespace slurry1d
