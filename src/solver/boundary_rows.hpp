#pragma once

#include "driver/run_parameters.hpp"
#include "driver/soil_column.hpp"

namespace slurry1d {

// Scaled void ratios imposed on the end nodes where the boundary fixes the
// effective stress: ETOP under a surcharge top (ITOP > 2), EBOT under a
// pressure-head (IBOT = 2) or pervious (IBOT > 2) bottom.
struct BoundaryValues {
  double ETOP = 0.0;
  double EBOT = 0.0;
};

// Completes rows 1, 2, NN-1 and NN of the system after assemble_interior_rows:
// a velocity boundary becomes a gradient row, a fixed-stress boundary fixes
// the end node (ETOP or EBOT), moves the known value into the neighbouring row
// and blanks the end row. The top is treated first, then the bottom.
// Reads p.ITOP, IBOT, VT, VB, LT, HB, H0IN, ZBOT and the soil constants; the
// column's NN, NN1, EMID, EOLD, DXI, DXIC, ECR, SIGV, SIGE, Z and WSUM.
// Throws RunStop (StopKind::CannotGoOn) with "MATERIAL INSTABILITY DUE TO HIGH
// PRESSURE  AT BOTTOM" when a pressure-head bottom leaves no effective stress.
void assemble_boundary_rows(const RunParameters& p, SoilColumn& col, BoundaryValues& ends);

// Its two halves: rows NN-1 and NN, and rows 1 and 2. They touch different
// rows once the column has five nodes or more, and may then be taken in
// either order.
void assemble_top_boundary_rows(const RunParameters& p, SoilColumn& col, BoundaryValues& ends);
void assemble_bottom_boundary_rows(const RunParameters& p, SoilColumn& col, BoundaryValues& ends);

}  // namespace slurry1d
