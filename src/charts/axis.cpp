#include "charts/axis.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace slurry1d::charts {
namespace {

// Share of the data span added at each end of an axis.
constexpr double PADDING = 0.04;
// Average advance of a digit or letter of a sans-serif face, in ems.
constexpr double CHAR_EM = 0.62;

bool drawable(double v, Scale scale) {
  return std::isfinite(v) && (scale == Scale::Linear || v > 0.0);
}

std::string fixed(double v, int decimals) {
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  std::string text(buf, result.ptr);
  if (text.find_first_not_of("-0.") == std::string::npos) return "0";  // no "-0"
  return text;
}

int decade_of(double v) {
  return static_cast<int>(std::floor(std::log10(std::abs(v)) + 1e-9));
}

// Pixels between the labels of neighbouring ticks that keep them apart.
double needed_spacing(const std::vector<Tick>& ticks, bool horizontal, double font_size) {
  if (!horizontal) return std::max(2.2 * font_size, 40.0);
  double widest = 0.0;
  for (const Tick& t : ticks) {
    if (t.label) widest = std::max(widest, t.label->em_width() * font_size);
  }
  return std::max(widest + font_size, 48.0);
}

// Ticks at multiples of 1, 2 or 5 times a power of ten: the densest such
// step whose labels stay apart on an axis of `length` pixels.
std::vector<Tick> round_number_ticks(Range range, double length, bool horizontal,
                                     double font_size) {
  const double span = range.hi - range.lo;
  int power = static_cast<int>(std::floor(std::log10(span))) - 2;
  std::vector<Tick> ticks;
  for (;; ++power) {
    for (const double m : {1.0, 2.0, 5.0}) {
      const double step = m * std::pow(10.0, power);
      const double first = std::ceil(range.lo / step);
      const double last = std::floor(range.hi / step);
      if (last - first > 20) continue;
      ticks.clear();
      for (double i = first; i <= last; ++i) {
        const double v = i * step;
        ticks.push_back({v, format_tick(v, step)});
      }
      if (length * step / span >= needed_spacing(ticks, horizontal, font_size) || last <= first) {
        return ticks;
      }
    }
  }
}

// The multiples of the powers of ten that carry a label on a log axis.
enum class Mantissas { One, OneTwoFive, OneThree };

struct LogLabelling {
  int stride = 1;  // label every stride-th power of ten
  Mantissas mantissas = Mantissas::One;
};

bool carries_label(double v, LogLabelling l) {
  const int d = decade_of(v);
  const double mantissa = std::round(v / std::pow(10.0, d));
  if (mantissa == 1.0) return d % l.stride == 0;
  if (l.mantissas == Mantissas::OneTwoFive) return mantissa == 2.0 || mantissa == 5.0;
  if (l.mantissas == Mantissas::OneThree) return mantissa == 3.0;
  return false;
}

// A log-axis label as a decimal ("0.002", "500") or in powers of ten
// ("10" with exponent -4, "2" with exponent -4).
TickLabel log_label(double v, bool decimal) {
  const int d = decade_of(v);
  if (decimal) return format_tick(v, std::pow(10.0, d));
  return {fixed(std::round(v / std::pow(10.0, d)), 0), d};
}

// The ticks with labels where `l` puts them: decimals while every label lies
// from 0.001 to 99999, else powers of ten throughout, so that one axis never
// mixes "0.01" with "10⁻⁴".
std::vector<Tick> with_log_labels(std::vector<Tick> ticks, LogLabelling l) {
  int lowest = std::numeric_limits<int>::max(), highest = std::numeric_limits<int>::min();
  for (const Tick& t : ticks) {
    if (!carries_label(t.value, l)) continue;
    lowest = std::min(lowest, decade_of(t.value));
    highest = std::max(highest, decade_of(t.value));
  }
  const bool decimal = lowest >= -3 && highest <= 4;
  for (Tick& t : ticks) {
    t.label = carries_label(t.value, l) ? std::optional(log_label(t.value, decimal)) : std::nullopt;
  }
  return ticks;
}

// Whether every two neighbouring labels stay apart; counts the labels.
bool labels_apart(const std::vector<Tick>& ticks, Range range, double length, bool horizontal,
                  double font_size, int& labelled) {
  const double needed = needed_spacing(ticks, horizontal, font_size);
  std::optional<double> last;
  labelled = 0;
  bool apart = true;
  for (const Tick& t : ticks) {
    if (!t.label) continue;
    const double at = axis_fraction(t.value, range, Scale::Logarithmic) * length;
    if (last && at - *last < needed) apart = false;
    last = at;
    ++labelled;
  }
  return apart;
}

// Ticks at 1..9 times the powers of ten; labels at 1, 2 and 5 times them
// where there is room, else at every power of ten, or every second, fifth,
// ... where they crowd. Within about a decade, where fewer than two powers of
// ten fall in the range, 2 and 5 (or 3) times them are labelled instead.
std::vector<Tick> log_ticks(Range range, double length, bool horizontal, double font_size) {
  const double l0 = std::log10(range.lo);
  const double l1 = std::log10(range.hi);
  std::vector<Tick> ticks;
  for (int d = static_cast<int>(std::floor(l0)); d <= static_cast<int>(std::floor(l1)); ++d) {
    for (int m = 1; m <= 9; ++m) {
      const double v = m * std::pow(10.0, d);
      if (v >= range.lo && v <= range.hi) ticks.push_back({v, std::nullopt});
    }
  }
  constexpr LogLabelling DENSE_TO_SPARSE[] = {
      {1, Mantissas::OneTwoFive}, {1, Mantissas::One},  {2, Mantissas::One},
      {3, Mantissas::One},        {5, Mantissas::One},  {10, Mantissas::One},
      {20, Mantissas::One},       {50, Mantissas::One}, {1, Mantissas::OneThree}};
  // Failing two labels apart: the most labels that stay apart, else the sparsest.
  std::vector<Tick> fallback;
  int fallback_count = -1;
  for (const LogLabelling l : DENSE_TO_SPARSE) {
    std::vector<Tick> labelled_ticks = with_log_labels(ticks, l);
    int labelled = 0;
    const bool apart = labels_apart(labelled_ticks, range, length, horizontal, font_size, labelled);
    if (apart && labelled >= 2) return labelled_ticks;
    if (apart && labelled > fallback_count) {
      fallback_count = labelled;
      fallback = labelled_ticks;
    }
    if (fallback_count < 0 && l.stride == 50) fallback = std::move(labelled_ticks);
  }
  return fallback;
}

}  // namespace

std::optional<Range> padded_range(std::span<const double> values, Scale scale) {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -lo;
  for (const double v : values) {
    if (!drawable(v, scale)) continue;
    const double a = scale == Scale::Logarithmic ? std::log10(v) : v;
    lo = std::min(lo, a);
    hi = std::max(hi, a);
  }
  if (lo > hi) return std::nullopt;
  if (hi - lo <= 1e-12 * std::max(std::abs(lo), std::abs(hi))) {
    const double half = scale == Scale::Logarithmic ? 0.5 : (lo == 0.0 ? 1.0 : 0.1 * std::abs(lo));
    lo -= half;
    hi += half;
  }
  const double pad = PADDING * (hi - lo);
  lo -= pad;
  hi += pad;
  if (scale == Scale::Logarithmic) return Range{std::pow(10.0, lo), std::pow(10.0, hi)};
  return Range{lo, hi};
}

double axis_fraction(double v, Range range, Scale scale) {
  if (scale == Scale::Logarithmic) {
    return (std::log10(v) - std::log10(range.lo)) / (std::log10(range.hi) - std::log10(range.lo));
  }
  return (v - range.lo) / (range.hi - range.lo);
}

double TickLabel::em_width() const {
  // Characters, not bytes: "×" takes two bytes in UTF-8.
  const auto chars = std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  if (!exponent) return CHAR_EM * static_cast<double>(chars);
  // "10" for a bare power of ten, else the mantissa and "×10"; then the
  // exponent at three quarters of the size.
  const double base = text == "1" ? 2.0 : static_cast<double>(chars) + 3.0;
  const double digits = static_cast<double>(std::to_string(*exponent).size());
  return CHAR_EM * (base + 0.75 * digits);
}

TickLabel format_tick(double v, double step) {
  if (v == 0.0) return {"0", std::nullopt};
  const int step_power = decade_of(step);
  if (std::abs(v) < 1e6 && step_power >= -4)
    return {fixed(v, std::max(0, -step_power)), std::nullopt};
  const int d = decade_of(v);
  const double mantissa = v / std::pow(10.0, d);
  return {fixed(mantissa, std::max(0, d - step_power)), d};
}

std::vector<Tick> axis_ticks(Range range, Scale scale, double length, bool horizontal,
                             double font_size) {
  if (scale == Scale::Logarithmic && std::log10(range.hi / range.lo) >= 0.7) {
    return log_ticks(range, length, horizontal, font_size);
  }
  // A linear axis, or a logarithmic one spanning less than a decade, where
  // round numbers read better than powers of ten; the spacing is judged at
  // the crowded end of a log axis.
  const double squeeze = scale == Scale::Logarithmic
                             ? std::log10(range.hi / (range.hi - 0.1 * (range.hi - range.lo))) /
                                   std::log10(range.hi / range.lo) * 10.0
                             : 1.0;
  return round_number_ticks(range, length * squeeze, horizontal, font_size);
}

}  // namespace slurry1d::charts
