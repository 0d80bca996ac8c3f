#pragma once

#include "driver/run_state.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// Runs without desiccation, after convergence: the velocities through the end
// elements, and the switch of a deferred boundary to its velocity condition
// once self-weight consolidation no longer drives more water through it than
// the velocity asks for. A switch puts the column back to the restart snapshot
// of the step, moves the clock back to the start of the step, lets the
// velocity act from then on and returns true: the step is solved again. While
// self-weight consolidation still dominates, the console says so after every
// converged step.
bool check_boundary_switch(Run& run, Outputs& out);

// Runs without desiccation, after a step that did not switch: the cumulated
// outflows through the top and the bottom (trapezoidal rule over the step of
// length DT), with the velocity at an end where the conditions bc that act
// prescribe one.
void accumulate_outflows(const BoundaryConditions& bc, const RunScales& scales, double DT,
                         LoopState& loop);

}  // namespace slurry1d
