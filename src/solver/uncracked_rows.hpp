#pragma once

// The rows of the uncracked part of the column, filled one at a time in
// ascending order. Shared by the interior assembly and by the kernel that
// assembles and solves a column without cracks in one sweep.

#include "model/lanes.hpp"
#include "model/soil_column.hpp"
#include "soil/soil.hpp"
#include "solver/step_iterates.hpp"
#include "solver/tridiagonal.hpp"

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

inline UncrackedPowers uncracked_powers(const Soil& soil, const NodalArray& EMID, int k) {
  UncrackedPowers w;
  w.r = (EMID[k] + EMID[k + 1]) / 2.0;
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

// Elements k and k+1 finished together, by the expressions of
// finish_uncracked_half in the two lanes of a pair: the same bits, with the
// chains of divisions of both elements taken by the same instructions.
inline void finish_uncracked_pair(const Soil& soil, const SoilColumn& col, int k,
                                  const UncrackedPowers& a, const UncrackedPowers& b,
                                  UncrackedHalf& lower, UncrackedHalf& upper) {
  const DoublePair r = pair_of(a.r, b.r);
  const DoublePair rD = pair_of(a.rD, b.rD);
  const DoublePair sp = soil.compression_slope_of_power(pair_of(a.slope, b.slope));
  const DoublePair d = soil.diffusivity_of_power(r, rD, sp);
  const DoublePair q = d / pair_of(col.DXI[k], col.DXI[k + 1]);
  const DoublePair g = soil.gravity_flux_of_power(r, rD);
  lower.q = lane(q, 0);
  lower.g = lane(g, 0);
  upper.q = lane(q, 1);
  upper.g = lane(g, 1);
}

// Fills rows first..last (first >= 2, last <= NN-1), one call of fill() per
// row in ascending order. The upper half of row i is the lower half of row
// i+1. The work is pipelined: elements are finished two at a time (element i
// with element i+1 when row i is filled), and the long chains of divisions
// that finish them are started before the powers of the next two elements
// are called, so that the two overlap in the processor. Every value has the
// bits of the element-by-element evaluation.
class UncrackedRows {
 public:
  UncrackedRows(const Soil& soil, double DT, const SoilColumn& col, const StepIterates& it,
                TridiagonalSystem& sys, int first, int last)
      : soil_(soil),
        col_(col),
        it_(it),
        sys_(sys),
        DT_(DT),
        last_(last),
        storage_(soil.E0 / (soil.E0 + 1.0) / DT / 2.0),
        below_(finish_uncracked_half(soil, col, first - 1,
                                     uncracked_powers(soil, it.EMID, first - 1))) {
    powers_[0] = uncracked_powers(soil, it.EMID, first);
    if (first < last) powers_[1] = uncracked_powers(soil, it.EMID, first + 1);
  }

  void fill(int i) {
    const double E0 = soil_.E0;
    UncrackedHalf above;
    double old_level = 0.0;  // E0 EOLD(i) / DT / (E0 + 1) / 2
    if (ahead_element_ == i) {
      above = ahead_;
      old_level = ahead_old_level_;
      ahead_element_ = 0;
    } else if (i < last_) {
      finish_uncracked_pair(soil_, col_, i, powers_[0], powers_[1], above, ahead_);
      const DoublePair level = E0 * pair_of(it_.EOLD[i], it_.EOLD[i + 1]) / DT_ / (E0 + 1.0) / 2.0;
      old_level = lane(level, 0);
      ahead_old_level_ = lane(level, 1);
      ahead_element_ = i + 1;
      if (i + 2 <= last_) powers_[0] = uncracked_powers(soil_, it_.EMID, i + 2);
      if (i + 3 <= last_) powers_[1] = uncracked_powers(soil_, it_.EMID, i + 3);
    } else {
      above = finish_uncracked_half(soil_, col_, i, powers_[0]);
      old_level = E0 * it_.EOLD[i] / DT_ / (E0 + 1.0) / 2.0;
    }
    const double L = col_.DXI[i] + col_.DXI[i - 1];
    sys_.RHS[i] = L * old_level + (below_.g - above.g);
    sys_.CU[i] = above.q;
    sys_.CD[i] = L * storage_ + (-above.q - below_.q);
    sys_.CL[i] = below_.q;
    below_ = above;
  }

 private:
  const Soil& soil_;
  const SoilColumn& col_;
  const StepIterates& it_;
  TridiagonalSystem& sys_;
  double DT_;  // the step, nondimensional
  int last_;
  double storage_;  // E0/(E0+1)/DT/2
  UncrackedHalf below_;
  UncrackedPowers powers_[2];  // of the next element to finish and the one above it
  UncrackedHalf ahead_;        // element ahead_element_, finished with the one below
  double ahead_old_level_ = 0.0;
  int ahead_element_ = 0;  // 0: none
};

}  // namespace slurry1d
