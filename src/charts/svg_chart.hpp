#pragma once

// Draws a Chart as an SVG document: a title, framed axes with round-number
// ticks and grid lines, the curves clipped to the plotting area, a legend
// under the axes when there is more than one curve, and notes on points that
// could not be drawn.

#include <string>

#include "charts/chart.hpp"

namespace slurry1d::charts {

struct SvgOptions {
  // Prefix of the element ids (the clip path); charts inlined into one page
  // need different ones. Letters, digits and '-' only.
  std::string id = "chart";
  // With the XML declaration, for a file of its own; without it the same
  // <svg> element can be inlined into an HTML page.
  bool standalone = true;
};

std::string render_svg(const Chart& chart, const SvgOptions& options = {});

// What a standalone document has before its <svg> element.
inline constexpr const char* XML_DECLARATION = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// Colour at position t in [0, 1] of a dark-blue-to-green ramp, for curves in
// a sequence (e.g. profiles at successive times).
std::string ramp_color(double t);

}  // namespace slurry1d::charts
