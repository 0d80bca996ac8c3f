// slurry1d: large-strain consolidation and desiccation of a soil layer in one
// dimension. The run is defined by answering the console dialog; the results
// land in "input", "vd.out", "ts.out" and "tc.out" (with --csv also as data).

#include <iostream>

#include "driver/command_line.hpp"
#include "driver/simulation.hpp"
#include "platform/file_identity.hpp"
#include "platform/interrupt.hpp"
#include "platform/terminal.hpp"
#include "results/csv_results.hpp"
#include "verify/verify_run.hpp"

int main(int argc, char** argv) {
  slurry1d::ProgramOptions options;
  if (const auto status =
          slurry1d::handle_command_line(argc, argv, std::cout, std::cerr, options)) {
    return *status;
  }
  std::ios::sync_with_stdio(false);
  slurry1d::platform::install_interrupt_handlers();
  slurry1d::platform::InterruptibleInput standard_input;
  std::istream answers(&standard_input);
  slurry1d::Outputs out;
  out.console.attach(std::cout);
  out.errors.attach(std::cerr);
  const bool interactive = slurry1d::platform::stdin_is_terminal();
  slurry1d::results::CsvResults csv(".");
  slurry1d::RunObserver& observer = options.csv ? csv : slurry1d::no_observer();
  const auto identity = slurry1d::platform::stdin_identity();
  using slurry1d::verify::run_verified;
  const int status =
      options.verify
          ? run_verified(answers, interactive, out, options.controls, identity, observer, ".")
                .status
          : run_program(answers, interactive, out, options.controls, identity, observer);
  return csv.final_status(status, out.errors);
}
