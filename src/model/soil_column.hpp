#pragma once

#include "model/fixed_array.hpp"

namespace slurry1d {

// The physical state of the layer. Node 1 is the bottom, node NN the top;
// element k lies between nodes k and k+1 and is stored at index k. Void ratios
// are scaled by E0 (EN = e/E0; the void ratio itself is E0 EN), element
// lengths DXI are nominal lengths (the thickness at void ratio E0) divided by
// HTOT. The working copies with which a step is solved and repeated belong to
// the solver (solver/solver_state.hpp), the tables of a report to the report.
struct SoilColumn {
  int NN = 0;       // number of nodes
  int NN1 = 0;      // crack-tip node, NN+1 without a crack
  int NN2 = 0;      // crack-tip node at the end of the previous step
  double WSUM = 0;  // total vertical stress at the base

  NodalArray EN;    // void ratio / E0
  NodalArray Z;     // elevation
  NodalArray DXI;   // nominal element length / HTOT
  NodalArray SIGV;  // total vertical stress
  NodalArray SIGE;  // effective stress against a water table at the top node
  NodalArray ECR;   // crack-onset void ratio
  NodalArray DXIC;  // DXI of cracked elements, rescaled with ECR

  NodalArray ESS;  // steady-state void ratio
  NodalArray ZSS;  // steady-state elevation
};

}  // namespace slurry1d
