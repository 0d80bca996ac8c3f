#pragma once

#include "model/fixed_array.hpp"
#include "model/node_addition.hpp"
#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/soil_column.hpp"
#include "output/record_writer.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

// The values of the run a report shows besides the column itself.
struct ReportContext {
  double T = 0.0;      // the time of the report, nondimensional
  NodeAddition added;  // node addition of the last step
  int ISTEADY = 0;     // 1 when a steady state is known
  double QTOP = 0.0;   // cumulated outflow at the top
  double QBOT = 0.0;   // cumulated outflow at the bottom
};

// The reported column: elevations, water pressures, solid contents and 3-D
// shrinkage factors of the nodes, compacted like col.ER, and its node count M.
struct ReportWork {
  NodalArray ZP;
  NodalArray UP;
  NodalArray SC;
  NodalArray ALPHA;
  int M = 0;
};

// The state at the starting time and at every output time: a nodal table into
// "vd.out" (every tenth node from the top, nodes added in the last step left
// out), the "ts.out" data line, the console time line and, once a steady state
// is known, the height comparison. Sets col.ER (compacted, clamped at ME in the
// regular table) and work.M for write_restart_profile.
void write_state_report(const RunDefinition& def, const Soil& soil, const RunScales& scales,
                        SoilColumn& col, const ReportContext& ctx, ReportWork& work, Outputs& out);

// Appends the final profile of the last report to "input" in the order a
// continued run reads it back (one void ratio and elevation per line from the
// top node down), then the final height and the stopping time.
void write_restart_profile(const RunScales& scales, double T, const SoilColumn& col,
                           const ReportWork& work, RecordWriter& input);

}  // namespace slurry1d
