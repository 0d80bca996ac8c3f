#pragma once

// A small well-formedness check of generated SVG and HTML: every element
// closed in order, attribute values quoted, no bare '&' or '<' in text.
// Returns an empty string when the text is well formed, else what is wrong.

#include <string>
#include <vector>

namespace slurry1d::test {

inline std::string xml_problem(const std::string& text, bool html = false) {
  std::vector<std::string> open;
  const auto is_void = [&](const std::string& tag) {
    return html && (tag == "meta" || tag == "br" || tag == "link" || tag == "img");
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '&') {
      const auto semi = text.find(';', i);
      if (semi == std::string::npos || semi - i > 8) return "bare '&' at " + std::to_string(i);
      continue;
    }
    if (c != '<') continue;
    const auto end = text.find('>', i);
    if (end == std::string::npos) return "unclosed '<' at " + std::to_string(i);
    const std::string tag = text.substr(i + 1, end - i - 1);
    i = end;
    if (tag.empty()) return "empty tag";
    if (tag[0] == '?' || tag[0] == '!') continue;  // declaration, doctype
    if (tag.find('<') != std::string::npos) return "'<' inside tag " + tag;
    if (tag[0] == '/') {
      const std::string name = tag.substr(1);
      if (open.empty() || open.back() != name) {
        return "</" + name + "> closes " + (open.empty() ? "nothing" : "<" + open.back() + ">");
      }
      open.pop_back();
      continue;
    }
    // Attribute values in double quotes: an even number of quotes.
    std::size_t quotes = 0;
    for (const char q : tag) quotes += q == '"';
    if (quotes % 2 != 0) return "unbalanced quotes in <" + tag + ">";
    const std::string name = tag.substr(0, tag.find_first_of(" \n/"));
    if (tag.back() != '/' && !is_void(name)) open.push_back(name);
    if (html && (name == "style" || name == "script")) {
      const auto close = text.find("</" + name + ">", i);
      if (close == std::string::npos) return "unclosed <" + name + ">";
      i = close - 1;
    }
  }
  if (!open.empty()) return "<" + open.back() + "> never closed";
  return "";
}

}  // namespace slurry1d::test
