#pragma once

#include <span>

#include "driver/fixed_array.hpp"
#include "driver/soil_column.hpp"

namespace slurry1d {

// The elimination factors of the solver, kept between calls so that nothing is
// allocated per iteration.
struct TridiagonalWork {
  NodalArray factor;
};

// Thomas algorithm without pivoting on n unknowns: row j reads
// CL[j] x[j-1] + CD[j] x[j] + CU[j] x[j+1] = RHS[j] (spans are 0-based views
// whose element 0 is row 1). CL of the first row and CU of the last are not
// read. A zero pivot yields non-finite values; the caller detects them.
void solve_tridiagonal_rows(std::span<const double> CL, std::span<const double> CD,
                            std::span<const double> CU, std::span<const double> RHS,
                            std::span<double> XSOL, int n, std::span<double> factor);

// Solves the column's system over its free nodes: node 1 is left out when
// IBOT > 1 (the system then starts at node 2, and XSOL(j) belongs to node j+1)
// and node NN when ITOP > 1. Entries of XSOL past the last unknown, up to NN,
// are 1.0 on return.
void solve_tridiagonal(SoilColumn& col, int ITOP, int IBOT, TridiagonalWork& work);

}  // namespace slurry1d
