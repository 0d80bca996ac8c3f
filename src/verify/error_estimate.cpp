#include "verify/error_estimate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace slurry1d::verify {
namespace {

// Rounding up that forgives the last bits of a quotient meant to be whole.
double round_up(double x) {
  return std::ceil(x - 1e-9);
}

// The ratio by which to refine a control so that its GCI comes within
// `budget`: 1 where it is already, infinite where no refinement would do.
double refinement_ratio(const ErrorEstimate& e, double budget) {
  if (e.gci <= budget) return 1.0;
  if (budget <= 0.0) return std::numeric_limits<double>::infinity();
  const double order = e.order_observed ? e.order : 1.0;
  return std::pow(e.gci / budget, 1.0 / order);
}

}  // namespace

double observed_order(const ThreeRuns& f) {
  const double coarse_difference = f.given - f.refined;
  const double fine_difference = f.refined - f.finest;
  if (coarse_difference == 0.0 || fine_difference == 0.0) return std::nan("");
  const double quotient = coarse_difference / fine_difference;
  if (!(quotient > 0.0) || !std::isfinite(quotient)) return std::nan("");
  return std::log(quotient) / std::log(REFINEMENT_RATIO);
}

ErrorEstimate estimate_error(const ThreeRuns& f) {
  ErrorEstimate e;
  e.order = observed_order(f);
  e.order_observed = e.order >= LOWEST_ORDER && e.order <= HIGHEST_ORDER;
  if (e.order_observed) {
    e.error = (f.given - f.refined) / (1.0 - std::pow(REFINEMENT_RATIO, -e.order));
    e.gci = SAFETY_FACTOR * std::fabs(e.error);
    return e;
  }
  e.error = f.given - f.finest;
  e.gci =
      UNOBSERVED_FACTOR * std::max({std::fabs(f.given - f.refined), std::fabs(f.refined - f.finest),
                                    std::fabs(f.given - f.finest)});
  return e;
}

int node_count_for(double elements) {
  const double NNI = std::max(2.0, round_up(elements / 10.0) + 1.0);
  if (NNI > (MAX_NODE_COUNT + 9) / 10) return MAX_NODE_COUNT + 10;  // beyond the column
  return 10 * static_cast<int>(NNI) - 9;
}

Verdict judge(const ErrorEstimate& in_time, const ErrorEstimate& in_space, double settlement,
              const RunControls& given) {
  Verdict v;
  v.suggested = {given.step_factor, given.node_count()};
  const double target = TOLERANCE * std::fabs(settlement);
  v.within = in_time.gci + in_space.gci <= target;
  if (v.within) return v;

  double time_budget = target / 2.0;
  double space_budget = target / 2.0;
  if (in_time.gci <= time_budget) {
    time_budget = in_time.gci;
    space_budget = target - in_time.gci;
  } else if (in_space.gci <= space_budget) {
    space_budget = in_space.gci;
    time_budget = target - in_space.gci;
  }
  const double in_steps = refinement_ratio(in_time, time_budget);
  const double in_nodes = refinement_ratio(in_space, space_budget);
  if (in_steps > 1.0) {
    v.suggested.step_factor = round_up(given.step_factor * in_steps);
    if (!(v.suggested.step_factor <= MAX_STEP_FACTOR)) {
      v.suggested.step_factor = MAX_STEP_FACTOR;
      v.beyond_limits = true;
    }
  }
  if (in_nodes > 1.0) {
    const double elements = (given.node_count() - 1) * in_nodes;
    v.suggested.nodes = std::isfinite(elements) ? node_count_for(elements) : MAX_NODE_COUNT + 10;
    if (v.suggested.nodes > MAX_NODE_COUNT) {
      v.suggested.nodes = MAX_NODE_COUNT;
      v.beyond_limits = true;
    }
  }
  return v;
}

}  // namespace slurry1d::verify
