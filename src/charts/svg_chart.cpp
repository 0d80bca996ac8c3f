#include "charts/svg_chart.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>

#include "charts/axis.hpp"
#include "charts/markup.hpp"

namespace slurry1d::charts {
namespace {

constexpr double FONT = 12.0;
constexpr double TICK_FONT = 11.0;
constexpr double TITLE_FONT = 14.0;
constexpr double CHAR_EM = 0.62;
constexpr double TICK_LENGTH = 5.0;
constexpr double LEGEND_ROW = 17.0;
constexpr double NOTE_ROW = 15.0;
// From the baseline of the x-axis title to that of the first line under it.
constexpr double BELOW_TITLE = 20.0;
constexpr double SWATCH = 26.0;
constexpr const char* FONT_FAMILY = "DejaVu Sans, Helvetica, Arial, sans-serif";

// Colours that stay apart for most readers, also in grey print.
constexpr const char* PALETTE[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                   "#E69F00", "#56B4E9", "#000000"};

double text_width(const std::string& text, double font_size) {
  const auto chars = std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  return CHAR_EM * font_size * static_cast<double>(chars);
}

bool drawable(double v, Scale scale) {
  return std::isfinite(v) && (scale == Scale::Linear || v > 0.0);
}

// Points left out of the drawing, for the notes under the chart.
struct LeftOut {
  std::size_t not_finite = 0;
  std::size_t x_not_positive = 0;
  std::size_t y_not_positive = 0;
};

struct Frame {
  Range xr, yr;
  Scale xs, ys;
  double left, top, width, height;

  bool contains(double x, double y) const { return drawable(x, xs) && drawable(y, ys); }
  double px(double x) const { return left + axis_fraction(x, xr, xs) * width; }
  double py(double y) const { return top + (1.0 - axis_fraction(y, yr, ys)) * height; }
};

struct LegendEntry {
  std::string text;
  std::string color;
  Stroke stroke;
  bool marker;
};

std::string color_of(const Series& s, std::size_t index) {
  if (!s.color.empty()) return s.color;
  return PALETTE[index % std::size(PALETTE)];
}

std::string dash_attribute(Stroke stroke) {
  switch (stroke) {
    case Stroke::Dashed:
      return " stroke-dasharray=\"7 4\"";
    case Stroke::Dotted:
      // With round caps the short dashes draw as dots.
      return " stroke-dasharray=\"1 4\"";
    case Stroke::Solid:
    case Stroke::None:
      break;
  }
  return "";
}

std::string label_markup(const TickLabel& label) {
  if (!label.exponent) return escape_markup(label.text);
  const std::string base = label.text == "1" ? "10" : escape_markup(label.text) + "×10";
  return base + "<tspan dy=\"-0.45em\" font-size=\"0.75em\">" + std::to_string(*label.exponent) +
         "</tspan>";
}

std::string text_element(double x, double y, const std::string& content, const char* anchor,
                         const std::string& extra = "") {
  return "<text x=\"" + pixels(x) + "\" y=\"" + pixels(y) + "\" text-anchor=\"" + anchor + "\"" +
         extra + ">" + content + "</text>\n";
}

std::string plural(std::size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::vector<std::string> notes_of(const Chart& chart, const LeftOut& out, bool any_point) {
  std::vector<std::string> notes = chart.notes;
  if (!any_point) notes.insert(notes.begin(), "No data to draw.");
  if (out.not_finite > 0) {
    notes.push_back(plural(out.not_finite, "point") + " that are not finite numbers not drawn.");
  }
  if (out.x_not_positive > 0) {
    notes.push_back(plural(out.x_not_positive, "point") + " at or below zero not drawn on the " +
                    "logarithmic axis of " + chart.x.title + ".");
  }
  if (out.y_not_positive > 0) {
    notes.push_back(plural(out.y_not_positive, "point") + " at or below zero not drawn on the " +
                    "logarithmic axis of " + chart.y.title + ".");
  }
  return notes;
}

std::vector<LegendEntry> legend_of(const Chart& chart) {
  std::vector<LegendEntry> entries;
  bool any_marks = false;
  for (std::size_t i = 0; i < chart.series.size(); ++i) {
    const Series& s = chart.series[i];
    any_marks = any_marks || !s.marks.empty();
    if (s.name.empty()) continue;
    entries.push_back({s.name, color_of(s, i), s.stroke, s.stroke == Stroke::None});
  }
  if (any_marks && !chart.marks_label.empty()) {
    entries.push_back({chart.marks_label, "#444444", Stroke::None, true});
  }
  if (entries.size() <= 1) entries.clear();
  return entries;
}

// The drawn ranges, from the points that can be drawn on both axes.
std::pair<Range, Range> ranges_of(const Chart& chart, LeftOut& out, bool& any_point) {
  std::vector<double> xs, ys;
  for (const Series& s : chart.series) {
    const std::size_t n = std::min(s.x.size(), s.y.size());
    for (std::size_t i = 0; i < n; ++i) {
      const double x = s.x[i], y = s.y[i];
      if (!std::isfinite(x) || !std::isfinite(y)) {
        ++out.not_finite;
        continue;
      }
      const bool x_ok = drawable(x, chart.x.scale), y_ok = drawable(y, chart.y.scale);
      if (!x_ok) ++out.x_not_positive;
      if (!y_ok) ++out.y_not_positive;
      if (x_ok && y_ok) {
        xs.push_back(x);
        ys.push_back(y);
      }
    }
  }
  any_point = !xs.empty();
  const Range fallback_x = chart.x.scale == Scale::Logarithmic ? Range{1.0, 10.0} : Range{};
  const Range fallback_y = chart.y.scale == Scale::Logarithmic ? Range{1.0, 10.0} : Range{};
  return {padded_range(xs, chart.x.scale).value_or(fallback_x),
          padded_range(ys, chart.y.scale).value_or(fallback_y)};
}

// The curve as one path: a point within half a pixel of the last one drawn is
// passed over (long histories hold thousands of steps on a few hundred
// pixels), a point that cannot be drawn lifts the pen, and a lone point
// becomes a dot.
std::string series_markup(const Series& s, const std::string& color, const Frame& f) {
  std::string path, dots;
  const std::size_t n = std::min(s.x.size(), s.y.size());
  bool pen_down = false;
  double last_x = 0, last_y = 0;
  std::optional<std::pair<double, double>> skipped;
  std::size_t run = 0;
  const auto end_run = [&] {
    if (skipped) {
      path += "L" + pixels(skipped->first) + " " + pixels(skipped->second);
      ++run;
    }
    if (pen_down && run == 1) {
      dots += "<circle cx=\"" + pixels(last_x) + "\" cy=\"" + pixels(last_y) +
              "\" r=\"2.5\" fill=\"" + color + "\"/>\n";
    }
    pen_down = false;
    skipped.reset();
    run = 0;
  };
  for (std::size_t i = 0; i < n; ++i) {
    if (!f.contains(s.x[i], s.y[i])) {
      end_run();
      continue;
    }
    const double X = f.px(s.x[i]), Y = f.py(s.y[i]);
    if (!pen_down) {
      path += "M" + pixels(X) + " " + pixels(Y);
      pen_down = true;
      run = 1;
    } else if (std::abs(X - last_x) < 0.5 && std::abs(Y - last_y) < 0.5) {
      skipped = {X, Y};
      continue;
    } else {
      path += "L" + pixels(X) + " " + pixels(Y);
      ++run;
    }
    skipped.reset();
    last_x = X;
    last_y = Y;
  }
  end_run();

  std::string out;
  if (s.stroke != Stroke::None && !path.empty()) {
    out += "<path d=\"" + path + "\" fill=\"none\" stroke=\"" + color +
           "\" stroke-width=\"1.8\" stroke-linejoin=\"round\" stroke-linecap=\"round\"" +
           dash_attribute(s.stroke) + "/>\n";
    out += dots;
  }
  const bool scatter = s.stroke == Stroke::None;
  std::vector<std::size_t> marked = s.marks;
  if (scatter) {
    marked.clear();
    for (std::size_t i = 0; i < n; ++i) marked.push_back(i);
  }
  for (const std::size_t i : marked) {
    if (i >= n || !f.contains(s.x[i], s.y[i])) continue;
    out += "<circle cx=\"" + pixels(f.px(s.x[i])) + "\" cy=\"" + pixels(f.py(s.y[i])) +
           "\" r=\"3.2\" fill=\"" + (scatter ? color : std::string("white")) + "\" stroke=\"" +
           color + "\" stroke-width=\"1.5\"/>\n";
  }
  return out;
}

std::string legend_glyph(const LegendEntry& e, double x, double y) {
  std::string out;
  if (e.stroke != Stroke::None) {
    out += "<line x1=\"" + pixels(x) + "\" y1=\"" + pixels(y) + "\" x2=\"" + pixels(x + SWATCH) +
           "\" y2=\"" + pixels(y) + "\" stroke=\"" + e.color + "\" stroke-width=\"2\"" +
           (e.stroke == Stroke::Dotted ? " stroke-linecap=\"round\"" : "") +
           dash_attribute(e.stroke) + "/>\n";
  }
  if (e.marker) {
    out += "<circle cx=\"" + pixels(x + SWATCH / 2) + "\" cy=\"" + pixels(y) +
           "\" r=\"3.2\" fill=\"white\" stroke=\"" + e.color + "\" stroke-width=\"1.5\"/>\n";
  }
  return out;
}

double widest_label(const std::vector<Tick>& ticks, double font_size) {
  double widest = 0.0;
  for (const Tick& t : ticks) {
    if (t.label) widest = std::max(widest, t.label->em_width() * font_size);
  }
  return widest;
}

}  // namespace

std::string ramp_color(double t) {
  // Samples of the viridis map, stopping short of its pale yellow end.
  constexpr std::uint8_t stops[][3] = {{0x44, 0x01, 0x54},
                                       {0x41, 0x44, 0x87},
                                       {0x2a, 0x78, 0x8e},
                                       {0x22, 0xa8, 0x84},
                                       {0x7a, 0xd1, 0x51}};
  constexpr int last = static_cast<int>(std::size(stops)) - 1;
  const double pos = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0) * last;
  const int k = std::min(static_cast<int>(pos), last - 1);
  const double w = pos - k;
  char buf[8];
  int channel[3];
  for (int c = 0; c < 3; ++c) {
    channel[c] = static_cast<int>(std::lround(stops[k][c] * (1 - w) + stops[k + 1][c] * w));
  }
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", channel[0], channel[1], channel[2]);
  return buf;
}

std::string render_svg(const Chart& chart, const SvgOptions& options) {
  LeftOut left_out;
  bool any_point = false;
  const auto [xr, yr] = ranges_of(chart, left_out, any_point);
  const std::vector<std::string> notes = notes_of(chart, left_out, any_point);
  const std::vector<LegendEntry> legend = legend_of(chart);

  // Left margin from the y labels; the plot width from what is left.
  const double plot_h = chart.plot_height;
  const std::vector<Tick> y_ticks = axis_ticks(yr, chart.y.scale, plot_h, false, TICK_FONT);
  const double top = 34.0;
  const double left = 12.0 + FONT + 10.0 + widest_label(y_ticks, TICK_FONT) + TICK_LENGTH + 4.0;
  const double right = 22.0;
  const double plot_w = std::max(60.0, chart.width - left - right);
  const std::vector<Tick> x_ticks = axis_ticks(xr, chart.x.scale, plot_w, true, TICK_FONT);
  const Frame f{xr, yr, chart.x.scale, chart.y.scale, left, top, plot_w, plot_h};

  // Under the plot: tick labels, the axis title, the legend, the notes.
  const double x_title_y = top + plot_h + TICK_LENGTH + TICK_FONT + 22.0;
  double legend_col_w = 0.0;
  for (const LegendEntry& e : legend) {
    legend_col_w = std::max(legend_col_w, SWATCH + 8.0 + text_width(e.text, TICK_FONT) + 18.0);
  }
  const double legend_span = chart.width - 2 * 12.0;
  const int legend_cols =
      legend.empty() ? 1 : std::max(1, static_cast<int>(legend_span / legend_col_w));
  const int legend_rows =
      static_cast<int>((legend.size() + legend_cols - 1) / static_cast<std::size_t>(legend_cols));
  // Baselines: the legend's rows from a line under the axis title, then the
  // notes, each a row lower than the line above it.
  const double legend_y = x_title_y + BELOW_TITLE;
  const double notes_y = legend_y + legend_rows * LEGEND_ROW + (legend_rows > 0 ? 6.0 : 0.0);
  const double last_line =
      notes.empty() ? (legend_rows > 0 ? legend_y + (legend_rows - 1) * LEGEND_ROW : x_title_y)
                    : notes_y + (notes.size() - 1) * NOTE_ROW;
  const double height = std::ceil(last_line + 10.0);
  const std::string clip_id = options.id + "-plot";
  const std::string w = pixels(chart.width), h = pixels(height);

  std::string svg;
  if (options.standalone) svg += XML_DECLARATION;
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + w + "\" height=\"" +
         h + "\" viewBox=\"0 0 " + w + " " + h + "\" font-family=\"" + FONT_FAMILY +
         "\" font-size=\"" + pixels(FONT) + "\" role=\"img\">\n";
  svg += "<title>" + escape_markup(chart.title) + "</title>\n";
  svg += "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"white\"/>\n";
  svg += "<defs><clipPath id=\"" + clip_id + "\"><rect x=\"" + pixels(left) + "\" y=\"" +
         pixels(top) + "\" width=\"" + pixels(plot_w) + "\" height=\"" + pixels(plot_h) +
         "\"/></clipPath></defs>\n";
  svg += text_element(left + plot_w / 2, 20.0, escape_markup(chart.title), "middle",
                      " font-size=\"" + pixels(TITLE_FONT) + "\" font-weight=\"bold\"");

  // Grid lines at the labelled ticks, tick marks at all.
  std::string grid, ticks, labels;
  for (const Tick& t : x_ticks) {
    const double X = f.px(t.value);
    const double len = t.label ? TICK_LENGTH : TICK_LENGTH - 2;
    if (t.label) {
      grid += "M" + pixels(X) + " " + pixels(top) + "V" + pixels(top + plot_h);
      labels += text_element(X, top + plot_h + TICK_LENGTH + TICK_FONT + 2, label_markup(*t.label),
                             "middle");
    }
    ticks += "M" + pixels(X) + " " + pixels(top + plot_h) + "v" + pixels(len);
  }
  for (const Tick& t : y_ticks) {
    const double Y = f.py(t.value);
    const double len = t.label ? TICK_LENGTH : TICK_LENGTH - 2;
    if (t.label) {
      grid += "M" + pixels(left) + " " + pixels(Y) + "H" + pixels(left + plot_w);
      labels +=
          text_element(left - TICK_LENGTH - 3, Y, label_markup(*t.label), "end", " dy=\"0.35em\"");
    }
    ticks += "M" + pixels(left) + " " + pixels(Y) + "h" + pixels(-len);
  }
  svg += "<rect class=\"plot-area\" x=\"" + pixels(left) + "\" y=\"" + pixels(top) + "\" width=\"" +
         pixels(plot_w) + "\" height=\"" + pixels(plot_h) + "\" fill=\"white\"/>\n";
  if (!grid.empty()) svg += "<path d=\"" + grid + "\" stroke=\"#e3e3e3\" stroke-width=\"1\"/>\n";
  svg += "<g clip-path=\"url(#" + clip_id + ")\">\n";
  for (std::size_t i = 0; i < chart.series.size(); ++i) {
    svg += series_markup(chart.series[i], color_of(chart.series[i], i), f);
  }
  svg += "</g>\n";
  if (!any_point) {
    svg +=
        text_element(left + plot_w / 2, top + plot_h / 2, "no data", "middle", " fill=\"#888888\"");
  }
  svg += "<rect x=\"" + pixels(left) + "\" y=\"" + pixels(top) + "\" width=\"" + pixels(plot_w) +
         "\" height=\"" + pixels(plot_h) + "\" fill=\"none\" stroke=\"#444444\"/>\n";
  svg += "<path d=\"" + ticks + "\" stroke=\"#444444\" stroke-width=\"1\"/>\n";
  svg += "<g font-size=\"" + pixels(TICK_FONT) + "\">\n" + labels + "</g>\n";
  svg += text_element(left + plot_w / 2, x_title_y, escape_markup(chart.x.title), "middle");
  const double y_title_x = 12.0 + FONT * 0.8;
  svg += "<text transform=\"translate(" + pixels(y_title_x) + " " + pixels(top + plot_h / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">" + escape_markup(chart.y.title) + "</text>\n";

  if (!legend.empty()) {
    svg += "<g class=\"legend\" font-size=\"" + pixels(TICK_FONT) + "\">\n";
    for (std::size_t i = 0; i < legend.size(); ++i) {
      const double x = 12.0 + static_cast<double>(i % legend_cols) * legend_col_w;
      const double y = legend_y + static_cast<double>(i / legend_cols) * LEGEND_ROW;
      svg += legend_glyph(legend[i], x, y - 4);
      svg += text_element(x + SWATCH + 8, y, escape_markup(legend[i].text), "start");
    }
    svg += "</g>\n";
  }
  for (std::size_t i = 0; i < notes.size(); ++i) {
    svg += text_element(12.0, notes_y + static_cast<double>(i) * NOTE_ROW, escape_markup(notes[i]),
                        "start", " font-size=\"" + pixels(TICK_FONT) + "\" fill=\"#555555\"");
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace slurry1d::charts
