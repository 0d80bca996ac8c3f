#pragma once

#include "model/node_addition.hpp"
#include "model/run_parameters.hpp"
#include "model/soil_column.hpp"
#include "output/record_writer.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

// At a velocity boundary (IBOT = 1, ITOP = 1) estimates the thickness of the
// boundary layer, a tenth of the distance over which the void ratio would fall
// to ME at the gradient the prescribed velocity implies, and splits a thicker
// end element into equal parts. Then rebuilds the elevations and the
// hydrostatic effective stress SIGE, and writes the three node-count lines to
// the console. Throws RunStop (StopKind::Stop) with the two capacity messages
// before any array would pass MAXNODE entries.
void refine_boundary_elements(const RunParameters& p, const Soil& soil, SoilColumn& col,
                              NodeAddition& added, RecordWriter& console);

}  // namespace slurry1d
