#include "driver/time_loop.hpp"

#include <string>
#include <utility>

#include "driver/desiccation.hpp"
#include "driver/iteration.hpp"
#include "driver/loop_records.hpp"
#include "model/run_stop.hpp"
#include "output/fields.hpp"
#include "output/state_report.hpp"
#include "platform/interrupt.hpp"
#include "solver/filling.hpp"
#include "solver/refine.hpp"
#include "solver/regrid.hpp"

namespace slurry1d {

namespace {

void write_report(Run& run, Outputs& out) {
  const ReportContext ctx{run.clock.T(), run.loop.added, run.loop.ISTEADY, run.loop.QTOP,
                          run.loop.QBOT};
  write_state_report(run.def, run.soil, run.scales, run.col, ctx, run.report_work, out);
}

// The report at the end of a run and the final profile a later run can
// continue from.
void write_final_state(Run& run, Outputs& out) {
  write_report(run, out);
  write_restart_profile(run.scales, run.clock.T(), run.col, run.report_work, out.input);
}

// The normal end: final report and profile, the final crack record of a
// desiccation run and the summary lines.
void end_run(Run& run, Outputs& out) {
  write_final_state(run, out);
  if (run.def.IDES == 1) {
    write_crack_record(out.tc, final_crack_record(run.scales, run.clock, run.col, run.loop));
  }
  write_summary_lines(out.ts, run.scales, run.boundaries);
}

void end_run_at_minimum_void_ratio(Run& run, Outputs& out, int node) {
  write_final_state(run, out);
  out.console.free(" REACH THE MINIMUM VOID RATIO AT NODE ", node);
  out.console.free(" PROGRAM STOPS FOR REACHING MINIMUM VOID RATIO!");
  write_summary_lines(out.ts, run.scales, run.boundaries);
}

// A run that cannot go on: the end-of-run records at the time reached, then
// the failure with its reason.
[[noreturn]] void fail_run(Run& run, Outputs& out, std::string reason) {
  end_run(run, out);
  throw RunStop(StopKind::Failure,
                {std::move(reason), "the files hold the state reached at that time"});
}

std::string time_text(const RunScales& scales, double T) {
  return format_free_real(scales.dimensional_time(T));
}

// Stopped from outside (Ctrl-C, a batch system) at the end of a step: the
// end-of-run records at the time reached, then the line that says so. Their
// final profile continues as any other.
[[noreturn]] void end_interrupted_run(Run& run, Outputs& out, platform::Interruption why) {
  end_run(run, out);
  throw interrupted_stop(why, "AT TIME = " + time_text(run.scales, run.clock.T()));
}

[[noreturn]] void fail_diverging_step(Run& run, Outputs& out) {
  fail_run(run, out,
           "the iteration kept diverging at time " + time_text(run.scales, run.clock.T()) +
               " although the step was halved " + std::to_string(run.loop.NHALF) +
               " times; the run stops there");
}

// The clock has crept so slowly over the last `steps` steps (a step that
// keeps being halved back to a sliver where a node cracks and closes again, or
// a largest step far too small for the output times) that the output time
// cannot be reached within the steps an output interval may take.
[[noreturn]] void fail_stalled_clock(Run& run, Outputs& out, double window_start, long steps) {
  const RunScales& scales = run.scales;
  fail_run(run, out,
           "the clock has stalled: the last " + std::to_string(steps) +
               " steps moved it from time " + time_text(scales, window_start) + " to " +
               time_text(scales, run.clock.T()) + ", too slowly to reach the output time " +
               time_text(scales, scales.OPTN[run.loop.IOUT]) + " within the " +
               std::to_string(MAX_STEPS_PER_OUTPUT) + " steps an output interval may take");
}

[[noreturn]] void fail_step_cap(Run& run, Outputs& out) {
  const RunScales& scales = run.scales;
  fail_run(run, out,
           "the output time " + time_text(scales, scales.OPTN[run.loop.IOUT]) +
               " was not reached within " + std::to_string(MAX_STEPS_PER_OUTPUT) +
               " steps; the run stops at time " + time_text(scales, run.clock.T()));
}

// The report of an output time, put on disk with everything before it: a run
// killed later keeps it.
void write_output_time_records(Run& run, Outputs& out) {
  write_report(run, out);
  const SoilColumn& col = run.col;
  if (run.def.IDES == 1 && col.NN2 <= col.NN) {
    const double rate = rate_since_start(run.scales, run.clock, run.loop);
    write_crack_record(out.tc, crack_progress_record(run.scales, run.clock, col, run.loop, rate));
  }
  out.flush();
}

// Ends the step exactly on the output time it would overshoot.
void advance_clock(Clock& clock, const RunScales& scales, const LoopState& loop) {
  clock.advance();
  clock.land_on(scales.OPTN[loop.IOUT]);
}

// Staged filling and node addition at velocity boundaries, then the restart
// snapshot from which a diverging step is repeated.
void prepare_iteration(Run& run, Outputs& out) {
  const RunDefinition& def = run.def;
  RunScales& scales = run.scales;
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;
  if (def.IDES == 1) return;
  if (def.IDES == 2) {
    if (def.IFIL == 1) {
      advance_filling(def, scales, run.controls.NNI, run.clock, col, loop.stage, run.filling_work);
      if (scales.H0IN < col.Z[col.NN]) scales.H0IN = col.Z[col.NN];
    }
    refine_boundary_elements(run.soil, run.geometry(), run.acting_boundaries(), def.ME, col,
                             loop.added, out.console);
  }
  col.NN1 = col.NN + 1;
  col.NN2 = col.NN + 1;
  take_restart_snapshot(run);
}

// Solves the step, repeating it where a halving or a boundary switch asks.
void solve_step(Run& run, Outputs& out) {
  bool from_filling = true;
  for (;;) {
    if (from_filling) prepare_iteration(run, out);
    const IterationResult result = iterate_step(run, out);
    if (result == IterationResult::Failed) fail_diverging_step(run, out);
    from_filling = result == IterationResult::RepeatFromFilling;
    if (from_filling) continue;
    if (run.def.IDES != 1 && check_boundary_switch(run, out)) continue;
    return;
  }
}

// Evaporation, geometry and the crack records of the accepted step.
void account_for_step(Run& run, Outputs& out) {
  const RunDefinition& def = run.def;
  const RunScales& scales = run.scales;
  const BoundaryConditions bc = run.acting_boundaries();
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;
  if (def.IDES != 1) accumulate_outflows(bc, scales, run.clock.DT(), loop);
  ++loop.ITER;
  write_iteration_line(out.console, loop.ITER, loop.ESQ / col.NN);
  if (def.IDES == 1 && bc.ITOP == TopBoundary::Velocity && bc.IBOT == BottomBoundary::Velocity) {
    accumulate_evaporation(run);
  }
  final_geometry(run);
  if (def.IDES == 1 && col.NN2 <= col.NN && col.NN1 < col.NN2) {
    const double rate = loop.KF4 == 1 ? rate_since_cracking(scales, run.clock, loop)
                                      : rate_since_start(scales, run.clock, loop);
    write_crack_record(out.tc, crack_progress_record(scales, run.clock, col, loop, rate));
  }
}

int first_node_at_minimum(double ME, double E0, const SoilColumn& col) {
  for (int i = 1; i <= col.NN; ++i) {
    if (col.EN[i] <= ME / E0) return i;
  }
  return 0;
}

// The top has settled to its steady-state height (in staged filling only once
// the last stage has begun; a filling run without stages has nothing to wait
// for).
bool reached_steady_height(const Run& run, double T) {
  const RunDefinition& def = run.def;
  const SoilColumn& col = run.col;
  const LoopState& loop = run.loop;
  if (def.IFIL == 1 && def.NS >= 1 && !(T > run.scales.TBFN[def.NS])) return false;
  return loop.ZTOPP >= col.ZSS[col.NN] && col.Z[col.NN] / col.ZSS[col.NN] <= 1.0;
}

}  // namespace

RunStop interrupted_stop(platform::Interruption why, const std::string& when) {
  const StopKind kind =
      why == platform::Interruption::Terminate ? StopKind::Terminated : StopKind::Interrupted;
  return RunStop(
      kind, {std::string("RUN INTERRUPTED (") + platform::interruption_name(why) + ") " + when});
}

// The next step: once reset to the natural time scale of the compression
// curve at the first crack, otherwise grown by half up to the largest step.
void choose_next_step(Run& run) {
  const RunScales& scales = run.scales;
  Clock& clock = run.clock;
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;
  col.NN2 = col.NN1;
  clock.remember_step();
  if (loop.KF5 == 0 && col.NN2 <= col.NN) {
    clock.restart_step(-(scales.K0 / scales.HTOT) / (run.soil.B1 / scales.Z1N));
    loop.KF5 = 1;
    return;
  }
  loop.DMARCH = loop.DSQ / col.NN;
  loop.FONE = 1.0;
  if (reached_time(clock.T(), scales.OPTN[loop.IOUT])) return;
  clock.grow(scales.DTMAX);
}

// Whether the clock, moving on at its pace over the last `steps` steps (from
// window_start to T), reaches the output time within the steps left of the
// interval's allowance. The pace is that of the accepted steps, halvings and
// all, so a step that keeps being cut back to a sliver shows here.
bool can_reach_output_time(double T, double target, double window_start, long steps,
                           long steps_taken) {
  const double pace = (T - window_start) / static_cast<double>(steps);
  const double steps_left = static_cast<double>(MAX_STEPS_PER_OUTPUT - steps_taken);
  return target - T <= pace * steps_left;
}

StepOutcome time_step(Run& run, Outputs& out) {
  const RunDefinition& def = run.def;
  const RunScales& scales = run.scales;
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;

  advance_clock(run.clock, scales, loop);
  loop.ITER = 0;
  loop.KIT = 0;
  loop.NHALF = 0;
  loop.VTC0 = loop.VTC;
  loop.VBC0 = loop.VBC;
  if (loop.ISTEP * loop.IOUT != 1 && def.IDES == 2 && col.NN != run.controls.node_count()) {
    regrid_column(run.controls.NNI, run.geometry(), col, run.regrid_work);
  }
  take_step_snapshot(run);
  col.EIT.copy_from(col.EN, col.NN);
  if (def.IDES == 1) col.EOLD.copy_from(col.EN, col.NN);

  solve_step(run, out);
  account_for_step(run, out);
  choose_next_step(run);
  return finish_step(run, out);
}

StepOutcome finish_step(Run& run, Outputs& out) {
  const RunDefinition& def = run.def;
  const RunScales& scales = run.scales;
  const SoilColumn& col = run.col;
  LoopState& loop = run.loop;

  if (loop.NFAST > 0) {
    loop.NQUIET = 0;
  } else if (++loop.NQUIET > 3) {
    Line line;
    line.text(" REACHED THE MINIMUM MARCHING DIFFERENCE = ").G(10, 5, def.ERROR);
    out.console.write(line);
    end_run(run, out);
    return StepOutcome::RunEnded;
  }
  if (loop.ISTEP > 5 && loop.DSQ / col.NN > col.NN) {
    out.console.free(" CALCULATION TERMINATED FOR UNSTABLE SITUATION!");
    end_run(run, out);
    throw RunStop(StopKind::CannotGoOn, {});
  }
  if (const int node = first_node_at_minimum(def.ME, scales.E0, col); node != 0) {
    end_run_at_minimum_void_ratio(run, out, node);
    return StepOutcome::RunEnded;
  }

  const double T = run.clock.T();
  write_step_line(out.console, scales.dimensional_time(T), loop.DMARCH, loop.ITER);
  if (def.IDES == 1 && col.NN1 <= col.NN) write_crack_tip(out.console, col);
  const bool steady = reached_steady_height(run, T);
  loop.ZTOPP = col.Z[col.NN];
  if (steady) {
    end_run(run, out);
    return StepOutcome::RunEnded;
  }

  if (loop.IOUT < def.NO && reached_time(T, scales.OPTN[loop.IOUT])) {
    return StepOutcome::OutputTimeReached;
  }
  if (reached_time(T, scales.OPTN[def.NO])) {
    end_run(run, out);
    return StepOutcome::RunEnded;
  }
  ++loop.ISTEP;
  return StepOutcome::Next;
}

void begin_output_interval(Run& run) {
  run.clock.begin_output_interval(run.loop.IOUT == 1);
  run.loop.ISTEP = 1;
}

void march_in_time(Run& run, Outputs& out) {
  LoopState& loop = run.loop;
  const RunScales& scales = run.scales;
  for (loop.IOUT = 1; loop.IOUT <= run.def.NO; ++loop.IOUT) {
    begin_output_interval(run);
    bool reached = false;
    long check_at = FIRST_PACE_CHECK;
    double half_way = run.clock.T();  // the clock after check_at / 2 steps
    for (long n = 0; n < MAX_STEPS_PER_OUTPUT && !reached; ++n) {
      if (n == check_at) {
        const long steps = check_at - check_at / 2;
        if (!can_reach_output_time(run.clock.T(), scales.OPTN[loop.IOUT], half_way, steps, n)) {
          fail_stalled_clock(run, out, half_way, steps);
        }
        check_at *= 2;
      }
      if (n == check_at / 2) half_way = run.clock.T();
      const StepOutcome outcome = time_step(run, out);
      if (outcome == StepOutcome::RunEnded) return;
      if (const auto why = platform::requested_interruption();
          why != platform::Interruption::None) {
        end_interrupted_run(run, out, why);
      }
      reached = outcome == StepOutcome::OutputTimeReached;
    }
    if (!reached) fail_step_cap(run, out);
    write_output_time_records(run, out);
  }
  end_run(run, out);
}

}  // namespace slurry1d
