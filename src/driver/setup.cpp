#include "driver/setup.hpp"

#include <cmath>
#include <string>

#include "driver/loop_records.hpp"
#include "driver/profile.hpp"
#include "model/run_stop.hpp"
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
void compute_reference_values(const RunDefinition& def, RunScales& scales, Outputs& out) {
  scales.E0 = def.A1 * std::pow(def.Z1, def.B1);
  scales.K0 = def.C * std::pow(scales.E0, def.D);
  out.console.free("E0 = ", scales.E0);
  out.console.free("K0 = ", scales.K0);
}

// HTOT: the nominal height the layer will have received once every stage is
// placed, the length scale of the run.
void compute_total_height(const RunDefinition& def, RunScales& scales) {
  scales.HTOT = scales.H0;
  if (def.IFIL != 1) return;
  for (int i = 1; i <= def.NS; ++i) {
    const FillingStage& s = def.stage[i];
    scales.HTOT += (s.TEF - s.TBF) * s.FRH;
    if (s.TBF == s.TEF) scales.HTOT += s.FRH;
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
double choose_first_step(const RunDefinition& def, RunScales& scales) {
  const double natural = -def.Z1 / (def.GW * scales.HTOT * def.B1);
  double dt = def.OPT[1];
  dt = limited(dt, def.MAXDT);
  dt = limited(dt, natural);
  if (def.IFIL == 1) {
    // An instantaneous first stage has no duration to limit the step with: a
    // zero first step would never advance the clock.
    const double stage_length = def.stage[1].TEF - def.stage[1].TBF;
    if (stage_length > 0.0) dt = limited(stage_length, dt);
    if (scales.H0IN == 0.0) scales.H0 = dt * 0.05000000074505806 * def.stage[1].FRH;
  }
  return dt;
}

// NN nodes at the void ratio E0, equally spaced by H0/(NN-1) from ZBOT up.
void build_uniform_column(const RunDefinition& def, const RunScales& scales, SoilColumn& col) {
  for (int i = 1; i <= col.NN; ++i) {
    col.EN[i] = 1.0;
    col.DXI[i] = (1.0 / (col.NN - 1)) * scales.H0 / scales.HTOT;
  }
  column_geometry(def, scales).stack_fresh(col);
}

// Times become K0 t / HTOT.
void make_times_nondimensional(const RunDefinition& def, RunScales& scales) {
  const double K0 = scales.K0;
  const double HTOT = scales.HTOT;
  scales.DTMAX = K0 * def.MAXDT / HTOT;
  for (int i = 1; i <= MAXSTAGE; ++i) {
    scales.OPTN[i] = K0 * def.OPT[i] / HTOT;
    scales.TBFN[i] = K0 * def.stage[i].TBF / HTOT;
    scales.TEFN[i] = K0 * def.stage[i].TEF / HTOT;
  }
  scales.Z1N = def.Z1 / (def.GW * HTOT);
  scales.T0N = K0 * def.TS / HTOT;
}

// Initial contents of the steady-state profile, over the whole capacity:
// node addition later reads entries above the initial NN (the steady-state
// profile of added nodes, for instance). Every other array of a new run
// record is 0.0 above the top node from its allocation.
void initialise_column_arrays(SoilColumn& col, double E0) {
  col.ESS.fill(E0, MAXNODE);
  col.ZSS.fill(SINGLE_1E_20, MAXNODE);
}

// DXI is 0.0 above the column, and so is DXIC of a new run record.
void start_cracked_lengths(SoilColumn& col) {
  col.DXIC.copy_from(col.DXI, col.NN);
}

namespace {

// The column of the run: the profile of the last run, or a uniform fresh
// slurry. Returns the first step in time units.
double build_column(Run& run) {
  const RunDefinition& def = run.def;
  RunScales& scales = run.scales;
  SoilColumn& col = run.col;
  col.NN = run.controls.node_count();
  if (def.ICONT == 1) {
    build_profile_from_pairs(scales.E0, def.profile, def.ND, col.NN, col, scales.H0, scales.ZBOT);
  }
  compute_total_height(def, scales);
  if (def.ICONT == 1) {
    for (int i = 1; i <= col.NN; ++i) col.DXI[i] = col.DXI[i] / scales.HTOT;
  }
  const double first_step = choose_first_step(def, scales);
  if (def.ICONT == 2) {
    if (def.IFIL == 1 && def.stage[1].TBF == def.stage[1].TEF) {
      throw RunStop(StopKind::RefusedRun,
                    {"PLEASE SPECIFY INITIAL HEIGHT INSTEAD OF INSTANEOUS FILLING!"});
    }
    build_uniform_column(def, scales, col);
  }
  return first_step;
}

}  // namespace

void set_up_run(Run& run, Outputs& out, RunObserver& observer) {
  const RunDefinition& def = run.def;
  RunScales& scales = run.scales;
  SoilColumn& col = run.col;
  LoopState& loop = run.loop;

  write_result_headings(out);
  scales = RunScales{};
  compute_reference_values(def, scales, out);
  scales.H0 = def.H0;
  scales.H0IN = def.H0;
  const double first_step = build_column(run);
  run.soil = soil_of(def, scales);
  make_times_nondimensional(def, scales);
  initialise_column_arrays(col, scales.E0);
  run.clock = Clock(scales.T0N, scales.K0 * first_step / scales.HTOT, run.controls.step_factor);

  loop = LoopState{};
  loop.VTC = def.bc.VT;
  loop.VBC = def.bc.VB;
  if (def.IDES != 1 && def.ICONT != 1) {
    solve_steady_state(def, run.soil, scales, col, loop.ISTEADY, run.steady_work, out);
  }
  col.WSUM = run.geometry().column_weight(col);
  run.boundaries = BoundaryState{};
  run.boundaries.defer(def);
  refine_boundary_elements(run.soil, run.geometry(), run.acting_boundaries(), def.ME, col,
                           loop.added, out.console);
  col.NN1 = col.NN + 1;
  col.NN2 = col.NN + 1;
  start_cracked_lengths(col);
  run.solver.start(col);

  observer.run_set_up(RunSetUp{def, scales, run.soil, col, loop.ISTEADY == 1,
                               loop.ISTEADY == 1 ? col.ZSS[col.NN] - col.ZSS[1] : 0.0, def.TS,
                               def.NO >= 1 ? def.OPT[def.NO] : def.TS, loop.added});
  write_report(run, out, observer, ReportKind::Start, 0);
  out.flush();
}

void set_up_run(Run& run, Outputs& out) {
  set_up_run(run, out, no_observer());
}

}  // namespace slurry1d
