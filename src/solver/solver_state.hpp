#pragma once

#include "model/soil_column.hpp"
#include "solver/boundary_rows.hpp"
#include "solver/column_snapshot.hpp"
#include "solver/step_iterates.hpp"
#include "solver/tridiagonal.hpp"

namespace slurry1d {

// The working state with which the solver takes the column through a time
// step, apart from the column itself: the iterates, the tridiagonal system,
// the void ratios the boundaries fix and the two snapshots from which a step
// is repeated. Nothing in it is allocated after the run is created; every copy
// covers the first NN entries.
class SolverState {
 public:
  StepIterates iterates;
  TridiagonalSystem system;
  BoundaryValues ends;

  // The state of a new run on the column set up: the column's void ratios as
  // iterate and old time level, both snapshots, no slope of a cracked element known.
  // The state is a new one (all arrays 0.0, as allocated, like the column's
  // above its top node), so only the column's nodes are copied; the system is
  // filled by every pass before it is read.
  void start(const SoilColumn& col) {
    iterates.EIT.copy_from(col.EN, col.NN);
    iterates.EOLD.copy_from(col.EN, col.NN);
    iterates.cracked_slopes.forget();
    ends = BoundaryValues{};
    step_.capture(col);
    restart_.capture(col);
  }

  // The start of a step: the step snapshot, the column's void ratios as the
  // previous iterate and, in a desiccation run, as the old time level.
  void begin_step(const SoilColumn& col, bool desiccation) {
    step_.capture(col);
    iterates.EIT.copy_from(col.EN, col.NN);
    if (desiccation) iterates.EOLD.copy_from(col.EN, col.NN);
  }
  // After the boundary refinement of a step without desiccation: the restart
  // snapshot, and the column's void ratios as old time level and iterate.
  void take_restart_snapshot(const SoilColumn& col) {
    restart_.capture(col);
    iterates.EOLD.copy_from(col.EN, col.NN);
    iterates.EIT.copy_from(col.EN, col.NN);
  }
  // Back to the restart snapshot, its void ratios the iterate again.
  void restore_restart_snapshot(SoilColumn& col) {
    restart_.restore(col);
    iterates.EIT.copy_from(col.EN, col.NN);
  }
  // Back to the start of the step: the step snapshot, its void ratios the
  // iterate and the old time level, the crack tip where the last step left it.
  void restore_step_snapshot(SoilColumn& col) {
    step_.restore(col);
    iterates.EIT.copy_from(col.EN, col.NN);
    iterates.EOLD.copy_from(col.EN, col.NN);
    col.NN1 = col.NN2;
  }

  // The column as the step began, and after its boundary refinement.
  const ColumnSnapshot& step_snapshot() const { return step_; }
  const ColumnSnapshot& restart_snapshot() const { return restart_; }

 private:
  ColumnSnapshot step_;
  ColumnSnapshot restart_;
};

}  // namespace slurry1d
