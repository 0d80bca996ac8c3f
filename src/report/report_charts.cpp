#include "report/report_charts.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "charts/svg_chart.hpp"

namespace slurry1d::report {
namespace {

using charts::Chart;
using charts::Scale;
using charts::Series;
using charts::Stroke;

constexpr const char* HEIGHT_COLOR = "#0072B2";
constexpr const char* SETTLEMENT_COLOR = "#D55E00";
constexpr const char* PLACED_COLOR = "#009E73";
constexpr const char* STEADY_COLOR = "#000000";

std::string unit_suffix(const std::string& unit) {
  return " [" + unit + "]";
}

// Indices of the history rows at the output times of the profiles: the row of
// the same time, or the nearest.
std::vector<std::size_t> output_rows(const History& h, const std::vector<ProfileSnapshot>& ps) {
  std::vector<std::size_t> rows;
  if (h.time.empty()) return rows;
  for (const ProfileSnapshot& p : ps) {
    if (p.event != ProfileEvent::Output) continue;
    const auto it = std::lower_bound(h.time.begin(), h.time.end(), p.time);
    std::size_t i = static_cast<std::size_t>(it - h.time.begin());
    if (i == h.time.size() || (i > 0 && p.time - h.time[i - 1] < h.time[i] - p.time)) --i;
    if (rows.empty() || rows.back() != i) rows.push_back(i);
  }
  return rows;
}

double steady_height(const SteadyProfile& s) {
  if (s.elevation.empty()) return std::numeric_limits<double>::quiet_NaN();
  return s.elevation.back() - s.elevation.front();
}

bool any_nonzero(const std::vector<double>& v) {
  return std::any_of(v.begin(), v.end(), [](double x) { return x != 0.0 && std::isfinite(x); });
}

// The placed height changes only where staged filling adds to the layer;
// without it, it stays at the starting height (or 0).
bool varies(const std::vector<double>& v) {
  return std::any_of(v.begin(), v.end(), [&](double x) { return x != v.front(); });
}

// A horizontal line across the times of the history (the positive ones on a
// log axis).
Series level_line(std::string name, double level, const History& h, Scale scale,
                  const char* color) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const double t : h.time) {
    if (!std::isfinite(t) || (scale == Scale::Logarithmic && t <= 0)) continue;
    lo = std::min(lo, t);
    hi = std::max(hi, t);
  }
  Series s{std::move(name), {}, {}, Stroke::Dashed, {}, color};
  if (lo <= hi) {
    s.x = {lo, hi};
    s.y = {level, level};
  }
  return s;
}

ReportChart height_chart(const RunResults& r, const RunFacts& f, Scale scale) {
  const History& h = r.history;
  const std::vector<std::size_t> marks = output_rows(h, r.profiles);
  const bool log = scale == Scale::Logarithmic;
  Chart c;
  c.title = log ? "Height and settlement against log time" : "Height and settlement against time";
  c.x = {"time t" + unit_suffix(f.units.time), scale};
  c.y = {"height, settlement" + unit_suffix(f.units.length)};
  c.marks_label = "output time";
  c.series.push_back({"height", h.time, h.height, Stroke::Solid, marks, HEIGHT_COLOR});
  const bool filling = varies(h.placed_height);
  if (filling) {
    // The layer grows: its settlement is what it lost of the height placed.
    std::vector<double> settled(h.time.size());
    for (std::size_t i = 0; i < settled.size(); ++i) settled[i] = h.placed_height[i] - h.height[i];
    c.series.push_back(
        {"settlement (placed − height)", h.time, settled, Stroke::Solid, marks, SETTLEMENT_COLOR});
    c.series.push_back(
        {"placed height (nominal)", h.time, h.placed_height, Stroke::Solid, {}, PLACED_COLOR});
  } else {
    c.series.push_back(
        {"settlement", h.time, h.settlement, Stroke::Solid, marks, SETTLEMENT_COLOR});
  }
  if (r.steady && !r.steady->elevation.empty()) {
    const double hs = steady_height(*r.steady);
    c.series.push_back(level_line("steady-state height", hs, h, scale, HEIGHT_COLOR));
    if (!filling && !h.height.empty()) {
      c.series.push_back(
          level_line("steady-state settlement", h.height.front() - hs, h, scale, SETTLEMENT_COLOR));
    }
  }
  return {log ? "height-log-time" : "height-time", "Height and settlement", std::move(c)};
}

std::string snapshot_label(const ProfileSnapshot& p, const Units& u) {
  std::string label = "t = " + format_value(p.time) + " " + u.time;
  if (p.event == ProfileEvent::Start) label += " (start)";
  if (p.event == ProfileEvent::End) label += " (end)";
  return label;
}

// The snapshots drawn: the start, every output time, and the end when it is
// not an output time already drawn.
std::vector<const ProfileSnapshot*> drawn_snapshots(const std::vector<ProfileSnapshot>& ps) {
  std::vector<const ProfileSnapshot*> drawn;
  for (const ProfileSnapshot& p : ps) {
    const bool repeat = p.event == ProfileEvent::End &&
                        std::any_of(ps.begin(), ps.end(), [&](const ProfileSnapshot& q) {
                          return q.event == ProfileEvent::Output && q.time == p.time;
                        });
    if (!repeat) drawn.push_back(&p);
  }
  return drawn;
}

constexpr std::size_t MAX_NAMED_PROFILES = 12;

std::string ordinal(std::size_t n) {
  const char* suffix = n % 100 / 10 == 1 ? "th"
                       : n % 10 == 1     ? "st"
                       : n % 10 == 2     ? "nd"
                       : n % 10 == 3     ? "rd"
                                         : "th";
  return std::to_string(n) + suffix;
}

enum class ProfileQuantity { VoidRatio, ExcessPorePressure, EffectiveStress };

ReportChart profile_chart(const RunResults& r, const RunFacts& f, ProfileQuantity q) {
  Chart c;
  c.width = 420;
  c.plot_height = 380;
  c.y = {"elevation z" + unit_suffix(f.units.length)};
  std::string name;
  switch (q) {
    case ProfileQuantity::VoidRatio:
      c.title = "Void ratio profiles";
      c.x = {"void ratio e [–]"};
      name = "void-ratio-profiles";
      break;
    case ProfileQuantity::ExcessPorePressure:
      c.title = "Excess pore-water pressure profiles";
      c.x = {"excess pore-water pressure u" + unit_suffix(f.units.stress)};
      name = "excess-pore-pressure-profiles";
      break;
    case ProfileQuantity::EffectiveStress:
      c.title = "Effective stress profiles";
      c.x = {"effective stress σ′" + unit_suffix(f.units.stress)};
      name = "effective-stress-profiles";
      break;
  }
  const auto drawn = drawn_snapshots(r.profiles);
  // Many profiles: the colours tell the order, and the legend names about
  // eight of them, the first and the last among them.
  const std::size_t named_every = drawn.size() > MAX_NAMED_PROFILES ? (drawn.size() + 7) / 8 : 1;
  if (named_every > 1) {
    c.notes.push_back(std::to_string(drawn.size()) + " profiles, from dark (early) to light " +
                      "(late); every " + ordinal(named_every) + " is named.");
  }
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const ProfileSnapshot& p = *drawn[i];
    const bool named = i % named_every == 0 || i + 1 == drawn.size();
    const std::vector<double>& x = q == ProfileQuantity::VoidRatio         ? p.void_ratio
                                   : q == ProfileQuantity::EffectiveStress ? p.effective_stress
                                                                           : p.excess_pore_pressure;
    const double t = drawn.size() > 1 ? static_cast<double>(i) / (drawn.size() - 1) : 0.0;
    c.series.push_back({named ? snapshot_label(p, f.units) : "",
                        x,
                        p.elevation,
                        Stroke::Solid,
                        {},
                        charts::ramp_color(t)});
  }
  if (r.steady && q != ProfileQuantity::ExcessPorePressure) {
    const auto& x =
        q == ProfileQuantity::VoidRatio ? r.steady->void_ratio : r.steady->effective_stress;
    c.series.push_back({"steady state", x, r.steady->elevation, Stroke::Dashed, {}, STEADY_COLOR});
  }
  return {name, "Profiles", std::move(c)};
}

ReportChart crack_chart(const RunResults& r, const RunFacts& f) {
  const History& h = r.history;
  Chart c;
  c.title = "Crack depth and crust thickness against time";
  c.x = {"time t" + unit_suffix(f.units.time)};
  c.y = {"depth, thickness" + unit_suffix(f.units.length)};
  c.marks_label = "output time";
  const auto marks = output_rows(h, r.profiles);
  c.series.push_back({"crack depth", h.time, h.crack_depth, Stroke::Solid, marks, HEIGHT_COLOR});
  c.series.push_back(
      {"crust thickness", h.time, h.crust_thickness, Stroke::Solid, marks, SETTLEMENT_COLOR});
  return {"crack-depth-crust", "Desiccation", std::move(c)};
}

ReportChart volume_chart(const CrackRecords& k, const RunFacts& f) {
  Chart c;
  c.title = "Soil, crack and fluid volumes against time";
  c.x = {"time t" + unit_suffix(f.units.time)};
  c.y = {"volume per unit area" + unit_suffix(f.units.length)};
  c.series.push_back({"soil volume", k.time, k.soil_volume, Stroke::Solid, {}, HEIGHT_COLOR});
  c.series.push_back({"crack volume", k.time, k.crack_volume, Stroke::Solid, {}, SETTLEMENT_COLOR});
  c.series.push_back({"fluid volume", k.time, k.fluid_volume, Stroke::Solid, {}, PLACED_COLOR});
  return {"volumes", "Desiccation", std::move(c)};
}

// The void ratios the run went through: every node at every reported time and
// the steady state.
std::pair<double, double> void_ratio_range(const RunResults& r) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  const auto take = [&](const std::vector<double>& es) {
    for (const double e : es) {
      if (!std::isfinite(e) || e <= 0) continue;
      lo = std::min(lo, e);
      hi = std::max(hi, e);
    }
  };
  for (const ProfileSnapshot& p : r.profiles) take(p.void_ratio);
  if (r.steady) take(r.steady->void_ratio);
  return {lo, hi};
}

constexpr int CURVE_POINTS = 121;

std::string range_note(double lo, double hi) {
  return "Drawn over the void ratios of the run, " + format_value(lo) + " to " + format_value(hi) +
         ".";
}

ReportChart compression_chart(const RunFacts& f, double e_lo, double e_hi) {
  const double A1 = f.answer("A1").value_or(0), B1 = f.answer("B1").value_or(0),
               Z1 = f.answer("Z1").value_or(0);
  Chart c;
  c.title = "Compressibility: e against σ′ + Z1";
  c.width = 520;
  c.x = {"σ′ + Z1" + unit_suffix(f.units.stress), Scale::Logarithmic};
  c.y = {"void ratio e [–]"};
  Series s{"e = A1 (σ′ + Z1)^B1", {}, {}, Stroke::Solid, {}, HEIGHT_COLOR};
  // σ′ + Z1 = (e / A1)^(1 / B1), sampled evenly in log stress.
  if (A1 > 0 && B1 != 0 && e_lo <= e_hi) {
    const double s_a = std::log10(std::pow(e_lo / A1, 1 / B1));
    const double s_b = std::log10(std::pow(e_hi / A1, 1 / B1));
    for (int i = 0; i < CURVE_POINTS; ++i) {
      const double stress = std::pow(10.0, s_a + (s_b - s_a) * i / (CURVE_POINTS - 1));
      s.x.push_back(stress);
      s.y.push_back(A1 * std::pow(stress, B1));
    }
    c.notes.push_back("A1 = " + format_value(A1) + ", B1 = " + format_value(B1) +
                      ", Z1 = " + format_value(Z1) + ". " + range_note(e_lo, e_hi));
  }
  c.series.push_back(std::move(s));
  return {"compressibility", "Constitutive relations", std::move(c)};
}

ReportChart permeability_chart(const RunFacts& f, double e_lo, double e_hi) {
  const double C = f.answer("C").value_or(0), D = f.answer("D").value_or(0);
  Chart c;
  c.title = "Permeability: k against e";
  c.width = 520;
  c.x = {"void ratio e [–]"};
  c.y = {"permeability k" + unit_suffix(f.units.velocity_or_default()), Scale::Logarithmic};
  Series s{"k = C e^D", {}, {}, Stroke::Solid, {}, HEIGHT_COLOR};
  if (e_lo <= e_hi) {
    for (int i = 0; i < CURVE_POINTS; ++i) {
      const double e = e_lo + (e_hi - e_lo) * i / (CURVE_POINTS - 1);
      s.x.push_back(e);
      s.y.push_back(C * std::pow(e, D));
    }
    c.notes.push_back("C = " + format_value(C) + ", D = " + format_value(D) + ". " +
                      range_note(e_lo, e_hi));
  }
  c.series.push_back(std::move(s));
  return {"permeability", "Constitutive relations", std::move(c)};
}

bool is_desiccation_run(const RunResults& r, const RunFacts& f) {
  return f.answer("IDES") == 1.0 || (r.cracks && !r.cracks->time.empty()) ||
         any_nonzero(r.history.crack_depth) || any_nonzero(r.history.crust_thickness);
}

}  // namespace

std::string format_value(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

std::vector<ReportChart> build_report_charts(const RunResults& r, const RunFacts& f) {
  std::vector<ReportChart> out;
  out.push_back(height_chart(r, f, Scale::Linear));
  out.push_back(height_chart(r, f, Scale::Logarithmic));
  out.push_back(profile_chart(r, f, ProfileQuantity::VoidRatio));
  out.push_back(profile_chart(r, f, ProfileQuantity::ExcessPorePressure));
  out.push_back(profile_chart(r, f, ProfileQuantity::EffectiveStress));
  if (is_desiccation_run(r, f)) {
    out.push_back(crack_chart(r, f));
    if (r.cracks) out.push_back(volume_chart(*r.cracks, f));
  }
  const auto [e_lo, e_hi] = void_ratio_range(r);
  out.push_back(compression_chart(f, e_lo, e_hi));
  out.push_back(permeability_chart(f, e_lo, e_hi));
  return out;
}

}  // namespace slurry1d::report
