#include "solver/boundary_rows.hpp"

#include <cmath>

#include "driver/run_stop.hpp"
#include "soil/constitutive.hpp"

namespace slurry1d {

namespace {

// Scaled void ratio of the 1-D compression curve at the effective stress s',
// given as the shifted stress s' + Z1: (s' + Z1)^B1 A1 / E0.
double void_ratio_at_shifted_stress(const RunParameters& p, double shifted) {
  return std::pow(shifted, p.B1) * p.A1 / p.E0;
}

// Prescribed pore-water velocity v across the element between nodes lo and
// lo+1, as a void-ratio gradient times the element length. The element is
// uncracked or cracked; in the cracked form the shrinkage ratio is used as it
// is, not clamped.
double uncracked_gradient_times_length(const RunParameters& p, const SoilColumn& col, int lo,
                                       double v, double r) {
  const double sp = stress_slope(r, p.E0, p.A1, p.B1);
  return boundary_gradient(v, r, p.GS, p.D, p.E0, p.K0, sp, p.GW, p.HTOT) * col.DXI[lo];
}

double cracked_gradient_times_length(const RunParameters& p, const SoilColumn& col, int lo,
                                     double v, double r, double x, double s) {
  const double fp = crack_onset_slope(p.CRA, p.CRB, p.CRC, s);
  const double dS = slope_difference(p.A1, p.B1, x, p.A2, p.B2);
  const double R = shrinkage_ratio(r, x, p.E0);
  const double sp3 = stress_slope(r, p.E0, p.A2, p.B2);
  return boundary_gradient_cracked(p.GW, p.HTOT, R, p.E0, x, sp3, v, r, p.K0, p.D, p.GS, dS, fp) *
         col.DXIC[lo];
}

// Row NN: r(NN) - r(NN-1) = gradient * length of the top element.
void assemble_top_velocity_row(const RunParameters& p, SoilColumn& col) {
  const int NN = col.NN;
  col.CD[NN] = 1.0;
  col.CL[NN] = -1.0;
  const double rT = (col.EMID[NN] + col.EMID[NN - 1]) / 2.0;
  if (col.NN1 >= NN) {
    col.RHS[NN] = uncracked_gradient_times_length(p, col, NN - 1, p.VT, rT);
    return;
  }
  const double xT = (col.ECR[NN] + col.ECR[NN - 1]) / 2.0;
  const double sT = (col.SIGV[NN] + col.SIGV[NN - 1]) / 2.0;
  col.RHS[NN] = cracked_gradient_times_length(p, col, NN - 1, p.VT, rT, xT, sT);
}

// Surcharge LT on a drained top: node NN is fixed on the 1-D curve at the
// effective stress LT and leaves the system.
void fix_top_node(const RunParameters& p, SoilColumn& col, BoundaryValues& ends) {
  const int NN = col.NN;
  ends.ETOP = void_ratio_at_shifted_stress(p, p.LT + p.Z1);
  col.RHS[NN - 1] = col.RHS[NN - 1] - col.CU[NN - 1] * ends.ETOP;
  col.CL[NN] = 0.0;
  col.CD[NN] = 0.0;
  col.CU[NN] = 0.0;
  col.CU[NN - 1] = 0.0;
  col.RHS[NN] = 0.0;
}

// Row 1: r(2) - r(1) = gradient * length of the bottom element.
void assemble_bottom_velocity_row(const RunParameters& p, SoilColumn& col) {
  col.CD[1] = -1.0;
  col.CU[1] = 1.0;
  const double rB = (col.EMID[1] + col.EMID[2]) / 2.0;
  if (col.NN1 > 1) {
    col.RHS[1] = uncracked_gradient_times_length(p, col, 1, p.VB, rB);
    return;
  }
  const double sB = (col.SIGV[1] + col.SIGV[2]) / 2.0;
  const double xB = (col.ECR[1] + col.ECR[2]) / 2.0;
  col.RHS[1] = cracked_gradient_times_length(p, col, 1, p.VB, rB, xB, sB);
}

// Pressure head HB at the base: the effective stress there must stay positive.
double bottom_void_ratio_under_head(const RunParameters& p, const SoilColumn& col) {
  const double P = ((col.Z[col.NN] + p.ZBOT) - p.HB) * p.GW + col.SIGE[1];
  if (P <= 0.0) {
    throw RunStop(StopKind::CannotGoOn, {"MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM"});
  }
  return void_ratio_at_shifted_stress(p, ((p.H0IN + p.ZBOT) - p.HB) * p.GW + (col.SIGE[1] + p.Z1));
}

// Pervious base drained to a water table at the top node.
double bottom_void_ratio_drained(const RunParameters& p, const SoilColumn& col) {
  return void_ratio_at_shifted_stress(p, (col.WSUM - p.GW * col.Z[col.NN]) + p.Z1);
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

void assemble_top_boundary_rows(const RunParameters& p, SoilColumn& col, BoundaryValues& ends) {
  // A head of water on top (ITOP = 2) is never stored by the dialog; it has no
  // row of its own here and leaves row NN as it stands.
  if (p.ITOP < 2) {
    assemble_top_velocity_row(p, col);
  } else if (p.ITOP > 2) {
    fix_top_node(p, col, ends);
  }
}

void assemble_bottom_boundary_rows(const RunParameters& p, SoilColumn& col, BoundaryValues& ends) {
  if (p.IBOT < 2) {
    assemble_bottom_velocity_row(p, col);
  } else if (p.IBOT == 2) {
    fix_bottom_node(col, bottom_void_ratio_under_head(p, col), ends);
  } else {
    fix_bottom_node(col, bottom_void_ratio_drained(p, col), ends);
  }
}

void assemble_boundary_rows(const RunParameters& p, SoilColumn& col, BoundaryValues& ends) {
  assemble_top_boundary_rows(p, col, ends);
  assemble_bottom_boundary_rows(p, col, ends);
}

}  // namespace slurry1d
