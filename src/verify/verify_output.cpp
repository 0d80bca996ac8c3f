#include "verify/verify_output.hpp"

#include <cmath>
#include <cstdio>
#include <fstream>

#include "charts/markup.hpp"
#include "output/fields.hpp"

namespace slurry1d::verify {
namespace {

template <typename... Args>
std::string formatted(const char* format, Args... args) {
  char buf[256];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// An observed order, "*" after it where it is not observed ("-" where it is
// not defined).
std::string order_cell(const ErrorEstimate& e) {
  const char mark = e.order_observed ? ' ' : '*';
  if (std::isnan(e.order)) return formatted("%6s%c", "-", mark);
  return formatted("%6.2f%c", e.order, mark);
}

std::string percent_text(double percent) {
  return std::isfinite(percent) ? formatted("%.2f %%", percent) : std::string("-");
}

std::string verdict_text(const Verdict& v) {
  if (v.within) return "within 1 %";
  return (v.beyond_limits ? "beyond the limits: " : "") +
         controls_text(v.suggested.step_factor, v.suggested.nodes);
}

bool any_unobserved(const VerifyTable& t) {
  for (const VerifyRow& r : t.rows) {
    if (!r.in_time.order_observed || !r.in_space.order_observed) return true;
  }
  return false;
}

std::string conclusion(const VerifyTable& t) {
  if (t.rows.empty()) return "no output time compared: no verdict";
  if (t.all_within) return "every output time compared is within 1 % of the settlement";
  return std::string(t.beyond_limits ? "beyond the limits of the controls, "
                                     : "to bring every output time within 1 %, ") +
         "the observed orders ask for " +
         controls_text(t.suggested.step_factor, t.suggested.nodes) + " (verify again with them)";
}

std::string csv_number(double value) {
  return std::isfinite(value) ? format_free_real(value) : std::string();
}

}  // namespace

std::vector<std::string> console_lines(const VerifyTable& t) {
  const RunControls& given = t.controls[0];
  std::vector<std::string> lines;
  lines.push_back(
      " verify: the run as given (" + controls_text(given.step_factor, given.node_count()) +
      "), its steps / 2 and / 4 (--step-factor " + format_free_real(t.controls[1].step_factor) +
      ", " + format_free_real(t.controls[2].step_factor) + "), its nodes x 2 and x 4 (--nodes " +
      std::to_string(t.controls[3].node_count()) + ", " +
      std::to_string(t.controls[4].node_count()) + ")");
  lines.emplace_back();
  lines.push_back(" height of the layer");
  std::string head = formatted(" %12s", "time");
  for (const RunRole role : ALL_ROLES)
    head += formatted(" %12s", std::string(role_name(role)).c_str());
  lines.push_back(head);
  for (const VerifyRow& r : t.rows) {
    std::string line = formatted(" %12.6g", r.time);
    for (const double h : r.height) line += formatted(" %12.7g", h);
    lines.push_back(line);
  }
  lines.emplace_back();
  lines.push_back(
      " estimated error of the settlement as given (+ where it is larger than the converged "
      "settlement); GCI: the band the error lies within");
  lines.push_back(trimmed(
      formatted(" %12s %11s %-30s %-30s %-21s", "", "", " in time", " in space", " total")));
  lines.push_back(formatted(" %12s %11s %6s  %10s %10s %6s  %10s %10s %10s %10s %9s  %s", "time",
                            "settlement", "order", "error", "GCI", "order", "error", "GCI", "error",
                            "GCI", "GCI/sett.", "verdict"));
  for (const VerifyRow& r : t.rows) {
    lines.push_back(
        formatted(" %12.6g %11.4e ", r.time, r.settlement) + order_cell(r.in_time) +
        formatted(" %10.2e %10.2e ", r.in_time.error, r.in_time.gci) + order_cell(r.in_space) +
        formatted(" %10.2e %10.2e %10.2e %10.2e %9s  ", r.in_space.error, r.in_space.gci,
                  r.total_error, r.total_gci, percent_text(r.gci_percent()).c_str()) +
        verdict_text(r.verdict));
  }
  if (any_unobserved(t)) {
    lines.push_back(
        " * order not observed (the differences between the runs do not shrink steadily with an "
        "order from 0.5 to 3): the error is the difference from the finest run, the GCI 3 times "
        "the largest difference between the runs");
  }
  for (const std::string& note : t.notes) lines.push_back(" " + note);
  lines.push_back(" " + conclusion(t));
  return lines;
}

std::string csv_text(const VerifyTable& t) {
  std::string text =
      "time,height_as_given,height_steps_halved,height_steps_quartered,height_nodes_doubled,"
      "height_nodes_quadrupled,settlement_as_given,order_in_time,order_observed_in_time,"
      "error_in_time,gci_in_time,order_in_space,order_observed_in_space,error_in_space,"
      "gci_in_space,estimated_total_error_of_settlement_in_length_units,gci_total,"
      "gci_total_percent_of_settlement,within_1_percent,suggested_step_factor,suggested_nodes\n";
  for (const VerifyRow& r : t.rows) {
    text += csv_number(r.time);
    for (const double h : r.height) text += "," + csv_number(h);
    text += "," + csv_number(r.settlement);
    for (const ErrorEstimate* e : {&r.in_time, &r.in_space}) {
      text += "," + csv_number(e->order) + "," + (e->order_observed ? "1" : "0") + "," +
              csv_number(e->error) + "," + csv_number(e->gci);
    }
    text += "," + csv_number(r.total_error) + "," + csv_number(r.total_gci) + "," +
            csv_number(r.gci_percent()) + "," + (r.verdict.within ? "1" : "0") + "," +
            csv_number(r.verdict.suggested.step_factor) + "," +
            std::to_string(r.verdict.suggested.nodes) + "\n";
  }
  return text;
}

bool write_verify_csv(const VerifyTable& t, const std::filesystem::path& dir) {
  std::ofstream out(dir / VERIFY_CSV, std::ios::binary | std::ios::trunc);
  out << csv_text(t);
  out.close();
  return !out.fail();
}

std::string report_section(const VerifyTable& t, std::string_view time_unit,
                           std::string_view length_unit) {
  using charts::escape_markup;
  const auto in = [](std::string_view unit) {
    return unit.empty() ? std::string() : " [" + escape_markup(unit) + "]";
  };
  const std::string T = in(time_unit), L = in(length_unit);
  const RunControls& given = t.controls[0];
  std::string html =
      "<h2>Accuracy</h2>\n<p>The run as given (" +
      escape_markup(controls_text(given.step_factor, given.node_count())) +
      ") was run again with its steps halved and quartered and with its node spacing halved and "
      "quartered. The estimated error of its settlement and the grid convergence index (GCI), "
      "the band that error lies within, at every output time that all runs reached:</p>\n"
      "<table class=\"verify\">\n<thead><tr><th>time" +
      T + "</th><th>settlement" + L + "</th><th>order in time</th><th>GCI in time" + L +
      "</th><th>order in space</th><th>GCI in space" + L + "</th><th>estimated error" + L +
      "</th><th>GCI / settlement</th><th>verdict</th></tr></thead>\n<tbody>\n";
  const auto order = [](const ErrorEstimate& e) {
    std::string text = std::isnan(e.order) ? std::string("-") : formatted("%.2f", e.order);
    return e.order_observed ? text : text + " (order not observed)";
  };
  for (const VerifyRow& r : t.rows) {
    html += "<tr><td>" + formatted("%.6g", r.time) + "</td><td>" + formatted("%.4e", r.settlement) +
            "</td><td>" + order(r.in_time) + "</td><td>" + formatted("%.2e", r.in_time.gci) +
            "</td><td>" + order(r.in_space) + "</td><td>" + formatted("%.2e", r.in_space.gci) +
            "</td><td>" + formatted("%.2e", r.total_error) + "</td><td>" +
            escape_markup(percent_text(r.gci_percent())) + "</td><td>" +
            escape_markup(verdict_text(r.verdict)) + "</td></tr>\n";
  }
  html += "</tbody>\n</table>\n";
  for (const std::string& note : t.notes) html += "<p>" + escape_markup(note) + "</p>\n";
  return html + "<p>" + escape_markup(conclusion(t)) + "</p>\n";
}

}  // namespace slurry1d::verify
