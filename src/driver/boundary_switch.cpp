// Deferred velocity boundaries of runs without desiccation, and the outflows
// through the ends.

#include "driver/boundary_switch.hpp"

namespace slurry1d {

namespace {

// Pore-water velocity through the element between nodes lower and lower+1, at
// the mid-step void ratios.
double element_velocity(const Soil& soil, const SoilColumn& col, const NodalArray& EMID,
                        int lower) {
  const double r = (EMID[lower] + EMID[lower + 1]) / 2.0;
  const double sp = soil.compression_slope(r);
  return soil.fluid_velocity(EMID[lower + 1], EMID[lower], sp, col.DXI[lower], r);
}

// The step is solved again from its start with the boundary switched. The
// clock goes back to the start of the step and the repeated step is judged
// afresh: its first pass is compared with the error level 1.0, not with the
// tiny level of the pass that had just converged, which would count as a
// divergence and halve the step back before its own start. Returns the time
// the step starts at, from which the boundary acts.
double repeat_step_from_its_start(Run& run) {
  StepIterates& it = run.solver.iterates;
  run.solver.restore_restart_snapshot(run.col);
  it.EMID.copy_from(it.EOLD, run.col.NN);  // the switch restarts the linearisation too
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
  const NodalArray& EMID = run.solver.iterates.EMID;
  loop.VBC = element_velocity(run.soil, col, EMID, 1);
  loop.VTC = element_velocity(run.soil, col, EMID, col.NN - 1);

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

}  // namespace slurry1d
