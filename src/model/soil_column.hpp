#pragma once

#include "model/fixed_array.hpp"

namespace slurry1d {

// The nodal state of the layer. Node 1 is the bottom, node NN the top;
// element k lies between nodes k and k+1 and is stored at index k.
// Void ratios are scaled by E0 (EN = e/E0), element lengths DXI are nominal
// lengths (the thickness at void ratio E0) divided by HTOT.
struct SoilColumn {
  int NN = 0;       // number of nodes
  int NN1 = 0;      // crack-tip node, NN+1 without a crack
  int NN2 = 0;      // crack-tip node at the end of the previous step
  double WSUM = 0;  // total vertical stress at the base

  NodalArray EN;    // void ratio / E0
  NodalArray ER;    // void ratio
  NodalArray Z;     // elevation
  NodalArray DXI;   // nominal element length / HTOT
  NodalArray SIGV;  // total vertical stress
  NodalArray SIGE;  // effective stress against a water table at the top node
  NodalArray ECR;   // crack-onset void ratio
  NodalArray DXIC;  // DXI of cracked elements, rescaled with ECR

  NodalArray ESS;  // steady-state void ratio
  NodalArray ZSS;  // steady-state elevation

  NodalArray EIT;    // previous iterate of EN
  NodalArray EOLD;   // EN at the start of the step
  NodalArray ESTEP;  // EN of the step snapshot
  NodalArray EMID;   // mid-step void ratio

  // Tridiagonal system CL r(i-1) + CD r(i) + CU r(i+1) = RHS and its solution.
  NodalArray CL, CD, CU, RHS, XSOL;
};

}  // namespace slurry1d
