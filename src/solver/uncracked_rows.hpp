#pragma once

// The rows of the uncracked part of the column, filled one at a time in
// ascending order. Shared by the interior assembly and by the kernel that
// assembles and solves a column without cracks in one sweep.

#include "model/soil_column.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

// What the rows need of one uncracked element k (nodes k and k+1): the
// diffusivity over the element length, d/DXI(k), and the self-weight flux.
// Both rows that share the element use the same values, so each element is
// evaluated once.
struct UncrackedHalf {
  double q = 0.0;  // diffusivity / DXI(k)
  double g = 0.0;  // gravity_flux at the element's middle
};

// The two powers of an uncracked element, the permeability ratio r^D and the
// power in the slope of the compression curve, kept apart from the divisions
// that finish the element.
struct UncrackedPowers {
  double r = 0.0;      // mid-element scaled void ratio
  double slope = 0.0;  // ((r E0)/A1)^(1/B1 - 1)
  double rD = 0.0;     // r^D
};

inline UncrackedPowers uncracked_powers(const Soil& soil, const SoilColumn& col, int k) {
  UncrackedPowers w;
  w.r = (col.EMID[k] + col.EMID[k + 1]) / 2.0;
  w.slope = soil.compression_power(w.r);
  w.rD = soil.permeability_ratio(w.r);
  return w;
}

inline UncrackedHalf finish_uncracked_half(const Soil& soil, const SoilColumn& col, int k,
                                           const UncrackedPowers& w) {
  const double sp = soil.compression_slope_of_power(w.slope);
  const double d = soil.diffusivity_of_power(w.r, w.rD, sp);
  UncrackedHalf h;
  h.q = d / col.DXI[k];
  h.g = soil.gravity_flux_of_power(w.r, w.rD);
  return h;
}

// Fills rows first..last (first >= 2, last <= NN-1), one call of fill() per
// row in ascending order. The upper half of row i is the lower half of row
// i+1. The work is pipelined by one element: the long chain of divisions that
// finishes element i is started before the powers of element i+1 are called,
// so that the two overlap in the processor.
class UncrackedRows {
 public:
  UncrackedRows(const Soil& soil, double DT, SoilColumn& col, int first, int last)
      : soil_(soil),
        col_(col),
        DT_(DT),
        last_(last),
        storage_(soil.E0 / (soil.E0 + 1.0) / DT / 2.0),
        below_(finish_uncracked_half(soil, col, first - 1, uncracked_powers(soil, col, first - 1))),
        powers_(uncracked_powers(soil, col, first)) {}

  void fill(int i) {
    const double E0 = soil_.E0;
    const double DT = DT_;
    const UncrackedHalf above = finish_uncracked_half(soil_, col_, i, powers_);
    if (i < last_) powers_ = uncracked_powers(soil_, col_, i + 1);
    const double L = col_.DXI[i] + col_.DXI[i - 1];
    col_.RHS[i] = L * (E0 * col_.EOLD[i] / DT / (E0 + 1.0) / 2.0) + (below_.g - above.g);
    col_.CU[i] = above.q;
    col_.CD[i] = L * storage_ + (-above.q - below_.q);
    col_.CL[i] = below_.q;
    below_ = above;
  }

 private:
  const Soil& soil_;
  SoilColumn& col_;
  double DT_;  // the step, nondimensional
  int last_;
  double storage_;  // E0/(E0+1)/DT/2
  UncrackedHalf below_;
  UncrackedPowers powers_;
};

}  // namespace slurry1d
