#pragma once

// The comparison page of a study: one self-contained HTML file (inline style
// and inline SVG, nothing fetched) with the table of the runs and their
// settlement curves (against time and log time) and final void-ratio profiles
// overlaid, each run in a style of its own, named in every legend.

#include <span>
#include <string>
#include <vector>

#include "charts/chart.hpp"
#include "compare/study_run.hpp"
#include "compare/study_table.hpp"

namespace slurry1d::compare {

// How a run is drawn and named: the same in every chart and in the table.
struct RunStyle {
  std::string label;  // the varied answers ("C = 1e-06, D = 4"), or the run's name
  std::string color;
  charts::Stroke stroke = charts::Stroke::Solid;
};

// One style per row of the table. With one or two varied answers whose
// values fit the palette, the colour follows the first and the line the
// second, so a study's matrix reads off the curves; otherwise every run has a
// colour of its own.
std::vector<RunStyle> run_styles(const StudyTable& table);

struct CompareChart {
  std::string name;  // element id: letters, digits, '-'
  std::string caption;
  charts::Chart chart;
};

// `runs` in the order of the table's rows.
std::vector<CompareChart> build_compare_charts(std::span<const StudyRun> runs,
                                               const StudyTable& table,
                                               std::span<const RunStyle> styles);

std::string compare_page(std::span<const StudyRun> runs, const StudyTable& table);

}  // namespace slurry1d::compare
