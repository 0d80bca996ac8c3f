#pragma once

#include <span>

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

// The column-wide figures of a report, in the units of the input: the line
// of "ts.out" and the water table its pressures stand under.
struct ReportFigures {
  double time = 0.0;         // dimensional time HTOT T/K0
  double height = 0.0;       // elevation of the top node Z(NN)
  double dry_density = 0.0;  // average dry unit weight of the column
  double QTOP = 0.0;         // cumulated outflow at the top
  double QBOT = 0.0;         // cumulated outflow at the bottom
  double CRUST = 0.0;        // crust thickness
  double WT = 0.0;           // water table: the top node, or the head HT above it
};

// What the last report computed. Its nodal arrays are the reported column:
// void ratios, elevations, water pressures, solid contents and 3-D shrinkage
// factors, the nodes added by the last boundary refinement left out
// (compacted), over M nodes. ER is clamped at ME and SC filled at the rows of
// the table only (every tenth node from the top); the others hold every node
// 1..M. The restart profile reads ER, ZP and M of the last report.
struct ReportWork {
  NodalArray ER;
  NodalArray ZP;
  NodalArray UP;
  NodalArray SC;
  NodalArray ALPHA;
  int M = 0;
  ReportFigures figures;
};

// The state at the starting time and at every output time: a nodal table into
// "vd.out" (every tenth node from the top, nodes added in the last step left
// out), the "ts.out" data line, the console time line and, once a steady state
// is known, the height comparison. Reads the column; fills work.
void write_state_report(const RunDefinition& def, const Soil& soil, const RunScales& scales,
                        const SoilColumn& col, const ReportContext& ctx, ReportWork& work,
                        Outputs& out);

// Appends the final profile of the last report to "input" in the order a
// continued run reads it back (one void ratio and elevation per line from the
// top node down), then the final height and the stopping time.
void write_restart_profile(const RunScales& scales, double T, const ReportWork& work,
                           RecordWriter& input);

// The figures a report computes, for any column.

// Thickness of the dried crust: from the top down to the first node whose
// void ratio E0 EN is not below the crust void ratio CV (0 when CV is 0). A
// layer dried below it throughout is crust from top to base.
double crust_thickness(const Soil& soil, const SoilColumn& col);
// The water table of the pore-water pressures: the top node, raised to the
// head HT where that is higher.
double water_table(const SoilColumn& col, double HT);
// Pore-water pressure UP of nodes 1..NN (UP holds NN entries, node 1 first)
// of a column without desiccation: the excess that drives the flow through
// each element, integrated down from the top, on top of the hydrostatic
// pressure (WT - Z) GW under the water table WT. The report's figures, to the
// last bit.
void compute_water_pressures(const Soil& soil, const SoilColumn& col, double WT,
                             std::span<double> UP);

}  // namespace slurry1d
