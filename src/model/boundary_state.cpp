#include "model/boundary_state.hpp"

namespace slurry1d {

void BoundaryState::defer(const RunDefinition& def) {
  if (def.IDES != 2) return;
  if (def.bc.ITOP == TopBoundary::Velocity && def.bc.VT != 0.0) top_deferred = true;
  if (def.bc.IBOT == BottomBoundary::Velocity && def.bc.VB != 0.0) bottom_deferred = true;
}

void BoundaryState::switch_top(double T) {
  top_deferred = false;
  TTOPSW = T;
}

void BoundaryState::switch_bottom(double T) {
  bottom_deferred = false;
  TBOTSW = T;
}

BoundaryConditions BoundaryState::acting(const BoundaryConditions& answered) const {
  BoundaryConditions bc = answered;
  if (top_deferred) bc.ITOP = TopBoundary::Surcharge;
  if (bottom_deferred) bc.IBOT = BottomBoundary::Pervious;
  return bc;
}

}  // namespace slurry1d
