// slurry1d: large-strain consolidation and desiccation of a soil layer in one
// dimension. The run is defined by answering the console dialog, from an
// answer file or at the terminal; the results land in "input", "vd.out",
// "ts.out" and "tc.out" in the current directory or the one -o names.

#include <iostream>

#include "driver/command_line.hpp"
#include "platform/interrupt.hpp"
#include "program/run_case.hpp"

int main(int argc, char** argv) {
  slurry1d::ProgramOptions options;
  if (const auto status =
          slurry1d::handle_command_line(argc, argv, std::cout, std::cerr, options)) {
    return *status;
  }
  std::ios::sync_with_stdio(false);
  slurry1d::platform::install_interrupt_handlers();
  return slurry1d::program::run_case(options, std::cout, std::cerr);
}
