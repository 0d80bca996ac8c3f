#pragma once

#include <cmath>

#include "driver/run_state.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// A diverging step is halved at most this many times before the run is given
// up as failed: by then the step is 2^-100 of its length.
inline constexpr int MAX_HALVINGS = 100;
// Repeated passes after which a step is accepted with the mean of its last two
// iterates.
inline constexpr int MAX_REPEATED_PASSES = 600;

enum class IterationResult {
  Converged,          // the step is solved (or accepted at the pass cap)
  RepeatFromFilling,  // halved in a staged filling run: repeat the filling advance
  Failed,             // halved to nothing: T and the column are back at the step's start
};

// Solves one time step by repeated linearisation: the coefficients are taken at
// the mid-step void ratios EMID, the tridiagonal system is assembled and solved,
// the solution is clipped to (0, 1] and taken over, and the geometry follows,
// until two iterates agree to ERROR1 at every node. A pass whose error level
// grows (or whose solution is not finite) halves the step and repeats it from a
// snapshot.
IterationResult iterate_step(Run& run, Outputs& out);

// One linearised solve of the step: assembly, boundary rows, solve, clipping,
// take-over, the no-swelling clamps and the geometry. Returns true when the new
// iterate agrees with the last one to ERROR1 at every node.
bool iteration_pass(Run& run);

// The pieces of one pass and of a halving.

// Clips the first NN solution values to (0, 1]: above 1 to 1, at or below 0
// to ME/(2 E0). Returns false when one of them is not a number.
bool clip_solution(double ME, double E0, SoilColumn& col);

// Whether a node's squared change over the step of length DT is a rate
// change/DT*K0/HTOT above ERROR. The two divisions are costly in the hot loop,
// so the rate is first estimated with one multiplication; only an estimate
// within a relative 1e-9 of ERROR (the two forms differ by a few units in the
// last place) is decided by the exact expression, so the answer is always that
// of the exact one (subnormal values are below any normal ERROR either way).
class FastNodeTest {
 public:
  FastNodeTest(double ERROR, double DT, double K0, double HTOT)
      : ERROR_(ERROR),
        DT_(DT),
        K0_(K0),
        HTOT_(HTOT),
        factor_(K0 / (DT * HTOT)),
        above_(ERROR * (1.0 + 1e-9)),
        below_(ERROR * (1.0 - 1e-9)),
        estimate_(std::isnormal(ERROR) && ERROR > 0.0 && std::isnormal(factor_)) {}

  bool operator()(double change) const {
    if (estimate_) {
      const double estimate = change * factor_;
      if (estimate > above_) return true;
      if (estimate < below_) return false;
    }
    return change / DT_ * K0_ / HTOT_ > ERROR_;
  }

 private:
  double ERROR_;
  double DT_;
  double K0_;
  double HTOT_;
  double factor_;
  double above_;
  double below_;
  bool estimate_;  // the estimate is only trusted for normal, positive values
};

// Moves the solution into EN (the end nodes the conditions bc fix take EBOT
// and ETOP) and sums the change over the step into DSQ and the nodes changing
// faster than ERROR into NFAST.
void take_over_solution(const BoundaryConditions& bc, const FastNodeTest& fast, SoilColumn& col,
                        LoopState& loop);
// Halves the step, moves the clock back by the half removed and restores the snapshot
// the step is repeated from. The mid-step void ratios EMID of the diverged
// pass stay: the repeat is a repeated pass and linearises about them.
void halve_step(Run& run);

// The snapshots from which a step is repeated.
void take_step_snapshot(Run& run);
void take_restart_snapshot(Run& run);
void restore_step_snapshot(Run& run);
// The restart snapshot of a halving: NN, EN and EIT from its void ratios (kept
// in EOLD), Z, SIGE, DXI and WSUM.
void restore_restart_column(Run& run);

}  // namespace slurry1d
