#include "driver/time_loop.hpp"

#include <string>
#include <utility>

#include "driver/boundary_switch.hpp"
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

std::string time_text(const RunScales& scales, double T) {
  return format_free_real(scales.dimensional_time(T));
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

RunEnd march_in_time(Run& run, Outputs& out, RunObserver& observer) {
  return TimeLoop(run, out, observer).march();
}

RunEnd march_in_time(Run& run, Outputs& out) {
  return TimeLoop(run, out).march();
}

TimeLoop::TimeLoop(Run& run, Outputs& out, RunObserver& observer)
    : run_(run), out_(out), observer_(observer) {}

TimeLoop::TimeLoop(Run& run, Outputs& out) : TimeLoop(run, out, no_observer()) {}

// ---------------------------------------------------------------------------
// From output time to output time

// The pace of the clock is judged at step check_at of the interval, from the
// time half_way it stood at after check_at / 2 steps.
struct TimeLoop::PaceWatch {
  long check_at;
  double half_way;
};

RunEnd TimeLoop::march() {
  LoopState& loop = run_.loop;
  for (loop.IOUT = 1; loop.IOUT <= run_.def.NO; ++loop.IOUT) {
    if (!march_to_output_time()) return end_;
    report_output_time();
  }
  end_run(EndReason::LastOutputTime);
  return end_;
}

// The steps of output interval IOUT, until its output time (true) or an end
// of the run on the way (false).
bool TimeLoop::march_to_output_time() {
  begin_output_interval();
  PaceWatch pace{FIRST_PACE_CHECK, run_.clock.T()};
  for (long n = 0; n < MAX_STEPS_PER_OUTPUT; ++n) {
    watch_pace(pace, n);
    const StepOutcome outcome = time_step();
    if (outcome == StepOutcome::RunEnded) return false;
    stop_if_interrupted();
    if (outcome == StepOutcome::OutputTimeReached) return true;
  }
  fail_step_cap();
}

void TimeLoop::begin_output_interval() {
  run_.clock.begin_output_interval(run_.loop.IOUT == 1);
  run_.loop.ISTEP = 1;
}

void TimeLoop::watch_pace(PaceWatch& pace, long n) {
  if (n == pace.check_at) {
    const long steps = pace.check_at - pace.check_at / 2;
    const double target = run_.scales.OPTN[run_.loop.IOUT];
    if (!can_reach_output_time(run_.clock.T(), target, pace.half_way, steps, n)) {
      fail_stalled_clock(pace.half_way, steps);
    }
    pace.check_at *= 2;
  }
  if (n == pace.check_at / 2) pace.half_way = run_.clock.T();
}

// The report of an output time, put on disk with everything before it: a run
// killed later keeps it.
void TimeLoop::report_output_time() {
  write_report(run_, out_, observer_, ReportKind::OutputTime, run_.loop.IOUT);
  const SoilColumn& col = run_.col;
  if (run_.def.IDES == 1 && col.NN2 <= col.NN) {
    const double rate = rate_since_start(run_.scales, run_.clock, run_.loop);
    record_crack(run_, out_.tc, observer_, CrackRecordKind::OutputTime,
                 crack_progress_record(run_.scales, run_.clock, col, run_.loop, rate));
  }
  out_.flush();
}

// Stopped from outside (Ctrl-C, a batch system) at the end of a step: the
// end-of-run records at the time reached, then the line that says so. Their
// final profile continues as any other.
void TimeLoop::stop_if_interrupted() {
  const platform::Interruption why = platform::requested_interruption();
  if (why == platform::Interruption::None) return;
  end_run(EndReason::Interrupted);
  throw interrupted_stop(why, "AT TIME = " + time_text(run_.scales, run_.clock.T()));
}

// ---------------------------------------------------------------------------
// One time step

StepOutcome TimeLoop::time_step() {
  start_step();
  solve_step();
  account_for_step();
  choose_next_step();
  report_step_accepted();
  return finish_step();
}

// The clock moves on, ending the step exactly on the output time it would
// overshoot; the counters of the step start afresh; a column refined at its
// ends goes back to the uniform mesh; the step snapshot is taken.
void TimeLoop::start_step() {
  const RunDefinition& def = run_.def;
  SoilColumn& col = run_.col;
  LoopState& loop = run_.loop;
  run_.clock.advance();
  run_.clock.land_on(run_.scales.OPTN[loop.IOUT]);
  loop.ITER = 0;
  loop.KIT = 0;
  loop.NHALF = 0;
  loop.VTC0 = loop.VTC;
  loop.VBC0 = loop.VBC;
  if (loop.ISTEP * loop.IOUT != 1 && def.IDES == 2 && col.NN != run_.controls.node_count()) {
    regrid_column(run_.controls.NNI, run_.geometry(), col, run_.regrid_work);
  }
  run_.solver.begin_step(col, def.IDES == 1);
}

// Solves the step, repeating it where a halving or a boundary switch asks.
void TimeLoop::solve_step() {
  bool from_filling = true;
  for (;;) {
    if (from_filling) prepare_iteration();
    const IterationResult result = iterate_step(run_, out_);
    if (result == IterationResult::Failed) fail_diverging_step();
    from_filling = result == IterationResult::RepeatFromFilling;
    if (from_filling) continue;
    if (run_.def.IDES != 1 && check_boundary_switch(run_, out_)) continue;
    return;
  }
}

// Staged filling and node addition at velocity boundaries, then the restart
// snapshot from which a diverging step is repeated.
void TimeLoop::prepare_iteration() {
  const RunDefinition& def = run_.def;
  RunScales& scales = run_.scales;
  SoilColumn& col = run_.col;
  LoopState& loop = run_.loop;
  if (def.IDES == 1) return;
  if (def.IDES == 2) {
    if (def.IFIL == 1) {
      advance_filling(def, scales, run_.controls.NNI, run_.clock, col, loop.stage,
                      run_.filling_work);
      if (scales.H0IN < col.Z[col.NN]) scales.H0IN = col.Z[col.NN];
    }
    refine_boundary_elements(run_.soil, run_.geometry(), run_.acting_boundaries(), def.ME, col,
                             loop.added, out_.console);
  }
  col.NN1 = col.NN + 1;
  col.NN2 = col.NN + 1;
  run_.solver.take_restart_snapshot(col);
}

// Outflows, evaporation, geometry and the crack records of the accepted step.
void TimeLoop::account_for_step() {
  const RunDefinition& def = run_.def;
  const RunScales& scales = run_.scales;
  const BoundaryConditions bc = run_.acting_boundaries();
  const SoilColumn& col = run_.col;
  LoopState& loop = run_.loop;
  if (def.IDES != 1) accumulate_outflows(bc, scales, run_.clock.DT(), loop);
  ++loop.ITER;
  write_iteration_line(out_.console, loop.ITER, loop.ESQ / col.NN);
  if (def.IDES == 1 && bc.ITOP == TopBoundary::Velocity && bc.IBOT == BottomBoundary::Velocity) {
    accumulate_evaporation(run_);
  }
  final_geometry(run_);
  if (def.IDES == 1 && col.NN2 <= col.NN && col.NN1 < col.NN2) {
    const double rate = loop.KF4 == 1 ? rate_since_cracking(scales, run_.clock, loop)
                                      : rate_since_start(scales, run_.clock, loop);
    record_crack(run_, out_.tc, observer_, CrackRecordKind::Deepened,
                 crack_progress_record(scales, run_.clock, col, loop, rate));
  }
}

// The next step: once reset to the natural time scale of the compression
// curve at the first crack, otherwise grown by half up to the largest step.
void TimeLoop::choose_next_step() {
  const RunScales& scales = run_.scales;
  Clock& clock = run_.clock;
  SoilColumn& col = run_.col;
  LoopState& loop = run_.loop;
  col.NN2 = col.NN1;
  clock.remember_step();
  if (loop.KF5 == 0 && col.NN2 <= col.NN) {
    clock.restart_step(-(scales.K0 / scales.HTOT) / (run_.soil.B1 / scales.Z1N));
    loop.KF5 = 1;
    return;
  }
  loop.DMARCH = loop.DSQ / col.NN;
  loop.FONE = 1.0;
  if (reached_time(clock.T(), scales.OPTN[loop.IOUT])) return;
  clock.grow(scales.DTMAX);
}

void TimeLoop::report_step_accepted() {
  const RunScales& scales = run_.scales;
  const SoilColumn& col = run_.col;
  LoopState& loop = run_.loop;
  ++loop.accepted_steps;
  const bool cracked = col.NN1 <= col.NN;
  observer_.step_accepted(StepAccepted{
      loop.accepted_steps, loop.IOUT, run_.clock, scales.dimensional_time(run_.clock.T()),
      scales.dimensional_time(run_.clock.DTPREV()), loop.ITER, loop.NHALF, loop.DMARCH, col,
      col.Z[col.NN] - col.Z[1], scales.H0IN, loop.QTOP, loop.QBOT, crust_thickness(run_.soil, col),
      col.NN1, cracked ? col.Z[col.NN] - col.Z[col.NN1] : 0.0, loop.VEVAP});
}

StepOutcome TimeLoop::finish_step() {
  const RunDefinition& def = run_.def;
  const RunScales& scales = run_.scales;
  const SoilColumn& col = run_.col;
  LoopState& loop = run_.loop;

  if (loop.NFAST > 0) {
    loop.NQUIET = 0;
  } else if (++loop.NQUIET > 3) {
    Line line;
    line.text(" REACHED THE MINIMUM MARCHING DIFFERENCE = ").G(10, 5, def.ERROR);
    out_.console.write(line);
    end_run(EndReason::QuietSteps);
    return StepOutcome::RunEnded;
  }
  if (loop.ISTEP > 5 && loop.DSQ / col.NN > col.NN) {
    out_.console.free(" CALCULATION TERMINATED FOR UNSTABLE SITUATION!");
    end_run(EndReason::Unstable);
    throw RunStop(StopKind::CannotGoOn, EndReason::Unstable, {});
  }
  if (const int node = first_node_at_minimum(def.ME, scales.E0, col); node != 0) {
    end_run_at_minimum_void_ratio(node);
    return StepOutcome::RunEnded;
  }

  const double T = run_.clock.T();
  write_step_line(out_.console, scales.dimensional_time(T), loop.DMARCH, loop.ITER);
  if (def.IDES == 1 && col.NN1 <= col.NN) write_crack_tip(out_.console, col);
  const bool steady = reached_steady_height(run_, T);
  loop.ZTOPP = col.Z[col.NN];
  if (steady) {
    end_run(EndReason::SteadyStateHeight);
    return StepOutcome::RunEnded;
  }

  if (loop.IOUT < def.NO && reached_time(T, scales.OPTN[loop.IOUT])) {
    return StepOutcome::OutputTimeReached;
  }
  if (reached_time(T, scales.OPTN[def.NO])) {
    end_run(EndReason::LastOutputTime);
    return StepOutcome::RunEnded;
  }
  ++loop.ISTEP;
  return StepOutcome::Next;
}

// ---------------------------------------------------------------------------
// Ends

// The report at the end of a run and the final profile a later run can
// continue from.
void TimeLoop::write_final_state() {
  const int reached = output_times_reached(run_.def, run_.scales, run_.clock.T());
  write_report(run_, out_, observer_, ReportKind::End, reached);
  write_restart_profile(run_.scales, run_.clock.T(), run_.report_work, out_.input);
}

// Every end but the minimum void ratio: final report and profile, the final
// crack record of a desiccation run and the summary lines.
void TimeLoop::end_run(EndReason reason) {
  end_ = RunEnd{reason, 0};
  write_final_state();
  if (run_.def.IDES == 1) {
    record_crack(run_, out_.tc, observer_, CrackRecordKind::End,
                 final_crack_record(run_.scales, run_.clock, run_.col, run_.loop));
  }
  write_summary_lines(out_.ts, run_.scales, run_.boundaries);
}

void TimeLoop::end_run_at_minimum_void_ratio(int node) {
  end_ = RunEnd{EndReason::MinimumVoidRatio, node};
  write_final_state();
  out_.console.free(" REACH THE MINIMUM VOID RATIO AT NODE ", node);
  out_.console.free(" PROGRAM STOPS FOR REACHING MINIMUM VOID RATIO!");
  write_summary_lines(out_.ts, run_.scales, run_.boundaries);
}

// A run that cannot go on: the end-of-run records at the time reached, then
// the failure with its reason.
void TimeLoop::fail_run(const std::string& reason) {
  end_run(EndReason::NumericalFailure);
  throw RunStop(StopKind::Failure, {reason, "the files hold the state reached at that time"});
}

void TimeLoop::fail_diverging_step() {
  fail_run("the iteration kept diverging at time " + time_text(run_.scales, run_.clock.T()) +
           " although the step was halved " + std::to_string(run_.loop.NHALF) +
           " times; the run stops there");
}

// The clock has crept so slowly over the last `steps` steps (a step that
// keeps being halved back to a sliver where a node cracks and closes again, or
// a largest step far too small for the output times) that the output time
// cannot be reached within the steps an output interval may take.
void TimeLoop::fail_stalled_clock(double window_start, long steps) {
  const RunScales& scales = run_.scales;
  fail_run("the clock has stalled: the last " + std::to_string(steps) +
           " steps moved it from time " + time_text(scales, window_start) + " to " +
           time_text(scales, run_.clock.T()) + ", too slowly to reach the output time " +
           time_text(scales, scales.OPTN[run_.loop.IOUT]) + " within the " +
           std::to_string(MAX_STEPS_PER_OUTPUT) + " steps an output interval may take");
}

void TimeLoop::fail_step_cap() {
  const RunScales& scales = run_.scales;
  fail_run("the output time " + time_text(scales, scales.OPTN[run_.loop.IOUT]) +
           " was not reached within " + std::to_string(MAX_STEPS_PER_OUTPUT) +
           " steps; the run stops at time " + time_text(scales, run_.clock.T()));
}

}  // namespace slurry1d
