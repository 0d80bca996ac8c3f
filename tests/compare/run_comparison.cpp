#include "compare/run_comparison.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace slurry1d::compare {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_sign(char c) {
  return c == '+' || c == '-';
}

std::size_t digits_from(std::string_view s, std::size_t i) {
  while (i < s.size() && is_digit(s[i])) ++i;
  return i;
}

// Length of the number starting at s[i] ([sign] digits [. digits] | [sign] .
// digits, then an optional exponent), or 0 when none starts there.
std::size_t number_length(std::string_view s, std::size_t i) {
  const std::size_t start = i;
  if (i < s.size() && is_sign(s[i])) ++i;
  const std::size_t whole_end = digits_from(s, i);
  bool has_digits = whole_end > i;
  i = whole_end;
  if (i < s.size() && s[i] == '.') {
    const std::size_t fraction_end = digits_from(s, i + 1);
    if (fraction_end > i + 1 || has_digits) {
      has_digits = has_digits || fraction_end > i + 1;
      i = fraction_end;
    }
  }
  if (!has_digits) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && is_sign(s[j])) ++j;
    const std::size_t exponent_end = digits_from(s, j);
    if (exponent_end > j) i = exponent_end;
  }
  return i - start;
}

bool starts_with_any(std::string_view line, const std::vector<std::string>& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [&](const std::string& prefix) { return line.starts_with(prefix); });
}

// The lines of text, less those that start with a skipped prefix.
std::vector<std::string_view> kept_lines(std::string_view text, const ComparisonLimits& limits,
                                         std::size_t& skipped) {
  std::vector<std::string_view> lines;
  skipped = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (starts_with_any(line, limits.skipped_prefixes)) {
      ++skipped;
    } else {
      lines.push_back(line);
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

double relative_difference(std::string_view a, std::string_view b) {
  const double x = std::strtod(std::string(a).c_str(), nullptr);
  const double y = std::strtod(std::string(b).c_str(), nullptr);
  const double scale = std::max(std::fabs(x), std::fabs(y));
  return scale == 0.0 ? 0.0 : std::fabs(x - y) / scale;
}

std::string where(const FileComparison& c, std::size_t line) {
  return c.name + ":" + std::to_string(line) + ": ";
}

std::string quoted(std::string_view s) {
  return "'" + std::string(s) + "'";
}

// Compares two lines that are not equal; adds the accepted differences or a fault.
void compare_lines(std::string_view a, std::string_view b, std::size_t line,
                   const ComparisonLimits& limits, FileComparison& result) {
  const std::vector<Piece> pa = split_numbers(a);
  const std::vector<Piece> pb = split_numbers(b);
  const auto fault = [&](const std::string& what) {
    result.faults.push_back(where(result, line) + what + ": " + quoted(a) + " / " + quoted(b));
  };
  if (pa.size() != pb.size()) return fault("records differ in layout");
  std::vector<NumberDifference> found;
  for (std::size_t k = 0; k < pa.size(); ++k) {
    if (pa[k].text == pb[k].text) continue;
    if (!pa[k].number || !pb[k].number) return fault("texts differ");
    const int digits = std::max(significant_digits(pa[k].text), significant_digits(pb[k].text));
    if (digits < limits.full_precision_digits) return fault("laid-out numbers differ");
    const double relative = relative_difference(pa[k].text, pb[k].text);
    if (!(relative <= limits.relative_tolerance)) {
      return fault("full-precision numbers differ by " + std::to_string(relative) + " relative");
    }
    found.push_back({line, std::string(pa[k].text), std::string(pb[k].text), relative});
  }
  result.numbers.insert(result.numbers.end(), found.begin(), found.end());
}

}  // namespace

ComparisonLimits limits_for(std::string_view file) {
  ComparisonLimits limits;
  if (file == "console.txt") {
    limits.skipped_prefixes = {
        " TIME = ",
        " ITERATION NO.=",
        " INSTABILITY OCCURS",
        " ADDITIONAL NODES ADDED",
        " TOTAL NUMBER OF NODES",
        " THE CRACK TIP IS",
        " THE CRACK DEPTH IS",
        " SELF-WEIGHT CONSOLIDATION DOMINATES",
    };
  }
  return limits;
}

double FileComparison::largest_relative() const {
  double largest = 0.0;
  for (const NumberDifference& d : numbers) largest = std::max(largest, d.relative);
  return largest;
}

std::string normalise_line_ends(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::vector<Piece> split_numbers(std::string_view line) {
  std::vector<Piece> pieces;
  std::size_t text_start = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    const std::size_t n = number_length(line, i);
    if (n == 0) {
      ++i;
      continue;
    }
    if (i > text_start) pieces.push_back({false, line.substr(text_start, i - text_start)});
    pieces.push_back({true, line.substr(i, n)});
    i += n;
    text_start = i;
  }
  if (text_start < line.size()) pieces.push_back({false, line.substr(text_start)});
  return pieces;
}

int significant_digits(std::string_view number) {
  int digits = 0;
  bool leading = true;
  for (const char c : number) {
    if (c == 'e' || c == 'E') break;
    if (!is_digit(c)) continue;
    if (leading && c == '0') continue;
    leading = false;
    ++digits;
  }
  return digits;
}

FileComparison compare_texts(std::string_view name, std::string_view first, std::string_view second,
                             const ComparisonLimits& limits) {
  FileComparison result;
  result.name = std::string(name);
  const std::string a = normalise_line_ends(first);
  const std::string b = normalise_line_ends(second);
  std::size_t skipped_second = 0;
  const std::vector<std::string_view> la = kept_lines(a, limits, result.skipped);
  const std::vector<std::string_view> lb = kept_lines(b, limits, skipped_second);
  result.lines = std::min(la.size(), lb.size());
  for (std::size_t i = 0; i < result.lines; ++i) {
    if (la[i] != lb[i]) compare_lines(la[i], lb[i], i + 1, limits, result);
  }
  if (la.size() != lb.size()) {
    result.faults.push_back(result.name + ": " + std::to_string(la.size()) + " lines against " +
                            std::to_string(lb.size()));
  }
  return result;
}

std::string summary(const FileComparison& c) {
  std::string s = c.name + ": " + std::to_string(c.lines) + " lines";
  if (c.skipped > 0) s += " (" + std::to_string(c.skipped) + " records of steps left out)";
  if (!c.passed()) {
    s += ", " + std::to_string(c.faults.size()) + " differences:";
    for (const std::string& f : c.faults) s += "\n  " + f;
    return s;
  }
  if (c.numbers.empty()) return s + " identical";
  const auto largest =
      std::max_element(c.numbers.begin(), c.numbers.end(),
                       [](const auto& x, const auto& y) { return x.relative < y.relative; });
  char relative[32];
  std::snprintf(relative, sizeof relative, "%.2g", largest->relative);
  s += ", " + std::to_string(c.numbers.size()) + " full-precision numbers differ, largest " +
       relative + " relative (line " + std::to_string(largest->line) + ": " + largest->first +
       " / " + largest->second + ")";
  return s;
}

}  // namespace slurry1d::compare
