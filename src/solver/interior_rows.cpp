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

}  // namespace

InteriorRows::InteriorRows(const Soil& soil, double VT, double DT, const SoilColumn& col,
                           StepIterates& it, TridiagonalSystem& sys)
    : soil_(soil), VT_(VT), DT_(DT), col_(col), it_(it), sys_(sys) {
  it.cracked_slopes.serve(soil);
}

InteriorRows::~InteriorRows() = default;

// The first uncracked row, the junction row and the cracked rows; the other
// uncracked rows go straight to the uncracked filler.
void InteriorRows::fill_first_or_at_the_tip(int i) {
  const int NN1 = col_.NN1;
  if (i < NN1) {
    if (!uncracked_) {
      const int last = col_.NN - 1;
      uncracked_.emplace(soil_, DT_, col_, it_, sys_, i, NN1 - 1 < last ? NN1 - 1 : last);
    }
    uncracked_->fill(i);
  } else if (i == NN1) {
    assemble_junction_row(soil_, DT_, col_, it_, sys_, i);
  } else {
    fill_cracked(i);
  }
}

// A row above the crack tip: 3-D shrinkage in both halves, with the water
// lost through the crack walls added to the storage. The upper half and the
// shrinkage ratio of the upper node are carried to the next row.
void InteriorRows::fill_cracked(int i) {
  const double E0 = soil_.E0;
  const NodalArray& EMID = it_.EMID;
  const SoilColumn& col = col_;
  if (!cracked_begun_) {
    below_ = cracked_half(soil_, col, it_, i - 1);
    Q0_ = node_shrinkage(soil_, col, EMID, i);
    cracked_begun_ = true;
  }
  const double wall_loss = (VT_ / soil_.K0) * soil_.ETA;
  const double DT = DT_;
  const CrackedHalf above = cracked_half(soil_, col, it_, i);
  const double Q1 = node_shrinkage(soil_, col, EMID, i + 1);
  const double ECR1 = col.ECR[i] + 1.0;
  const double L = col.DXIC[i] + col.DXIC[i - 1];
  const double W = ((E0 * EMID[i] + 1.0) * ((Q1 - Q0_) * wall_loss / col.DXIC[i])) / Q0_ / ECR1;
  const double T = (E0 * it_.EOLD[i]) / ECR1 / DT;
  sys_.CU[i] = above.q;
  sys_.CD[i] = L * (E0 / ECR1 / DT / 2.0) + (-above.q - below_.q);
  sys_.CL[i] = below_.q;
  sys_.RHS[i] = L * ((W + T) / 2.0) + (below_.g - above.g);
  below_ = above;
  Q0_ = Q1;
}

void assemble_interior_rows(const Soil& soil, double VT, double DT, const SoilColumn& col,
                            StepIterates& it, TridiagonalSystem& sys, int KIT) {
  if (KIT != 1) it.EMID.copy_from(col.EN, col.NN);
  if (col.NN < 3) return;
  InteriorRows rows(soil, VT, DT, col, it, sys);
  for (int i = 2; i <= col.NN - 1; ++i) rows.fill(i);
}

}  // namespace slurry1d
