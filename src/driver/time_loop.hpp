#pragma once

#include <string>

#include "driver/run_state.hpp"
#include "events/run_events.hpp"
#include "model/run_stop.hpp"
#include "output/record_writer.hpp"
#include "platform/interrupt.hpp"

namespace slurry1d {

// Steps allowed within one output interval.
inline constexpr long MAX_STEPS_PER_OUTPUT = 10'000'000;
// Step counts at which the pace of the clock is judged: after this many steps
// of an output interval and at every doubling of the count. A run whose clock,
// at its pace over the latter half of those steps, cannot reach the output
// time within MAX_STEPS_PER_OUTPUT steps ends as failed instead of creeping on
// for hours. The first judgement waits long enough for the start-up of a run
// whose steps are held small by halvings for a few thousand steps before they
// settle.
inline constexpr long FIRST_PACE_CHECK = 10'000;

// An end of the run that gives its answer: the reason and, at the minimum
// void ratio, the node that reached it.
struct RunEnd {
  EndReason reason = EndReason::LastOutputTime;
  int node = 0;
};

// Marches the column from the starting time through every output time, or to
// an earlier stop, and writes the end-of-run records; the records of every
// output time are flushed to disk as they are written. Every accepted step,
// "tc.out" record and report goes to the observer as it happens. Returns the
// end for the ends that give the run's answer. A step that cannot be solved, a
// clock that has stalled, and an output time not reached within
// MAX_STEPS_PER_OUTPUT steps end the run with its records written and RunStop
// (StopKind::Failure); the unstable stop with its records and RunStop
// (StopKind::CannotGoOn). A request to stop from outside, looked at once per
// step, ends the run at the end of the step with its records and the RunStop
// of interrupted_stop.
RunEnd march_in_time(Run& run, Outputs& out, RunObserver& observer);
// The same, observed by no one.
RunEnd march_in_time(Run& run, Outputs& out);

// The stop of a run interrupted by `why` (StopKind::Interrupted for Ctrl-C,
// Terminated otherwise), its console line saying so and `when`.
RunStop interrupted_stop(platform::Interruption why, const std::string& when);

enum class StepOutcome { Next, OutputTimeReached, RunEnded };

// The time loop of a run and its named steps. It holds nothing of its own
// but the end it reached: the run's state is the run's.
class TimeLoop {
 public:
  TimeLoop(Run& run, Outputs& out, RunObserver& observer);
  // Observed by no one.
  TimeLoop(Run& run, Outputs& out);

  // From the starting time through every output time (march_in_time).
  RunEnd march();

  // Start of output interval IOUT: the step carried over from the last
  // interval and the step count.
  void begin_output_interval();
  // One time step: start_step, solve_step, account_for_step,
  // choose_next_step, the step-accepted event and finish_step.
  StepOutcome time_step();
  // The length of the next step: reset once at the first crack, otherwise
  // grown by half up to DTMAX unless the step ended on the output time.
  void choose_next_step();
  // The end of an accepted step: the stop conditions, the step line and the
  // crack tip, the steady-height stop and the test for the output time. Every
  // end of the run writes its records before returning RunEnded (the unstable
  // stop then throws RunStop (StopKind::CannotGoOn) with no lines: its
  // message is on the console before the records).
  StepOutcome finish_step();

  // The end reached, once finish_step has returned RunEnded.
  const RunEnd& end() const { return end_; }

 private:
  struct PaceWatch;

  bool march_to_output_time();
  void watch_pace(PaceWatch& pace, long n);
  void report_output_time();
  void stop_if_interrupted();

  void start_step();
  void solve_step();
  void prepare_iteration();
  void account_for_step();
  void report_step_accepted();

  void end_run(EndReason reason);
  void end_run_at_minimum_void_ratio(int node);
  void write_final_state();
  [[noreturn]] void fail_run(const std::string& reason);
  [[noreturn]] void fail_diverging_step();
  [[noreturn]] void fail_stalled_clock(double window_start, long steps);
  [[noreturn]] void fail_step_cap();

  Run& run_;
  Outputs& out_;
  RunObserver& observer_;
  RunEnd end_;
};

}  // namespace slurry1d
