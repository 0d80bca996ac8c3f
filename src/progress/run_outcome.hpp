#pragma once

// The texts that tell how far a run has come and how it ended.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "events/run_events.hpp"

namespace slurry1d::progress {

// Where a run stands after an accepted step.
struct ProgressFigures {
  double time;              // the time reached
  double start_time;        // TS
  double last_output_time;  // OPT(NO)
  long step;                // accepted steps so far
  int nodes;                // NN
};

// "t = 1234.5 of 100000 (1.2 %), step 5678, 501 nodes" into `buffer`, cut to
// its size; returns the length. Allocates nothing.
std::size_t progress_text(std::span<char> buffer, const ProgressFigures& f);

// "run ended: steady-state height 5.073 reached at t = 29650; output times
// 50000, 100000 not reached": how and when the run ended, the output times it
// did not reach, and the exit status when it is not 0. `steady_height` is the
// height of the steady state when it was solved.
std::string outcome_line(const RunEnded& e, std::optional<double> steady_height);

// The line for a program that ended before the set-up of its run began (the
// dialog refused an answer or a set value, or was interrupted), from its exit
// status.
std::string outcome_before_run(int exit_status);

}  // namespace slurry1d::progress
