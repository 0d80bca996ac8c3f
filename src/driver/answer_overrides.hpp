#pragma once

// Answers given on the command line (--set NAME=VALUE): each replaces the
// answer the dialog reads for one real-valued question, named as the
// dialog's messages name it ("GS", "MAXDT", "OPT(3)", "TBF(2)"). Switches and
// counts (IDES, IFIL, NS, ITOP, IBOT, NO, ICONT, ND) cannot be set: their
// answers decide which questions follow, so they belong to the answer file.
//
//   AnswerOverrides set;
//   if (const std::string why = set.add("GS=2.75"); !why.empty()) refuse(why);
//   run_dialog(answers, out, interactive, def, NNI, set);

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace slurry1d {

// One answer set on the command line.
struct AnswerOverride {
  std::string name;  // as the messages name it: "GS", "OPT(3)"
  std::string text;  // the value as it was given: "2.75"
  double value = 0.0;
};

class AnswerOverrides {
 public:
  // Takes "NAME=VALUE". Returns the message that refuses it (the name is
  // unknown, a switch or a count, or set already; the value is not a number),
  // or an empty text when it is taken.
  std::string add(std::string_view assignment);

  // The answer set for `name`, or null when it is not set.
  const AnswerOverride* find(std::string_view name) const;
  std::span<const AnswerOverride> all() const { return list_; }
  bool empty() const { return list_.empty(); }

 private:
  std::vector<AnswerOverride> list_;
};

// Why `name` cannot be set, or an empty text when it can: the names the
// dialog's messages give its real answers, with the index of a table entry
// in parentheses (TBF(1) to TBF(50), OPT(1) to OPT(50), e(1) to e(20000)).
// Names are written in the case the messages write them.
std::string settable_name_refusal(std::string_view name);

// The names --set takes, in the order the dialog asks them, for messages and
// the help text: "A1, B1, C, ...".
std::string settable_names_text();

// "--set GS=2.75", the option as it was given, for messages.
std::string set_option_text(const AnswerOverride& set);

}  // namespace slurry1d
