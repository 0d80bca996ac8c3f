#include "solver/column_pass.hpp"

#include "solver/uncracked_rows.hpp"

namespace slurry1d {

bool can_assemble_and_solve_in_one_sweep(const RunParameters& p, const SoilColumn& col) {
  return col.NN1 >= col.NN && col.NN >= 6 && p.ITOP != 2;
}

void assemble_and_solve_in_one_sweep(const RunParameters& p, const Soil& soil, double DT,
                                     SoilColumn& col, BoundaryValues& ends, TridiagonalWork& work) {
  const int NN = col.NN;
  UncrackedRows rows(soil, DT, col, 2, NN - 1);
  // Row 2 carries the bottom condition too; with it rows 1 and 2 are final.
  rows.fill(2);
  assemble_bottom_boundary_rows(p, soil, col, ends);
  const int first = p.IBOT >= 2 ? 2 : 1;
  TridiagonalSweep sweep(col, work, first);
  if (first == 1) sweep.eliminate(2);
  // Rows 3..NN-2 are final once filled; row NN-1 waits for the top condition.
  for (int i = 3; i <= NN - 1; ++i) {
    rows.fill(i);
    if (i <= NN - 2) sweep.eliminate(i);
  }
  assemble_top_boundary_rows(p, soil, col, ends);
  sweep.eliminate(NN - 1);
  if (p.ITOP < 2) sweep.eliminate(NN);
  sweep.finish(p.ITOP < 2 ? NN : NN - 1);
}

}  // namespace slurry1d
