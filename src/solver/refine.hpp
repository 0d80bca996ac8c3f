#pragma once

#include "driver/run_parameters.hpp"
#include "driver/soil_column.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// What the last boundary refinement did: a flag and a count of inserted nodes
// at each end. The state report leaves the inserted nodes out of its tables.
struct NodeAddition {
  int KTOPADD = 0;
  int KBOTADD = 0;
  int NTOPADD = 0;
  int NBOTADD = 0;
};

// At a velocity boundary (IBOT = 1, ITOP = 1) estimates the thickness of the
// boundary layer, a tenth of the distance over which the void ratio would fall
// to ME at the gradient the prescribed velocity implies, and splits a thicker
// end element into equal parts. Then rebuilds the elevations and the
// hydrostatic effective stress SIGE, and writes the three node-count lines to
// the console. Throws RunStop (StopKind::CannotGoOn) with the two capacity messages
// before any array would pass MAXNODE entries.
void refine_boundary_elements(const RunParameters& p, SoilColumn& col, NodeAddition& added,
                              RecordWriter& console);

}  // namespace slurry1d
