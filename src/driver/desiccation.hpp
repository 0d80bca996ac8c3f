#pragma once

#include "driver/run_state.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// Desiccation runs, every iteration: the elevations and the base stress below
// the crack tip (1-D shrinkage) and above it (3-D shrinkage), the total and
// effective stresses, the crack-onset void ratios, the tip that moves down
// through consecutive cracked nodes, and the rescaled lengths of newly cracked
// elements.
void update_cracked_column(const Soil& soil, const ColumnGeometry& geometry, double LT,
                           SoilColumn& col);

// Runs without desiccation, after convergence: the velocities through the end
// elements, and the switch of a deferred boundary to its velocity condition
// once self-weight consolidation no longer drives more water through it than
// the velocity asks for. A switch restores the restart snapshot, moves the
// clock back to the start of the step, lets the velocity act from then on and
// returns true: the step is solved again.
bool check_boundary_switch(Run& run, Outputs& out);

// Runs without desiccation, after a step that did not switch: the cumulated
// outflows through the top and the bottom (trapezoidal rule over the step of
// length DT), with the velocity at an end where the conditions bc that act
// prescribe one.
void accumulate_outflows(const BoundaryConditions& bc, const RunScales& scales, double DT,
                         LoopState& loop);

// Desiccation runs with velocity conditions at both ends: the exposure times
// of the soil surfaces (reduced by the 3-D shrinkage factor once cracked) and
// the volume evaporated through them.
void accumulate_evaporation(Run& run);

// After convergence: the elevations of the accepted void ratios and, in
// desiccation runs, the soil and crack volumes and the start of cracking.
void final_geometry(Run& run);

}  // namespace slurry1d
