#pragma once

#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/soil_column.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

// Scaled void ratios imposed on the end nodes where the boundary fixes the
// effective stress: ETOP under a surcharge top, EBOT under a pressure-head or
// pervious bottom.
struct BoundaryValues {
  double ETOP = 0.0;
  double EBOT = 0.0;
};

// Completes rows 1, 2, NN-1 and NN of the system after assemble_interior_rows,
// for the boundary conditions bc that act: a velocity boundary becomes a
// gradient row, a fixed-stress boundary fixes the end node (ETOP or EBOT),
// moves the known value into the neighbouring row and blanks the end row. The
// top is treated first, then the bottom. Reads the soil, bc, the base ZBOT and
// the initial height H0IN of the scales; the column's NN, NN1, EMID, EOLD, DXI,
// DXIC, ECR, SIGV, SIGE, Z and WSUM.
// Throws RunStop (StopKind::CannotGoOn) with "MATERIAL INSTABILITY DUE TO HIGH
// PRESSURE  AT BOTTOM" when a pressure-head bottom leaves no effective stress.
void assemble_boundary_rows(const Soil& soil, const BoundaryConditions& bc, const RunScales& scales,
                            SoilColumn& col, BoundaryValues& ends);

// Its two halves: rows NN-1 and NN, and rows 1 and 2. They touch different
// rows once the column has five nodes or more, and may then be taken in
// either order.
void assemble_top_boundary_rows(const Soil& soil, const BoundaryConditions& bc, SoilColumn& col,
                                BoundaryValues& ends);
void assemble_bottom_boundary_rows(const Soil& soil, const BoundaryConditions& bc,
                                   const RunScales& scales, SoilColumn& col, BoundaryValues& ends);

}  // namespace slurry1d
