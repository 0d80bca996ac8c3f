#pragma once

#include "model/fixed_array.hpp"
#include "model/run_definition.hpp"
#include "model/soil_column.hpp"

namespace slurry1d {

// Turns the ND (void ratio, elevation) pairs of a last run (pair 1 lowest,
// elevations rising) into NN nodes equally spaced from the lowest to the
// highest pair: col.EN = e/E0 interpolated linearly in elevation, col.Z, and
// col.DXI the nominal length of the element above each node in length units
// (the height its solids would take at E0). Returns the nominal height (the
// sum of DXI over the elements) in H0 and the lowest elevation in ZBOT.
void build_profile_from_pairs(double E0, const FixedArray<ProfilePair, MAXNODE>& pairs, int ND,
                              int NN, SoilColumn& col, double& H0, double& ZBOT);

}  // namespace slurry1d
