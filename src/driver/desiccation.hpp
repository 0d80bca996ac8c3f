#pragma once

#include "driver/run_state.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// The work of a time step particular to drying soil (3-D desiccation): the
// cracked column, the evaporated volume, the soil and crack volumes. The
// deferred boundaries of runs without desiccation are in boundary_switch.hpp.

// Desiccation runs, every iteration: the elevations and the base stress below
// the crack tip (1-D shrinkage) and above it (3-D shrinkage), the total and
// effective stresses, the crack-onset void ratios, the tip that moves down
// through consecutive cracked nodes, and the rescaled lengths of newly cracked
// elements.
void update_cracked_column(const Soil& soil, const ColumnGeometry& geometry, double LT,
                           SoilColumn& col);

// Desiccation runs with velocity conditions at both ends: the exposure times
// of the soil surfaces (reduced by the 3-D shrinkage factor once cracked) and
// the volume evaporated through them.
void accumulate_evaporation(Run& run);

// After convergence: the elevations of the accepted void ratios and, in
// desiccation runs, the soil and crack volumes and the start of cracking.
void final_geometry(Run& run);

}  // namespace slurry1d
