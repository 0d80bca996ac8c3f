#pragma once

#include "model/soil_column.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

// Fills rows 2..NN-1 of the tridiagonal system of one iteration: the fully
// implicit finite-volume form of the finite-strain consolidation equation
//   (E0/(1+E0)) dr/dt = -dG/dz - d(F dr/dz)/dz
// over the control volume of half-elements around each node, with G the
// self-weight flux and F the diffusivity evaluated at the working void ratios
// EMID. Rows below the crack tip NN1 use the 1-D forms, rows above it the 3-D
// shrinkage forms, and row NN1 itself joins the two.
//
// On the first pass of a step (KIT != 1) EN is first copied into EMID
// (entries 1..NN); with KIT = 1 EMID is used as the driver left it.
// Above the crack tip the water lost through the crack walls follows the
// evaporation rate VT at the top.
// Reads: the soil, VT, the step DT (nondimensional); col.NN, NN1, EN, EOLD,
// DXI, DXIC, Z, ECR, SIGV. Writes: col.CL, CD, CU, RHS at rows 2..NN-1, EMID.
void assemble_interior_rows(const Soil& soil, double VT, double DT, SoilColumn& col, int KIT);

}  // namespace slurry1d
