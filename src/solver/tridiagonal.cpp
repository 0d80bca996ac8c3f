#include "solver/tridiagonal.hpp"

#include <cassert>
#include <cstddef>

namespace slurry1d {

void solve_tridiagonal_rows(std::span<const double> CL, std::span<const double> CD,
                            std::span<const double> CU, std::span<const double> RHS,
                            std::span<double> XSOL, int n, std::span<double> factor) {
  if (n < 1) return;
  const auto N = static_cast<std::size_t>(n);
  assert(CL.size() >= N && CD.size() >= N && CU.size() >= N && RHS.size() >= N);
  assert(XSOL.size() >= N && factor.size() >= N);

  // Forward elimination; factor[j] is the multiplier of row j (0-based), so
  // factor[0] is never used.
  double pivot = CD[0];
  XSOL[0] = RHS[0] / pivot;
  for (std::size_t j = 1; j < N; ++j) {
    factor[j] = CU[j - 1] / pivot;
    pivot = CD[j] - CL[j] * factor[j];
    XSOL[j] = (RHS[j] - CL[j] * XSOL[j - 1]) / pivot;
  }
  // Back substitution.
  for (std::size_t j = N - 1; j-- > 0;) XSOL[j] = XSOL[j] - factor[j + 1] * XSOL[j + 1];
}

void solve_tridiagonal(SoilColumn& col, TopBoundary ITOP, BottomBoundary IBOT,
                       TridiagonalWork& work) {
  const int NN = col.NN;
  int n = NN;
  if (!bottom_has_velocity_row(IBOT)) n -= 1;
  if (!top_has_velocity_row(ITOP)) n -= 1;
  // A fixed bottom node is not an unknown: the system starts at node 2.
  const int first = bottom_has_velocity_row(IBOT) ? 1 : 2;
  const int unknowns = n > 0 ? n : 0;

  solve_tridiagonal_rows(col.CL.slice(first, unknowns), col.CD.slice(first, unknowns),
                         col.CU.slice(first, unknowns), col.RHS.slice(first, unknowns),
                         col.XSOL.head(unknowns), unknowns, work.factor.head(unknowns));
  col.XSOL.fill_range(1.0, unknowns + 1, NN);
}

TridiagonalSweep::TridiagonalSweep(SoilColumn& col, TridiagonalWork& work, int first_node)
    : col_(col), work_(work), first_(first_node), pivot_(col.CD[first_node]) {
  col_.XSOL[1] = col_.RHS[first_node] / pivot_;
}

void TridiagonalSweep::finish(int last_node) {
  const int n = last_node - first_ + 1;
  for (int j = n - 1; j >= 1; --j)
    col_.XSOL[j] = col_.XSOL[j] - work_.factor[j + 1] * col_.XSOL[j + 1];
  col_.XSOL.fill_range(1.0, n + 1, col_.NN);
}

}  // namespace slurry1d
