#include "report/report_charts.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "report/sample_results.hpp"

namespace slurry1d::report {
namespace {

RunResults sample_results() {
  RunResults r;
  std::istringstream h(test::SAMPLE_HISTORY), p(test::SAMPLE_PROFILES), s(test::SAMPLE_STEADY);
  r.history = read_history(h);
  r.profiles = read_profiles(p);
  r.steady = read_steady(s);
  return r;
}

std::vector<std::string> names_of(const std::vector<ReportChart>& charts) {
  std::vector<std::string> names;
  for (const auto& c : charts) names.push_back(c.name);
  return names;
}

const ReportChart& chart_named(const std::vector<ReportChart>& charts, const std::string& name) {
  for (const auto& c : charts) {
    if (c.name == name) return c;
  }
  throw std::runtime_error("no chart " + name);
}

const charts::Series& series_named(const ReportChart& c, const std::string& name) {
  for (const auto& s : c.chart.series) {
    if (s.name == name) return s;
  }
  throw std::runtime_error("no series " + name + " in " + c.name);
}

TEST(ReportCharts, ARunWithoutDesiccationHasSevenCharts) {
  EXPECT_EQ(names_of(build_report_charts(sample_results(), test::sample_facts())),
            (std::vector<std::string>{"height-time", "height-log-time", "void-ratio-profiles",
                                      "excess-pore-pressure-profiles", "effective-stress-profiles",
                                      "compressibility", "permeability"}));
}

TEST(ReportCharts, ADesiccationRunAddsCracksAndVolumes) {
  RunResults r = sample_results();
  std::istringstream k(test::SAMPLE_CRACKS);
  r.cracks = read_cracks(k);
  RunFacts f = test::sample_facts();
  f.answers.push_back({"IDES", {1}});
  const auto charts = build_report_charts(r, f);
  ASSERT_EQ(charts.size(), 9u);
  const auto& volumes = chart_named(charts, "volumes");
  EXPECT_EQ(series_named(volumes, "fluid volume").y, r.cracks->fluid_volume);
  const auto& cracks = chart_named(charts, "crack-depth-crust");
  EXPECT_EQ(series_named(cracks, "crack depth").y, r.history.crack_depth);
  // Where the crust reaches the crack tip, its dashes let the cracks show through.
  EXPECT_EQ(series_named(cracks, "crust thickness").stroke, charts::Stroke::Dashed);
  for (const auto& c : charts) {
    EXPECT_NE(std::find_if(std::begin(ALL_CHART_NAMES), std::end(ALL_CHART_NAMES),
                           [&](const char* n) { return c.name == n; }),
              std::end(ALL_CHART_NAMES))
        << c.name;
  }
}

TEST(ReportCharts, HeightChartsMarkTheOutputTimesAndDrawTheSteadyStateDashed) {
  const auto charts = build_report_charts(sample_results(), test::sample_facts());
  // The log axis leaves out the start (t = 0): its rows are one fewer.
  const std::pair<const char*, std::vector<std::size_t>> output_rows[] = {
      {"height-time", {2, 4, 5, 6}}, {"height-log-time", {1, 3, 4, 5}}};
  for (const auto& [name, rows] : output_rows) {
    const auto& c = chart_named(charts, name);
    EXPECT_EQ(series_named(c, "height").marks, rows) << name;
    EXPECT_EQ(series_named(c, "settlement").y.back(), 4.0);
    const auto& steady = series_named(c, "steady-state height");
    EXPECT_EQ(steady.stroke, charts::Stroke::Dashed);
    EXPECT_EQ(steady.y, (std::vector<double>{5.0, 5.0}));
    EXPECT_EQ(series_named(c, "steady-state settlement").y, (std::vector<double>{5.0, 5.0}));
  }
  const auto& log = chart_named(charts, "height-log-time");
  EXPECT_EQ(log.chart.x.scale, charts::Scale::Logarithmic);
  EXPECT_EQ(log.chart.x.title, "time t [days]");
  EXPECT_EQ(series_named(log, "height").x, (std::vector<double>{5, 10, 50, 100, 1000, 2000}));
  EXPECT_EQ(series_named(log, "height").y, (std::vector<double>{9.99, 9.98, 9.8, 9.5, 7, 6}));
  // The level lines run from the first step to the last.
  EXPECT_EQ(series_named(log, "steady-state height").x, (std::vector<double>{5.0, 2000.0}));
}

TEST(ReportCharts, LogTimeOfARunThatStartsLaterIsTheTimeSinceItsStart) {
  // A load placed on a settled layer at t = 29650: on a log axis of t the
  // whole run would lie within a decade; the time since the start shows it
  // as it would any other load.
  RunResults r = sample_results();
  for (double& t : r.history.time) t += 29650;
  for (ProfileSnapshot& p : r.profiles) p.time += 29650;
  const auto charts = build_report_charts(r, test::sample_facts());
  const auto& log = chart_named(charts, "height-log-time");
  EXPECT_EQ(log.chart.x.title, "time since the start t − 29650 [days]");
  EXPECT_EQ(series_named(log, "height").x, (std::vector<double>{5, 10, 50, 100, 1000, 2000}));
  EXPECT_EQ(series_named(log, "height").marks, (std::vector<std::size_t>{1, 3, 4, 5}));
  // The linear axis keeps the time itself.
  const auto& linear = chart_named(charts, "height-time");
  EXPECT_EQ(linear.chart.x.title, "time t [days]");
  EXPECT_EQ(series_named(linear, "height").x.front(), 29650.0);
}

TEST(ReportCharts, StagedFillingComparesHeightWithThePlacedHeight) {
  RunResults r = sample_results();
  r.history.placed_height = {0, 0.5, 1, 5, 10, 10, 10};
  r.history.height = {0, 0.5, 1, 4.9, 9.6, 8, 7};
  const auto c = build_report_charts(r, test::sample_facts()).front();
  const auto& settled = series_named(c, "settlement (placed − height)");
  EXPECT_NEAR(settled.y[3], 0.1, 1e-12);
  EXPECT_NEAR(settled.y[6], 3.0, 1e-12);
  EXPECT_EQ(series_named(c, "placed height (nominal)").y, r.history.placed_height);
  EXPECT_THROW(series_named(c, "steady-state settlement"), std::runtime_error);
}

TEST(ReportCharts, ProfilesAtStartAndOutputTimesWithTheSteadyState) {
  const auto charts = build_report_charts(sample_results(), test::sample_facts());
  const auto& e = chart_named(charts, "void-ratio-profiles");
  // The end at the last output time is drawn once.
  std::vector<std::string> names;
  for (const auto& s : e.chart.series) names.push_back(s.name);
  EXPECT_EQ(names, (std::vector<std::string>{"t = 0 days (start)", "t = 10 days", "t = 100 days",
                                             "t = 1000 days", "t = 2000 days", "steady state"}));
  EXPECT_EQ(e.chart.series[3].x, (std::vector<double>{5.1, 7.9, 11.09}));
  EXPECT_EQ(e.chart.series[3].y, (std::vector<double>{0, 3.9, 7}));
  EXPECT_EQ(e.chart.y.title, "elevation z [m]");
  EXPECT_EQ(series_named(chart_named(charts, "effective-stress-profiles"), "steady state").x,
            (std::vector<double>{13.4, 4.5, 0}));
  // No steady excess pore pressure is written: none is drawn.
  EXPECT_EQ(chart_named(charts, "excess-pore-pressure-profiles").chart.series.size(), 5u);
}

TEST(ReportCharts, AnEndBetweenOutputTimesIsDrawnAsWell) {
  RunResults r = sample_results();
  r.profiles.back().time = 1500;
  const auto c = chart_named(build_report_charts(r, test::sample_facts()), "void-ratio-profiles");
  EXPECT_EQ(c.chart.series[5].name, "t = 1500 days (end)");
}

TEST(ReportCharts, ManyProfilesNameAboutEightInTheLegend) {
  RunResults r = sample_results();
  const ProfileSnapshot p = r.profiles[2];
  r.profiles.resize(1);
  for (int i = 1; i <= 50; ++i) {
    r.profiles.push_back(p);
    r.profiles.back().time = i;
  }
  const auto c = chart_named(build_report_charts(r, test::sample_facts()), "void-ratio-profiles");
  ASSERT_EQ(c.chart.series.size(), 52u);
  const auto named = std::count_if(c.chart.series.begin(), c.chart.series.end(),
                                   [](const charts::Series& s) { return !s.name.empty(); });
  EXPECT_GE(named, 8);
  EXPECT_LE(named, 10);
  EXPECT_EQ(c.chart.series[50].name, "t = 50 days");  // the last profile
  EXPECT_EQ(c.chart.series[51].name, "steady state");
  EXPECT_EQ(c.chart.notes,
            (std::vector<std::string>{
                "51 profiles, from dark (early) to light (late); every 7th is named."}));
}

TEST(ReportCharts, ConstitutiveLawsOverTheVoidRatiosOfTheRun) {
  const auto charts = build_report_charts(sample_results(), test::sample_facts());
  const auto& e = chart_named(charts, "compressibility").chart.series.front();
  ASSERT_FALSE(e.x.empty());
  for (std::size_t i = 0; i < e.x.size(); ++i) {
    EXPECT_NEAR(e.y[i], 7 * std::pow(e.x[i], -0.2), 1e-12 * e.y[i]);
  }
  // From the smallest void ratio (4.16, the steady state's base) to the largest.
  EXPECT_NEAR(*std::min_element(e.y.begin(), e.y.end()), 4.16, 1e-9);
  EXPECT_NEAR(*std::max_element(e.y.begin(), e.y.end()), 11.09, 1e-9);
  const auto& k = chart_named(charts, "permeability");
  EXPECT_EQ(k.chart.y.scale, charts::Scale::Logarithmic);
  EXPECT_EQ(k.chart.y.title, "permeability k [m/day]");
  const auto& ks = k.chart.series.front();
  EXPECT_NEAR(ks.x.front(), 4.16, 1e-12);
  EXPECT_NEAR(ks.x.back(), 11.09, 1e-12);
  EXPECT_NEAR(ks.y.back(), 6.8e-7 * std::pow(11.09, 4), 1e-15);
  EXPECT_EQ(k.chart.notes.front(),
            "C = 6.8e-07, D = 4. Drawn over the void ratios of the run, 4.16 to 11.09.");
}

TEST(ReportCharts, ARunThatKeptOneVoidRatioDrawsEachLawAsOnePoint) {
  RunResults r = sample_results();
  r.profiles.resize(1);
  for (double& e : r.profiles[0].void_ratio) e = 11.09;
  r.steady.reset();
  const auto charts = build_report_charts(r, test::sample_facts());
  for (const char* name : {"compressibility", "permeability"}) {
    const auto& c = chart_named(charts, name).chart;
    ASSERT_EQ(c.series.size(), 1u) << name;
    EXPECT_EQ(c.series[0].x.size(), 1u) << name;
    EXPECT_EQ(c.series[0].stroke, charts::Stroke::None) << name;  // a marker, not a dot of a line
    ASSERT_EQ(c.notes.size(), 1u);
    EXPECT_NE(c.notes[0].find("Drawn at the one void ratio of the run, 11.09."), std::string::npos)
        << name;
  }
  EXPECT_NEAR(chart_named(charts, "compressibility").chart.series[0].y[0], 11.09, 1e-12);
}

TEST(ReportCharts, NothingRecordedNothingDrawn) {
  EXPECT_TRUE(build_report_charts(RunResults{}, test::sample_facts()).empty());
}

TEST(ReportCharts, UnitsDefaultToTheDimensions) {
  RunFacts f = test::sample_facts();
  f.units = {};
  const auto charts = build_report_charts(sample_results(), f);
  EXPECT_EQ(charts[0].chart.x.title, "time t [T]");
  EXPECT_EQ(chart_named(charts, "permeability").chart.y.title, "permeability k [L/T]");
  EXPECT_EQ(chart_named(charts, "effective-stress-profiles").chart.x.title,
            "effective stress σ′ [F/L²]");
}

TEST(FormatValue, SixSignificantDigitsAtMost) {
  EXPECT_EQ(format_value(29650.000000001), "29650");
  EXPECT_EQ(format_value(0.0125), "0.0125");
  EXPECT_EQ(format_value(6.8e-7), "6.8e-07");
  EXPECT_EQ(format_value(2.0), "2");
}

}  // namespace
}  // namespace slurry1d::report
