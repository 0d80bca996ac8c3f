#include "solver/interior_rows.hpp"

#include "solver/uncracked_rows.hpp"

namespace slurry1d {

namespace {

// Shrinkage ratios above 1 (void ratio above the crack-onset value) are taken
// as 1 inside the column.
double clamp_to_one(double R) {
  return R <= 1.0 ? R : 1.0;
}

UncrackedHalf uncracked_half(const Soil& soil, const SoilColumn& col, const NodalArray& EMID,
                             int k) {
  return finish_uncracked_half(soil, col, k, uncracked_powers(soil, EMID, k));
}

// The same for a cracked element: the soil follows the 3-D shrinkage curve,
// anchored to the 1-D curve at the element's crack-onset void ratio.
struct CrackedHalf {
  double q = 0.0;  // diffusivity_cracked / DXIC(k)
  double g = 0.0;  // gravity_flux_cracked at the element's middle
};

// The permeability ratio r^D is shared by the diffusivity and the flux, and
// the slope difference is remembered per element.
CrackedHalf cracked_half(const Soil& soil, const SoilColumn& col, StepIterates& it, int k) {
  const NodalArray& EMID = it.EMID;
  const double r = (EMID[k] + EMID[k + 1]) / 2.0;
  const double x = (col.ECR[k] + col.ECR[k + 1]) / 2.0;
  const double s = (col.SIGV[k] + col.SIGV[k + 1]) / 2.0;
  const double R = clamp_to_one(soil.shrinkage_ratio(r, x));
  const double dS = it.cracked_slopes.slope_difference(soil, k, x);
  const double fp = soil.crack_onset_slope(s);
  const double sp3 = soil.shrinkage_slope(r);
  const double rD = soil.permeability_ratio(r);
  const double c = soil.diffusivity_cracked_of_power(R, r, rD, x, sp3);
  CrackedHalf h;
  h.q = c / col.DXIC[k];
  h.g = soil.gravity_flux_cracked_of_power(R, r, rD, dS, fp);
  return h;
}

// Shrinkage ratio of node i, clamped.
double node_shrinkage(const Soil& soil, const SoilColumn& col, const NodalArray& EMID, int i) {
  return clamp_to_one(soil.shrinkage_ratio(EMID[i], col.ECR[i]));
}

// Rows first..last below the crack tip: both half-elements follow the 1-D
// curve.
void assemble_uncracked_rows(const Soil& soil, double DT, const SoilColumn& col,
                             const StepIterates& it, TridiagonalSystem& sys, int first, int last) {
  if (last < first) return;
  UncrackedRows rows(soil, DT, col, it, sys, first, last);
  for (int i = first; i <= last; ++i) rows.fill(i);
}

// Row NN1, the crack tip: an uncracked element below, a cracked one above,
// and the control volume measured by the elevations. No loss through crack
// walls is counted here.
void assemble_junction_row(const Soil& soil, double DT, const SoilColumn& col, StepIterates& it,
                           TridiagonalSystem& sys, int i) {
  const double E0 = soil.E0;
  const UncrackedHalf below = uncracked_half(soil, col, it.EMID, i - 1);
  const CrackedHalf above = cracked_half(soil, col, it, i);
  const double H = col.Z[i + 1] - col.Z[i - 1];
  const double ECR1 = col.ECR[i] + 1.0;
  sys.CU[i] = above.q;
  sys.CD[i] = H * (E0 / ECR1 / DT / 2.0) / soil.HTOT + (-above.q - below.q);
  sys.CL[i] = below.q;
  sys.RHS[i] = H * ((E0 * it.EOLD[i]) / ECR1 / DT / 2.0) / soil.HTOT + (below.g - above.g);
}

// Rows first..last above the crack tip: 3-D shrinkage in both halves, with
// the water lost through the crack walls added to the storage.
void assemble_cracked_rows(const Soil& soil, double VT, double DT, const SoilColumn& col,
                           StepIterates& it, TridiagonalSystem& sys, int first, int last) {
  if (last < first) return;
  const double E0 = soil.E0;
  const NodalArray& EMID = it.EMID;
  const double wall_loss = (VT / soil.K0) * soil.ETA;
  CrackedHalf below = cracked_half(soil, col, it, first - 1);
  double Q0 = node_shrinkage(soil, col, EMID, first);
  for (int i = first; i <= last; ++i) {
    const CrackedHalf above = cracked_half(soil, col, it, i);
    const double Q1 = node_shrinkage(soil, col, EMID, i + 1);
    const double ECR1 = col.ECR[i] + 1.0;
    const double L = col.DXIC[i] + col.DXIC[i - 1];
    const double W = ((E0 * EMID[i] + 1.0) * ((Q1 - Q0) * wall_loss / col.DXIC[i])) / Q0 / ECR1;
    const double T = (E0 * it.EOLD[i]) / ECR1 / DT;
    sys.CU[i] = above.q;
    sys.CD[i] = L * (E0 / ECR1 / DT / 2.0) + (-above.q - below.q);
    sys.CL[i] = below.q;
    sys.RHS[i] = L * ((W + T) / 2.0) + (below.g - above.g);
    below = above;
    Q0 = Q1;
  }
}

}  // namespace

void assemble_interior_rows(const Soil& soil, double VT, double DT, const SoilColumn& col,
                            StepIterates& it, TridiagonalSystem& sys, int KIT) {
  const int NN = col.NN;
  const int NN1 = col.NN1;
  if (KIT != 1) it.EMID.copy_from(col.EN, NN);
  if (NN < 3) return;
  it.cracked_slopes.serve(soil);

  const int last = NN - 1;
  // Rows 2..NN1-1 uncracked, row NN1 the junction, rows NN1+1..NN-1 cracked.
  assemble_uncracked_rows(soil, DT, col, it, sys, 2, NN1 - 1 < last ? NN1 - 1 : last);
  if (NN1 >= 2 && NN1 <= last) assemble_junction_row(soil, DT, col, it, sys, NN1);
  assemble_cracked_rows(soil, VT, DT, col, it, sys, NN1 + 1 > 2 ? NN1 + 1 : 2, last);
}

}  // namespace slurry1d
