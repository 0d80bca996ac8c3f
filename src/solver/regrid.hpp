#pragma once

#include "model/column_geometry.hpp"
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
// interpolating EN linearly in elevation and recomputing DXI. The end values
// are kept.
void regrid_column(int NNI, const ColumnGeometry& geometry, SoilColumn& col, RegridWork& work);

}  // namespace slurry1d
