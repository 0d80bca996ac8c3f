#pragma once

#include "model/column_geometry.hpp"
#include "model/node_addition.hpp"
#include "model/run_definition.hpp"
#include "model/soil_column.hpp"
#include "output/record_writer.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

// At each end where the conditions bc that act prescribe a velocity,
// estimates the thickness of the boundary layer, a tenth of the distance over
// which the void ratio would fall to ME at the gradient the velocity implies,
// and splits a thicker end element into equal parts. Then rebuilds the elevations and the
// hydrostatic effective stress SIGE, and writes the three node-count lines to
// the console. Throws RunStop (StopKind::CannotGoOn) with the two capacity messages
// before any array would pass MAXNODE entries.
void refine_boundary_elements(const Soil& soil, const ColumnGeometry& geometry,
                              const BoundaryConditions& bc, double ME, SoilColumn& col,
                              NodeAddition& added, RecordWriter& console);

}  // namespace slurry1d
