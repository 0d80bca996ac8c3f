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

void take_step_snapshot(Run& run) {
  run.step_snapshot.capture(run.col);
  run.col.ESTEP.copy_from(run.col.EN, run.col.NN);
}

void take_restart_snapshot(Run& run) {
  SoilColumn& col = run.col;
  run.restart_snapshot.capture(col);
  col.EOLD.copy_from(col.EN, col.NN);
  col.EIT.copy_from(col.EN, col.NN);
}

void restore_restart_column(Run& run) {
  SoilColumn& col = run.col;
  run.restart_snapshot.restore(col);
  col.EN.copy_from(col.EOLD, col.NN);
  col.EIT.copy_from(col.EOLD, col.NN);
}

void restore_step_snapshot(Run& run) {
  SoilColumn& col = run.col;
  run.step_snapshot.restore(col);
  col.EN.copy_from(col.ESTEP, col.NN);
  col.EIT.copy_from(col.ESTEP, col.NN);
  col.EOLD.copy_from(col.ESTEP, col.NN);
  col.NN1 = col.NN2;
}

namespace {

// Staged filling: the elevations and the base stress follow the mid-step void
// ratios before the boundary rows read them.
void filling_geometry(const RunParameters& p, SoilColumn& col) {
  col.Z[1] = p.ZBOT;
  double weight = 0.0;
  for (int k = 1; k <= col.NN - 1; ++k) {
    const double e = p.E0 * (col.EMID[k] + col.EMID[k + 1]) / 2.0;
    col.Z[k + 1] = col.Z[k] + (e + 1.0) / (p.E0 + 1.0) * col.DXI[k] * p.HTOT;
    weight += (col.Z[k + 1] - col.Z[k]) * (e + p.GS) * p.GW / (e + 1.0);
  }
  col.WSUM = p.LT + weight + p.LB;
}

}  // namespace

// A void ratio above E0 is stored as E0 (the soil does not swell past its
// fresh state); one at or below zero as half the minimum void ratio. Returns
// false when the solution holds a value that is not a number.
bool clip_solution(const RunParameters& p, SoilColumn& col) {
  bool finite = true;
  const double floor_value = p.ME / (2.0 * p.E0);
  for (double& x : col.XSOL.head(col.NN)) {
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

// Whether a node's rate of change over the step, change/DT*K0/HTOT, exceeds
// ERROR. The two divisions are costly in the hot loop, so the rate is first
// estimated with one multiplication; only an estimate within a relative 1e-9
// of ERROR (the two forms differ by a few units in the last place) is decided
// by the exact expression, so the answer is always that of the exact one
// (subnormal values are below any normal ERROR either way).
class FastNodeTest {
 public:
  FastNodeTest(const RunParameters& p, double DT)
      : p_(p),
        DT_(DT),
        factor_(p.K0 / (DT * p.HTOT)),
        above_(p.ERROR * (1.0 + 1e-9)),
        below_(p.ERROR * (1.0 - 1e-9)),
        estimate_(std::isnormal(p.ERROR) && p.ERROR > 0.0 && std::isnormal(factor_)) {}

  bool operator()(double change) const {
    if (estimate_) {
      const double estimate = change * factor_;
      if (estimate > above_) return true;
      if (estimate < below_) return false;
    }
    return change / DT_ * p_.K0 / p_.HTOT > p_.ERROR;
  }

 private:
  const RunParameters& p_;
  double DT_;
  double factor_;
  double above_;
  double below_;
  bool estimate_;  // the estimate is only trusted for normal, positive values
};

// Moves the solution into EN and sums the change over the step (DSQ) and the
// nodes changing faster than ERROR (NFAST).
void take_over_solution(const RunParameters& p, double DT, SoilColumn& col, LoopState& loop) {
  const int NN = col.NN;
  loop.DSQ = 0.0;
  loop.NFAST = 0;
  const FastNodeTest fast(p, DT);
  const auto accumulate = [&](int node, double x) {
    const double change = (col.EOLD[node] - x) * (col.EOLD[node] - x);
    loop.DSQ += change;
    if (fast(change)) ++loop.NFAST;
  };
  if (p.IBOT < 2) {
    for (int i = 1; i <= NN - 1; ++i) {
      col.EN[i] = col.XSOL[i];
      accumulate(i, col.XSOL[i]);
    }
    if (p.ITOP < 2) {
      col.EN[NN] = col.XSOL[NN];
      loop.DSQ += (col.EOLD[NN] - col.XSOL[NN]) * (col.EOLD[NN] - col.XSOL[NN]);
    } else {
      col.EN[NN] = loop.ends.ETOP;
    }
    return;
  }
  col.EN[1] = loop.ends.EBOT;
  const int top_free = p.ITOP < 2 ? NN : NN - 1;
  for (int i = top_free; i >= 2; --i) {
    col.EN[i] = col.XSOL[i - 1];
    accumulate(i, col.XSOL[i - 1]);
  }
  if (p.ITOP >= 2) col.EN[NN] = loop.ends.ETOP;
}

namespace {

double iterate_change(const SoilColumn& col) {
  double esq = 0.0;
  for (int i = 1; i <= col.NN; ++i) esq += (col.EN[i] - col.EIT[i]) * (col.EN[i] - col.EIT[i]);
  return esq;
}

// Within a step the end nodes may not swell past their start-of-step values;
// drying soil may not swell anywhere.
void prevent_swelling(const RunParameters& p, SoilColumn& col) {
  const int NN = col.NN;
  if (p.IDES != 1) {
    col.EN[1] = std::min(col.EN[1], col.EOLD[1]);
    col.EN[NN] = std::min(col.EN[NN], col.EOLD[NN]);
  } else {
    for (int i = 1; i <= NN; ++i) col.EN[i] = std::min(col.EN[i], col.ESTEP[i]);
  }
  for (int i = 1; i <= NN; ++i) col.ER[i] = p.E0 * col.EN[i];
}

// Elevations of the new void ratios and the total stress at the base.
void update_geometry(const RunParameters& p, const Soil& soil, SoilColumn& col) {
  if (p.IDES == 1) {
    update_cracked_column(p, soil, col);
    return;
  }
  col.WSUM = 0.0;
  col.Z[1] = p.ZBOT;
  for (int k = 1; k <= col.NN - 1; ++k) {
    const double e = (col.ER[k] + col.ER[k + 1]) / 2.0;
    col.Z[k + 1] = col.Z[k] + (e + 1.0) / (p.E0 + 1.0) * col.DXI[k] * p.HTOT;
    col.WSUM += (col.Z[k + 1] - col.Z[k]) * (e + p.GS) * p.GW / (e + 1.0);
  }
  col.WSUM = p.LT + col.WSUM + p.LB;
}

bool has_converged(const RunParameters& p, const SoilColumn& col) {
  for (int i = 1; i <= col.NN; ++i) {
    if (!((col.EN[i] - col.EIT[i]) * (col.EN[i] - col.EIT[i]) < p.ERROR1)) return false;
  }
  return true;
}

struct PassResult {
  bool converged = false;
  bool finite = true;
};

PassResult solve_pass(Run& run) {
  const RunParameters& p = run.p;
  const double DT = run.clock.DT();
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;
  if (can_assemble_and_solve_in_one_sweep(p, col)) {
    // The same system, assembled and solved in one sweep up the column.
    if (loop.KIT != 1) col.EMID.copy_from(col.EN, col.NN);
    if (p.IDES == 2 && p.IFIL == 1) filling_geometry(p, col);
    col.EIT.copy_from(col.EN, col.NN);
    assemble_and_solve_in_one_sweep(p, run.soil, DT, col, loop.ends, run.solver_work);
  } else {
    assemble_interior_rows(run.soil, p.VT, DT, col, loop.KIT);
    if (p.IDES == 2 && p.IFIL == 1) filling_geometry(p, col);
    assemble_boundary_rows(p, run.soil, col, loop.ends);
    col.EIT.copy_from(col.EN, col.NN);
    solve_tridiagonal(col, p.ITOP, p.IBOT, run.solver_work);
  }
  PassResult result;
  result.finite = clip_solution(p, col);
  take_over_solution(p, DT, col, loop);
  loop.ESQ = iterate_change(col);
  loop.KIT = 0;
  prevent_swelling(p, col);
  update_geometry(p, run.soil, col);
  result.converged = result.finite && has_converged(p, col);
  return result;
}

}  // namespace

// Halves the step and puts the column back where the step began.
void halve_step(Run& run) {
  const RunParameters& p = run.p;
  LoopState& loop = run.loop;
  ++loop.NHALF;
  run.clock.halve();
  if (p.IFIL == 1 && loop.stage.KF7 == 0) {
    // The step had just closed a stage; its shorter repeat lies inside it again.
    loop.stage.KF7 = 1;
    if (loop.stage.KSTG != 1) --loop.stage.KSTG;
  }
  loop.FONE = 1.0;
  if (p.IFIL == 1 || p.IDES == 1) {
    restore_step_snapshot(run);
  } else {
    restore_restart_column(run);
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
  const RunParameters& p = run.p;
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;
  for (;;) {
    const PassResult pass = solve_pass(run);
    if (pass.converged) return IterationResult::Converged;

    for (int i = 1; i <= col.NN; ++i) col.EMID[i] = (col.EOLD[i] + col.EN[i]) / 2.0;
    if (pass.finite && loop.ITER > MAX_REPEATED_PASSES) {
      for (int i = 1; i <= col.NN; ++i) col.EN[i] = (col.EN[i] + col.EIT[i]) / 2.0;
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
    if (p.IFIL == 1 && p.IDES != 1) return IterationResult::RepeatFromFilling;
  }
}

}  // namespace slurry1d
