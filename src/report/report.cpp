#include "report/report.hpp"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "charts/svg_chart.hpp"
#include "report/report_charts.hpp"
#include "report/report_page.hpp"
#include "report/result_table.hpp"
#include "report/run_results.hpp"

namespace slurry1d::report {
namespace {

// A fresh file, not an earlier one truncated: some file systems (ext4) write
// a truncated file's data to disk at once when it is closed again, and the
// program would wait for the disk at every chart of a run made again.
bool write_file(const std::filesystem::path& path, const std::string& text) {
  std::error_code ignored;
  if (std::filesystem::symlink_status(path, ignored).type() ==
      std::filesystem::file_type::regular) {
    std::filesystem::remove(path, ignored);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return !out.fail();
}

// The chart files an earlier report left in the directory that this one
// does not draw (the cracks of a desiccation run, say), so that charts/
// holds this run's charts only; other files there are left alone.
void remove_charts_not_drawn(const std::filesystem::path& run_dir,
                             const std::vector<ReportChart>& charts) {
  for (const char* name : ALL_CHART_NAMES) {
    const bool drawn = std::any_of(charts.begin(), charts.end(),
                                   [&](const ReportChart& c) { return c.name == name; });
    std::error_code ignored;
    if (!drawn) std::filesystem::remove(run_dir / "charts" / (std::string(name) + ".svg"), ignored);
  }
}

}  // namespace

ReportOutcome write_report(const std::filesystem::path& run_dir, const RunFacts& facts) {
  ReportOutcome outcome;
  RunResults results;
  try {
    results = read_run_results(run_dir);
  } catch (const ResultFileError& e) {
    outcome.problem = ReportProblem::UnreadableResults;
    outcome.error = e.what();
    return outcome;
  }
  const std::vector<ReportChart> charts = build_report_charts(results, facts);

  const auto fail = [&](const std::filesystem::path& path) {
    outcome.problem = ReportProblem::CannotWrite;
    outcome.error = path.string() + ": cannot be written";
    return outcome;
  };
  // Each chart drawn once: inline in the page, and with the XML declaration
  // before it in its own file.
  std::vector<std::string> drawn;
  drawn.reserve(charts.size());
  for (const ReportChart& c : charts) drawn.push_back(charts::render_svg(c.chart, {c.name, false}));
  const std::filesystem::path page = run_dir / REPORT_HTML;
  if (!write_file(page, report_page(results, facts, charts, drawn))) return fail(page);
  outcome.files.push_back(page);

  remove_charts_not_drawn(run_dir, charts);
  std::error_code ec;
  if (!charts.empty()) std::filesystem::create_directories(run_dir / "charts", ec);
  for (std::size_t i = 0; i < charts.size(); ++i) {
    const std::filesystem::path file = run_dir / chart_file_name(charts[i]);
    if (!write_file(file, charts::XML_DECLARATION + drawn[i])) return fail(file);
    outcome.files.push_back(file);
  }
  return outcome;
}

}  // namespace slurry1d::report
