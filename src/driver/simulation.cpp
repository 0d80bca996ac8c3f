#include "driver/simulation.hpp"

#include "driver/dialog.hpp"
#include "driver/run_stop.hpp"
#include "driver/setup.hpp"
#include "driver/time_loop.hpp"

namespace slurry1d {

Simulation::Simulation(Outputs& out) : out_(out), run_(std::make_unique<Run>()) {}

void Simulation::run(std::istream& answers, bool interactive) {
  open_echo_file();
  ask_run_definition(answers, interactive);
  set_up();
  march();
}

void Simulation::open_echo_file() {
  files_.open_input(out_);
}

void Simulation::ask_run_definition(std::istream& answers, bool interactive) {
  run_dialog(answers, out_, interactive, run_->p);
}

void Simulation::set_up() {
  files_.open_results(out_);
  set_up_run(*run_, out_);
}

void Simulation::march() {
  march_in_time(*run_, out_);
}

void Simulation::close_files() {
  files_.close(out_);
}

void report_stop(const RunStop& stop, Outputs& out) {
  if (stop.kind() == StopKind::Stop) {
    for (const std::string& line : stop.lines()) out.console.free(line);
    return;
  }
  out.console.flush();
  for (const std::string& line : stop.lines()) out.errors.write_text("slurry1d: " + line);
}

}  // namespace slurry1d
