#pragma once

#include "model/fixed_array.hpp"
#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/soil_column.hpp"
#include "output/record_writer.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

// Permeability and gradient per element, the uniform reference stresses and
// the previous iterate of the void ratios; the seepage velocity (downward
// positive) and the head loss through the layer found by the head-driven mode.
struct SteadyWork {
  NodalArray KSS;
  NodalArray GSS;
  NodalArray SHYD;
  NodalArray EPREV;
  double QSS = 0.0;
  double HLSS = 0.0;
};

// The state towards which a new run without desiccation settles once all
// excess pore pressure has dissipated: hydrostatic, or under a constant
// seepage driven by a bottom velocity or by the head difference, under the
// boundary conditions as answered. Fills col.ESS, col.ZSS and col.SIGE, sets
// ISTEADY = 1 when a steady state is attempted (any top but a velocity) and,
// in the head-driven mode, sets the head on top scales.HT to the head drop from
// the water on the layer (at its answered initial top; in staged filling at the
// top of the completed fill, HTOT) to the head at the base, leaves work.QSS and
// work.HLSS (equal to that drop) and writes the two steady-state records to
// out.vd. Always ends with the console line
// "STEADY STATE HEIGHT = ". Throws RunStop (StopKind::CannotGoOn) with "MATERIAL
// INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM" when the bottom would carry no
// effective stress. When an iteration bound is reached it writes a console
// message, leaves ISTEADY = 0 and restores the set-up values of ESS and ZSS.
void solve_steady_state(const RunDefinition& def, const Soil& soil, RunScales& scales,
                        SoilColumn& col, int& ISTEADY, SteadyWork& work, Outputs& out);

}  // namespace slurry1d
