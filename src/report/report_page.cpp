#include "report/report_page.hpp"

#include <cmath>

#include "charts/markup.hpp"
#include "charts/svg_chart.hpp"

namespace slurry1d::report {
namespace {

using charts::escape_markup;

enum class Dimension { None, Length, Time, Stress, UnitWeight, Velocity, Other };

struct AnswerMeaning {
  const char* name;
  const char* meaning;
  Dimension dimension;
};

// The answers and derived values a run may have, in the order of the dialog.
constexpr AnswerMeaning MEANINGS[] = {
    {"A1", "compression constant in e = A1 (σ′ + Z1)^B1", Dimension::Other},
    {"B1", "compression exponent", Dimension::None},
    {"C", "permeability constant in k = C e^D", Dimension::Velocity},
    {"D", "permeability exponent", Dimension::None},
    {"Z1", "stress offset of the compression law", Dimension::Stress},
    {"IDES", "3-D desiccation: 1 = yes, 2 = no", Dimension::None},
    {"ERROR", "iteration tolerance", Dimension::None},
    {"ERROR1", "convergence tolerance", Dimension::None},
    {"A2", "3-D shrinkage constant", Dimension::None},
    {"B2", "3-D shrinkage exponent", Dimension::None},
    {"CRA", "crack-onset constant a", Dimension::Other},
    {"CRB", "crack-onset constant b", Dimension::Other},
    {"CRC", "crack-onset constant c", Dimension::Other},
    {"CRD", "crack-onset constant d", Dimension::Other},
    {"ETA", "crack-wall loss parameter", Dimension::Other},
    {"CV", "crust void ratio", Dimension::None},
    {"GS", "specific gravity of the solids", Dimension::None},
    {"GW", "unit weight of water", Dimension::UnitWeight},
    {"H0", "initial height of the layer", Dimension::Length},
    {"IFIL", "staged filling: 1 = yes, 2 = no", Dimension::None},
    {"NS", "number of filling stages", Dimension::None},
    {"TBF", "beginning of each filling stage", Dimension::Time},
    {"TEF", "end of each filling stage", Dimension::Time},
    {"FRH", "nominal filling rate (height placed at once when a stage has no duration)",
     Dimension::Other},
    {"ITOP", "top boundary: 1 = evaporation rate, 2 = surcharge", Dimension::None},
    {"VT", "evaporation rate at the top (upward positive)", Dimension::Velocity},
    {"LT", "surcharge on the top", Dimension::Stress},
    {"IBOT", "bottom boundary: 1 = impervious, 2 = pressure head, 3 = pervious, 4 = velocity",
     Dimension::None},
    {"HB", "pressure head of water at the base", Dimension::Length},
    {"VB", "prescribed velocity at the base (upward positive)", Dimension::Velocity},
    {"ME", "minimum void ratio", Dimension::None},
    {"TS", "starting time", Dimension::Time},
    {"NO", "number of output times", Dimension::None},
    {"OPT", "output times", Dimension::Time},
    {"MAXDT", "largest time step", Dimension::Time},
    {"ICONT", "continue the last run: 1 = yes, 2 = no", Dimension::None},
    {"ND", "number of profile pairs of the last run", Dimension::None},
    {"E0", "void ratio of the fresh material, A1 Z1^B1", Dimension::None},
    {"K0", "permeability of the fresh material, C E0^D", Dimension::Velocity},
    {"HTOT", "total nominal height the layer receives, the length scale", Dimension::Length},
    {"solids_height", "height of the solids, HTOT/(1 + E0)", Dimension::Length},
    {"starting_height", "height of the layer at the start", Dimension::Length},
};

const AnswerMeaning* meaning_of(const std::string& name) {
  for (const AnswerMeaning& m : MEANINGS) {
    if (name == m.name) return &m;
  }
  return nullptr;
}

std::string unit_of(Dimension d, const Units& u) {
  switch (d) {
    case Dimension::None:
      return "–";
    case Dimension::Length:
      return u.length;
    case Dimension::Time:
      return u.time;
    case Dimension::Stress:
      return u.stress;
    case Dimension::UnitWeight:
      return u.unit_weight;
    case Dimension::Velocity:
      return u.velocity_or_default();
    case Dimension::Other:
      return "";
  }
  return "";
}

std::string values_text(const std::vector<double>& values) {
  std::string text;
  for (const double v : values) {
    if (!text.empty()) text += ", ";
    text += format_value(v);
  }
  return text;
}

std::string row(std::initializer_list<std::string> cells) {
  std::string out = "<tr>";
  bool first = true;
  for (const std::string& c : cells) {
    out += first ? "<th>" + c + "</th>" : "<td>" + c + "</td>";
    first = false;
  }
  return out + "</tr>\n";
}

std::string definition_table(const RunFacts& f) {
  std::string out =
      "<table class=\"definition\">\n<thead><tr><th>Name</th><th>Value</th><th>Unit</th>"
      "<th>Meaning</th></tr></thead>\n<tbody>\n";
  const auto add = [&](const NamedValue& v) {
    const AnswerMeaning* m = meaning_of(v.name);
    out += row({escape_markup(v.name), escape_markup(values_text(v.values)),
                m ? escape_markup(unit_of(m->dimension, f.units)) : "",
                m ? escape_markup(m->meaning) : ""});
  };
  for (const NamedValue& v : f.answers) add(v);
  if (!f.derived.empty()) {
    out += "<tr class=\"group\"><th colspan=\"4\">Derived at set-up</th></tr>\n";
    for (const NamedValue& v : f.derived) add(v);
  }
  return out + "</tbody>\n</table>\n";
}

std::string reason_words(const std::string& reason) {
  struct Words {
    const char* reason;
    const char* words;
  };
  constexpr Words WORDS[] = {
      {"last_output_time", "the last output time was reached"},
      {"steady_state_height", "the top reached its steady-state height"},
      {"minimum_void_ratio", "a node reached the minimum void ratio"},
      {"quiet_steps", "the column no longer changed"},
      {"refused", "an answer was refused"},
      {"base_instability", "the base of the layer is not stable"},
      {"node_capacity", "the column ran out of nodes"},
      {"unstable", "the run became unstable"},
      {"interrupted", "the run was interrupted"},
      {"numerical_failure", "the run failed numerically"},
  };
  for (const Words& w : WORDS) {
    if (reason == w.reason) return w.words;
  }
  return reason;
}

std::string end_table(const RunResults& r, const RunFacts& f) {
  const RunEnd& e = f.end;
  const std::string L = " " + escape_markup(f.units.length);
  std::string out = "<table class=\"end\">\n<tbody>\n";
  out += row({"How it ended", escape_markup(reason_words(e.reason))});
  if (!e.message.empty()) out += row({"Message", "<code>" + escape_markup(e.message) + "</code>"});
  if (e.time) out += row({"At time", format_value(*e.time) + " " + escape_markup(f.units.time)});
  out += row({"Exit status", std::to_string(e.exit_status)});
  if (!e.output_times_not_reached.empty()) {
    out += row({"Output times not reached", escape_markup(values_text(e.output_times_not_reached)) +
                                                " " + escape_markup(f.units.time)});
  }
  const History& h = r.history;
  if (!h.height.empty()) {
    out += row({"Starting height", format_value(h.height.front()) + L});
    out += row({"Final height", format_value(h.height.back()) + L});
    out += row({"Final settlement", format_value(h.settlement.back()) + L});
  }
  if (r.steady && !r.steady->elevation.empty()) {
    out += row({"Steady-state height",
                format_value(r.steady->elevation.back() - r.steady->elevation.front()) + L});
  }
  return out + "</tbody>\n</table>\n";
}

constexpr const char* STYLE = R"(
body { font-family: "DejaVu Sans", Helvetica, Arial, sans-serif; color: #222; margin: 24px auto;
       max-width: 1360px; padding: 0 16px; font-size: 14px; line-height: 1.4; }
h1 { font-size: 22px; margin: 0 0 4px; }
h2 { font-size: 17px; margin: 28px 0 10px; border-bottom: 1px solid #ccc; padding-bottom: 3px; }
p.lead { color: #555; margin: 0 0 12px; }
table { border-collapse: collapse; font-size: 13px; max-width: 980px; }
th, td { text-align: left; padding: 3px 12px 3px 0; border-bottom: 1px solid #e4e4e4;
         vertical-align: top; }
table.definition td:nth-child(2) { font-variant-numeric: tabular-nums; }
tr.group th { padding-top: 10px; color: #555; }
code { font-size: 12px; }
.charts { display: flex; flex-wrap: wrap; gap: 18px 24px; align-items: flex-start; }
figure.chart { margin: 0; break-inside: avoid; page-break-inside: avoid; }
figure.chart svg { display: block; max-width: 100%; height: auto; }
figcaption { font-size: 11px; color: #666; margin-top: 2px; }
footer { margin-top: 28px; font-size: 11px; color: #777; }
@page { size: A4; margin: 12mm; }
@media print {
  body { margin: 0; max-width: none; padding: 0; font-size: 11px; }
  h2 { break-after: avoid; page-break-after: avoid; }
  tr { break-inside: avoid; page-break-inside: avoid; }
  .charts { display: block; }
  figure.chart { margin: 0 0 5mm; }
  figure.chart svg { max-height: 250mm; width: auto; }
}
)";

}  // namespace

std::string chart_file_name(const ReportChart& chart) {
  return "charts/" + chart.name + ".svg";
}

std::string report_page(const RunResults& results, const RunFacts& facts,
                        const std::vector<ReportChart>& charts) {
  const std::string name = escape_markup(facts.name.empty() ? "run" : facts.name);
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      // Nothing may be fetched: the page carries everything it shows.
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>slurry1d report: " +
      name + "</title>\n<style>" + STYLE + "</style>\n</head>\n<body>\n";
  page += "<h1>slurry1d report: " + name + "</h1>\n";
  page += "<p class=\"lead\">Units are those of the answers: length " +
          escape_markup(facts.units.length) + ", time " + escape_markup(facts.units.time) +
          ", stress " + escape_markup(facts.units.stress) + ".</p>\n";
  page += "<h2 id=\"end\">How the run ended</h2>\n" + end_table(results, facts);
  page += "<h2 id=\"definition\">Run definition</h2>\n" + definition_table(facts);
  std::string section;
  for (const ReportChart& c : charts) {
    if (c.section != section) {
      if (!section.empty()) page += "</div>\n";
      section = c.section;
      page += "<h2>" + escape_markup(section) + "</h2>\n<div class=\"charts\">\n";
    }
    page += "<figure class=\"chart\" id=\"" + c.name + "\">\n";
    page += charts::render_svg(c.chart, {c.name, false});
    page += "<figcaption>" + escape_markup(chart_file_name(c)) + "</figcaption>\n</figure>\n";
  }
  if (!section.empty()) page += "</div>\n";
  page += "<footer>Written by slurry1d " SLURRY1D_VERSION ".</footer>\n</body>\n</html>\n";
  return page;
}

}  // namespace slurry1d::report
