#pragma once

#include "model/fixed_array.hpp"

namespace slurry1d {

// The void ratios with which one time step is iterated, scaled by E0 like
// the column's EN.
struct StepIterates {
  NodalArray EOLD;  // EN at the start of the step: the old time level
  NodalArray EIT;   // the previous iterate of EN
  NodalArray EMID;  // the mid-step void ratio the coefficients are taken at
};

}  // namespace slurry1d
