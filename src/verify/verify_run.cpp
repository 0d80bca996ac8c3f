#include "verify/verify_run.hpp"

#include <cstdio>
#include <string>

#include "driver/simulation.hpp"
#include "verify/verify_output.hpp"

namespace slurry1d::verify {
namespace {

bool interrupted(int status) {
  return status == 130 || status == 143;
}

std::string announcement(int index, RunRole role, const RunControls& c, double until) {
  char time[32];
  std::snprintf(time, sizeof time, "%.6g", until);
  return " verify: run " + std::to_string(index + 1) + " of " + std::to_string(RUN_COUNT) + ", " +
         std::string(role_name(role)) + " (" + controls_text(c.step_factor, c.node_count()) +
         "), to t = " + time;
}

}  // namespace

Refinements run_refinements(const RunRecord& given, const RunControls& controls,
                            RecordWriter& console) {
  Refinements r;
  r.runs[0] = given;
  const int reached = given.output_times_reached();
  if (!given.def || reached == 0) return r;
  // The refined runs stop at the last output time the given run reached:
  // nothing after it is compared.
  RunDefinition def = *given.def;
  def.NO = reached;
  for (std::size_t k = 1; k < RUN_COUNT; ++k) {
    const RunControls refined = controls_of(ALL_ROLES[k], controls);
    console.write_text(announcement(static_cast<int>(k), ALL_ROLES[k], refined, def.OPT[reached]));
    console.flush();
    Outputs silent;  // no files, no console: the table tells how each run ended
    RunRecorder recorder;
    const int status = run_definition(def, silent, refined, recorder);
    r.runs[k] = recorder.record();
    if (interrupted(status)) {
      r.interrupted_status = status;
      return r;
    }
  }
  return r;
}

VerifiedRun run_verified(const AnswerInput& answers, Outputs& out, const RunControls& controls,
                         RunObserver& observer, const std::filesystem::path& output_dir) {
  VerifiedRun verified;
  if (const std::string why = verify_refusal(controls); !why.empty()) {
    out.errors.write_text("slurry1d: " + why);
    verified.status = 2;
    return verified;
  }
  RunRecorder given;
  RunObservers observers;
  observers.add(given);
  observers.add(observer);
  verified.status = run_program(answers, out, controls, output_dir, observers);
  if (!given.record().set_up || interrupted(verified.status)) return verified;

  out.console.write_text("");
  const Refinements refinements = run_refinements(given.record(), controls, out.console);
  if (refinements.interrupted_status != 0) {
    out.console.write_text(" verify: interrupted; no table");
    out.console.flush();
    verified.status = refinements.interrupted_status;
    return verified;
  }
  verified.table = compare_runs(refinements.runs, controls);
  out.console.write_text("");
  for (const std::string& line : console_lines(*verified.table)) out.console.write_text(line);
  out.console.flush();
  if (!write_verify_csv(*verified.table, output_dir)) {
    out.errors.write_text("slurry1d: " + (output_dir / VERIFY_CSV).string() +
                          " could not be written completely");
    if (verified.status == 0) verified.status = 4;
  }
  return verified;
}

}  // namespace slurry1d::verify
