#pragma once

// The charts of a run's report, built from its results and its answers:
// height and settlement against time (linear and logarithmic), the profiles
// at the output times beside the steady state, the cracks and volumes of a
// desiccation run, and the compression and permeability laws over the void
// ratios the run went through.

#include <string>
#include <vector>

#include "charts/chart.hpp"
#include "report/run_facts.hpp"
#include "report/run_results.hpp"

namespace slurry1d::report {

struct ReportChart {
  std::string name;     // file stem and element id: letters, digits, '-'
  std::string section;  // heading the chart stands under in the page
  charts::Chart chart;
};

std::vector<ReportChart> build_report_charts(const RunResults& results, const RunFacts& facts);

// The name of every chart a report can have, whichever a run draws.
inline constexpr const char* ALL_CHART_NAMES[] = {"height-time",
                                                  "height-log-time",
                                                  "void-ratio-profiles",
                                                  "excess-pore-pressure-profiles",
                                                  "effective-stress-profiles",
                                                  "crack-depth-crust",
                                                  "volumes",
                                                  "compressibility",
                                                  "permeability"};

// A time, a height, ... as the report writes it: six significant digits at
// most ("29650", "0.0125", "1.5e-07").
std::string format_value(double v);

}  // namespace slurry1d::report
