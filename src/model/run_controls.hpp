#pragma once

#include "model/fixed_array.hpp"

namespace slurry1d {

// The node parameter of the standard column: 10 NNI - 9 = 501 nodes.
inline constexpr int STANDARD_NNI = 51;
// The node counts a column may be given: 10 NNI - 9 for NNI = 2 up to the
// largest that the nodal arrays hold.
inline constexpr int MIN_NODE_COUNT = 11;
inline constexpr int MAX_NODE_COUNT = 10 * ((MAXNODE + 9) / 10) - 9;
// The range of the step factor: 1 keeps the program's own steps, and a
// thousand times shorter steps already take hours on an ordinary case.
inline constexpr double MIN_STEP_FACTOR = 1.0;
inline constexpr double MAX_STEP_FACTOR = 1000.0;

// How finely a run is resolved in space and in time. These are not answers
// about the soil or the case but controls of the run, given on the command
// line; at their defaults the run is the program's standard one, to the last
// bit. A case run with finer controls solves the same equations on the same
// initial state, so comparing the two estimates the discretisation error.
struct RunControls {
  // The column has 10 NNI - 9 nodes, evenly spaced at the set-up of a new run
  // and after every regridding. Every tenth node from the top, NNI rows, is
  // reported and left as the restart profile.
  int NNI = STANDARD_NNI;
  // F >= 1: every step is F times shorter than the program's own choice. The
  // first step and the largest step MAXDT are divided by F and a step grows
  // by 3F/(3F - 1) instead of 1.5, so that while it grows a step stays a
  // third of the elapsed time divided by F.
  double step_factor = 1.0;

  int node_count() const { return 10 * NNI - 9; }
};

// N is a node count a column can be given: 10 NNI - 9 within the limits.
constexpr bool is_allowed_node_count(long long N) {
  return N >= MIN_NODE_COUNT && N <= MAX_NODE_COUNT && (N - 1) % 10 == 0;
}
// The node parameter of an allowed node count.
constexpr int node_parameter(int N) {
  return (N + 9) / 10;
}
// F is a step factor a run can be given (NaN is not).
constexpr bool is_allowed_step_factor(double F) {
  return F >= MIN_STEP_FACTOR && F <= MAX_STEP_FACTOR;
}

}  // namespace slurry1d
