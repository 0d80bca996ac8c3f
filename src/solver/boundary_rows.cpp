#include "solver/boundary_rows.hpp"

#include "model/run_stop.hpp"

namespace slurry1d {

namespace {

// Prescribed pore-water velocity v across the element between nodes lo and
// lo+1, as a void-ratio gradient times the element length. The element is
// uncracked or cracked; in the cracked form the shrinkage ratio is used as it
// is, not clamped.
double uncracked_gradient_times_length(const Soil& soil, const SoilColumn& col, int lo, double v,
                                       double r) {
  const double sp = soil.compression_slope(r);
  return soil.boundary_gradient(v, r, sp) * col.DXI[lo];
}

double cracked_gradient_times_length(const Soil& soil, const SoilColumn& col, int lo, double v,
                                     double r, double x, double s) {
  const double fp = soil.crack_onset_slope(s);
  const double dS = soil.slope_difference(x);
  const double R = soil.shrinkage_ratio(r, x);
  const double sp3 = soil.shrinkage_slope(r);
  return soil.boundary_gradient_cracked(R, x, sp3, v, r, dS, fp) * col.DXIC[lo];
}

// Row NN: r(NN) - r(NN-1) = gradient * length of the top element.
void assemble_top_velocity_row(const Soil& soil, const BoundaryConditions& bc,
                               const SoilColumn& col, const NodalArray& EMID,
                               TridiagonalSystem& sys) {
  const int NN = col.NN;
  sys.CD[NN] = 1.0;
  sys.CL[NN] = -1.0;
  const double rT = (EMID[NN] + EMID[NN - 1]) / 2.0;
  if (col.NN1 >= NN) {
    sys.RHS[NN] = uncracked_gradient_times_length(soil, col, NN - 1, bc.VT, rT);
    return;
  }
  const double xT = (col.ECR[NN] + col.ECR[NN - 1]) / 2.0;
  const double sT = (col.SIGV[NN] + col.SIGV[NN - 1]) / 2.0;
  sys.RHS[NN] = cracked_gradient_times_length(soil, col, NN - 1, bc.VT, rT, xT, sT);
}

// Surcharge LT on a drained top: node NN is fixed on the 1-D curve at the
// effective stress LT and leaves the system.
void fix_top_node(const Soil& soil, double LT, int NN, TridiagonalSystem& sys,
                  BoundaryValues& ends) {
  ends.ETOP = soil.scaled_void_ratio_at_shifted_stress(LT + soil.Z1);
  sys.RHS[NN - 1] = sys.RHS[NN - 1] - sys.CU[NN - 1] * ends.ETOP;
  sys.CL[NN] = 0.0;
  sys.CD[NN] = 0.0;
  sys.CU[NN] = 0.0;
  sys.CU[NN - 1] = 0.0;
  sys.RHS[NN] = 0.0;
}

// Row 1: r(2) - r(1) = gradient * length of the bottom element.
void assemble_bottom_velocity_row(const Soil& soil, const BoundaryConditions& bc,
                                  const SoilColumn& col, const NodalArray& EMID,
                                  TridiagonalSystem& sys) {
  sys.CD[1] = -1.0;
  sys.CU[1] = 1.0;
  const double rB = (EMID[1] + EMID[2]) / 2.0;
  if (col.NN1 > 1) {
    sys.RHS[1] = uncracked_gradient_times_length(soil, col, 1, bc.VB, rB);
    return;
  }
  const double sB = (col.SIGV[1] + col.SIGV[2]) / 2.0;
  const double xB = (col.ECR[1] + col.ECR[2]) / 2.0;
  sys.RHS[1] = cracked_gradient_times_length(soil, col, 1, bc.VB, rB, xB, sB);
}

// Pressure head HB at the base: the effective stress there must stay positive.
double bottom_void_ratio_under_head(const Soil& soil, double HB, const RunScales& scales,
                                    const SoilColumn& col) {
  const double P = ((col.Z[col.NN] + scales.ZBOT) - HB) * soil.GW + col.SIGE[1];
  if (P <= 0.0) {
    throw RunStop(StopKind::CannotGoOn, EndReason::BaseInstability,
                  {"MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM"});
  }
  return soil.scaled_void_ratio_at_shifted_stress(((scales.H0IN + scales.ZBOT) - HB) * soil.GW +
                                                  (col.SIGE[1] + soil.Z1));
}

// Pervious base drained to a water table at the top node.
double bottom_void_ratio_drained(const Soil& soil, const SoilColumn& col) {
  return soil.scaled_void_ratio_at_shifted_stress((col.WSUM - soil.GW * col.Z[col.NN]) + soil.Z1);
}

// Node 1 is fixed at EBOT, which may not exceed its start-of-step value, and
// leaves the system.
void fix_bottom_node(double EBOT, const StepIterates& it, TridiagonalSystem& sys,
                     BoundaryValues& ends) {
  ends.EBOT = EBOT <= it.EOLD[1] ? EBOT : it.EOLD[1];
  sys.RHS[2] = sys.RHS[2] - ends.EBOT * sys.CL[2];
  sys.CL[1] = 0.0;
  sys.CD[1] = 0.0;
  sys.CU[1] = 0.0;
  sys.CL[2] = 0.0;
  sys.RHS[1] = 0.0;
}

}  // namespace

void assemble_top_boundary_rows(const Soil& soil, const BoundaryConditions& bc,
                                const SoilColumn& col, const StepIterates& it,
                                TridiagonalSystem& sys, BoundaryValues& ends) {
  // A head of water on top is never stored by the dialog; it has no row of
  // its own here and leaves row NN as it stands.
  if (top_has_velocity_row(bc.ITOP)) {
    assemble_top_velocity_row(soil, bc, col, it.EMID, sys);
  } else if (top_node_fixed(bc.ITOP)) {
    fix_top_node(soil, bc.LT, col.NN, sys, ends);
  }
}

void assemble_bottom_boundary_rows(const Soil& soil, const BoundaryConditions& bc,
                                   const RunScales& scales, const SoilColumn& col,
                                   const StepIterates& it, TridiagonalSystem& sys,
                                   BoundaryValues& ends) {
  if (bottom_has_velocity_row(bc.IBOT)) {
    assemble_bottom_velocity_row(soil, bc, col, it.EMID, sys);
  } else if (bc.IBOT == BottomBoundary::Head) {
    fix_bottom_node(bottom_void_ratio_under_head(soil, bc.HB, scales, col), it, sys, ends);
  } else {
    fix_bottom_node(bottom_void_ratio_drained(soil, col), it, sys, ends);
  }
}

void assemble_boundary_rows(const Soil& soil, const BoundaryConditions& bc, const RunScales& scales,
                            const SoilColumn& col, const StepIterates& it, TridiagonalSystem& sys,
                            BoundaryValues& ends) {
  assemble_top_boundary_rows(soil, bc, col, it, sys, ends);
  assemble_bottom_boundary_rows(soil, bc, scales, col, it, sys, ends);
}

}  // namespace slurry1d
