#include "driver/iteration.hpp"

#include <algorithm>
#include <cmath>

#include "driver/desiccation.hpp"
#include "driver/loop_records.hpp"
#include "solver/boundary_rows.hpp"
#include "solver/column_pass.hpp"
#include "solver/interior_rows.hpp"
#include "solver/tridiagonal.hpp"

namespace slurry1d {

namespace {

// Staged filling: the elevations and the base stress follow the mid-step void
// ratios before the boundary rows read them.
void filling_geometry(const ColumnGeometry& geometry, const BoundaryConditions& bc,
                      const NodalArray& EMID, SoilColumn& col) {
  col.WSUM = bc.LT + geometry.stack_on_mid_step_void_ratios(col, EMID) + bc.LB;
}

}  // namespace

// A void ratio above E0 is stored as E0 (the soil does not swell past its
// fresh state); one at or below zero as half the minimum void ratio. Returns
// false when the solution holds a value that is not a number.
bool clip_solution(double ME, double E0, int NN, TridiagonalSystem& sys) {
  bool finite = true;
  const double floor_value = ME / (2.0 * E0);
  for (double& x : sys.XSOL.head(NN)) {
    if (x > 1.0) {
      x = 1.0;
    } else if (x <= 0.0) {
      x = floor_value;
    } else if (!(x > 0.0)) {
      finite = false;
    }
  }
  return finite;
}

// Moves the solution into EN and sums the change over the step (DSQ) and the
// nodes changing faster than ERROR (NFAST). The sums run in locals, in the
// order of the nodes, and are stored once.
void take_over_solution(const BoundaryConditions& bc, const FastNodeTest& fast,
                        const SolverState& solver, SoilColumn& col, LoopState& loop) {
  const int NN = col.NN;
  const NodalArray& EOLD = solver.iterates.EOLD;
  const NodalArray& XSOL = solver.system.XSOL;
  NodalArray& EN = col.EN;
  double DSQ = 0.0;
  int NFAST = 0;
  const auto accumulate = [&](int node, double x) {
    const double change = (EOLD[node] - x) * (EOLD[node] - x);
    DSQ += change;
    if (fast(change)) ++NFAST;
  };
  if (bottom_has_velocity_row(bc.IBOT)) {
    for (int i = 1; i <= NN - 1; ++i) {
      EN[i] = XSOL[i];
      accumulate(i, XSOL[i]);
    }
    if (top_has_velocity_row(bc.ITOP)) {
      EN[NN] = XSOL[NN];
      DSQ += (EOLD[NN] - XSOL[NN]) * (EOLD[NN] - XSOL[NN]);
    } else {
      EN[NN] = solver.ends.ETOP;
    }
  } else {
    EN[1] = solver.ends.EBOT;
    const int top_free = top_has_velocity_row(bc.ITOP) ? NN : NN - 1;
    for (int i = top_free; i >= 2; --i) {
      EN[i] = XSOL[i - 1];
      accumulate(i, XSOL[i - 1]);
    }
    if (!top_has_velocity_row(bc.ITOP)) EN[NN] = solver.ends.ETOP;
  }
  loop.DSQ = DSQ;
  loop.NFAST = NFAST;
}

namespace {

double iterate_change(const SoilColumn& col, const NodalArray& EIT) {
  double esq = 0.0;
  for (int i = 1; i <= col.NN; ++i) esq += (col.EN[i] - EIT[i]) * (col.EN[i] - EIT[i]);
  return esq;
}

// Within a step the end nodes may not swell past their start-of-step values;
// drying soil may not swell anywhere.
void prevent_swelling(int IDES, const SolverState& solver, SoilColumn& col) {
  const int NN = col.NN;
  if (IDES != 1) {
    col.EN[1] = std::min(col.EN[1], solver.iterates.EOLD[1]);
    col.EN[NN] = std::min(col.EN[NN], solver.iterates.EOLD[NN]);
  } else {
    const ColumnSnapshot& start = solver.step_snapshot();
    for (int i = 1; i <= NN; ++i) col.EN[i] = std::min(col.EN[i], start.EN(i));
  }
}

// Elevations of the new void ratios and the total stress at the base.
void update_geometry(Run& run, const BoundaryConditions& bc) {
  const ColumnGeometry geometry = run.geometry();
  SoilColumn& col = run.col;
  if (run.def.IDES == 1) {
    update_cracked_column(run.soil, geometry, bc.LT, col);
    return;
  }
  col.WSUM = bc.LT + geometry.stack_on_void_ratios(col) + bc.LB;
}

bool has_converged(double ERROR1, const SoilColumn& col, const NodalArray& EIT) {
  for (int i = 1; i <= col.NN; ++i) {
    if (!((col.EN[i] - EIT[i]) * (col.EN[i] - EIT[i]) < ERROR1)) return false;
  }
  return true;
}

struct PassResult {
  bool converged = false;
  bool finite = true;
};

PassResult solve_pass(Run& run) {
  const RunDefinition& def = run.def;
  const RunScales& scales = run.scales;
  const Soil& soil = run.soil;
  const BoundaryConditions bc = run.acting_boundaries();
  const double DT = run.clock.DT();
  SoilColumn& col = run.col;
  SolverState& solver = run.solver;
  StepIterates& it = solver.iterates;
  LoopState& loop = run.loop;
  const bool filling = def.IDES == 2 && def.IFIL == 1;
  if (can_assemble_and_solve_in_one_sweep(bc, col)) {
    // The same system, assembled and solved in one sweep up the column.
    if (loop.KIT != 1) it.EMID.copy_from(col.EN, col.NN);
    if (filling) filling_geometry(run.geometry(), bc, it.EMID, col);
    it.EIT.copy_from(col.EN, col.NN);
    assemble_and_solve_in_one_sweep(soil, bc, scales, DT, col, it, solver.system, solver.ends);
  } else {
    assemble_interior_rows(soil, bc.VT, DT, col, it, solver.system, loop.KIT);
    if (filling) filling_geometry(run.geometry(), bc, it.EMID, col);
    assemble_boundary_rows(soil, bc, scales, col, it, solver.system, solver.ends);
    it.EIT.copy_from(col.EN, col.NN);
    solve_tridiagonal(col.NN, bc.ITOP, bc.IBOT, solver.system);
  }
  PassResult result;
  result.finite = clip_solution(def.ME, scales.E0, col.NN, solver.system);
  take_over_solution(bc, FastNodeTest(def.ERROR, DT, scales.K0, scales.HTOT), solver, col, loop);
  loop.ESQ = iterate_change(col, it.EIT);
  loop.KIT = 0;
  prevent_swelling(def.IDES, solver, col);
  update_geometry(run, bc);
  result.converged = result.finite && has_converged(def.ERROR1, col, it.EIT);
  return result;
}

}  // namespace

// Halves the step and puts the column back where the step began.
void halve_step(Run& run) {
  const RunDefinition& def = run.def;
  LoopState& loop = run.loop;
  ++loop.NHALF;
  run.clock.halve();
  if (def.IFIL == 1 && loop.stage.KF7 == 0) {
    // The step had just closed a stage; its shorter repeat lies inside it again.
    loop.stage.KF7 = 1;
    if (loop.stage.KSTG != 1) --loop.stage.KSTG;
  }
  loop.FONE = 1.0;
  if (def.IFIL == 1 || def.IDES == 1) {
    run.solver.restore_step_snapshot(run.col);
  } else {
    run.solver.restore_restart_snapshot(run.col);
  }
}

namespace {

// A step halved so often that it no longer moves the clock cannot be solved.
bool halved_to_nothing(const Clock& clock, const LoopState& loop) {
  return loop.NHALF > MAX_HALVINGS || clock.T() - clock.DT() == clock.T() || !(clock.DT() > 0.0);
}

bool column_is_finite(const SoilColumn& col) {
  for (const double e : col.EN.head(col.NN)) {
    if (!std::isfinite(e)) return false;
  }
  return true;
}

}  // namespace

bool iteration_pass(Run& run) {
  return solve_pass(run).converged;
}

IterationResult iterate_step(Run& run, Outputs& out) {
  const RunDefinition& def = run.def;
  SoilColumn& col = run.col;
  StepIterates& it = run.solver.iterates;
  LoopState& loop = run.loop;
  for (;;) {
    const PassResult pass = solve_pass(run);
    if (pass.converged) return IterationResult::Converged;

    for (int i = 1; i <= col.NN; ++i) it.EMID[i] = (it.EOLD[i] + col.EN[i]) / 2.0;
    if (pass.finite && loop.ITER > MAX_REPEATED_PASSES) {
      for (int i = 1; i <= col.NN; ++i) col.EN[i] = (col.EN[i] + it.EIT[i]) / 2.0;
      out.console.free("CONVERGENCE PROBLEM OCCURS!!!!!!");
      if (column_is_finite(col)) return IterationResult::Converged;
    } else {
      loop.KIT = 1;
      ++loop.ITER;
      const double level = loop.ESQ / col.NN;
      write_iteration_line(out.console, loop.ITER, level);
      if (pass.finite && level <= loop.FONE) {
        loop.FONE = level;
        continue;
      }
    }

    out.console.free(" INSTABILITY OCCURS!!!!!!!!");
    halve_step(run);
    // The mid-step void ratios of a pass that is not a number are no point to
    // linearise about: the halved step starts afresh from its own void ratios.
    if (!pass.finite) loop.KIT = 0;
    if (halved_to_nothing(run.clock, loop)) {
      run.clock.step_back();
      return IterationResult::Failed;
    }
    if (def.IFIL == 1 && def.IDES != 1) return IterationResult::RepeatFromFilling;
  }
}

}  // namespace slurry1d
