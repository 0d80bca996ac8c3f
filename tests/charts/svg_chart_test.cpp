#include "charts/svg_chart.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "charts/xml_check.hpp"

namespace slurry1d::charts {
namespace {

constexpr double GAP = std::numeric_limits<double>::quiet_NaN();

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

double attribute(const std::string& element, const std::string& name) {
  std::smatch m;
  const std::regex re(" " + name + "=\"([-0-9.]+)\"");
  if (!std::regex_search(element, m, re)) return GAP;
  return std::stod(m[1]);
}

struct Box {
  double x0, y0, x1, y1;
};

Box plot_box(const std::string& svg) {
  std::smatch m;
  std::regex_search(svg, m, std::regex("<clipPath id=\"[^\"]+\"><rect[^>]*>"));
  const std::string rect = m.str();
  const double x = attribute(rect, "x"), y = attribute(rect, "y");
  return {x, y, x + attribute(rect, "width"), y + attribute(rect, "height")};
}

// The "d" of every curve: the paths inside the clipped group.
std::vector<std::string> curve_paths(const std::string& svg) {
  const auto begin = svg.find("<g clip-path");
  const auto end = svg.find("</g>", begin);
  const std::string group = svg.substr(begin, end - begin);
  // Found by hand, not by std::regex: the library's matcher recurses once per
  // character, and the path of a long curve overflows a Windows stack.
  std::vector<std::string> paths;
  const std::string open = "<path d=\"";
  for (auto at = group.find(open); at != std::string::npos; at = group.find(open, at)) {
    at += open.size();
    const auto close = group.find('"', at);
    paths.push_back(group.substr(at, close - at));
    at = close;
  }
  return paths;
}

std::vector<std::pair<double, double>> points_of(const std::string& d) {
  std::vector<std::pair<double, double>> pts;
  for (auto at = d.find_first_of("ML"); at != std::string::npos; at = d.find_first_of("ML", at)) {
    std::size_t used = 0;
    const double x = std::stod(d.substr(at + 1), &used);
    at += 1 + used;
    const double y = std::stod(d.substr(at), &used);
    pts.emplace_back(x, y);
    at += used;
  }
  return pts;
}

Chart two_curves() {
  Chart c;
  c.title = "Height & settlement <against> time";
  c.x = {"time [days]"};
  c.y = {"height [m]"};
  Series h{"height"}, s{"settlement"};
  for (int i = 0; i <= 100; ++i) {
    const double t = 300.0 * i, u = 1 - std::exp(-t / 5000);
    h.x.push_back(t);
    h.y.push_back(10 - 4.9 * u);
    s.x.push_back(t);
    s.y.push_back(4.9 * u);
  }
  c.series = {h, s};
  return c;
}

TEST(RenderSvg, IsAWellFormedStandaloneDocumentOrAnInlineElement) {
  const std::string file = render_svg(two_curves(), {"height", true});
  EXPECT_EQ(file.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=", 0), 0u);
  EXPECT_EQ(test::xml_problem(file), "");
  const std::string inline_svg = render_svg(two_curves(), {"height", false});
  EXPECT_EQ(inline_svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_EQ(test::xml_problem(inline_svg), "");
  // The title is escaped and the clip path carries the prefix.
  EXPECT_NE(file.find("<title>Height &amp; settlement &lt;against&gt; time</title>"),
            std::string::npos);
  EXPECT_NE(file.find("<clipPath id=\"height-plot\">"), std::string::npos);
  EXPECT_NE(file.find("clip-path=\"url(#height-plot)\""), std::string::npos);
}

TEST(RenderSvg, CurvesStayInsideThePlottingArea) {
  for (const Scale xs : {Scale::Linear, Scale::Logarithmic}) {
    Chart c = two_curves();
    c.x.scale = xs;
    const std::string svg = render_svg(c);
    const Box box = plot_box(svg);
    const auto paths = curve_paths(svg);
    ASSERT_EQ(paths.size(), 2u);
    for (const auto& d : paths) {
      for (const auto& [x, y] : points_of(d)) {
        EXPECT_GE(x, box.x0);
        EXPECT_LE(x, box.x1);
        EXPECT_GE(y, box.y0);
        EXPECT_LE(y, box.y1);
      }
    }
  }
}

TEST(RenderSvg, LegendOnlyWithMoreThanOneCurve) {
  Chart c = two_curves();
  EXPECT_NE(render_svg(c).find("class=\"legend\""), std::string::npos);
  EXPECT_NE(render_svg(c).find(">settlement</text>"), std::string::npos);
  c.series.pop_back();
  EXPECT_EQ(render_svg(c).find("class=\"legend\""), std::string::npos);
  // One curve with marked points: the markers are explained.
  c.series[0].marks = {10, 20};
  c.marks_label = "output time";
  const std::string svg = render_svg(c);
  EXPECT_NE(svg.find(">output time</text>"), std::string::npos);
  EXPECT_EQ(count(svg, "r=\"3.2\""), 2u + 1u);  // two markers and the legend's
}

TEST(RenderSvg, DashedCurveAndColours) {
  Chart c = two_curves();
  c.series[1].stroke = Stroke::Dashed;
  c.series[1].color = "#123456";
  const auto svg = render_svg(c);
  EXPECT_NE(svg.find("stroke=\"#123456\" stroke-width=\"1.8\" stroke-linejoin=\"round\" "
                     "stroke-linecap=\"round\" stroke-dasharray"),
            std::string::npos);
  EXPECT_NE(svg.find("stroke=\"#0072B2\""), std::string::npos);  // the palette's first
}

TEST(RenderSvg, DottedCurveDrawsRoundDotsInThePlotAndTheLegend) {
  Chart c = two_curves();
  c.series[0].stroke = Stroke::Dotted;
  c.series[0].color = "#654321";
  const auto svg = render_svg(c);
  EXPECT_EQ(test::xml_problem(svg), "");
  // The curve already has round caps; the legend's line gets them too.
  EXPECT_NE(svg.find("stroke=\"#654321\" stroke-width=\"1.8\" stroke-linejoin=\"round\" "
                     "stroke-linecap=\"round\" stroke-dasharray=\"1 4\"/>"),
            std::string::npos);
  EXPECT_NE(svg.find("stroke=\"#654321\" stroke-width=\"2\" stroke-linecap=\"round\" "
                     "stroke-dasharray=\"1 4\"/>"),
            std::string::npos);
  EXPECT_EQ(count(svg, "stroke-dasharray"), 2u);
}

TEST(RenderSvg, NotANumberBreaksTheLineAndIsNoted) {
  Chart c;
  c.title = "gap";
  c.series.push_back({"", {0, 1, 2, 3, 4}, {0, 1, GAP, 3, 4}});
  const std::string svg = render_svg(c);
  const auto paths = curve_paths(svg);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(count(paths[0], "M"), 2u);
  EXPECT_NE(svg.find("1 point that are not finite numbers not drawn."), std::string::npos);
}

TEST(RenderSvg, ZeroAndNegativeValuesOnALogAxisAreLeftOutAndNoted) {
  Chart c;
  c.title = "log";
  c.x = {"time [days]", Scale::Logarithmic};
  c.series.push_back({"", {0, 1, 10, 100}, {5, 4, 3, 2}});
  c.series.push_back({"", {-1, 1, 10, 100}, {5, 4, 3, 2}});
  const std::string svg = render_svg(c);
  EXPECT_NE(svg.find("2 points at or below zero not drawn on the logarithmic axis of time [days]."),
            std::string::npos);
  for (const auto& d : curve_paths(svg)) EXPECT_EQ(points_of(d).size(), 3u);
}

TEST(RenderSvg, LonePointBecomesADot) {
  Chart c;
  c.title = "one";
  c.series.push_back({"start", {0.0}, {10.0}});
  const std::string svg = render_svg(c);
  EXPECT_NE(svg.find("r=\"2.5\""), std::string::npos);
  EXPECT_EQ(test::xml_problem(svg), "");
}

TEST(RenderSvg, EmptyChartSaysSo) {
  Chart c;
  c.title = "nothing";
  c.series.push_back({"height", {}, {}});
  c.series.push_back({"settlement", {GAP}, {1.0}});
  const std::string svg = render_svg(c);
  EXPECT_NE(svg.find(">no data</text>"), std::string::npos);
  EXPECT_NE(svg.find("No data to draw."), std::string::npos);
  EXPECT_EQ(test::xml_problem(svg), "");
}

TEST(RenderSvg, LongHistoryIsThinnedToThePixels) {
  Chart c;
  c.title = "many steps";
  Series s{"height"};
  for (int i = 0; i <= 200000; ++i) {
    s.x.push_back(i * 0.25);
    s.y.push_back(10 - 5 * (1 - std::exp(-i / 40000.0)));
  }
  c.series = {s};
  const auto paths = curve_paths(render_svg(c));
  ASSERT_EQ(paths.size(), 1u);
  const auto pts = points_of(paths[0]);
  EXPECT_LT(pts.size(), 1500u);
  // Both ends are kept.
  const Box box = plot_box(render_svg(c));
  EXPECT_NEAR(pts.front().first, box.x0 + 0.04 / 1.08 * (box.x1 - box.x0), 0.1);
  EXPECT_NEAR(pts.back().first, box.x1 - 0.04 / 1.08 * (box.x1 - box.x0), 0.1);
}

// The baselines of the text lines under the plotting area (tick labels, axis
// title, legend rows, notes), top down, each once.
std::vector<double> lines_under_the_plot(const std::string& svg) {
  const Box box = plot_box(svg);
  std::vector<double> ys;
  const std::regex re("<text x=\"[-0-9.]+\" y=\"([-0-9.]+)\"");
  for (std::sregex_iterator it(svg.begin(), svg.end(), re), last; it != last; ++it) {
    const double y = std::stod((*it)[1]);
    if (y > box.y1 && std::find(ys.begin(), ys.end(), y) == ys.end()) ys.push_back(y);
  }
  std::sort(ys.begin(), ys.end());
  return ys;
}

TEST(RenderSvg, LinesUnderThePlotDoNotOverlap) {
  Chart one = two_curves();
  one.series.pop_back();
  one.notes = {"A1 = 7, B1 = -0.2, Z1 = 0.1.", "Drawn over the void ratios of the run."};
  Chart legend_and_notes = two_curves();
  legend_and_notes.notes = one.notes;
  for (const Chart& c : {one, legend_and_notes, two_curves()}) {
    const std::string svg = render_svg(c);
    const auto ys = lines_under_the_plot(svg);
    // Tick labels, the axis title, then the legend or not, then the notes.
    ASSERT_GE(ys.size(), 2u);
    for (std::size_t i = 1; i < ys.size(); ++i) EXPECT_GE(ys[i] - ys[i - 1], 14.0) << i;
    // The picture holds the last line with room for its descenders.
    EXPECT_GE(attribute(svg.substr(svg.find("<svg"), svg.find('>', svg.find("<svg"))), "height"),
              ys.back() + 4);
  }
  EXPECT_EQ(lines_under_the_plot(render_svg(one)).size(), 2u + 2u);
}

TEST(RampColor, RunsFromDarkToLight) {
  EXPECT_EQ(ramp_color(0.0), "#440154");
  EXPECT_EQ(ramp_color(1.0), "#7ad151");
  EXPECT_EQ(ramp_color(GAP), "#440154");
  EXPECT_EQ(ramp_color(0.5), "#2a788e");
}

}  // namespace
}  // namespace slurry1d::charts
