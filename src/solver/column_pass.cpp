#include "solver/column_pass.hpp"

#include "solver/interior_rows.hpp"

namespace slurry1d {

bool can_assemble_and_solve_in_one_sweep(const BoundaryConditions& bc, const SoilColumn& col) {
  return col.NN >= 6 && bc.ITOP != TopBoundary::Head;
}

void assemble_and_solve_in_one_sweep(const Soil& soil, const BoundaryConditions& bc,
                                     const RunScales& scales, double DT, const SoilColumn& col,
                                     StepIterates& it, TridiagonalSystem& sys,
                                     BoundaryValues& ends) {
  const int NN = col.NN;
  InteriorRows rows(soil, bc.VT, DT, col, it, sys);
  // Row 2 carries the bottom condition too; with it rows 1 and 2 are final.
  rows.fill(2);
  assemble_bottom_boundary_rows(soil, bc, scales, col, it, sys, ends);
  const int first = bottom_has_velocity_row(bc.IBOT) ? 1 : 2;
  TridiagonalSweep sweep(sys, NN, first);
  if (first == 1) sweep.eliminate(2);
  // Rows 3..NN-2 are final once filled; row NN-1 waits for the top condition.
  for (int i = 3; i <= NN - 1; ++i) {
    rows.fill(i);
    if (i <= NN - 2) sweep.eliminate(i);
  }
  assemble_top_boundary_rows(soil, bc, col, it, sys, ends);
  sweep.eliminate(NN - 1);
  if (top_has_velocity_row(bc.ITOP)) sweep.eliminate(NN);
  sweep.finish(top_has_velocity_row(bc.ITOP) ? NN : NN - 1);
}

}  // namespace slurry1d
