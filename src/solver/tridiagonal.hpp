#pragma once

#include <span>

#include "model/fixed_array.hpp"
#include "model/run_definition.hpp"
#include "model/soil_column.hpp"

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

// Solves the column's system over its free nodes: node 1 is left out unless
// the base has a velocity row (the system then starts at node 2, and XSOL(j)
// belongs to node j+1), node NN unless the top has one. Entries of XSOL past
// the last unknown, up to NN, are 1.0 on return.
void solve_tridiagonal(SoilColumn& col, TopBoundary ITOP, BottomBoundary IBOT,
                       TridiagonalWork& work);

// The same elimination one free node at a time, so that it can run alongside
// the assembly of the rows above it: the constructor takes the first free
// node, eliminate() each following node in ascending order once its row is
// final, finish() the back substitution up to the last free node (XSOL
// entries past the last unknown, up to NN, become 1.0). The values are those
// of solve_tridiagonal on the same rows.
class TridiagonalSweep {
 public:
  TridiagonalSweep(SoilColumn& col, TridiagonalWork& work, int first_node);
  void eliminate(int node) {
    const int j = node - first_ + 1;
    work_.factor[j] = col_.CU[node - 1] / pivot_;
    pivot_ = col_.CD[node] - col_.CL[node] * work_.factor[j];
    col_.XSOL[j] = (col_.RHS[node] - col_.CL[node] * col_.XSOL[j - 1]) / pivot_;
  }
  void finish(int last_node);

 private:
  SoilColumn& col_;
  TridiagonalWork& work_;
  int first_;
  double pivot_;
};

}  // namespace slurry1d
