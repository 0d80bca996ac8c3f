#include "driver/desiccation.hpp"

#include <algorithm>

#include "driver/iteration.hpp"

namespace slurry1d {
namespace {

// The 3-D shrinkage factor: the fraction of the plan area the soil occupies.
double area_fraction(const Soil& soil, double r, double x) {
  return soil.shrinkage_ratio(r, x);
}

// A node has cracked once its void ratio is at or below its crack-onset void
// ratio. A crack-onset void ratio of zero or below (cracking constants that
// fall through zero at high stress) cannot be divided by: such a node has dried
// past any crack-onset state and counts as cracked.
bool has_cracked(double ER, double ECR) {
  if (!(ECR > 0.0)) return true;
  return !(ER / ECR > 1.0);
}

// Height of a cracked element: its solids at the crack-onset state, swelled to
// the current void ratio and spread over the plan area the soil still covers.
double cracked_element_height(const Soil& soil, const SoilColumn& col, int k) {
  const double r = (col.EN[k] + col.EN[k + 1]) / 2.0;
  const double x = (col.ECR[k] + col.ECR[k + 1]) / 2.0;
  return soil.HTOT * col.DXIC[k] * (soil.E0 * r + 1.0) / ((x + 1.0) * area_fraction(soil, r, x));
}

}  // namespace

void update_cracked_column(const Soil& soil, const ColumnGeometry& geometry, double LT,
                           SoilColumn& col) {
  const int NN = col.NN;
  // Below the crack tip the soil shrinks one-dimensionally.
  col.WSUM = geometry.stack_uncracked(col, std::min(col.NN1, NN));
  if (col.NN1 < NN) {
    for (int k = col.NN1; k <= NN - 1; ++k) {
      col.Z[k + 1] = col.Z[k] + cracked_element_height(soil, col, k);
      const double e = soil.E0 * ((col.EN[k] + col.EN[k + 1]) / 2.0);
      col.WSUM += geometry.saturated_weight(col.Z[k + 1] - col.Z[k], e);
    }
    col.WSUM += LT;
  }

  // Total stress from the surcharge down, and the effective stress against a
  // water table at the top node.
  col.SIGV[NN] = LT;
  if (col.NN1 < NN) {
    for (int k = NN - 1; k >= 1; --k) {
      const double e = (col.ER[k] + col.ER[k + 1]) / 2.0;
      col.SIGV[k] = col.SIGV[k + 1] + geometry.saturated_weight(col.Z[k + 1] - col.Z[k], e);
      col.SIGE[k] = col.SIGV[k] - (col.Z[NN] - col.Z[k]) * geometry.GW;
    }
  }

  // The crack tip runs down through consecutive cracked nodes below the tip of
  // the last step; it never moves up.
  if (col.NN2 <= 1) return;
  for (int k = col.NN2 - 1; k >= 1; --k) {
    col.ECR[k] = soil.crack_onset_void_ratio(col.SIGV[k]);
    if (!has_cracked(col.ER[k], col.ECR[k])) break;
    col.NN1 = k;
  }

  // Elements cracked in this step keep their solids at the crack-onset state.
  if (col.NN1 < col.NN2 && col.NN1 != NN) {
    for (int k = col.NN2 - 1; k >= col.NN1; --k) {
      const double ec = soil.crack_onset_void_ratio((col.SIGV[k] + col.SIGV[k + 1]) / 2.0);
      col.DXIC[k] = (ec + 1.0) / (soil.E0 + 1.0) * col.DXI[k];
    }
  }
}

namespace {

// Pore-water velocity through the element between nodes lower and lower+1, at
// the mid-step void ratios.
double element_velocity(const Soil& soil, const SoilColumn& col, int lower) {
  const double r = (col.EMID[lower] + col.EMID[lower + 1]) / 2.0;
  const double sp = soil.compression_slope(r);
  return soil.fluid_velocity(col.EMID[lower + 1], col.EMID[lower], sp, col.DXI[lower], r);
}

// The step is solved again from its start with the boundary switched. The
// clock goes back to the start of the step and the repeated step is judged
// afresh: its first pass is compared with the error level 1.0, not with the
// tiny level of the pass that had just converged, which would count as a
// divergence and halve the step back before its own start. Returns the time
// the step starts at, from which the boundary acts.
double repeat_step_from_its_start(Run& run) {
  restore_restart_column(run);
  run.col.EMID.copy_from(run.col.EOLD, run.col.NN);  // the switch restarts the linearisation too
  run.clock.step_back();
  run.loop.FONE = 1.0;
  return run.clock.T();
}

}  // namespace

bool check_boundary_switch(Run& run, Outputs& out) {
  const BoundaryConditions& answered = run.def.bc;
  BoundaryState& boundaries = run.boundaries;
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;
  loop.VBC = element_velocity(run.soil, col, 1);
  loop.VTC = element_velocity(run.soil, col, col.NN - 1);

  if (boundaries.top_deferred) {
    if (loop.VTC > answered.VT) {
      out.console.free("SELF-WEIGHT CONSOLIDATION DOMINATES ", " AT TOP!");
    } else {
      boundaries.switch_top(repeat_step_from_its_start(run));
      return true;
    }
  }
  if (boundaries.bottom_deferred) {
    if (loop.VBC < answered.VB) {
      out.console.free("SELF-WEIGHT CONSOLIDATION DOMINATES ", " AT BOTTOM!");
    } else {
      boundaries.switch_bottom(repeat_step_from_its_start(run));
      return true;
    }
  }
  return false;
}

void accumulate_outflows(const BoundaryConditions& bc, const RunScales& scales, double DT,
                         LoopState& loop) {
  if (bc.ITOP == TopBoundary::Velocity) loop.VTC = bc.VT;
  if (bc.IBOT == BottomBoundary::Velocity) loop.VBC = bc.VB;
  loop.QTOP += (loop.VTC0 + loop.VTC) / 2.0 * DT * scales.HTOT / scales.K0;
  loop.QBOT += (loop.VBC0 + loop.VBC) / 2.0 * DT * scales.HTOT / scales.K0;
}

void accumulate_evaporation(Run& run) {
  const SoilColumn& col = run.col;
  LoopState& loop = run.loop;
  const BoundaryConditions& bc = run.def.bc;
  const RunScales& scales = run.scales;
  const Soil& soil = run.soil;
  const Clock& clock = run.clock;
  const int NN = col.NN;
  if (col.NN1 > NN) {
    loop.TEFT = clock.T() - scales.T0N;
  } else {
    loop.TEFT += clock.DT() *
                 (area_fraction(soil, col.EN[NN], col.ECR[NN]) +
                  area_fraction(soil, col.ESTEP[NN], col.ECR[NN])) /
                 2.0;
  }
  if (col.NN1 > 1) {
    loop.TEFB = clock.T() - scales.T0N;
  } else {
    loop.TEFB += clock.DT() *
                 (area_fraction(soil, col.EN[1], col.ECR[1]) +
                  area_fraction(soil, col.ESTEP[1], col.ECR[1])) /
                 2.0;
  }
  loop.VEVAP = (bc.VT * loop.TEFT + bc.VB * loop.TEFB) * scales.HTOT / scales.K0;
}

namespace {

void final_geometry_with_cracks(Run& run) {
  const ColumnGeometry geometry = run.geometry();
  const double ZBOT = geometry.ZBOT;
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;
  const int NN = col.NN;
  col.Z[1] = ZBOT;
  if (col.NN1 > 1) {
    const int last = std::min(col.NN1, NN);
    geometry.stack_uncracked_on_scaled_void_ratios(col, last);
    loop.VSOIL = col.Z[last] - ZBOT;
    loop.VCRACK = 0.0;
  }
  if (col.NN1 < NN) {
    if (col.NN1 == 1) {
      loop.VSOIL = 0.0;
      loop.VCRACK = 0.0;
    }
    for (int k = col.NN1; k <= NN - 1; ++k) {
      col.Z[k + 1] = col.Z[k] + cracked_element_height(run.soil, col, k);
      const double f1 = area_fraction(run.soil, col.EN[k], col.ECR[k]);
      const double f2 = area_fraction(run.soil, col.EN[k + 1], col.ECR[k + 1]);
      loop.VSOIL += (col.Z[k + 1] - col.Z[k]) * (f1 + f2) / 2.0;
      loop.VCRACK += (col.Z[k + 1] - col.Z[k]) * (2.0 - f1 - f2) / 2.0;
    }
  }
  // Cracking begins in the step in which the tip first goes below the top node.
  if (col.NN1 < NN && col.NN2 >= NN) {
    run.clock.mark_step_start();
    loop.HCRK = run.step_snapshot.Z[run.step_snapshot.NN];
    loop.KF4 = 1;
  }
}

}  // namespace

void final_geometry(Run& run) {
  if (run.def.IDES == 1) {
    final_geometry_with_cracks(run);
  } else {
    run.geometry().stack_on_scaled_void_ratios(run.col);
  }
}

}  // namespace slurry1d
