#pragma once

// Small helpers for writing SVG and HTML text.

#include <string>
#include <string_view>

namespace slurry1d::charts {

// Text with &, <, > and quotes replaced by their entities, safe in element
// content and in quoted attribute values.
std::string escape_markup(std::string_view text);

// A coordinate in pixels with one decimal at most ("12.5", "3", "-0.4").
std::string pixels(double v);

}  // namespace slurry1d::charts
