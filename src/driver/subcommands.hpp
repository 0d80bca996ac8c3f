#pragma once

// The subcommands of the program, each the first argument of its command
// line: `slurry1d compare ...`. An answer file of that name is given as
// ./compare.

#include <ostream>
#include <span>

namespace slurry1d {

// `slurry1d compare ARGS...`: `args` are the arguments after "compare".
// Returns the exit status.
int run_subcommand_compare(std::span<const char* const> args, std::ostream& out, std::ostream& err);

}  // namespace slurry1d
