#include "output/state_report.hpp"

#include <algorithm>

namespace slurry1d {
namespace {

// Time in the units of the input, as the report has always written it.
double report_time(const RunScales& scales, double T) {
  return T * scales.HTOT / scales.K0;
}

// Void ratios, elevations, pressures and shrinkage factors of every node
// before the report picks its rows. Above the crack tip of the previous step
// the plan area of a desiccating soil shrinks with the shrinkage ratio.
void copy_column(int IDES, const Soil& soil, SoilColumn& col, ReportWork& work) {
  for (int i = 1; i <= col.NN; ++i) {
    col.ER[i] = col.EN[i] * soil.E0;
    work.ZP[i] = col.Z[i];
    work.UP[i] = 0.0;
    work.ALPHA[i] = (IDES == 2 || i < col.NN2)
                        ? 1.0
                        : std::min(1.0, soil.shrinkage_ratio(col.EN[i], col.ECR[i]));
  }
}

// Thickness of the dried crust: from the top down to the first node that is
// not below the crust void ratio. A layer dried below it throughout is crust
// from top to base.
double crust_thickness(const Soil& soil, const SoilColumn& col) {
  if (soil.CV == 0.0) return 0.0;
  const int NN = col.NN;
  for (int i = NN; i >= 1; --i) {
    if (!(col.ER[i] < soil.CV)) return col.Z[NN] - col.Z[i];
  }
  return col.Z[NN] - col.Z[1];
}

// Pore-water pressure: the excess that drives the flow through each element,
// integrated down from the top, on top of the hydrostatic pressure under the
// water table. Only the uncracked model has a flow law for it.
void compute_water_pressures(int IDES, double HT, const Soil& soil, const SoilColumn& col,
                             ReportWork& work) {
  if (IDES != 2) return;
  const int NN = col.NN;
  const double WT = std::max(col.Z[NN], HT);
  for (int i = NN - 1; i >= 1; --i) {
    const double r = (col.EN[i] + col.EN[i + 1]) / 2.0;
    const double kp = soil.permeability(r * soil.E0);
    const double sp = soil.compression_slope(r);
    const double v = soil.fluid_velocity(col.EN[i + 1], col.EN[i], sp, col.DXI[i], r);
    work.UP[i] = work.UP[i + 1] + (col.Z[i + 1] - col.Z[i]) * (v / kp) * soil.GW;
  }
  for (int i = 1; i <= NN; ++i) work.UP[i] = work.UP[i] + (WT - col.Z[i]) * soil.GW;
}

void move_node(SoilColumn& col, ReportWork& work, int from, int to) {
  col.ER[to] = col.ER[from];
  work.ZP[to] = work.ZP[from];
  work.UP[to] = work.UP[from];
  work.ALPHA[to] = work.ALPHA[from];
}

// Leaves out the nodes the last boundary refinement inserted above the base
// node and below the top node, so that the table shows the column's own nodes.
void drop_added_nodes(SoilColumn& col, const NodeAddition& added, ReportWork& work) {
  work.M = col.NN;
  if (added.KBOTADD == 1) {
    for (int j = 2; j <= col.NN - added.NBOTADD; ++j) {
      move_node(col, work, added.NBOTADD + j, j);
    }
    work.M = col.NN - added.NBOTADD;
  }
  if (added.KTOPADD == 1) {
    move_node(col, work, work.M, work.M - added.NTOPADD);
    work.M = work.M - added.NTOPADD;
  }
}

void write_height_comparison(const SoilColumn& col, const ReportWork& work, RecordWriter& console) {
  const int M = work.M;
  const double difference = 100.0 * (work.ZP[M] - col.ZSS[M]) / col.ZSS[M];
  console.write(Line()
                    .text("THE DIFFERENCE OF FINAL SAMPLE HEIGHT BETWEEN THE  STEADY STATE AND "
                          "CURRENT STATE IS")
                    .F(10, 2, difference)
                    .text(" %"));
  console.free("-FINAL STEADY STATE INFORMATION IS AVAILABLE-");
}

int row_label(int i) {
  return (i - 1) / 10 + 1;
}

// The columns both tables share: label, elevation, void ratio, solid content
// and water pressure of node i.
Line node_row(const SoilColumn& col, const ReportWork& work, int i) {
  Line row;
  row.I(4, row_label(i)).E(12, 4, work.ZP[i]).E(12, 4, col.ER[i]);
  row.E(12, 4, work.SC[i]).E(12, 4, work.UP[i]);
  return row;
}

// The first table of a run shows the steady state beside the initial state.
void write_initial_table(const Soil& soil, const SoilColumn& col, ReportWork& work,
                         RecordWriter& vd) {
  vd.free("                 INITIAL STATE                     STEADY STATE");
  vd.free("                     VOID       SOLID      WATER             VOID");
  vd.free("-NODE--ELEVATION-   -RATIO-   -CONTENT-  -PRESSURE-", "  -ELEVATION-   -RATIO-");
  for (int i = work.M; i >= 1; i -= 10) {
    work.SC[i] = soil.GS / (col.ER[i] + soil.GS);
    vd.write(node_row(col, work, i).E(12, 4, col.ZSS[i]).E(12, 4, col.ESS[i]));
  }
}

// Later tables show the 3-D shrinkage factor; void ratios at or below the
// minimum are shown as the minimum.
void write_regular_table(const Soil& soil, double ME, SoilColumn& col, ReportWork& work,
                         RecordWriter& vd) {
  vd.free("                    VOID        SOLID      WATER ALPHA");
  vd.free("-NODE--ELEVATION-  -RATIO-    -CONTENT-  -PRESSURE-", "    -VALUES-");
  for (int i = work.M; i >= 1; i -= 10) {
    work.SC[i] = soil.GS / (col.ER[i] + soil.GS);
    if (col.ER[i] <= ME) col.ER[i] = ME;
    vd.write(node_row(col, work, i).E(12, 4, work.ALPHA[i]));
  }
}

// Dry weight of the solids per unit volume of the whole column.
double average_dry_density(const Soil& soil, const SoilColumn& col) {
  double sum = 0.0;
  for (int i = 1; i <= col.NN - 1; ++i) {
    const double ebar = (col.EN[i] + col.EN[i + 1]) * soil.E0 / 2.0;
    sum += (col.Z[i + 1] - col.Z[i]) * soil.GW * soil.GS / (ebar + 1.0);
  }
  return sum / col.Z[col.NN];
}

}  // namespace

void write_state_report(const RunDefinition& def, const Soil& soil, const RunScales& scales,
                        SoilColumn& col, const ReportContext& ctx, ReportWork& work, Outputs& out) {
  const double time = report_time(scales, ctx.T);
  copy_column(def.IDES, soil, col, work);
  const double CRUST = crust_thickness(soil, col);
  compute_water_pressures(def.IDES, scales.HT, soil, col, work);
  out.vd.write(Line().text("TIME = ").G(15, 4, time));
  drop_added_nodes(col, ctx.added, work);
  if (ctx.ISTEADY == 1 && ctx.T != scales.T0N) write_height_comparison(col, work, out.console);
  if (ctx.T == scales.T0N) {
    write_initial_table(soil, col, work, out.vd);
  } else {
    write_regular_table(soil, def.ME, col, work, out.vd);
  }
  out.console.write(Line().text("TIME = ").G(15, 4, time));
  out.console.free("  ");
  out.ts.write(Line()
                   .E(11, 4, time)
                   .E(11, 4, col.Z[col.NN])
                   .E(11, 4, average_dry_density(soil, col))
                   .E(11, 4, ctx.QTOP)
                   .E(11, 4, ctx.QBOT)
                   .E(11, 4, CRUST));
}

void write_restart_profile(const RunScales& scales, double T, const SoilColumn& col,
                           const ReportWork& work, RecordWriter& input) {
  for (int i = work.M; i >= 1; i -= 10) input.free(col.ER[i], work.ZP[i]);
  input.write(Line().blank().G(10, 5, work.ZP[work.M]).tab().tab().text("FINAL HEIGHT OF SOIL"));
  input.write(Line().blank().G(10, 5, report_time(scales, T)).tab().tab().text("STOPPING TIME"));
}

}  // namespace slurry1d
