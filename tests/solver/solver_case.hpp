#pragma once

// What a solver test hands the solver besides the column: the soil, the
// conditions at the ends and the scales and heights of the run.

#include "model/column_geometry.hpp"
#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "soil/soil.hpp"

namespace slurry1d::testing {

struct SolverCase {
  Soil soil;
  BoundaryConditions bc;
  RunScales scales;

  // The lengths and weights of the soil on the base of the scales.
  ColumnGeometry geometry() const {
    return ColumnGeometry{soil.E0, soil.HTOT, scales.ZBOT, soil.GS, soil.GW};
  }
};

}  // namespace slurry1d::testing
