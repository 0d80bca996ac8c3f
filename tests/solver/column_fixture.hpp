#pragma once

// A soil and a column for the solver tests. The records are large (every
// nodal array holds MAXNODE entries), so they live on the heap.

#include <cmath>
#include <limits>
#include <memory>

#include "model/soil_column.hpp"
#include "solver/solver_case.hpp"
#include "support/soft_clay.hpp"

namespace slurry1d::testing {

inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// The time step of the solver tests, nondimensional.
inline constexpr double STEP = 1e-4;

// The soft clay in a 10-unit layer, with an evaporation rate at the top.
inline std::unique_ptr<SolverCase> make_soil() {
  auto p = std::make_unique<SolverCase>();
  const Soil& s = p->soil = soft_clay();
  p->scales.E0 = s.E0;
  p->scales.K0 = s.K0;
  p->scales.HTOT = s.HTOT;
  p->scales.H0 = 10.0;
  p->scales.H0IN = 10.0;
  p->bc.VT = -2e-7;
  return p;
}

// NN nodes of a 10-unit layer. The void ratios vary from node to node so that
// no two rows are alike; EOLD differs from EN and EMID holds a sentinel.
// Crack data are set (ECR slightly above the void ratio, a rising total
// stress, DXIC a little longer than DXI) but the crack tip NN1 is NN + 1.
inline std::unique_ptr<SoilColumn> make_column(const SolverCase& p, int NN) {
  auto col = std::make_unique<SoilColumn>();
  col->NN = NN;
  col->NN1 = NN + 1;
  col->NN2 = NN + 1;
  const double dxi = 1.0 / (NN - 1);
  for (int i = 1; i <= NN; ++i) {
    const double t = static_cast<double>(i - 1) / (NN - 1);
    col->EN[i] = 0.55 + 0.4 * t + 0.03 * std::sin(7.0 * t);
    col->EOLD[i] = col->EN[i] + 0.01 * std::cos(5.0 * t);
    col->EMID[i] = -7.0;
    col->Z[i] = p.soil.HTOT * t * (0.8 + 0.1 * t);
    col->DXI[i] = dxi * (1.0 + 0.2 * std::sin(3.0 * t));
    col->DXIC[i] = col->DXI[i] * 1.07;
    col->ECR[i] = p.soil.E0 * col->EN[i] * 1.05 + 0.01;
    col->SIGV[i] = 40.0 * (1.0 - t) + 0.5;
    col->SIGE[i] = 30.0 * (1.0 - t);
  }
  return col;
}

}  // namespace slurry1d::testing
