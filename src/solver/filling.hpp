#pragma once

#include "model/clock.hpp"
#include "model/column_geometry.hpp"
#include "model/fixed_array.hpp"
#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/soil_column.hpp"

namespace slurry1d {

// Position in the stage schedule, carried from step to step: KF7 = 1 while a
// step lies inside the current stage, 0 after a step that ended exactly at a
// stage end; KSTG is the current stage number. The time loop resets them when
// it repeats a halved step.
struct StageCursor {
  int KF7 = 0;
  int KSTG = 1;
};

// Work arrays of the re-mesh; they keep their contents from call to call.
struct FillingWork {
  NodalArray Zw;
  NodalArray Ew;
};

// Once per step of a staged filling run: limits the step of the clock so
// that stages are resolved and end exactly at their ending times, credits the
// nominal height filled during the step and, when there is one, re-meshes the
// column with the same number of nodes (old layer over fewer nodes, at least
// NNI - 1 of them for a standard column of 10 NNI - 9 nodes; new material at
// E0 on top). Reads the stage table and NS of the definition, the stage times
// TBFN, TEFN and DTMAX, E0, K0, ZBOT, HTOT of the scales. Moves the clock
// (limits and cuts its step, remembers the step that ends a stage), the
// cursor and col.EN, Z, DXI. After the last stage it changes nothing but sets
// KF7 = 1.
void advance_filling(const RunDefinition& def, const RunScales& scales, int NNI, Clock& clock,
                     SoilColumn& col, StageCursor& cursor, FillingWork& work);

}  // namespace slurry1d
