#pragma once

// Columns and run records for the tests of the node-set changes. Both records
// are large, so they live on the heap.

#include <functional>
#include <memory>

#include "model/soil_column.hpp"
#include "solver/solver_case.hpp"

namespace slurry1d::testing_support {

inline std::unique_ptr<testing::SolverCase> make_parameters() {
  return std::make_unique<testing::SolverCase>();
}

inline std::unique_ptr<SoilColumn> make_column() {
  return std::make_unique<SoilColumn>();
}

// Scaled length of an element of elevation span dz whose end nodes have the
// scaled void ratios ra and rb.
inline double nominal_length(double dz, double ra, double rb, double E0, double HTOT) {
  const double e = E0 * (ra + rb) / 2.0;
  return (1.0 + E0) / (1.0 + e) * dz / HTOT;
}

// NN nodes at the elevations z(k) (k = 1..NN) with the scaled void ratios
// en(z) and element lengths consistent with them.
inline void fill_column(SoilColumn& col, int NN, const std::function<double(int)>& z,
                        const std::function<double(double)>& en, double E0, double HTOT) {
  col.NN = NN;
  for (int k = 1; k <= NN; ++k) {
    col.Z[k] = z(k);
    col.EN[k] = en(col.Z[k]);
  }
  for (int k = 1; k < NN; ++k) {
    col.DXI[k] = nominal_length(col.Z[k + 1] - col.Z[k], col.EN[k], col.EN[k + 1], E0, HTOT);
  }
}

// NN evenly spaced nodes from ZBOT to ZBOT + H.
inline void fill_uniform_column(SoilColumn& col, int NN, double ZBOT, double H,
                                const std::function<double(double)>& en, double E0, double HTOT) {
  const double dz = H / (NN - 1);
  fill_column(
      col, NN, [&](int k) { return ZBOT + (k - 1) * dz; }, en, E0, HTOT);
}

// Height of the solids of the column: the sum of DXI * HTOT / (1 + E0).
inline double solids_height(const SoilColumn& col, double E0, double HTOT) {
  double sum = 0.0;
  for (int k = 1; k < col.NN; ++k) sum += col.DXI[k] * HTOT / (1.0 + E0);
  return sum;
}

}  // namespace slurry1d::testing_support
