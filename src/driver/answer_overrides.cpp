#include "driver/answer_overrides.hpp"

#include <algorithm>
#include <charconv>
#include <optional>

#include "driver/answer_reader.hpp"
#include "model/fixed_array.hpp"

namespace slurry1d {

namespace {

// A real answer of the dialog: a name of its own, or a table whose entries
// carry an index from 1 to `entries`.
struct SettableName {
  std::string_view stem;
  int entries;             // 0 for a single answer
  std::string_view index;  // what the index counts, for messages
};

// In the order the dialog asks them.
constexpr SettableName kSettable[] = {
    {"A1", 0, {}},
    {"B1", 0, {}},
    {"C", 0, {}},
    {"D", 0, {}},
    {"Z1", 0, {}},
    {"ERROR", 0, {}},
    {"ERROR1", 0, {}},
    {"A2", 0, {}},
    {"B2", 0, {}},
    {"CRA", 0, {}},
    {"CRB", 0, {}},
    {"CRC", 0, {}},
    {"CRD", 0, {}},
    {"ETA", 0, {}},
    {"CV", 0, {}},
    {"GS", 0, {}},
    {"GW", 0, {}},
    {"H0", 0, {}},
    {"TBF", MAXSTAGE, "filling stage"},
    {"TEF", MAXSTAGE, "filling stage"},
    {"FRH", MAXSTAGE, "filling stage"},
    {"VT", 0, {}},
    {"LT", 0, {}},
    {"VB", 0, {}},
    {"HB", 0, {}},
    {"ME", 0, {}},
    {"TS", 0, {}},
    {"OPT", MAXSTAGE, "output time"},
    {"MAXDT", 0, {}},
    {"e", MAXNODE, "pair, counted from the top"},
    {"z", MAXNODE, "pair, counted from the top"},
};

// The answers that decide which questions follow.
struct FixedAnswer {
  std::string_view name;
  std::string_view kind;
};

constexpr FixedAnswer kFixed[] = {
    {"IDES", "a switch"}, {"IFIL", "a switch"}, {"NS", "a count"},     {"ITOP", "a switch"},
    {"IBOT", "a switch"}, {"NO", "a count"},    {"ICONT", "a switch"}, {"ND", "a count"},
};

// A name split into its stem and, for "OPT(3)", its index text "3".
struct NameParts {
  std::string_view stem;
  std::optional<std::string_view> index;
};

std::optional<NameParts> split_name(std::string_view name) {
  const std::size_t open = name.find('(');
  if (open == std::string_view::npos) return NameParts{name, std::nullopt};
  if (name.back() != ')') return std::nullopt;
  return NameParts{name.substr(0, open), name.substr(open + 1, name.size() - open - 2)};
}

// An index from 1 to `entries`, written without leading zeros; 0 otherwise.
int index_value(std::string_view text, int entries) {
  if (text.empty() || text.front() == '0') return 0;
  int index = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (error != std::errc() || end != text.data() + text.size()) return 0;
  return index >= 1 && index <= entries ? index : 0;
}

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool same_but_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return upper(x) == upper(y); });
}

std::string written(const SettableName& s) {
  std::string text(s.stem);
  if (s.entries > 0) text += s.stem == "e" || s.stem == "z" ? "(k)" : "(i)";
  return text;
}

std::string quoted(std::string_view name) {
  std::string text = "'";
  text.append(name);
  return text + "'";
}

// Why a name of a settable stem cannot be set ("" when it can), or nothing
// when the stem is none of them.
std::optional<std::string> stem_refusal(const NameParts& parts, std::string_view name) {
  for (const SettableName& s : kSettable) {
    if (parts.stem != s.stem) continue;
    if (s.entries == 0) {
      if (!parts.index) return std::string();
      return quoted(name) + " is not a name the program asks: " + std::string(s.stem) +
             " takes no index";
    }
    const std::string range = std::string(s.stem) + "(1) to " + std::string(s.stem) + "(" +
                              std::to_string(s.entries) + ")";
    if (!parts.index) {
      return std::string(s.stem) + " needs the index of the " + std::string(s.index) + ": " + range;
    }
    if (index_value(*parts.index, s.entries) == 0) {
      return quoted(name) + " is not a name the program asks: the " + std::string(s.index) +
             " is counted from 1, " + range;
    }
    return std::string();
  }
  return std::nullopt;
}

// The settable name written the way the messages write it, when `stem`
// differs from one only in case.
std::optional<SettableName> differs_in_case(std::string_view stem) {
  for (const SettableName& s : kSettable) {
    if (same_but_case(stem, s.stem)) return s;
  }
  return std::nullopt;
}

}  // namespace

std::string settable_name_refusal(std::string_view name) {
  if (name.empty()) return "no name before '='";
  for (const FixedAnswer& f : kFixed) {
    if (name == f.name) {
      return std::string(f.name) + " is " + std::string(f.kind) +
             ": its answer decides which questions follow, so it is given in the answer file";
    }
  }
  const std::optional<NameParts> parts = split_name(name);
  if (!parts) return quoted(name) + " is not a name the program asks";
  if (const std::optional<std::string> why = stem_refusal(*parts, name)) return *why;
  if (const auto like = differs_in_case(parts->stem)) {
    return quoted(name) + " is not a name the program asks: names are written as its messages " +
           "write them, " + written(*like);
  }
  return quoted(name) + " is not a name the program asks";
}

std::string settable_names_text() {
  std::string text;
  for (const SettableName& s : kSettable) {
    if (!text.empty()) text += ", ";
    text += written(s);
  }
  return text;
}

std::string set_option_text(const AnswerOverride& set) {
  return "--set " + set.name + "=" + set.text;
}

std::string AnswerOverrides::add(std::string_view assignment) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    return "--set " + std::string(assignment) + " is refused: --set takes NAME=VALUE, as in " +
           "--set GS=2.75";
  }
  AnswerOverride set{std::string(assignment.substr(0, equals)),
                     std::string(assignment.substr(equals + 1)), 0.0};
  const std::string prefix = set_option_text(set) + " is refused: ";
  if (const std::string why = settable_name_refusal(set.name); !why.empty()) return prefix + why;
  if (find(set.name) != nullptr) return prefix + set.name + " is set twice";
  if (parse_real_token(set.text, set.value) != TokenRead::Ok) {
    return prefix + quoted(set.text) + " is not a number";
  }
  list_.push_back(std::move(set));
  return {};
}

const AnswerOverride* AnswerOverrides::find(std::string_view name) const {
  for (const AnswerOverride& set : list_) {
    if (set.name == name) return &set;
  }
  return nullptr;
}

}  // namespace slurry1d
