#include "driver/simulation.hpp"

#include <optional>
#include <string>

#include "driver/answer_source.hpp"
#include "driver/dialog.hpp"
#include "driver/loop_records.hpp"
#include "driver/setup.hpp"
#include "driver/time_loop.hpp"
#include "model/run_stop.hpp"
#include "platform/interrupt.hpp"

namespace slurry1d {

Simulation::Simulation(Outputs& out, const RunControls& controls, RunObserver& observer,
                       RunFiles files, const std::filesystem::path& directory)
    : out_(out),
      observer_(observer),
      file_mode_(files),
      directory_(directory),
      files_(directory),
      run_(std::make_unique<Run>()) {
  run_->controls = controls;
}

void Simulation::run(std::istream& answers, bool interactive,
                     const std::optional<platform::FileIdentity>& answers_file) {
  run(AnswerInput{answers, interactive, answers_file, nullptr});
}

void Simulation::run(const AnswerInput& answers) {
  refuse_overwriting(answers.file);
  open_echo_file();
  ask_run_definition(answers);
  set_up();
  march();
}

void Simulation::run(const RunDefinition& def) {
  run_->def = def;
  set_up();
  march();
}

void Simulation::refuse_overwriting(
    const std::optional<platform::FileIdentity>& answers_file) const {
  for (const char* name : kRunFileNames) {
    const std::string refusal = overwrite_refusal(
        answers_file, directory_ == "." ? std::filesystem::path(name) : directory_ / name);
    if (!refusal.empty()) throw RunStop(StopKind::BadInput, {refusal});
  }
}

void Simulation::open_echo_file() {
  if (file_mode_ == RunFiles::Write) files_.open_input(out_);
}

// A request to stop while the dialog waits for an answer ends its reading;
// the run then ends at once with the files as they stand. The echo of a
// complete dialog is put on disk before the set-up begins.
void Simulation::ask_run_definition(const AnswerInput& answers) {
  const AnswerOverrides none;
  try {
    run_dialog(answers.stream, out_, answers.interactive, run_->def, run_->controls.NNI,
               answers.overrides != nullptr ? *answers.overrides : none);
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
  set_up_begun_ = true;
  if (file_mode_ == RunFiles::Write) files_.open_results(out_);
  set_up_run(*run_, out_, observer_);
  set_up_done_ = true;
}

void Simulation::march() {
  end_ = march_in_time(*run_, out_, observer_);
}

void Simulation::report_end(int exit_status, const RunStop* stop) {
  if (!set_up_begun_) return;
  const Run& run = *run_;
  const double T = run.clock.T();
  RunEnded ended{stop != nullptr ? stop->reason() : end_.reason,
                 exit_status,
                 set_up_done_ ? run.scales.dimensional_time(T) : run.def.TS,
                 stop != nullptr ? 0 : end_.node,
                 set_up_done_ ? output_times_reached(run.def, run.scales, T) : 0,
                 {},
                 run.def,
                 run.col,
                 run.col.NN >= 1 ? run.col.Z[run.col.NN] - run.col.Z[1] : 0.0,
                 run.scales};
  if (stop != nullptr) ended.message = stop->lines();
  observer_.run_ended(ended);
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

// Runs `start` on the simulation, closes its files and reports every stop;
// returns the exit status (see run_program).
template <typename Start>
int run_to_end(Simulation& simulation, Outputs& out, Start start) {
  int status = 0;
  std::optional<RunStop> ended_by;  // the stop that decided the status, if any
  try {
    start();
  } catch (const RunStop& stop) {
    report_stop(stop, out);
    status = stop.exit_status();
    ended_by = stop;
  }
  try {
    simulation.close_files();
  } catch (const RunStop& stop) {
    report_stop(stop, out);
    if (status == 0) {
      status = stop.exit_status();
      ended_by = stop;
    }
  }
  if (status == 0) {
    if (const auto where = simulation.non_finite_result()) {
      const RunStop failure = non_finite_failure(*where);
      report_stop(failure, out);
      status = failure.exit_status();
      ended_by = failure;
    }
  }
  out.console.flush();
  simulation.report_end(status, ended_by ? &*ended_by : nullptr);
  return status;
}

}  // namespace

int run_program(std::istream& answers, bool interactive, Outputs& out, const RunControls& controls,
                const std::optional<platform::FileIdentity>& answers_file, RunObserver& observer) {
  return run_program(AnswerInput{answers, interactive, answers_file, nullptr}, out, controls, ".",
                     observer);
}

int run_program(const AnswerInput& answers, Outputs& out, const RunControls& controls,
                const std::filesystem::path& directory, RunObserver& observer) {
  Simulation simulation(out, controls, observer, RunFiles::Write, directory);
  return run_to_end(simulation, out, [&] { simulation.run(answers); });
}

int run_definition(const RunDefinition& def, Outputs& out, const RunControls& controls,
                   RunObserver& observer) {
  Simulation simulation(out, controls, observer, RunFiles::Discard);
  return run_to_end(simulation, out, [&] { simulation.run(def); });
}

}  // namespace slurry1d
