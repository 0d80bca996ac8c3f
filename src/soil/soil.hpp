#pragma once

// The soil model in the scaled variables of the solver.
//
//   1-D compression   e  = A1 (s' + Z1)^B1        (E0 = A1 Z1^B1 at s' = 0)
//   permeability      k  = C e^D = K0 r^D         (r = e/E0, K0 = C E0^D)
//   3-D shrinkage     the same power law with A2, B2; only its slope is used
//   cracking          ecr(s) = 1/(a + b s)^c + 1/d  of the total stress s
//
// Each relation is one expression, evaluated in the order written: the bits
// of every result are part of the program's behaviour, so the operations must
// not be regrouped. None checks its arguments: a non-positive base under a
// non-integral exponent gives NaN, which the time loop treats as a failed pass.

#include <cmath>

#include "model/run_definition.hpp"
#include "model/run_scales.hpp"

namespace slurry1d {

// 2/3 rounded to single precision and widened.
inline constexpr double TWO_THIRDS_SINGLE = 0.6666666865348816;

// The soil of a run: the constants of its curves, its solids and the water,
// and the scales the relations are written in (the void ratio E0 and the
// permeability K0 at zero effective stress, the length scale HTOT). A value
// built once the set-up knows the scales; the relations are its members.
//
// In the relations r is a void ratio divided by E0, x a crack-onset void ratio
// (absolute), s a total vertical stress, R a shrinkage ratio, sp and sp3 the
// slopes of the 1-D and 3-D curves, dS their difference at x, fp the slope of
// the cracking function, v a pore-water velocity relative to the solids and dz
// an element length scaled by HTOT.
struct Soil {
  double A1 = 0.0, B1 = 0.0, C = 0.0, D = 0.0, Z1 = 0.0;  // 1-D compression, permeability
  double A2 = 0.0, B2 = 0.0;                              // 3-D shrinkage
  double CRA = 0.0, CRB = 0.0, CRC = 0.0, CRD = 0.0;      // cracking function a, b, c, d
  double ETA = 0.0;                                       // crack-wall loss parameter
  double CV = 0.0;                                        // crust void ratio
  double GS = 0.0;                                        // specific gravity of the solids
  double GW = 0.0;                                        // unit weight of water
  double E0 = 0.0;                                        // reference void ratio A1 Z1^B1
  double K0 = 0.0;                                        // reference permeability C E0^D
  double HTOT = 0.0;                                      // length scale

  // ---- slopes of the curves

  // The power ((r*E0)/A1)^(1/B1 - 1) in the slope of the 1-D curve, evaluated
  // apart so that the solver can overlap it with other work.
  double compression_power(double r) const { return std::pow((r * E0) / A1, 1.0 / B1 - 1.0); }
  // d(s')/de of the 1-D curve from that power; the same bits as
  // compression_slope. Like the other relations "of_power", also for a
  // vector of values (model/lanes.hpp), each lane by the same operations.
  template <typename Real>
  Real compression_slope_of_power(Real power) const {
    return power / B1 / A1;
  }
  // d(s')/de of the 1-D curve at the void ratio r*E0 (sp); negative for a
  // falling curve.
  double compression_slope(double r) const {
    return compression_slope_of_power(compression_power(r));
  }
  // d(s')/de of the 3-D curve at the void ratio r*E0 (sp3).
  double shrinkage_slope(double r) const {
    return std::pow((r * E0) / A2, 1.0 / B2 - 1.0) / B2 / A2;
  }
  // Slope of the 1-D curve less the slope of the 3-D curve at the same
  // absolute void ratio x.
  double slope_difference(double x) const {
    return std::pow(x / A1, 1.0 / B1 - 1.0) / A1 / B1 - std::pow(x / A2, 1.0 / B2 - 1.0) / A2 / B2;
  }

  // ---- the compression curve and the permeability

  // Void ratio of the 1-D curve at the effective stress sigma.
  double void_ratio_at_stress(double sigma) const { return A1 * std::pow(sigma + Z1, B1); }
  // Scaled void ratio of the 1-D curve at the shifted stress s' + Z1:
  // (s' + Z1)^B1 A1 / E0.
  double scaled_void_ratio_at_shifted_stress(double shifted) const {
    return std::pow(shifted, B1) * A1 / E0;
  }
  // Permeability at the void ratio e.
  double permeability(double e) const { return C * std::pow(e, D); }
  // The permeability ratio k/K0 = r^D that the self-weight flux and the
  // diffusivity of a half-element share.
  double permeability_ratio(double r) const { return std::pow(r, D); }

  // ---- the fluxes of the consolidation equation

  // Buoyant self-weight flux (GS - 1) (k/K0) / (1 + e), from the permeability
  // ratio rD = r^D; the same bits as gravity_flux.
  template <typename Real>
  Real gravity_flux_of_power(Real r, Real rD) const {
    return rD * (GS - 1.0) / (r * E0 + 1.0);
  }
  double gravity_flux(double r) const { return gravity_flux_of_power(r, permeability_ratio(r)); }

  // Consolidation coefficient (k/K0) sp / (GW (1 + e)) times E0 (1 + E0) /
  // HTOT, from the permeability ratio rD; negative where the compression
  // curve falls. The same bits as diffusivity.
  template <typename Real>
  Real diffusivity_of_power(Real r, Real rD, Real sp) const {
    return rD * E0 / GW / HTOT * (E0 + 1.0) / (r * E0 + 1.0) * sp;
  }
  double diffusivity(double r, double sp) const {
    return diffusivity_of_power(r, permeability_ratio(r), sp);
  }

  // Self-weight flux in the cracked zone: the gradient of total stress times
  // the slope of the crack-onset void ratio times the jump of slope between
  // the 1-D and 3-D curves is taken from (GS - 1), and the shrinkage ratio R
  // scales it.
  double gravity_flux_cracked(double R, double r, double dS, double fp) const {
    return gravity_flux_cracked_of_power(R, r, permeability_ratio(r), dS, fp);
  }
  // The same from the permeability ratio rD = r^D; the same bits.
  double gravity_flux_cracked_of_power(double R, double r, double rD, double dS, double fp) const {
    return ((GS - 1.0) - (r * E0 + GS) * dS * fp) * (rD * R / (E0 * r + 1.0));
  }
  // Cracked-zone consolidation coefficient: (1 + x) replaces (1 + E0), the
  // 3-D slope replaces the 1-D one and R^2 enters.
  double diffusivity_cracked(double R, double r, double x, double sp3) const {
    return diffusivity_cracked_of_power(R, r, permeability_ratio(r), x, sp3);
  }
  // The same from the permeability ratio rD = r^D; the same bits.
  double diffusivity_cracked_of_power(double R, double r, double rD, double x, double sp3) const {
    return (x + 1.0) * (rD * (R * R * E0)) * sp3 / GW / HTOT / (r * E0 + 1.0);
  }

  // ---- pore-water velocity and its inverse

  // Pore-water velocity relative to the solids across an element of scaled
  // length dz with the scaled void ratios ra (upper) and rb (lower) at its
  // ends and rm at its middle: (k/(1+e)) ((GS - 1) + sp de/dz / GW) in scaled
  // form.
  double fluid_velocity(double ra, double rb, double sp, double dz, double rm) const {
    return ((ra - rb) * ((E0 + 1.0) * E0 * sp / GW / HTOT) / dz + (GS - 1.0)) *
           (std::pow(rm, D) * K0 / (E0 * rm + 1.0));
  }
  // Gradient of scaled void ratio per unit scaled length that carries the
  // pore water at velocity v relative to the solids (inverse of
  // fluid_velocity).
  double boundary_gradient(double v, double r, double sp) const {
    return ((r * E0 + 1.0) * (v / K0) / std::pow(r, D) - GS + 1.0) *
           (GW * HTOT / E0 / (E0 + 1.0) / sp);
  }
  // Inverse of the cracked-zone velocity.
  double boundary_gradient_cracked(double R, double x, double sp3, double v, double r, double dS,
                                   double fp) const {
    return ((E0 * r + 1.0) * v / K0 / std::pow(r, D) - ((GS - 1.0) - (r * E0 + GS) * dS * fp)) *
           (GW * HTOT / R / E0 / (x + 1.0) / sp3);
  }

  // ---- cracks and shrinkage

  // Crack-onset void ratio at the total vertical stress s.
  double crack_onset_void_ratio(double s) const {
    return 1.0 / std::pow(CRB * s + CRA, CRC) + 1.0 / CRD;
  }
  // d(ecr)/ds of the cracking function.
  double crack_onset_slope(double s) const {
    return -(CRC * CRB) / std::pow(CRB * s + CRA, CRC + 1.0);
  }
  // (1 + e) / (1 + e/3 + (2/3) x): the fraction of the plan area that the
  // soil keeps when every volume change below the crack-onset void ratio x is
  // isotropic. 1 at e = x, below 1 for e < x.
  double shrinkage_ratio(double r, double x) const {
    return (r * E0 + 1.0) / ((r * E0) / 3.0 + (x * TWO_THIRDS_SINGLE + 1.0));
  }
};

// The soil of the run's answers, at the scales the set-up derived from them.
Soil soil_of(const RunDefinition& def, const RunScales& scales);

}  // namespace slurry1d
