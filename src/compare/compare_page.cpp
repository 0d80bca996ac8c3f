#include "compare/compare_page.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "charts/markup.hpp"
#include "charts/svg_chart.hpp"

namespace slurry1d::compare {
namespace {

using charts::Chart;
using charts::escape_markup;
using charts::Scale;
using charts::Series;
using charts::Stroke;

// Colours that stay apart for most readers, the first seven also in grey
// print; dark enough to read as thin lines on white.
constexpr const char* COLORS[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7", "#E69F00",
                                  "#56B4E9", "#000000", "#882255", "#999933", "#332288"};
constexpr std::size_t COLOR_COUNT = std::size(COLORS);
constexpr Stroke STROKES[] = {Stroke::Solid, Stroke::Dashed, Stroke::Dotted};
constexpr std::size_t STROKE_COUNT = std::size(STROKES);

std::string values_text(const std::vector<double>& values, const char* separator) {
  std::string text;
  for (const double v : values) {
    if (!text.empty()) text += separator;
    text += display_number(v);
  }
  return text;
}

// The position of each row's value of varied answer k among the distinct
// values, counted in the order the rows first show them.
std::vector<std::size_t> value_groups(const StudyTable& table, std::size_t k,
                                      std::size_t& group_count) {
  std::vector<std::optional<std::vector<double>>> seen;
  std::vector<std::size_t> groups;
  for (const StudyRow& row : table.rows) {
    const auto it = std::find(seen.begin(), seen.end(), row.varied[k]);
    groups.push_back(static_cast<std::size_t>(it - seen.begin()));
    if (it == seen.end()) seen.push_back(row.varied[k]);
  }
  group_count = seen.size();
  return groups;
}

std::string varied_label(const StudyTable& table, const StudyRow& row) {
  std::string label;
  for (std::size_t k = 0; k < table.varied_names.size(); ++k) {
    if (!label.empty()) label += ", ";
    label += table.varied_names[k] + " = " +
             (row.varied[k] ? values_text(*row.varied[k], " ") : std::string("–"));
  }
  return label;
}

std::string short_name(const std::string& run) {
  const std::filesystem::path p = std::filesystem::path(run).lexically_normal();
  const std::string name = p.filename().string();
  if (!name.empty()) return name;
  const std::string parent = p.parent_path().filename().string();
  return parent.empty() ? run : parent;
}

// The legend names: the varied answers when there are a few and they tell the
// runs apart, else the names of the runs.
std::vector<std::string> run_labels(const StudyTable& table) {
  std::vector<std::string> labels;
  if (!table.varied_names.empty() && table.varied_names.size() <= 3) {
    for (const StudyRow& row : table.rows) labels.push_back(varied_label(table, row));
    std::vector<std::string> sorted = labels;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) return labels;
    labels.clear();
  }
  for (const StudyRow& row : table.rows) labels.push_back(short_name(row.run));
  return labels;
}

std::string unit(const std::string& u) {
  return " [" + u + "]";
}

std::string not_drawn_note(const StudyTable& table) {
  std::vector<std::string> names;
  for (const StudyRow& row : table.rows) {
    if (!row.drawn) names.push_back(short_name(row.run));
  }
  if (names.empty()) return {};
  std::string note = names.size() == 1 ? "Not drawn (no answer): " : "Not drawn (no answers): ";
  for (std::size_t i = 0; i < names.size(); ++i) note += (i == 0 ? "" : ", ") + names[i];
  return note + ".";
}

CompareChart settlement_chart(std::span<const StudyRun> runs, const StudyTable& table,
                              std::span<const RunStyle> styles, Scale scale) {
  const bool log = scale == Scale::Logarithmic;
  Chart c;
  c.title = log ? "Settlement against log time" : "Settlement against time";
  c.x = {"time t" + unit(table.units.time), scale};
  c.y = {"settlement s" + unit(table.units.length)};
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (!table.rows[i].drawn || !runs[i].history) continue;
    const report::History& h = *runs[i].history;
    Series s{styles[i].label, {}, {}, styles[i].stroke, {}, styles[i].color};
    // The starting state at t = 0 has no place on a log axis.
    for (std::size_t r = 0; r < h.time.size() && r < h.settlement.size(); ++r) {
      if (log && !(h.time[r] > 0.0)) continue;
      s.x.push_back(h.time[r]);
      s.y.push_back(h.settlement[r]);
    }
    c.series.push_back(std::move(s));
  }
  if (const std::string note = not_drawn_note(table); !note.empty()) c.notes.push_back(note);
  return {log ? "settlement-log-time" : "settlement-time",
          log ? "Settlement of every run against the logarithm of time."
              : "Settlement of every run against time.",
          std::move(c)};
}

CompareChart profile_chart(std::span<const StudyRun> runs, const StudyTable& table,
                           std::span<const RunStyle> styles) {
  Chart c;
  c.title = "Final void-ratio profiles";
  c.plot_height = 380;
  c.x = {"void ratio e [–]"};
  c.y = {"elevation z" + unit(table.units.length)};
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (!table.rows[i].drawn || !runs[i].final_profile) continue;
    const FinalProfile& p = *runs[i].final_profile;
    c.series.push_back(
        {styles[i].label, p.void_ratio, p.elevation, styles[i].stroke, {}, styles[i].color});
  }
  if (const std::string note = not_drawn_note(table); !note.empty()) c.notes.push_back(note);
  return {"final-void-ratio", "The void ratio of every run's column at its end, from the base up.",
          std::move(c)};
}

std::string end_words(const std::string& reason) {
  struct Words {
    const char* reason;
    const char* words;
  };
  constexpr Words WORDS[] = {
      {"last_output_time", "last output time reached"},
      {"steady_state_height", "steady-state height reached"},
      {"minimum_void_ratio", "minimum void ratio reached"},
      {"quiet_steps", "no further change"},
      {"unstable", "unstable"},
      {"base_instability", "no effective stress at the base"},
      {"too_many_nodes", "too many nodes needed"},
      {"refused_run", "run refused"},
      {"refused_input", "answer refused"},
      {"interrupted", "interrupted"},
      {"numerical_failure", "failed numerically"},
      {"file_error", "a result file could not be written"},
  };
  for (const Words& w : WORDS) {
    if (reason == w.reason) return w.words;
  }
  return reason;
}

// How a run ended and when; the unit of time stands in the header of t90.
std::string end_text(const StudyRow& row) {
  std::string text = end_words(row.end.reason);
  if (row.end.time) text += " at t = " + display_number(*row.end.time);
  if (row.end.exit_status != 0) {
    text += " (exit status " + std::to_string(row.end.exit_status) + ")";
  }
  return escape_markup(text);
}

std::string cell(const std::optional<double>& v) {
  return v ? "<td class=\"number\">" + display_number(*v) + "</td>"
           : "<td class=\"number none\">–</td>";
}

std::string swatch(const RunStyle& style) {
  const char* dash = style.stroke == Stroke::Dashed   ? " stroke-dasharray=\"7 4\""
                     : style.stroke == Stroke::Dotted ? " stroke-dasharray=\"1 4\""
                                                      : "";
  return "<svg class=\"swatch\" width=\"30\" height=\"10\" viewBox=\"0 0 30 10\" "
         "aria-hidden=\"true\"><line x1=\"2\" y1=\"5\" x2=\"28\" y2=\"5\" stroke=\"" +
         style.color + "\" stroke-width=\"2\" stroke-linecap=\"round\"" + dash + "/></svg>";
}

std::string runs_table(const StudyTable& table, std::span<const RunStyle> styles) {
  const report::Units& u = table.units;
  std::string out = "<table class=\"runs\">\n<thead><tr><th></th><th>Run</th>";
  for (const std::string& name : table.varied_names) out += "<th>" + escape_markup(name) + "</th>";
  out += "<th>Final height" + escape_markup(unit(u.length)) + "</th><th>Settlement" +
         escape_markup(unit(u.length)) + "</th><th>t<sub>90</sub>" + escape_markup(unit(u.time)) +
         "</th><th>How it ended</th></tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    const StudyRow& row = table.rows[i];
    out += std::string("<tr") + (row.drawn ? "" : " class=\"no-curve\"") + "><td>" +
           (row.drawn ? swatch(styles[i]) : "") + "</td><td>" + escape_markup(row.run) + "</td>";
    for (const auto& v : row.varied) {
      out += "<td class=\"number\">" + (v ? escape_markup(values_text(*v, ", ")) : "–") + "</td>";
    }
    out += cell(row.final_height) + cell(row.settlement) + cell(row.time_to_90_percent);
    out += "<td>" + end_text(row) + (row.drawn ? "" : "; no curve") + "</td></tr>\n";
  }
  return out + "</tbody>\n</table>\n";
}

// The answers every run shares, as the first run gives them.
std::string common_answers(std::span<const StudyRun> runs, const StudyTable& table) {
  if (runs.empty()) return {};
  std::string text;
  for (const report::NamedValue& a : runs.front().summary.answers) {
    const auto& varied = table.varied_names;
    if (a.values.empty() || std::find(varied.begin(), varied.end(), a.name) != varied.end()) {
      continue;
    }
    if (!text.empty()) text += "; ";
    text += a.name + " = " + values_text(a.values, ", ");
  }
  return text;
}

constexpr const char* STYLE = R"(
body { font-family: "DejaVu Sans", Helvetica, Arial, sans-serif; color: #222; margin: 24px auto;
       max-width: 1360px; padding: 0 16px; font-size: 14px; line-height: 1.4; }
h1 { font-size: 22px; margin: 0 0 4px; }
h2 { font-size: 17px; margin: 28px 0 10px; border-bottom: 1px solid #ccc; padding-bottom: 3px; }
p.lead, p.note { color: #555; margin: 0 0 12px; }
p.note { font-size: 12px; margin-top: 8px; max-width: 980px; }
table { border-collapse: collapse; font-size: 13px; }
th, td { text-align: left; padding: 3px 14px 3px 0; border-bottom: 1px solid #e4e4e4;
         vertical-align: middle; }
th { white-space: nowrap; }
td.number { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td.none { color: #999; }
tr.no-curve td { color: #8a3a00; }
svg.swatch { display: block; }
.charts { display: flex; flex-wrap: wrap; gap: 18px 24px; align-items: flex-start; }
figure.chart { margin: 0; break-inside: avoid; page-break-inside: avoid; }
figure.chart svg { display: block; max-width: 100%; height: auto; }
figcaption { font-size: 11px; color: #666; margin-top: 2px; max-width: 640px; }
footer { margin-top: 28px; font-size: 11px; color: #777; }
@page { size: A4; margin: 12mm; }
@media print {
  body { margin: 0; max-width: none; padding: 0; font-size: 11px; }
  table { font-size: 10px; }
  h2 { break-after: avoid; page-break-after: avoid; }
  tr { break-inside: avoid; page-break-inside: avoid; }
  .charts { display: block; }
  figure.chart { margin: 0 0 5mm; }
  figure.chart svg { max-height: 250mm; width: auto; }
}
)";

std::string figure(const CompareChart& c) {
  return "<figure class=\"chart\" id=\"" + c.name + "\">\n" +
         charts::render_svg(c.chart, {c.name, false}) + "<figcaption>" + escape_markup(c.caption) +
         "</figcaption>\n</figure>\n";
}

}  // namespace

std::vector<RunStyle> run_styles(const StudyTable& table) {
  const std::vector<std::string> labels = run_labels(table);
  std::vector<RunStyle> styles;
  const std::size_t n = table.rows.size();
  std::size_t colors = 0, lines = 1;
  std::vector<std::size_t> by_color, by_line(n, 0);
  if (table.varied_names.size() == 1 || table.varied_names.size() == 2) {
    by_color = value_groups(table, 0, colors);
    if (table.varied_names.size() == 2) by_line = value_groups(table, 1, lines);
  }
  const bool matrix = !by_color.empty() && colors <= COLOR_COUNT && lines <= STROKE_COUNT;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t color = matrix ? by_color[i] : i % COLOR_COUNT;
    const std::size_t line = matrix ? by_line[i] : (i / COLOR_COUNT) % STROKE_COUNT;
    styles.push_back({labels[i], COLORS[color], STROKES[line]});
  }
  return styles;
}

std::vector<CompareChart> build_compare_charts(std::span<const StudyRun> runs,
                                               const StudyTable& table,
                                               std::span<const RunStyle> styles) {
  return {settlement_chart(runs, table, styles, Scale::Linear),
          settlement_chart(runs, table, styles, Scale::Logarithmic),
          profile_chart(runs, table, styles)};
}

std::string compare_page(std::span<const StudyRun> runs, const StudyTable& table) {
  const std::vector<RunStyle> styles = run_styles(table);
  const std::vector<CompareChart> charts = build_compare_charts(runs, table, styles);
  const std::size_t drawn = static_cast<std::size_t>(std::count_if(
      table.rows.begin(), table.rows.end(), [](const StudyRow& r) { return r.drawn; }));
  const std::string count =
      std::to_string(table.rows.size()) + (table.rows.size() == 1 ? " run" : " runs");
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      // Nothing may be fetched: the page carries everything it shows.
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>slurry1d comparison of " +
      count + "</title>\n<style>" + STYLE + "</style>\n</head>\n<body>\n";
  page += "<h1>slurry1d comparison of " + count + "</h1>\n";
  page += "<p class=\"lead\">Units are those of the answers: length " +
          escape_markup(table.units.length) + ", time " + escape_markup(table.units.time) + ". " +
          std::to_string(drawn) + " of " + count + " gave an answer and are drawn.</p>\n";
  page += "<h2 id=\"runs\">Runs</h2>\n" + runs_table(table, styles);
  page +=
      "<p class=\"note\">t<sub>90</sub>: the time from the start of a run until its settlement "
      "reached 90 % of its final settlement, interpolated in its history. Runs that failed or "
      "were interrupted are listed with how they ended and have no curve. The same table, "
      "every number at full precision, is in summary.csv beside this page.</p>\n";
  if (const std::string common = common_answers(runs, table); !common.empty()) {
    page += "<p class=\"note\">Answers common to every run: " + escape_markup(common) + ".</p>\n";
  }
  page += "<h2 id=\"settlement\">Settlement</h2>\n<div class=\"charts\">\n" + figure(charts[0]) +
          figure(charts[1]) + "</div>\n";
  page += "<h2 id=\"profiles\">Final void-ratio profiles</h2>\n<div class=\"charts\">\n" +
          figure(charts[2]) + "</div>\n";
  page += "<footer>Written by slurry1d " SLURRY1D_VERSION " compare.</footer>\n</body>\n</html>\n";
  return page;
}

}  // namespace slurry1d::compare
