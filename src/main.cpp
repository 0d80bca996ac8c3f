// slurry1d: large-strain consolidation and desiccation of a soil layer in one
// dimension. The run is defined by answering the console dialog; the results
// land in "input", "vd.out", "ts.out" and "tc.out" in the current directory.

#include <unistd.h>

#include <exception>
#include <iostream>

#include "driver/command_line.hpp"
#include "driver/run_stop.hpp"
#include "driver/simulation.hpp"

int main(int argc, char** argv) {
  if (const auto status = slurry1d::handle_command_line(argc, argv, std::cout, std::cerr)) {
    return *status;
  }
  std::ios::sync_with_stdio(false);
  slurry1d::Outputs out;
  out.console.attach(std::cout);
  out.errors.attach(std::cerr);

  int status = 0;
  slurry1d::Simulation simulation(out);
  try {
    simulation.run(std::cin, isatty(STDIN_FILENO) != 0);
  } catch (const slurry1d::RunStop& stop) {
    slurry1d::report_stop(stop, out);
    status = stop.exit_status();
  }
  try {
    simulation.close_files();
  } catch (const slurry1d::RunStop& stop) {
    slurry1d::report_stop(stop, out);
    if (status == 0) status = stop.exit_status();
  }
  out.console.flush();
  return status;
}
