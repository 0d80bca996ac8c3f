#pragma once

// Solution verification of one result: the error of a run estimated from the
// same result of two runs refined from it, each by the ratio 2 (steps halved,
// or the node spacing halved), by Richardson extrapolation, with Roache's
// grid convergence index (GCI) as the band the error lies within.
//
// With f = f* + C h^p for a discretisation size h, three runs at h, h/2 and
// h/4 give f_given, f_refined and f_finest, and
//
//   p          = ln((f_given - f_refined) / (f_refined - f_finest)) / ln 2
//   f_given - f* = (f_given - f_refined) / (1 - 2^-p)
//
// the observed order and the error of the given run. Where the observed order
// lies in [0.5, 3] the run is in its asymptotic range and the GCI is the error
// times the safety factor 1.25; elsewhere (differences that do not shrink
// steadily, or shrink too fast or too slowly to trust the model) the order is
// not observed, the error is taken as the difference between the given and
// the finest run, and the GCI as three times the largest difference between
// the three runs.

#include "model/run_controls.hpp"

namespace slurry1d::verify {

inline constexpr double REFINEMENT_RATIO = 2.0;
inline constexpr double SAFETY_FACTOR = 1.25;
inline constexpr double LOWEST_ORDER = 0.5;
inline constexpr double HIGHEST_ORDER = 3.0;
inline constexpr double UNOBSERVED_FACTOR = 3.0;
// The share of the settlement a result is to be accurate to.
inline constexpr double TOLERANCE = 0.01;

// One result of three runs: as given, refined once and refined twice.
struct ThreeRuns {
  double given = 0.0;
  double refined = 0.0;
  double finest = 0.0;
};

struct ErrorEstimate {
  double order = 0.0;           // observed order p; NaN where the differences change sign
                                // or one of them is zero
  bool order_observed = false;  // p lies in [0.5, 3]
  double error = 0.0;           // estimated error of the given run: f_given - f*
  double gci = 0.0;             // the band |f_given - f*| lies within (>= 0)
};

// The observed order of three runs; NaN where it is not defined.
double observed_order(const ThreeRuns& f);

ErrorEstimate estimate_error(const ThreeRuns& f);

// The given run's step factor and node count, or those suggested.
struct Refinement {
  double step_factor = 1.0;
  int nodes = 0;
};

struct Verdict {
  bool within = false;         // the GCIs in time and in space add up to at most 1 % of the
                               // settlement
  Refinement suggested;        // the controls the observed orders say would bring the run
                               // within 1 % (the given ones where it is within)
  bool beyond_limits = false;  // the suggestion needs more than --step-factor 1000 or
                               // --nodes 19991; suggested holds the limits
};

// Judges a result of the run `given` from its estimates in time and in
// space, against `TOLERANCE` of |settlement|. A suggestion shortens the
// steps and the node spacing by the ratio r = (GCI / budget)^(1/p) that the
// order p of each (1 where it is not observed) says brings the GCI within the
// budget; the tolerance is shared half and half, unless one of the two is
// within its half already, which then keeps its control and leaves the rest
// to the other. Step factors are rounded up to whole numbers, node counts up
// to the next 10 NNI - 9.
Verdict judge(const ErrorEstimate& in_time, const ErrorEstimate& in_space, double settlement,
              const RunControls& given);

// The node count with at least `elements` elements, of the form 10 NNI - 9
// (at least 11); a count above MAX_NODE_COUNT where the column holds fewer.
int node_count_for(double elements);

}  // namespace slurry1d::verify
