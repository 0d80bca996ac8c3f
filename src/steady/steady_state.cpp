#include "steady/steady_state.hpp"

#include <cmath>

#include "model/column_geometry.hpp"
#include "model/run_stop.hpp"

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
enum class Change { Moved, Settled, NonFinite };
enum class Pass { Through, NonFinite, ReductionLimit };

// The velocity of the head-driven seepage, the head loss of its last pass and
// the number of times the velocity was cut.
struct HeadDrivenSeepage {
  double QSS = 0.0;
  double HLSS = 0.0;
  int reductions = 0;
};

double mean_void_ratio(const SoilColumn& col, int i) {
  return (col.ESS[i] + col.ESS[i + 1]) / 2.0;
}

// The steady state of a run: it reads the answers (the boundary conditions
// as answered, ERROR1, ME), the soil and the heights, fills the column's ESS,
// ZSS and SIGE, and in the head-driven mode sets the head on top HT.
class SteadyState {
 public:
  SteadyState(const RunDefinition& def, const Soil& soil, RunScales& scales, SoilColumn& col,
              SteadyWork& work)
      : def_(def),
        bc_(def.bc),
        soil_(soil),
        scales_(scales),
        geometry_(column_geometry(def, scales)),
        col_(col),
        work_(work) {}

  // Everything but the closing console line; returns ISTEADY. An evaporating
  // top has no steady state to aim at.
  int attempt(Outputs& out) {
    if (bc_.ITOP == TopBoundary::Velocity) return 0;
    h_ = nominal_spacing();
    start_from_column();
    integrate_reference_stresses();
    integrate_column_stresses();
    if (!bottom_is_stable()) {
      throw RunStop(StopKind::CannotGoOn, {"MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM"});
    }
    if (def_.IDES == 1) return 1;
    const Outcome outcome = solve_mode(out);
    if (outcome == Outcome::Converged) return 1;
    report_no_steady_state(outcome, out.console);
    forget_steady_state();
    return 0;
  }

 private:
  // The nominal grid of the steady state: the routine treats it as uniform.
  double nominal_spacing() const { return scales_.HTOT / (col_.NN - 1); }

  // Effective-stress increment over an element of nominal length h whose pore
  // water flows at the hydraulic gradient g.
  double stress_increment(double ebar, double g) const {
    return h_ * soil_.GW * ((soil_.GS - 1.0) + (1.0 + ebar) * g) / (1.0 + soil_.E0);
  }

  // Every node starts from the current column; no gradient, no stress yet.
  void start_from_column() {
    col_.ZSS[1] = scales_.ZBOT;
    for (int i = 1; i <= col_.NN; ++i) {
      col_.ESS[i] = col_.EN[i] * soil_.E0;
      work_.EPREV[i] = col_.ESS[i];
      work_.GSS[i] = 0.0;
      col_.SIGE[i] = 0.0;
    }
  }

  // Effective stresses of a column whose solids stand at the void ratio E0 in
  // still water under the surcharge.
  void integrate_reference_stresses() {
    const int NN = col_.NN;
    work_.SHYD[NN] = bc_.LT;
    for (int i = NN - 1; i >= 1; --i) {
      work_.SHYD[i] = work_.SHYD[i + 1] + geometry_.buoyant_weight(h_, soil_.E0);
    }
    work_.SHYD[1] += bc_.LB;
  }

  // Hydrostatic effective stresses of the column as it stands, and the nominal
  // elevations of its nodes.
  void integrate_column_stresses() {
    const int NN = col_.NN;
    col_.SIGE[NN] = bc_.LT;
    for (int i = NN - 1; i >= 1; --i) {
      col_.SIGE[i] = col_.SIGE[i + 1] +
                     geometry_.buoyant_weight(col_.Z[i + 1] - col_.Z[i], mean_void_ratio(col_, i));
    }
    for (int k = 1; k <= NN - 1; ++k)
      col_.ZSS[k + 1] = col_.ZSS[k] + geometry_.nominal_span(col_.DXI[k]);
    col_.SIGE[1] += bc_.LB;
  }

  // The water pressure at the bottom together with the weight the column
  // carries there must leave the base some effective stress.
  bool bottom_is_stable() const {
    return ((scales_.ZBOT + scales_.H0) - bc_.HB) * soil_.GW + col_.SIGE[1] > 0.0;
  }

  // Elevations of the steady-state nodes stacked from the base with the
  // thicknesses of their elements.
  void stack_steady_elevations() {
    col_.ZSS[1] = scales_.ZBOT;
    for (int i = 2; i <= col_.NN; ++i) {
      col_.ZSS[i] =
          col_.ZSS[i - 1] + geometry_.span_of_nominal_length(h_, mean_void_ratio(col_, i - 1));
    }
  }

  void solve_hydrostatic() {
    for (int i = 1; i <= col_.NN; ++i) col_.ESS[i] = soil_.void_ratio_at_stress(work_.SHYD[i]);
    stack_steady_elevations();
  }

  // One stress pass from the top under the prescribed seepage velocity QSS,
  // positive upward: an upward flow takes its seepage force from the buoyant
  // weight of each element, a downward one adds it.
  bool integrate_velocity_driven_stresses(double QSS) {
    for (int i = col_.NN - 1; i >= 1; --i) {
      const double ebar = mean_void_ratio(col_, i);
      work_.KSS[i] = soil_.permeability(ebar);
      work_.GSS[i] = -QSS / work_.KSS[i];
      col_.SIGE[i] = col_.SIGE[i + 1] + stress_increment(ebar, work_.GSS[i]);
      if (!std::isfinite(col_.SIGE[i])) return false;
    }
    return true;
  }

  // New void ratios below the top node from the stresses of the last pass,
  // held at ME from below; Settled when no node moved by the tolerance.
  Change update_seepage_void_ratios() {
    bool moved = false;
    for (int i = 1; i <= col_.NN - 1; ++i) {
      double e = soil_.void_ratio_at_stress(col_.SIGE[i]);
      if (e < def_.ME) e = def_.ME;
      if (!std::isfinite(e)) return Change::NonFinite;
      col_.ESS[i] = e;
      if (std::fabs(col_.ESS[i] - work_.EPREV[i]) >= CHANGE_TOLERANCE) moved = true;
      work_.EPREV[i] = col_.ESS[i];
    }
    return moved ? Change::Moved : Change::Settled;
  }

  // Seepage at the velocity the boundaries prescribe. The top node keeps its
  // void ratio; the others follow the stresses until none moves.
  Outcome solve_velocity_driven() {
    const double QSS = bc_.VT + bc_.VB;
    for (int iteration = 1; iteration <= MAX_SEEPAGE_ITERATIONS; ++iteration) {
      if (!integrate_velocity_driven_stresses(QSS)) return Outcome::NonFinite;
      const Change change = update_seepage_void_ratios();
      if (change == Change::NonFinite) return Outcome::NonFinite;
      if (change == Change::Settled) {
        stack_steady_elevations();
        return Outcome::Converged;
      }
    }
    return Outcome::IterationLimit;
  }

  // One stress pass from the top under the seepage velocity QSS, positive
  // downward here, accumulating the head loss. Where the seepage would lift
  // the soil (no effective stress) the velocity is cut to a hundredth and the
  // pass repeated.
  Pass integrate_head_driven_stresses(HeadDrivenSeepage& s) {
    const int NN = col_.NN;
    for (;;) {
      s.HLSS = 0.0;
      col_.SIGE[NN] = bc_.LT;
      bool lifted = false;
      for (int i = NN - 1; i >= 1; --i) {
        const double ebar = mean_void_ratio(col_, i);
        work_.KSS[i] = soil_.permeability(ebar);
        work_.GSS[i] = s.QSS / work_.KSS[i];
        s.HLSS += h_ * work_.GSS[i] * (ebar + 1.0) / (soil_.E0 + 1.0);
        col_.SIGE[i] = col_.SIGE[i + 1] + stress_increment(ebar, work_.GSS[i]);
        if (col_.SIGE[i] <= 0.0) {
          lifted = true;
          break;
        }
      }
      if (!lifted) break;
      if (++s.reductions > MAX_VELOCITY_REDUCTIONS) return Pass::ReductionLimit;
      s.QSS *= VELOCITY_REDUCTION;
    }
    col_.SIGE[1] += bc_.LB;
    if (!std::isfinite(s.HLSS) || !std::isfinite(col_.SIGE[1])) return Pass::NonFinite;
    return Pass::Through;
  }

  // Why a stress pass that did not get through ends the iteration.
  static Outcome failed(Pass pass) {
    return pass == Pass::NonFinite ? Outcome::NonFinite : Outcome::ReductionLimit;
  }

  // The elevation of the water that stands on the layer in its final state,
  // above the base: the answered initial top, where the water the layer
  // releases stays (it is not drained away), as at the base boundary of the
  // time loop. In staged filling that water rises with the fill to the highest
  // top reached; the final state takes the top of the completed fill as
  // placed, at its nominal height HTOT, the highest the fill can reach.
  double final_water_level() const { return def_.IFIL == 1 ? scales_.HTOT : scales_.H0IN; }

  // Still water: the head at the base balances the water on the layer and
  // nothing seeps. One pass at zero velocity gives the hydrostatic stresses.
  Outcome settle_without_seepage(HeadDrivenSeepage& s) {
    s.QSS = 0.0;
    s.reductions = 0;
    const Pass pass = integrate_head_driven_stresses(s);
    if (pass != Pass::Through) return failed(pass);
    for (int i = 1; i <= col_.NN; ++i) col_.ESS[i] = soil_.void_ratio_at_stress(col_.SIGE[i]);
    return Outcome::Converged;
  }

  // Seepage driven by the head drop HT from the water on the layer to the
  // head at the bottom: the velocity is rescaled until the head loss through
  // the layer matches that drop.
  Outcome iterate_head_driven(double HT, HeadDrivenSeepage& s) {
    const int NN = col_.NN;
    double previous_residual = 0.0;
    int stalls = 0;
    s.reductions = 0;
    for (int iteration = 1; iteration <= MAX_SEEPAGE_ITERATIONS; ++iteration) {
      const Pass pass = integrate_head_driven_stresses(s);
      if (pass != Pass::Through) return failed(pass);

      // The residual has stalled when it changed by no more than the tolerance
      // relative to its size; after more than MAX_STALLS such passes the
      // iteration ends through the tolerance ERROR1.
      double R = HT - s.HLSS;
      if (std::fabs(previous_residual - R) / std::fabs(R) <= RESIDUAL_TOLERANCE) ++stalls;
      if (stalls > MAX_STALLS) {
        R = HT * def_.ERROR1;
      } else {
        previous_residual = R;
        for (int i = 1; i <= NN; ++i) col_.ESS[i] = soil_.void_ratio_at_stress(col_.SIGE[i]);
        stack_steady_elevations();
        s.QSS = s.QSS * HT / s.HLSS;
        if (!std::isfinite(s.QSS) || !std::isfinite(col_.ZSS[NN])) return Outcome::NonFinite;
      }
      if (!(std::fabs(R / HT) > RESIDUAL_TOLERANCE)) return Outcome::Converged;
    }
    return Outcome::IterationLimit;
  }

  // Seepage between the water on the layer and the head HB at its base. HT,
  // the head drop, is the run's head on top; the head loss through the
  // settled layer equals it.
  Outcome solve_head_driven(Outputs& out) {
    const double HB = bc_.HB;
    scales_.HT = (final_water_level() + scales_.ZBOT) - HB;
    const double HT = scales_.HT;
    HeadDrivenSeepage s;
    s.QSS = HT == HB ? INITIAL_VELOCITY * soil_.K0
                     : INITIAL_VELOCITY * soil_.K0 * (HT - HB) / std::fabs(HT - HB);
    const Outcome outcome = HT == 0.0 ? settle_without_seepage(s) : iterate_head_driven(HT, s);
    if (outcome != Outcome::Converged) return outcome;

    work_.QSS = s.QSS;
    work_.HLSS = s.HLSS;
    out.vd.write(Line().text("STEADY STATE VELOCITY = ").G(14, 6, s.QSS));
    out.vd.write(Line().text("STEADY STATE HEAD LOSS = ").F(10, 6, s.HLSS));
    stack_steady_elevations();
    return Outcome::Converged;
  }

  static void report_no_steady_state(Outcome outcome, RecordWriter& console) {
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

  // Back to the values of the set-up, as if no steady state had been
  // attempted.
  void forget_steady_state() {
    col_.ESS.fill(soil_.E0, col_.NN);
    col_.ZSS.fill(SINGLE_1E_20, col_.NN);
  }

  // Velocity-driven seepage needs a non-zero velocity through a velocity
  // base; head-driven seepage a head at the base; everything else settles in
  // still water.
  Outcome solve_mode(Outputs& out) {
    if (bc_.ITOP == TopBoundary::Surcharge && bc_.IBOT == BottomBoundary::Velocity &&
        bc_.VB != 0.0) {
      return solve_velocity_driven();
    }
    if (bc_.ITOP == TopBoundary::Surcharge && bc_.IBOT == BottomBoundary::Head) {
      return solve_head_driven(out);
    }
    solve_hydrostatic();
    return Outcome::Converged;
  }

  const RunDefinition& def_;
  const BoundaryConditions& bc_;
  const Soil& soil_;
  RunScales& scales_;
  const ColumnGeometry geometry_;
  SoilColumn& col_;
  SteadyWork& work_;
  double h_ = 0.0;  // nominal spacing of the nodes
};

}  // namespace

void solve_steady_state(const RunDefinition& def, const Soil& soil, RunScales& scales,
                        SoilColumn& col, int& ISTEADY, SteadyWork& work, Outputs& out) {
  ISTEADY = SteadyState(def, soil, scales, col, work).attempt(out);
  out.console.free("STEADY STATE HEIGHT = ", col.ZSS[col.NN]);
}

}  // namespace slurry1d
