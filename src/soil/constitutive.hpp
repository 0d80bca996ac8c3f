#pragma once

// The soil model in the scaled variables of the solver.
//
//   1-D compression   e  = A1 (s' + Z1)^B1        (E0 = A1 Z1^B1 at s' = 0)
//   permeability      k  = C e^D = K0 r^D         (r = e/E0, K0 = C E0^D)
//   3-D shrinkage     the same power law with A2, B2; only its slope is used
//   cracking          ecr(s) = 1/(a + b s)^c + 1/d  of the total stress s
//
// Each function is one expression, evaluated in the order written: the bits of
// every result are part of the program's behaviour, so the operations must not
// be regrouped. None checks its arguments: a non-positive base under a
// non-integral exponent gives NaN, which the time loop treats as a failed pass.

#include <cmath>

namespace slurry1d {

// 2/3 rounded to single precision and widened.
inline constexpr double TWO_THIRDS_SINGLE = 0.6666666865348816;

// The slope below from its power ((r*E0)/A)^(1/B - 1), evaluated apart so
// that the solver can overlap it with other work; the same bits.
inline double stress_slope_of_power(double power, double A, double B) {
  return power / B / A;
}

// d(s')/de of the power law e = A (s' + const)^B at the void ratio r*E0.
inline double stress_slope(double r, double E0, double A, double B) {
  return stress_slope_of_power(std::pow((r * E0) / A, 1.0 / B - 1.0), A, B);
}

// The self-weight flux and the diffusivity of a half-element share the
// permeability ratio rD = r^D: these forms take it evaluated once. They give
// the same bits as the forms below, which evaluate it themselves.
inline double gravity_flux_of_power(double GS, double r, double rD, double E0) {
  return rD * (GS - 1.0) / (r * E0 + 1.0);
}
inline double diffusivity_of_power(double r, double rD, double E0, double GW, double HTOT,
                                   double sp) {
  return rD * E0 / GW / HTOT * (E0 + 1.0) / (r * E0 + 1.0) * sp;
}

// Buoyant self-weight flux (GS - 1) (k/K0) / (1 + e).
inline double gravity_flux(double GS, double r, double D, double E0) {
  return gravity_flux_of_power(GS, r, std::pow(r, D), E0);
}

// Self-weight flux in the cracked zone: the gradient of total stress times the
// slope of the crack-onset void ratio times the jump of slope between the 1-D
// and 3-D curves is taken from (GS - 1), and the shrinkage ratio R scales it.
inline double gravity_flux_cracked(double R, double r, double D, double E0, double GS, double dS,
                                   double fp) {
  return ((GS - 1.0) - (r * E0 + GS) * dS * fp) * (std::pow(r, D) * R / (E0 * r + 1.0));
}

// Consolidation coefficient (k/K0) sp / (GW (1 + e)) times E0 (1 + E0) / HTOT;
// negative where the compression curve falls.
inline double diffusivity(double r, double D, double E0, double GW, double HTOT, double sp) {
  return diffusivity_of_power(r, std::pow(r, D), E0, GW, HTOT, sp);
}

// Cracked-zone consolidation coefficient: (1 + x) replaces (1 + E0), the 3-D
// slope replaces the 1-D one and R^2 enters.
inline double diffusivity_cracked(double R, double r, double E0, double D, double x, double sp3,
                                  double GW, double HTOT) {
  return (x + 1.0) * (std::pow(r, D) * (R * R * E0)) * sp3 / GW / HTOT / (r * E0 + 1.0);
}

// Gradient of scaled void ratio per unit scaled length that carries the pore
// water at velocity v relative to the solids (inverse of fluid_velocity).
inline double boundary_gradient(double v, double r, double GS, double D, double E0, double K0,
                                double sp, double GW, double HTOT) {
  return ((r * E0 + 1.0) * (v / K0) / std::pow(r, D) - GS + 1.0) *
         (GW * HTOT / E0 / (E0 + 1.0) / sp);
}

// Inverse of the cracked-zone velocity.
inline double boundary_gradient_cracked(double GW, double HTOT, double R, double E0, double x,
                                        double sp3, double v, double r, double K0, double D,
                                        double GS, double dS, double fp) {
  return ((E0 * r + 1.0) * v / K0 / std::pow(r, D) - ((GS - 1.0) - (r * E0 + GS) * dS * fp)) *
         (GW * HTOT / R / E0 / (x + 1.0) / sp3);
}

// Pore-water velocity relative to the solids across an element of scaled
// length dz with the scaled void ratios ra (upper) and rb (lower) at its ends
// and rm at its middle: (k/(1+e)) ((GS - 1) + sp de/dz / GW) in scaled form.
inline double fluid_velocity(double ra, double rb, double GS, double E0, double sp, double dz,
                             double D, double K0, double rm, double GW, double HTOT) {
  return ((ra - rb) * ((E0 + 1.0) * E0 * sp / GW / HTOT) / dz + (GS - 1.0)) *
         (std::pow(rm, D) * K0 / (E0 * rm + 1.0));
}

// Slope of the 1-D curve less the slope of the 3-D curve at the same absolute
// void ratio x.
inline double slope_difference(double A1, double B1, double x, double A2, double B2) {
  return std::pow(x / A1, 1.0 / B1 - 1.0) / A1 / B1 - std::pow(x / A2, 1.0 / B2 - 1.0) / A2 / B2;
}

// d(ecr)/ds of the cracking function.
inline double crack_onset_slope(double CRA, double CRB, double CRC, double s) {
  return -(CRC * CRB) / std::pow(CRB * s + CRA, CRC + 1.0);
}

// (1 + e) / (1 + e/3 + (2/3) x): the fraction of the plan area that the soil
// keeps when every volume change below the crack-onset void ratio x is
// isotropic. 1 at e = x, below 1 for e < x.
inline double shrinkage_ratio(double r, double x, double E0) {
  return (r * E0 + 1.0) / ((r * E0) / 3.0 + (x * TWO_THIRDS_SINGLE + 1.0));
}

// Crack-onset void ratio at the total vertical stress s.
inline double crack_onset_void_ratio(double s, double CRD, double CRA, double CRB, double CRC) {
  return 1.0 / std::pow(CRB * s + CRA, CRC) + 1.0 / CRD;
}

}  // namespace slurry1d
