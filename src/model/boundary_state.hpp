#pragma once

#include "model/run_definition.hpp"

namespace slurry1d {

// Velocity conditions that do not act at once. Without desiccation, while
// self-weight consolidation drives more water through a boundary than its
// prescribed velocity asks for, the boundary is held free-draining: a top as
// a free surface without load, a base as pervious. The time loop switches it
// to its velocity once that no longer holds, and notes the time.
struct BoundaryState {
  bool top_deferred = false;     // the top velocity VT is held back
  bool bottom_deferred = false;  // the base velocity VB is held back
  double TTOPSW = 0.0;           // nondimensional time the top switched; 0 until then
  double TBOTSW = 0.0;           // and the base

  // Holds back, in a run without desiccation, a non-zero velocity at either
  // end.
  void defer(const RunDefinition& def);
  // The held-back velocity acts from the time T on.
  void switch_top(double T);
  void switch_bottom(double T);
  // The conditions that act now: the answered ones, with each held-back end
  // free-draining.
  BoundaryConditions acting(const BoundaryConditions& answered) const;
};

}  // namespace slurry1d
