#include "driver/subcommands.hpp"

#include "compare/compare_command.hpp"

namespace slurry1d {

int run_subcommand_compare(std::span<const char* const> args, std::ostream& out,
                           std::ostream& err) {
  return compare::compare_main(args, out, err);
}

}  // namespace slurry1d
