#include "progress/run_outcome.hpp"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace slurry1d::progress {

namespace {

// A figure with `digits` significant digits, as "%g" writes it.
std::string figure(double v, int digits) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  return buf;
}

std::string time_text(double t) {
  return figure(t, 6);
}

// A void ratio as an engineer writes one: "1.0", "0.85".
std::string void_ratio_text(double e) {
  std::string text = figure(e, 6);
  if (text.find_first_not_of("-0123456789") == std::string::npos) text += ".0";
  return text;
}

// How the run ended, without the output times it did not reach.
std::string end_text(const RunEnded& e, std::optional<double> steady_height) {
  const std::string at = "t = " + time_text(e.time);
  switch (e.reason) {
    case EndReason::LastOutputTime:
      if (e.def.NO <= 0) return "no output time asked for; the state at " + at + " reported";
      return "last output time " + at + " reached";
    case EndReason::SteadyStateHeight:
      return "steady-state height " + figure(steady_height.value_or(e.height), 4) + " reached at " +
             at;
    case EndReason::MinimumVoidRatio:
      return "minimum void ratio " + void_ratio_text(e.def.ME) + " reached at node " +
             std::to_string(e.node) + ", " + at;
    case EndReason::QuietSteps:
      return "no further change (four quiet steps in a row) at " + at;
    case EndReason::Unstable:
      return "unstable: the marching difference exceeded the node count at " + at;
    case EndReason::BaseInstability:
      return "no effective stress left at the base at " + at;
    case EndReason::TooManyNodes:
      return "a velocity boundary needed more nodes than the column holds at " + at;
    case EndReason::RefusedRun:
      return "run definition refused";
    case EndReason::RefusedInput:
      return "answers refused";
    case EndReason::Interrupted:
      return "interrupted at " + at;
    case EndReason::NumericalFailure:
      return "failed numerically at " + at;
    case EndReason::FileError:
      return "a result file could not be written, at " + at;
  }
  return "at " + at;
}

// "; output times 50000, 100000 not reached", or nothing when every output
// time was reached or the run never marched.
std::string missed_output_times(const RunEnded& e) {
  if (e.reason == EndReason::RefusedRun || e.reason == EndReason::RefusedInput) return {};
  const int first = std::max(e.output_times_reached, 0) + 1;
  const int missed = e.def.NO - first + 1;
  if (missed <= 0) return {};
  if (missed == 1) return "; output time " + time_text(e.def.OPT[first]) + " not reached";
  if (missed > 4) {
    return "; the " + std::to_string(missed) + " output times from " + time_text(e.def.OPT[first]) +
           " to " + time_text(e.def.OPT[e.def.NO]) + " not reached";
  }
  std::string text = "; output times ";
  for (int i = first; i <= e.def.NO; ++i) {
    if (i > first) text += ", ";
    text += time_text(e.def.OPT[i]);
  }
  return text + " not reached";
}

std::string status_text(int exit_status) {
  return exit_status == 0 ? std::string() : " (exit status " + std::to_string(exit_status) + ")";
}

// Appends `n` written by snprintf, cut to the room left.
std::size_t advance(std::size_t at, int n, std::size_t size) {
  if (n < 0) return at;
  return std::min(size, at + static_cast<std::size_t>(n));
}

}  // namespace

std::size_t progress_text(std::span<char> buffer, const ProgressFigures& f) {
  if (buffer.empty()) return 0;
  const std::size_t size = buffer.size();
  char* const b = buffer.data();
  // snprintf always ends with a zero, which the next write or the cut covers.
  std::size_t n = advance(0, std::snprintf(b, size, "t = %.6g", f.time), size - 1);
  const double span = f.last_output_time - f.start_time;
  if (span > 0.0) {
    const double share = std::clamp((f.time - f.start_time) / span, 0.0, 1.0);
    n = advance(
        n, std::snprintf(b + n, size - n, " of %.6g (%.1f %%)", f.last_output_time, 100.0 * share),
        size - 1);
  }
  n = advance(n, std::snprintf(b + n, size - n, ", step %ld, %d nodes", f.step, f.nodes), size - 1);
  return n;
}

std::string outcome_line(const RunEnded& e, std::optional<double> steady_height) {
  return "run ended: " + end_text(e, steady_height) + missed_output_times(e) +
         status_text(e.exit_status);
}

std::string outcome_before_run(int exit_status) {
  std::string what;
  switch (exit_status) {
    case 2:
      what = "refused before the run began";
      break;
    case 4:
      what = "the echo file \"input\" could not be written";
      break;
    case 130:
    case 143:
      what = "interrupted during the dialog";
      break;
    default:
      what = "before the run began";
      break;
  }
  return "run ended: " + what + status_text(exit_status);
}

}  // namespace slurry1d::progress
