#pragma once

#include "model/fixed_array.hpp"
#include "soil/soil.hpp"
#include "solver/element_memo.hpp"

namespace slurry1d {

// The slope differences of the cracked elements, kept from pass to pass for
// the soil whose curves they were computed with.
class CrackedSlopes {
 public:
  // Soil::slope_difference(x) of element k.
  double slope_difference(const Soil& soil, int k, double x) {
    return slope_difference_.at(k, x, [&](double v) { return soil.slope_difference(v); });
  }
  // Makes sure the values remembered belong to this soil's curves; forgets
  // them all when they may not.
  void serve(const Soil& soil) {
    if (soil.A1 == A1_ && soil.B1 == B1_ && soil.A2 == A2_ && soil.B2 == B2_) return;
    forget();
    A1_ = soil.A1;
    B1_ = soil.B1;
    A2_ = soil.A2;
    B2_ = soil.B2;
  }
  void forget() { slope_difference_.forget(); }

 private:
  ElementMemo slope_difference_;
  double A1_ = 0.0, B1_ = 0.0, A2_ = 0.0, B2_ = 0.0;
};

// The void ratios with which one time step is iterated, scaled by E0 like
// the column's EN, and what the assembly keeps of the cracked elements from
// pass to pass.
struct StepIterates {
  NodalArray EOLD;  // EN at the start of the step: the old time level
  NodalArray EIT;   // the previous iterate of EN
  NodalArray EMID;  // the mid-step void ratio the coefficients are taken at
  CrackedSlopes cracked_slopes;
};

}  // namespace slurry1d
