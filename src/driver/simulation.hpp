#pragma once

#include <istream>
#include <memory>

#include "driver/run_state.hpp"
#include "output/record_writer.hpp"
#include "output/result_files.hpp"

namespace slurry1d {

// One run of the program: the dialog, the set-up and the time loop, on a run
// record allocated once before the first question.
class Simulation {
 public:
  explicit Simulation(Outputs& out);

  // Runs from the first question to the end of the run. The program's own
  // stops and refused input arrive as RunStop; the files stay open until
  // close_files().
  void run(std::istream& answers, bool interactive);
  // Flushes and closes every file.
  void close_files();

  const Run& state() const { return *run_; }

 private:
  void open_echo_file();
  void ask_run_definition(std::istream& answers, bool interactive);
  void set_up();
  void march();

  Outputs& out_;
  ResultFiles files_;
  std::unique_ptr<Run> run_;
};

// Writes the message of a stop where it belongs: the program's own stops on
// the console as free-form records, refused input and failures on stderr.
void report_stop(const class RunStop& stop, Outputs& out);

}  // namespace slurry1d
