#pragma once

// Axis ranges and ticks at round numbers: 1-2-5 steps on linear axes,
// decades (with minor ticks at 2..9) on logarithmic ones.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "charts/chart.hpp"

namespace slurry1d::charts {

struct Range {
  double lo = 0.0;
  double hi = 1.0;
};

// The range drawn for these values: the finite ones (the positive ones on a
// logarithmic axis) widened by a small margin so that no curve runs along the
// frame; a single value gets a range around it. Empty when no value can be drawn.
std::optional<Range> padded_range(std::span<const double> values, Scale scale);

// Position of v in [0, 1] along an axis of this range (log10 on a log axis).
double axis_fraction(double v, Range range, Scale scale);

// A tick label: `text`, followed by "×10" and a superscript `exponent` when
// the number is written in powers of ten (a bare power of ten has text "10").
struct TickLabel {
  std::string text;
  std::optional<int> exponent;
  // Width of the label in units of the font size (an estimate for layout).
  double em_width() const;
};

struct Tick {
  double value = 0.0;
  std::optional<TickLabel> label;  // minor ticks carry none
};

// Ticks for an axis `length` pixels long, labelled as densely as labels of
// about `label_gap` pixels' spacing (or their own width, on a horizontal
// axis: `horizontal`) allow.
std::vector<Tick> axis_ticks(Range range, Scale scale, double length, bool horizontal,
                             double font_size);

// The label of a tick at v on an axis whose labels step by `step`.
TickLabel format_tick(double v, double step);

}  // namespace slurry1d::charts
