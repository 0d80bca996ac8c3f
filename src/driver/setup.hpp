#pragma once

#include "driver/run_state.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// Everything between the dialog and the first time step, on result files
// already open: their headings, the reference void ratio and permeability, the scales, the
// initial column (uniform fresh slurry or the profile of the last run), the
// steady state, the deferred velocity boundaries, the boundary refinement, the
// first snapshots and the report at the starting time, flushed to disk with
// everything before it.
void set_up_run(Run& run, Outputs& out);

// The individual steps, in the order set_up_run takes them.
void write_result_headings(Outputs& out);
void compute_reference_values(RunParameters& p, Outputs& out);
void compute_total_height(RunParameters& p);
void choose_first_step(RunParameters& p);
void build_uniform_column(const RunParameters& p, SoilColumn& col);
void make_times_nondimensional(RunParameters& p);
void initialise_column_arrays(SoilColumn& col, double E0);
double column_weight(const RunParameters& p, const SoilColumn& col);
void defer_velocity_boundaries(RunParameters& p, LoopState& loop);
void take_first_snapshots(SoilColumn& col);

}  // namespace slurry1d
