#include "steady/steady_state.hpp"

#include <cmath>

#include "driver/run_stop.hpp"

namespace slurry1d {
namespace {

// Single-precision constants of the iteration, widened to double.
constexpr double CHANGE_TOLERANCE = 9.999999960041972e-13;    // 1e-12
constexpr double INITIAL_VELOCITY = 0.10000000149011612;      // 0.1
constexpr double VELOCITY_REDUCTION = 0.009999999776482582;   // 0.01
constexpr double RESIDUAL_TOLERANCE = 1.000000013351432e-10;  // 1e-10

// Bounds of the seepage iterations. A converging case needs a few dozen passes;
// the bounds only keep a case that cannot converge from hanging the run.
constexpr int MAX_SEEPAGE_ITERATIONS = 10000;
// 0.01^170 already underflows any velocity to zero.
constexpr int MAX_VELOCITY_REDUCTIONS = 1000;
// The head-driven iteration ends through its stall rule once more than this
// many passes have left the residual unchanged.
constexpr int MAX_STALLS = 5;

enum class Outcome { Converged, IterationLimit, NonFinite, ReductionLimit };

// The nominal grid of the steady state: the routine treats it as uniform.
double nominal_spacing(const RunParameters& p, const SoilColumn& col) {
  return p.HTOT / (col.NN - 1);
}

double mean_void_ratio(const SoilColumn& col, int i) {
  return (col.ESS[i] + col.ESS[i + 1]) / 2.0;
}

// Effective-stress increment over an element of nominal length h whose pore
// water flows at the hydraulic gradient g.
double stress_increment(const RunParameters& p, double h, double ebar, double g) {
  return h * p.GW * ((p.GS - 1.0) + (1.0 + ebar) * g) / (1.0 + p.E0);
}

double element_thickness(const RunParameters& p, double h, double ebar) {
  return h * (1.0 + ebar) / (1.0 + p.E0);
}

double void_ratio_at(const RunParameters& p, double sigma) {
  return p.A1 * std::pow(sigma + p.Z1, p.B1);
}

double element_permeability(const RunParameters& p, double ebar) {
  return p.C * std::pow(ebar, p.D);
}

// Every node starts from the current column; no gradient, no stress yet.
void start_from_column(const RunParameters& p, SoilColumn& col, SteadyWork& work) {
  col.ZSS[1] = p.ZBOT;
  for (int i = 1; i <= col.NN; ++i) {
    col.ESS[i] = col.EN[i] * p.E0;
    work.EPREV[i] = col.ESS[i];
    work.GSS[i] = 0.0;
    col.SIGE[i] = 0.0;
  }
}

// Effective stresses of a column whose solids stand at the void ratio E0 in
// still water under the surcharge.
void integrate_reference_stresses(const RunParameters& p, const SoilColumn& col, double h,
                                  SteadyWork& work) {
  const int NN = col.NN;
  work.SHYD[NN] = p.LT;
  for (int i = NN - 1; i >= 1; --i) {
    work.SHYD[i] = work.SHYD[i + 1] + h * (p.GS - 1.0) * p.GW / (p.E0 + 1.0);
  }
  work.SHYD[1] += p.LB;
}

// Hydrostatic effective stresses of the column as it stands, and the nominal
// elevations of its nodes.
void integrate_column_stresses(const RunParameters& p, SoilColumn& col) {
  const int NN = col.NN;
  col.SIGE[NN] = p.LT;
  for (int i = NN - 1; i >= 1; --i) {
    col.SIGE[i] = col.SIGE[i + 1] +
                  (col.Z[i + 1] - col.Z[i]) * (p.GS - 1.0) * p.GW / (mean_void_ratio(col, i) + 1.0);
  }
  for (int k = 1; k <= NN - 1; ++k) col.ZSS[k + 1] = col.ZSS[k] + col.DXI[k] * p.HTOT;
  col.SIGE[1] += p.LB;
}

// The water pressure at the bottom together with the weight the column
// carries there must leave the base some effective stress.
bool bottom_is_stable(const RunParameters& p, const SoilColumn& col) {
  return ((p.ZBOT + p.H0) - p.HB) * p.GW + col.SIGE[1] > 0.0;
}

// Elevations of the steady-state nodes stacked from the base with the
// thicknesses of their elements.
void stack_steady_elevations(const RunParameters& p, SoilColumn& col, double h) {
  col.ZSS[1] = p.ZBOT;
  for (int i = 2; i <= col.NN; ++i) {
    col.ZSS[i] = col.ZSS[i - 1] + element_thickness(p, h, mean_void_ratio(col, i - 1));
  }
}

void solve_hydrostatic(const RunParameters& p, SoilColumn& col, const SteadyWork& work, double h) {
  for (int i = 1; i <= col.NN; ++i) col.ESS[i] = void_ratio_at(p, work.SHYD[i]);
  stack_steady_elevations(p, col, h);
}

// One stress pass from the top under the prescribed seepage velocity QSS,
// positive upward: an upward flow takes its seepage force from the buoyant
// weight of each element, a downward one adds it.
bool integrate_velocity_driven_stresses(const RunParameters& p, SoilColumn& col, SteadyWork& work,
                                        double h, double QSS) {
  for (int i = col.NN - 1; i >= 1; --i) {
    const double ebar = mean_void_ratio(col, i);
    work.KSS[i] = element_permeability(p, ebar);
    work.GSS[i] = -QSS / work.KSS[i];
    col.SIGE[i] = col.SIGE[i + 1] + stress_increment(p, h, ebar, work.GSS[i]);
    if (!std::isfinite(col.SIGE[i])) return false;
  }
  return true;
}

enum class Change { Moved, Settled, NonFinite };

// New void ratios below the top node from the stresses of the last pass, held
// at ME from below; Settled when no node moved by the tolerance.
Change update_seepage_void_ratios(const RunParameters& p, SoilColumn& col, SteadyWork& work) {
  bool moved = false;
  for (int i = 1; i <= col.NN - 1; ++i) {
    double e = void_ratio_at(p, col.SIGE[i]);
    if (e < p.ME) e = p.ME;
    if (!std::isfinite(e)) return Change::NonFinite;
    col.ESS[i] = e;
    if (std::fabs(col.ESS[i] - work.EPREV[i]) >= CHANGE_TOLERANCE) moved = true;
    work.EPREV[i] = col.ESS[i];
  }
  return moved ? Change::Moved : Change::Settled;
}

// Seepage at the velocity the boundaries prescribe. The top node keeps its
// void ratio; the others follow the stresses until none moves.
Outcome solve_velocity_driven(const RunParameters& p, SoilColumn& col, SteadyWork& work, double h) {
  const double QSS = p.VT + p.VB;
  for (int iteration = 1; iteration <= MAX_SEEPAGE_ITERATIONS; ++iteration) {
    if (!integrate_velocity_driven_stresses(p, col, work, h, QSS)) return Outcome::NonFinite;
    const Change change = update_seepage_void_ratios(p, col, work);
    if (change == Change::NonFinite) return Outcome::NonFinite;
    if (change == Change::Settled) {
      stack_steady_elevations(p, col, h);
      return Outcome::Converged;
    }
  }
  return Outcome::IterationLimit;
}

enum class Pass { Through, NonFinite, ReductionLimit };

// One stress pass from the top under the seepage velocity QSS, positive
// downward here, accumulating the head loss. Where the seepage would lift the
// soil (no effective stress) the velocity is cut to a hundredth and the pass
// repeated.
Pass integrate_head_driven_stresses(const RunParameters& p, SoilColumn& col, SteadyWork& work,
                                    double h, double& QSS, double& HLSS, int& reductions) {
  const int NN = col.NN;
  for (;;) {
    HLSS = 0.0;
    col.SIGE[NN] = p.LT;
    bool lifted = false;
    for (int i = NN - 1; i >= 1; --i) {
      const double ebar = mean_void_ratio(col, i);
      work.KSS[i] = element_permeability(p, ebar);
      work.GSS[i] = QSS / work.KSS[i];
      HLSS += h * work.GSS[i] * (ebar + 1.0) / (p.E0 + 1.0);
      col.SIGE[i] = col.SIGE[i + 1] + stress_increment(p, h, ebar, work.GSS[i]);
      if (col.SIGE[i] <= 0.0) {
        lifted = true;
        break;
      }
    }
    if (!lifted) break;
    if (++reductions > MAX_VELOCITY_REDUCTIONS) return Pass::ReductionLimit;
    QSS *= VELOCITY_REDUCTION;
  }
  col.SIGE[1] += p.LB;
  if (!std::isfinite(HLSS) || !std::isfinite(col.SIGE[1])) return Pass::NonFinite;
  return Pass::Through;
}

// Why a stress pass that did not get through ends the iteration.
Outcome failed(Pass pass) {
  return pass == Pass::NonFinite ? Outcome::NonFinite : Outcome::ReductionLimit;
}

// The elevation of the water that stands on the layer in its final state, above
// the base: the answered initial top, where the water the layer releases stays
// (it is not drained away), as at the base boundary of the time loop. In
// staged filling that water rises with the fill to the highest top reached;
// the final state takes the top of the completed fill as placed, at its
// nominal height HTOT, the highest the fill can reach.
double final_water_level(const RunParameters& p) {
  return p.IFIL == 1 ? p.HTOT : p.H0IN;
}

// Still water: the head at the base balances the water on the layer and
// nothing seeps. One pass at zero velocity gives the hydrostatic stresses.
Outcome settle_without_seepage(const RunParameters& p, SoilColumn& col, SteadyWork& work, double h,
                               double& QSS, double& HLSS) {
  QSS = 0.0;
  int reductions = 0;
  const Pass pass = integrate_head_driven_stresses(p, col, work, h, QSS, HLSS, reductions);
  if (pass != Pass::Through) return failed(pass);
  for (int i = 1; i <= col.NN; ++i) col.ESS[i] = void_ratio_at(p, col.SIGE[i]);
  return Outcome::Converged;
}

// Seepage driven by the head drop HT from the water on the layer to the head
// at the bottom: the velocity is rescaled until the head loss through the
// layer matches that drop.
Outcome iterate_head_driven(const RunParameters& p, SoilColumn& col, SteadyWork& work, double h,
                            double HT, double& QSS, double& HLSS) {
  const int NN = col.NN;
  double previous_residual = 0.0;
  int stalls = 0;
  int reductions = 0;
  for (int iteration = 1; iteration <= MAX_SEEPAGE_ITERATIONS; ++iteration) {
    const Pass pass = integrate_head_driven_stresses(p, col, work, h, QSS, HLSS, reductions);
    if (pass != Pass::Through) return failed(pass);

    // The residual has stalled when it changed by no more than the tolerance
    // relative to its size; after more than MAX_STALLS such passes the
    // iteration ends through the tolerance ERROR1.
    double R = HT - HLSS;
    if (std::fabs(previous_residual - R) / std::fabs(R) <= RESIDUAL_TOLERANCE) ++stalls;
    if (stalls > MAX_STALLS) {
      R = HT * p.ERROR1;
    } else {
      previous_residual = R;
      for (int i = 1; i <= NN; ++i) col.ESS[i] = void_ratio_at(p, col.SIGE[i]);
      stack_steady_elevations(p, col, h);
      QSS = QSS * HT / HLSS;
      if (!std::isfinite(QSS) || !std::isfinite(col.ZSS[NN])) return Outcome::NonFinite;
    }
    if (!(std::fabs(R / HT) > RESIDUAL_TOLERANCE)) return Outcome::Converged;
  }
  return Outcome::IterationLimit;
}

// Seepage between the water on the layer and the head HB at its base. HT, the
// head drop, overwrites the run's HT; the head loss through the settled layer
// equals it.
Outcome solve_head_driven(RunParameters& p, SoilColumn& col, SteadyWork& work, double h,
                          Outputs& out) {
  p.HT = (final_water_level(p) + p.ZBOT) - p.HB;
  double QSS = p.HT == p.HB ? INITIAL_VELOCITY * p.K0
                            : INITIAL_VELOCITY * p.K0 * (p.HT - p.HB) / std::fabs(p.HT - p.HB);
  double HLSS = 0.0;
  const Outcome outcome = p.HT == 0.0 ? settle_without_seepage(p, col, work, h, QSS, HLSS)
                                      : iterate_head_driven(p, col, work, h, p.HT, QSS, HLSS);
  if (outcome != Outcome::Converged) return outcome;

  work.QSS = QSS;
  work.HLSS = HLSS;
  out.vd.write(Line().text("STEADY STATE VELOCITY = ").G(14, 6, QSS));
  out.vd.write(Line().text("STEADY STATE HEAD LOSS = ").F(10, 6, HLSS));
  stack_steady_elevations(p, col, h);
  return Outcome::Converged;
}

void report_no_steady_state(Outcome outcome, RecordWriter& console) {
  switch (outcome) {
    case Outcome::IterationLimit:
      console.free("STEADY STATE NOT FOUND: NO CONVERGENCE WITHIN ", MAX_SEEPAGE_ITERATIONS,
                   " ITERATIONS");
      break;
    case Outcome::NonFinite:
      console.free("STEADY STATE NOT FOUND: THE ITERATION GAVE A VALUE THAT IS NOT A NUMBER");
      break;
    case Outcome::ReductionLimit:
      console.free("STEADY STATE NOT FOUND: NO POSITIVE EFFECTIVE STRESS AFTER ",
                   MAX_VELOCITY_REDUCTIONS, " VELOCITY REDUCTIONS");
      break;
    case Outcome::Converged:
      return;
  }
  console.free("THE RUN GOES ON WITHOUT A STEADY STATE");
}

// Back to the values of the set-up, as if no steady state had been attempted.
void forget_steady_state(const RunParameters& p, SoilColumn& col, int& ISTEADY) {
  ISTEADY = 0;
  col.ESS.fill(p.E0, col.NN);
  col.ZSS.fill(SINGLE_1E_20, col.NN);
}

// Velocity-driven seepage needs a non-zero velocity through a velocity base;
// head-driven seepage a head at the base; everything else settles in still
// water.
Outcome solve_mode(RunParameters& p, SoilColumn& col, SteadyWork& work, double h, Outputs& out) {
  if (p.ITOP == 3 && p.IBOT == 1 && p.VB != 0.0) return solve_velocity_driven(p, col, work, h);
  if (p.ITOP == 3 && p.IBOT == 2) return solve_head_driven(p, col, work, h, out);
  solve_hydrostatic(p, col, work, h);
  return Outcome::Converged;
}

// Everything but the closing console line. An evaporating top has no steady
// state to aim at.
void attempt_steady_state(RunParameters& p, SoilColumn& col, int& ISTEADY, SteadyWork& work,
                          Outputs& out) {
  if (p.ITOP == 1) return;
  ISTEADY = 1;
  const double h = nominal_spacing(p, col);
  start_from_column(p, col, work);
  integrate_reference_stresses(p, col, h, work);
  integrate_column_stresses(p, col);
  if (!bottom_is_stable(p, col)) {
    throw RunStop(StopKind::CannotGoOn, {"MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM"});
  }
  if (p.IDES == 1) return;
  const Outcome outcome = solve_mode(p, col, work, h, out);
  if (outcome == Outcome::Converged) return;
  report_no_steady_state(outcome, out.console);
  forget_steady_state(p, col, ISTEADY);
}

}  // namespace

void solve_steady_state(RunParameters& p, SoilColumn& col, int& ISTEADY, SteadyWork& work,
                        Outputs& out) {
  attempt_steady_state(p, col, ISTEADY, work, out);
  out.console.free("STEADY STATE HEIGHT = ", col.ZSS[col.NN]);
}

}  // namespace slurry1d
