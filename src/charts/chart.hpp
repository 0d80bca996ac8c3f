#pragma once

// What a chart shows, independent of how it is drawn: axes, curves and the
// notes under them. svg_chart.hpp draws one as an SVG document.

#include <cstddef>
#include <string>
#include <vector>

namespace slurry1d::charts {

enum class Scale { Linear, Logarithmic };

// How the points of a curve are joined.
enum class Stroke { Solid, Dashed, Dotted, None };

struct Axis {
  std::string title;  // name and unit, e.g. "time [days]"
  Scale scale = Scale::Linear;
};

// One curve: points in data coordinates, joined in the order given. A point
// whose x or y is not finite breaks the line there.
struct Series {
  std::string name;  // legend text
  std::vector<double> x;
  std::vector<double> y;
  Stroke stroke = Stroke::Solid;
  // Points drawn with a marker (indices into x and y), e.g. the output times.
  std::vector<std::size_t> marks;
  std::string color;  // CSS colour; empty takes the next colour of the palette
};

struct Chart {
  std::string title;
  Axis x;
  Axis y;
  std::vector<Series> series;
  std::string marks_label;         // legend text of the markers, when any series has marks
  std::vector<std::string> notes;  // short lines under the chart
  int width = 640;                 // whole picture, in pixels
  int plot_height = 300;           // the plotting area; titles, legend and notes add to it
};

}  // namespace slurry1d::charts
