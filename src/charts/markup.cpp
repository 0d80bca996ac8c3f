#include "charts/markup.hpp"

#include <charconv>

namespace slurry1d::charts {

std::string escape_markup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string pixels(double v) {
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 1);
  std::string text(buf, result.ptr);
  if (text.ends_with(".0")) text.resize(text.size() - 2);
  if (text == "-0") text = "0";
  return text;
}

}  // namespace slurry1d::charts
