#pragma once

// The report page: one self-contained HTML file (inline style and inline SVG,
// nothing fetched) with how the run ended, the run definition as a table of
// named answers, and the charts, laid out so that printing on A4 cuts none.

#include <string>
#include <vector>

#include "report/report_charts.hpp"
#include "report/run_facts.hpp"
#include "report/run_results.hpp"

namespace slurry1d::report {

// `drawn` holds each chart as an inline <svg> element, in the order of
// `charts` (charts::render_svg with standalone false and the chart's name as id).
std::string report_page(const RunResults& results, const RunFacts& facts,
                        const std::vector<ReportChart>& charts,
                        const std::vector<std::string>& drawn);

// Where each chart is also written as an SVG file of its own, relative to the
// page: "charts/<name>.svg".
std::string chart_file_name(const ReportChart& chart);

}  // namespace slurry1d::report
