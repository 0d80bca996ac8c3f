#pragma once

#include <span>

#include "model/fixed_array.hpp"
#include "model/run_definition.hpp"

namespace slurry1d {

// The tridiagonal system of one pass, CL x(i-1) + CD x(i) + CU x(i+1) = RHS
// in row i (the row of node i), its solution and the elimination factors,
// kept from pass to pass so that nothing is allocated per iteration.
struct TridiagonalSystem {
  NodalArray CL, CD, CU, RHS;
  // The solution: XSOL(j) belongs to the j-th free node (node j, or node j+1
  // when the base node is fixed).
  NodalArray XSOL;
  NodalArray factor;
};

// Thomas algorithm without pivoting on n unknowns: row j reads
// CL[j] x[j-1] + CD[j] x[j] + CU[j] x[j+1] = RHS[j] (spans are 0-based views
// whose element 0 is row 1). CL of the first row and CU of the last are not
// read. A zero pivot yields non-finite values; the caller detects them.
void solve_tridiagonal_rows(std::span<const double> CL, std::span<const double> CD,
                            std::span<const double> CU, std::span<const double> RHS,
                            std::span<double> XSOL, int n, std::span<double> factor);

// Solves the system of a column of NN nodes over its free nodes: node 1 is
// left out unless the base has a velocity row (the system then starts at node
// 2, and XSOL(j) belongs to node j+1), node NN unless the top has one. Entries
// of XSOL past the last unknown, up to NN, are 1.0 on return.
void solve_tridiagonal(int NN, TopBoundary ITOP, BottomBoundary IBOT, TridiagonalSystem& sys);

// The same elimination one free node at a time, so that it can run alongside
// the assembly of the rows above it: the constructor takes the first free
// node, eliminate() each following node in ascending order once its row is
// final, finish() the back substitution up to the last free node (XSOL
// entries past the last unknown, up to NN, become 1.0). The values are those
// of solve_tridiagonal on the same rows.
class TridiagonalSweep {
 public:
  // The system of a column of NN nodes.
  TridiagonalSweep(TridiagonalSystem& sys, int NN, int first_node);
  void eliminate(int node) {
    const int j = node - first_ + 1;
    sys_.factor[j] = sys_.CU[node - 1] / pivot_;
    pivot_ = sys_.CD[node] - sys_.CL[node] * sys_.factor[j];
    sys_.XSOL[j] = (sys_.RHS[node] - sys_.CL[node] * sys_.XSOL[j - 1]) / pivot_;
  }
  void finish(int last_node);

 private:
  TridiagonalSystem& sys_;
  int NN_;
  int first_;
  double pivot_;
};

}  // namespace slurry1d
