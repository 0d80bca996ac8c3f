#include "driver/setup.hpp"

#include <cmath>
#include <string>

#include "driver/profile.hpp"
#include "driver/run_stop.hpp"
#include "solver/refine.hpp"
#include "steady/steady_state.hpp"

namespace slurry1d {

void write_result_headings(Outputs& out) {
  out.ts.free("                        AVERAGE   CUMULATED  CUMULATED");
  out.ts.free("              SOIL        DRY      OUTFLOW    OUTFLOW    CRUST\t");
  out.ts.free("  -TIME-    -HEIGHT-   -DENSITY-    -TOP-     -BOTTOM--THINKNESS-");
  out.tc.free("              CRACK     SOIL     TOTAL     CRACK", "     FLUID SIDE-WALL SIMULATED");
  out.tc.free("   -TIME-    -DEPTH-  -HEIGHT-", "  -VOLUME-  -VOLUME-  -VOLUME- -LOSS-  -RATE-");
}

// E0 is the void ratio of the compression curve at zero effective stress, K0
// the permeability there; both set the scales of the whole run.
void compute_reference_values(RunParameters& p, Outputs& out) {
  p.E0 = p.A1 * std::pow(p.Z1, p.B1);
  p.K0 = p.C * std::pow(p.E0, p.D);
  out.console.free("E0 = ", p.E0);
  out.console.free("K0 = ", p.K0);
}

// HTOT: the nominal height the layer will have received once every stage is
// placed, the length scale of the run.
void compute_total_height(RunParameters& p) {
  p.HTOT = p.H0;
  if (p.IFIL != 1) return;
  for (int i = 1; i <= p.NS; ++i) {
    const FillingStage& s = p.stage[i];
    p.HTOT += (s.TEF - s.TBF) * s.FRH;
    if (s.TBF == s.TEF) p.HTOT += s.FRH;
  }
}

namespace {
// The smaller of the running choice and a candidate, replacing only when larger.
double limited(double current, double candidate) {
  return current > candidate ? candidate : current;
}
}  // namespace

// The first step, in time units: the time scale of the compression curve
// -Z1/(GW HTOT B1), limited by the first output time, the largest step and, in
// staged filling, by the first stage. A new filling run without initial
// height starts from a thin layer of what the first stage places in that step.
void choose_first_step(RunParameters& p) {
  const double natural = -p.Z1 / (p.GW * p.HTOT * p.B1);
  double dt = p.OPT[1];
  dt = limited(dt, p.MAXDT);
  dt = limited(dt, natural);
  if (p.IFIL == 1) {
    // An instantaneous first stage has no duration to limit the step with: a
    // zero first step would never advance the clock.
    const double stage_length = p.stage[1].TEF - p.stage[1].TBF;
    if (stage_length > 0.0) dt = limited(stage_length, dt);
    if (p.H0IN == 0.0) p.H0 = dt * 0.05000000074505806 * p.stage[1].FRH;
  }
  p.DT = dt;
}

// NN nodes at the void ratio E0, equally spaced by H0/(NN-1) from ZBOT up.
void build_uniform_column(const RunParameters& p, SoilColumn& col) {
  col.Z[1] = p.ZBOT;
  for (int i = 1; i <= col.NN; ++i) {
    col.EN[i] = 1.0;
    col.DXI[i] = (1.0 / (col.NN - 1)) * p.H0 / p.HTOT;
    if (i < col.NN) col.Z[i + 1] = col.Z[i] + p.HTOT * col.DXI[i];
  }
}

// Times become K0 t / HTOT.
void make_times_nondimensional(RunParameters& p) {
  p.DT = p.K0 * p.DT / p.HTOT;
  p.DTMAX = p.K0 * p.MAXDT / p.HTOT;
  for (int i = 1; i <= MAXSTAGE; ++i) {
    p.OPTN[i] = p.K0 * p.OPT[i] / p.HTOT;
    p.TBFN[i] = p.K0 * p.stage[i].TBF / p.HTOT;
    p.TEFN[i] = p.K0 * p.stage[i].TEF / p.HTOT;
  }
  p.Z1N = p.Z1 / (p.GW * p.HTOT);
}

// Initial contents of the arrays the column does not define itself. These
// cover the whole capacity once: node addition later reads entries above the
// initial NN (the steady-state profile of added nodes, for instance).
void initialise_column_arrays(SoilColumn& col, double E0) {
  col.ER.fill(E0, MAXNODE);
  col.ESS.fill(E0, MAXNODE);
  col.ZSS.fill(SINGLE_1E_20, MAXNODE);
  col.XSOL.fill(1.0, MAXNODE);
  for (NodalArray* a : {&col.ECR, &col.SIGV, &col.EMID, &col.CL, &col.CD, &col.CU, &col.RHS}) {
    a->fill(0.0, MAXNODE);
  }
  col.EN.fill_range(0.0, col.NN + 1, MAXNODE);
  col.DXI.fill_range(0.0, col.NN + 1, MAXNODE);
  col.Z.fill_range(0.0, col.NN + 1, MAXNODE);
}

// Total vertical stress at the base: the saturated weight of every element.
double column_weight(const RunParameters& p, const SoilColumn& col) {
  double wsum = 0.0;
  for (int i = 1; i <= col.NN - 1; ++i) {
    const double eavg = (col.EN[i] + col.EN[i + 1]) * p.E0 / 2.0;
    wsum += (eavg + p.GS) * p.GW / (eavg + 1.0) * (col.Z[i + 1] - col.Z[i]);
  }
  return wsum;
}

// Without desiccation a prescribed velocity does not act at once: while the
// self-weight consolidation drives more water through that boundary than the
// velocity asks for, the boundary is held free-draining (kind 3); the time loop
// switches it on later.
void defer_velocity_boundaries(RunParameters& p, LoopState& loop) {
  if (p.IDES != 2) return;
  if (p.ITOP == 1 && p.VT != 0.0) {
    p.ITOP = 3;
    loop.JTOP = 1;
  }
  if (p.IBOT == 1 && p.VB != 0.0) {
    p.IBOT = 3;
    loop.JBOT = 1;
  }
}

void take_first_snapshots(SoilColumn& col) {
  col.EIT.copy_from(col.EN, MAXNODE);
  col.EOLD.copy_from(col.EN, MAXNODE);
  col.ESTEP.copy_from(col.EN, MAXNODE);
  col.DXIC.copy_from(col.DXI, MAXNODE);
}

void set_up_run(Run& run, Outputs& out) {
  RunParameters& p = run.p;
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;

  write_result_headings(out);
  compute_reference_values(p, out);
  p.H0IN = p.H0;
  col.NN = 10 * p.NNI - 9;

  if (p.ICONT == 1) build_profile_from_pairs(p.E0, p.profile, p.ND, col.NN, col, p.H0, p.ZBOT);
  compute_total_height(p);
  if (p.ICONT == 1) {
    for (int i = 1; i <= col.NN; ++i) col.DXI[i] = col.DXI[i] / p.HTOT;
  }
  choose_first_step(p);
  if (p.ICONT == 2) {
    if (p.IFIL == 1 && p.stage[1].TBF == p.stage[1].TEF) {
      throw RunStop(StopKind::RefusedRun,
                    {"PLEASE SPECIFY INITIAL HEIGHT INSTEAD OF INSTANEOUS FILLING!"});
    }
    build_uniform_column(p, col);
  }
  make_times_nondimensional(p);
  initialise_column_arrays(col, p.E0);
  p.T0N = p.K0 * p.TS / p.HTOT;
  p.TMARK = p.T0N;

  loop = LoopState{};
  loop.VTC = p.VT;
  loop.VBC = p.VB;
  if (p.IDES != 1 && p.ICONT != 1) {
    solve_steady_state(p, col, loop.ISTEADY, run.steady_work, out);
  }
  col.WSUM = column_weight(p, col);
  defer_velocity_boundaries(p, loop);
  refine_boundary_elements(p, col, loop.added, out.console);
  col.NN1 = col.NN + 1;
  col.NN2 = col.NN + 1;
  take_first_snapshots(col);
  p.T = p.K0 * p.TS / p.HTOT;

  const ReportContext ctx{loop.added, loop.ISTEADY, loop.QTOP, loop.QBOT};
  write_state_report(p, col, ctx, run.report_work, out);
  out.flush();
}

}  // namespace slurry1d
