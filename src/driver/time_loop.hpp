#pragma once

#include <string>

#include "driver/run_state.hpp"
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

// Marches the column from the starting time through every output time, or to
// an earlier stop, and writes the end-of-run records; the records of every
// output time are flushed to disk as they are written. A step that cannot be
// solved, a clock that has stalled, and an output time not reached within
// MAX_STEPS_PER_OUTPUT steps end the run with its records written and RunStop
// (StopKind::Failure); the unstable stop with its records and RunStop
// (StopKind::CannotGoOn). A request to stop from outside, looked at once per
// step, ends the run at the end of the step with its records and the RunStop
// of interrupted_stop.
void march_in_time(Run& run, Outputs& out);

// The stop of a run interrupted by `why` (StopKind::Interrupted for Ctrl-C,
// Terminated otherwise), its console line saying so and `when`.
RunStop interrupted_stop(platform::Interruption why, const std::string& when);

// The pieces of march_in_time, in the order it takes them.

enum class StepOutcome { Next, OutputTimeReached, RunEnded };

// Start of output interval IOUT: the step carried over from the last interval
// and the step count.
void begin_output_interval(Run& run);
// One time step: the clock, regrid, snapshots, the iteration with its
// repeats, the bookkeeping of the accepted step, the next step length and
// finish_step.
StepOutcome time_step(Run& run, Outputs& out);
// The length of the next step: reset once at the first crack, otherwise grown
// by half up to DTMAX unless the step ended on the output time.
void choose_next_step(Run& run);
// The end of an accepted step: the stop conditions, the step line and the
// crack tip, the steady-height stop and the test for the output time. Every
// end of the run writes its records before returning RunEnded (the unstable
// stop then throws RunStop (StopKind::CannotGoOn) with no lines: its message
// is on the console before the records).
StepOutcome finish_step(Run& run, Outputs& out);

}  // namespace slurry1d
