#include "solver/tridiagonal.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "solver/column_fixture.hpp"

namespace slurry1d {
namespace {

using testing::NaN;

// Dense Gaussian elimination with partial pivoting on the full matrix.
std::vector<double> dense_solve(std::vector<std::vector<double>> a, std::vector<double> b) {
  const std::size_t n = b.size();
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t best = k;
    for (std::size_t i = k + 1; i < n; ++i) {
      if (std::abs(a[i][k]) > std::abs(a[best][k])) best = i;
    }
    std::swap(a[k], a[best]);
    std::swap(b[k], b[best]);
    for (std::size_t i = k + 1; i < n; ++i) {
      const double m = a[i][k] / a[k][k];
      for (std::size_t j = k; j < n; ++j) a[i][j] -= m * a[k][j];
      b[i] -= m * b[k];
    }
  }
  std::vector<double> x(n);
  for (std::size_t i = n; i-- > 0;) {
    double s = b[i];
    for (std::size_t j = i + 1; j < n; ++j) s -= a[i][j] * x[j];
    x[i] = s / a[i][i];
  }
  return x;
}

// Rows first..first+n-1 of the column hold a random diagonally dominant
// system (mixed signs, as in the consolidation rows); returns its dense
// solution. The coefficients outside the system are NaN, so reading them
// would show.
std::vector<double> random_system(SoilColumn& c, int first, int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int i = 1; i <= c.NN + 1; ++i) c.CL[i] = c.CD[i] = c.CU[i] = c.RHS[i] = NaN;
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  std::vector<double> b(n);
  for (int j = 0; j < n; ++j) {
    const int row = first + j;
    c.CL[row] = j > 0 ? u(gen) : NaN;
    c.CU[row] = j < n - 1 ? u(gen) : NaN;
    const double off =
        (j > 0 ? std::abs(c.CL[row]) : 0.0) + (j < n - 1 ? std::abs(c.CU[row]) : 0.0);
    c.CD[row] = (u(gen) < 0 ? -1.0 : 1.0) * (off + 0.1 + std::abs(u(gen)));
    c.RHS[row] = 10.0 * u(gen);
    if (j > 0) a[j][j - 1] = c.CL[row];
    a[j][j] = c.CD[row];
    if (j < n - 1) a[j][j + 1] = c.CU[row];
    b[j] = c.RHS[row];
  }
  return dense_solve(a, b);
}

struct BoundaryCase {
  int ITOP, IBOT;
  int first;     // node of the first unknown
  int unknowns;  // for NN = 60
};

class SolveTridiagonal : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(SolveTridiagonal, MatchesADenseSolveOverTheFreeNodes) {
  const BoundaryCase k = GetParam();
  auto c = std::make_unique<SoilColumn>();
  c->NN = 60;
  auto work = std::make_unique<TridiagonalWork>();
  for (int i = 1; i <= 62; ++i) c->XSOL[i] = -3.0;
  work->factor.fill(NaN, 62);  // stale factors must not matter
  const std::vector<double> x = random_system(*c, k.first, k.unknowns, 17u + k.first + k.unknowns);
  solve_tridiagonal(*c, static_cast<TopBoundary>(k.ITOP), static_cast<BottomBoundary>(k.IBOT),
                    *work);
  for (int j = 1; j <= k.unknowns; ++j) {
    EXPECT_NEAR(c->XSOL[j], x[j - 1], 1e-12 * (1.0 + std::abs(x[j - 1]))) << "unknown " << j;
  }
  for (int j = k.unknowns + 1; j <= c->NN; ++j) EXPECT_EQ(c->XSOL[j], 1.0) << j;
  EXPECT_EQ(c->XSOL[c->NN + 1], -3.0) << "reset ran past NN";
}

INSTANTIATE_TEST_SUITE_P(EndKinds, SolveTridiagonal,
                         ::testing::Values(BoundaryCase{1, 1, 1, 60},  // both ends free
                                           BoundaryCase{3, 1, 1, 59},  // top fixed
                                           BoundaryCase{1, 2, 2, 59},  // bottom head
                                           BoundaryCase{1, 3, 2, 59},  // bottom pervious
                                           BoundaryCase{3, 3, 2, 58},  // both fixed: NN - 2
                                           BoundaryCase{3, 2, 2, 58}));

TEST(SolveTridiagonalRows, SingleUnknownIsRightHandSideOverDiagonal) {
  const std::vector<double> CL = {NaN}, CD = {-0.37}, CU = {NaN}, RHS = {1.9};
  std::vector<double> x = {0.0}, factor = {NaN};
  solve_tridiagonal_rows(CL, CD, CU, RHS, x, 1, factor);
  EXPECT_EQ(x[0], 1.9 / -0.37);
}

TEST(SolveTridiagonalRows, EliminatesInTheStatedOrder) {
  // Three rows worked by hand: the pivots and factors in the order of the
  // forward sweep, then the back substitution.
  const std::vector<double> CL = {NaN, 0.3, -0.7}, CD = {2.0, -3.1, 1.7}, CU = {0.9, 1.1, NaN};
  const std::vector<double> RHS = {0.5, -1.3, 2.2};
  std::vector<double> x(3), factor(3);
  solve_tridiagonal_rows(CL, CD, CU, RHS, x, 3, factor);
  double pivot = CD[0];
  double x1 = RHS[0] / pivot;
  const double f2 = CU[0] / pivot;
  pivot = CD[1] - CL[1] * f2;
  double x2 = (RHS[1] - CL[1] * x1) / pivot;
  const double f3 = CU[1] / pivot;
  pivot = CD[2] - CL[2] * f3;
  const double x3 = (RHS[2] - CL[2] * x2) / pivot;
  x2 = x2 - f3 * x3;
  x1 = x1 - f2 * x2;
  EXPECT_EQ(x[0], x1);
  EXPECT_EQ(x[1], x2);
  EXPECT_EQ(x[2], x3);
}

TEST(SolveTridiagonal, SingleFreeNodeBetweenFixedEnds) {
  auto c = std::make_unique<SoilColumn>();
  auto work = std::make_unique<TridiagonalWork>();
  c->NN = 3;
  c->CL[2] = NaN;
  c->CD[2] = 4.0;
  c->CU[2] = NaN;
  c->RHS[2] = 3.0;
  c->XSOL[1] = c->XSOL[2] = c->XSOL[3] = 0.0;
  solve_tridiagonal(*c, TopBoundary::Surcharge, BottomBoundary::Pervious, *work);
  EXPECT_EQ(c->XSOL[1], 0.75);
  EXPECT_EQ(c->XSOL[2], 1.0);
  EXPECT_EQ(c->XSOL[3], 1.0);
}

TEST(SolveTridiagonal, NoFreeNodeLeavesAllOnes) {
  auto c = std::make_unique<SoilColumn>();
  auto work = std::make_unique<TridiagonalWork>();
  c->NN = 2;
  c->CD[1] = c->CD[2] = 0.0;
  c->RHS[1] = c->RHS[2] = 0.0;
  c->XSOL[1] = c->XSOL[2] = -1.0;
  solve_tridiagonal(*c, TopBoundary::Surcharge, BottomBoundary::Pervious, *work);
  EXPECT_EQ(c->XSOL[1], 1.0);
  EXPECT_EQ(c->XSOL[2], 1.0);
}

}  // namespace
}  // namespace slurry1d
