#pragma once

#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/soil_column.hpp"
#include "soil/soil.hpp"
#include "solver/boundary_rows.hpp"
#include "solver/step_iterates.hpp"
#include "solver/tridiagonal.hpp"

namespace slurry1d {

// Whether the column can be assembled and solved in one sweep: at least six
// nodes, and a top that is a velocity or a surcharge.
bool can_assemble_and_solve_in_one_sweep(const BoundaryConditions& bc, const SoilColumn& col);

// The interior rows, the boundary rows and the tridiagonal solve of one pass
// in one sweep up the column, for a column that can_assemble_and_solve_in_one_
// sweep: the elimination of each row runs alongside the assembly of the rows
// above it, so that its chain of divisions overlaps their powers. Every value
// is computed by the same expression as assemble_interior_rows,
// assemble_boundary_rows and solve_tridiagonal called in turn; the iterates'
// EMID is taken as the caller left it (the caller makes the first pass's copy
// of EN).
void assemble_and_solve_in_one_sweep(const Soil& soil, const BoundaryConditions& bc,
                                     const RunScales& scales, double DT, const SoilColumn& col,
                                     StepIterates& it, TridiagonalSystem& sys,
                                     BoundaryValues& ends);

}  // namespace slurry1d
