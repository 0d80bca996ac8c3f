#pragma once

#include <optional>
#include <ostream>

#include "model/run_controls.hpp"

namespace slurry1d {

// What the command line asks of the program.
struct ProgramOptions {
  RunControls controls;  // --nodes, --step-factor
  bool verify = false;   // --verify: the run as given, refined, and their comparison
  bool csv = false;      // --csv: the results as data beside the legacy files
};

// Handles the options of the command line and sets the run's controls from
// --nodes and --step-factor (left at their defaults when absent), --verify
// and --csv. Returns the exit status when an option ends the program (--help,
// --version; 2 for an unknown argument or a refused value), nothing when the
// program is to run its dialog.
std::optional<int> handle_command_line(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err, ProgramOptions& options);

}  // namespace slurry1d
