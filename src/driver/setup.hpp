#pragma once

#include "driver/run_state.hpp"
#include "events/run_events.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// Everything between the dialog and the first time step, on result files
// already open: their headings, the reference void ratio and permeability, the
// scales and the soil, the initial column (uniform fresh slurry or the profile
// of the last run), the clock, the steady state, the deferred velocity
// boundaries, the boundary refinement, the solver's first state and the report at
// the starting time, flushed to disk with everything before it. The run record
// is a new one (its arrays all 0.0, as allocated): entries above the column's
// top node are not cleared.
// The observer receives the run's set-up and its first report.
void set_up_run(Run& run, Outputs& out, RunObserver& observer);
// The same, observed by no one.
void set_up_run(Run& run, Outputs& out);

// The individual steps, in the order set_up_run takes them.
void write_result_headings(Outputs& out);
void compute_reference_values(const RunDefinition& def, RunScales& scales, Outputs& out);
void compute_total_height(const RunDefinition& def, RunScales& scales);
double choose_first_step(const RunDefinition& def, RunScales& scales);
void build_uniform_column(const RunDefinition& def, const RunScales& scales, SoilColumn& col);
void make_times_nondimensional(const RunDefinition& def, RunScales& scales);
void initialise_column_arrays(SoilColumn& col, double E0);

// The cracked lengths DXIC start as the lengths DXI of the column's nodes.
void start_cracked_lengths(SoilColumn& col);

}  // namespace slurry1d
