#pragma once

#include <optional>
#include <ostream>

namespace slurry1d {

// Handles the options of the command line. Returns the exit status when an
// option ends the program (--help, --version, an unknown argument), nothing
// when the program is to run its dialog.
std::optional<int> handle_command_line(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err);

}  // namespace slurry1d
