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
void assemble_top_velocity_row(const Soil& soil, const BoundaryConditions& bc, SoilColumn& col) {
  const int NN = col.NN;
  col.CD[NN] = 1.0;
  col.CL[NN] = -1.0;
  const double rT = (col.EMID[NN] + col.EMID[NN - 1]) / 2.0;
  if (col.NN1 >= NN) {
    col.RHS[NN] = uncracked_gradient_times_length(soil, col, NN - 1, bc.VT, rT);
    return;
  }
  const double xT = (col.ECR[NN] + col.ECR[NN - 1]) / 2.0;
  const double sT = (col.SIGV[NN] + col.SIGV[NN - 1]) / 2.0;
  col.RHS[NN] = cracked_gradient_times_length(soil, col, NN - 1, bc.VT, rT, xT, sT);
}

// Surcharge LT on a drained top: node NN is fixed on the 1-D curve at the
// effective stress LT and leaves the system.
void fix_top_node(const Soil& soil, double LT, SoilColumn& col, BoundaryValues& ends) {
  const int NN = col.NN;
  ends.ETOP = soil.scaled_void_ratio_at_shifted_stress(LT + soil.Z1);
  col.RHS[NN - 1] = col.RHS[NN - 1] - col.CU[NN - 1] * ends.ETOP;
  col.CL[NN] = 0.0;
  col.CD[NN] = 0.0;
  col.CU[NN] = 0.0;
  col.CU[NN - 1] = 0.0;
  col.RHS[NN] = 0.0;
}

// Row 1: r(2) - r(1) = gradient * length of the bottom element.
void assemble_bottom_velocity_row(const Soil& soil, const BoundaryConditions& bc, SoilColumn& col) {
  col.CD[1] = -1.0;
  col.CU[1] = 1.0;
  const double rB = (col.EMID[1] + col.EMID[2]) / 2.0;
  if (col.NN1 > 1) {
    col.RHS[1] = uncracked_gradient_times_length(soil, col, 1, bc.VB, rB);
    return;
  }
  const double sB = (col.SIGV[1] + col.SIGV[2]) / 2.0;
  const double xB = (col.ECR[1] + col.ECR[2]) / 2.0;
  col.RHS[1] = cracked_gradient_times_length(soil, col, 1, bc.VB, rB, xB, sB);
}

// Pressure head HB at the base: the effective stress there must stay positive.
double bottom_void_ratio_under_head(const Soil& soil, double HB, const RunScales& scales,
                                    const SoilColumn& col) {
  const double P = ((col.Z[col.NN] + scales.ZBOT) - HB) * soil.GW + col.SIGE[1];
  if (P <= 0.0) {
    throw RunStop(StopKind::CannotGoOn, {"MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM"});
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
void fix_bottom_node(SoilColumn& col, double EBOT, BoundaryValues& ends) {
  ends.EBOT = EBOT <= col.EOLD[1] ? EBOT : col.EOLD[1];
  col.RHS[2] = col.RHS[2] - ends.EBOT * col.CL[2];
  col.CL[1] = 0.0;
  col.CD[1] = 0.0;
  col.CU[1] = 0.0;
  col.CL[2] = 0.0;
  col.RHS[1] = 0.0;
}

}  // namespace

void assemble_top_boundary_rows(const Soil& soil, const BoundaryConditions& bc, SoilColumn& col,
                                BoundaryValues& ends) {
  // A head of water on top is never stored by the dialog; it has no row of
  // its own here and leaves row NN as it stands.
  if (top_has_velocity_row(bc.ITOP)) {
    assemble_top_velocity_row(soil, bc, col);
  } else if (top_node_fixed(bc.ITOP)) {
    fix_top_node(soil, bc.LT, col, ends);
  }
}

void assemble_bottom_boundary_rows(const Soil& soil, const BoundaryConditions& bc,
                                   const RunScales& scales, SoilColumn& col, BoundaryValues& ends) {
  if (bottom_has_velocity_row(bc.IBOT)) {
    assemble_bottom_velocity_row(soil, bc, col);
  } else if (bc.IBOT == BottomBoundary::Head) {
    fix_bottom_node(col, bottom_void_ratio_under_head(soil, bc.HB, scales, col), ends);
  } else {
    fix_bottom_node(col, bottom_void_ratio_drained(soil, col), ends);
  }
}

void assemble_boundary_rows(const Soil& soil, const BoundaryConditions& bc, const RunScales& scales,
                            SoilColumn& col, BoundaryValues& ends) {
  assemble_top_boundary_rows(soil, bc, col, ends);
  assemble_bottom_boundary_rows(soil, bc, scales, col, ends);
}

}  // namespace slurry1d
