#pragma once

#include "driver/run_state.hpp"
#include "output/record_writer.hpp"

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
// an earlier stop, and writes the end-of-run records. A step that cannot be
// solved, a clock that has stalled, and an output time not reached within
// MAX_STEPS_PER_OUTPUT steps end the run with its records written and RunStop
// (StopKind::Failure).
void march_in_time(Run& run, Outputs& out);

// T has passed, or stands exactly on, the time `target`. For positive times
// these are the ratio tests T/target > 1 and T/target = 1; times at or below
// zero are compared directly, where a ratio would lose its meaning.
bool passed_time(double T, double target);
bool reached_time(double T, double target);

}  // namespace slurry1d
