#include "driver/simulation.hpp"

#include <string>

#include "driver/answer_source.hpp"
#include "driver/dialog.hpp"
#include "driver/setup.hpp"
#include "driver/time_loop.hpp"
#include "model/run_stop.hpp"
#include "platform/interrupt.hpp"

namespace slurry1d {

Simulation::Simulation(Outputs& out, const RunControls& controls)
    : out_(out), run_(std::make_unique<Run>()) {
  run_->controls = controls;
}

void Simulation::run(std::istream& answers, bool interactive,
                     const std::optional<platform::FileIdentity>& answers_file) {
  refuse_overwriting(answers_file);
  open_echo_file();
  ask_run_definition(answers, interactive);
  set_up();
  march();
}

void Simulation::refuse_overwriting(const std::optional<platform::FileIdentity>& answers_file) {
  for (const char* name : kRunFileNames) {
    const std::string refusal = overwrite_refusal(answers_file, name);
    if (!refusal.empty()) throw RunStop(StopKind::BadInput, {refusal});
  }
}

void Simulation::open_echo_file() {
  files_.open_input(out_);
}

// A request to stop while the dialog waits for an answer ends its reading;
// the run then ends at once with the files as they stand. The echo of a
// complete dialog is put on disk before the set-up begins.
void Simulation::ask_run_definition(std::istream& answers, bool interactive) {
  try {
    run_dialog(answers, out_, interactive, run_->def, run_->controls.NNI);
  } catch (const RunStop&) {
    stop_if_interrupted();
    throw;
  }
  stop_if_interrupted();
  out_.input.flush();
}

void Simulation::stop_if_interrupted() {
  const platform::Interruption why = platform::requested_interruption();
  if (why != platform::Interruption::None) throw interrupted_stop(why, "DURING THE DIALOG");
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
  if (stop.on_console()) {
    for (const std::string& line : stop.lines()) out.console.free(line);
    return;
  }
  out.console.flush();
  for (const std::string& line : stop.lines()) out.errors.write_text("slurry1d: " + line);
}

namespace {

RunStop non_finite_failure(const NonFiniteResult& where) {
  return RunStop(StopKind::Failure,
                 {"line " + std::to_string(where.line) + " of " + where.file +
                      " holds a number that is not finite (NaN or infinite): the run failed "
                      "numerically",
                  "the answers lead to values the model cannot compute; check the constants and "
                  "boundary values"});
}

}  // namespace

int run_program(std::istream& answers, bool interactive, Outputs& out, const RunControls& controls,
                const std::optional<platform::FileIdentity>& answers_file) {
  int status = 0;
  Simulation simulation(out, controls);
  try {
    simulation.run(answers, interactive, answers_file);
  } catch (const RunStop& stop) {
    report_stop(stop, out);
    status = stop.exit_status();
  }
  try {
    simulation.close_files();
  } catch (const RunStop& stop) {
    report_stop(stop, out);
    if (status == 0) status = stop.exit_status();
  }
  if (status == 0) {
    if (const auto where = simulation.non_finite_result()) {
      const RunStop failure = non_finite_failure(*where);
      report_stop(failure, out);
      status = failure.exit_status();
    }
  }
  out.console.flush();
  return status;
}

}  // namespace slurry1d
