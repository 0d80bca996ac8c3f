#pragma once

#include "model/fixed_array.hpp"
#include "model/soil_column.hpp"

namespace slurry1d {

// New elevations, void ratios and element lengths while the old ones are read.
struct RegridWork {
  NodalArray Z;
  NodalArray EN;
  NodalArray DXI;
};

// Brings the column back to 10*NNI-9 nodes evenly spaced from ZBOT to the top,
// interpolating EN linearly in elevation and recomputing DXI, normalised by
// the height H (the caller passes HTOT). The end values are kept.
void regrid_column(int NNI, SoilColumn& col, double E0, double ZBOT, double H, RegridWork& work);

}  // namespace slurry1d
