#include "driver/dialog.hpp"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "driver/answer_overrides.hpp"
#include "driver/answer_reader.hpp"
#include "driver/questions.hpp"
#include "model/run_scales.hpp"
#include "model/run_stop.hpp"
#include "output/fields.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

namespace {

// Largest number of void ratio-elevation pairs of a continued run: the pairs
// fill a table of nodal capacity.
constexpr int MAXPAIR = MAXNODE;

// ---------------------------------------------------------------------------
// Refusals: each check returns an empty refusal for an answer that can work
// and otherwise names the answer refused (or the quantity derived from the
// answers) and says why, in one line.

struct Refusal {
  std::string symbol;
  std::string text;

  bool empty() const { return text.empty(); }
};

std::string real_text(double v) {
  return format_free_real(v);
}

Refusal refused(std::string_view name, std::string_view value, std::string_view why) {
  std::string msg(name);
  msg += " = ";
  msg.append(value);
  msg += " is refused: ";
  msg.append(why);
  return {std::string(name), msg};
}

Refusal refused(std::string_view name, int value, std::string_view why) {
  return refused(name, std::to_string(value), why);
}

Refusal refused(std::string_view name, double value, std::string_view why) {
  return refused(name, real_text(value), why);
}

bool positive_and_finite(double v) {
  return std::isfinite(v) && v > 0.0;
}

// The void ratio of the fresh slurry, at zero effective stress, as the set-up
// computes it.
double fresh_void_ratio(const RunDefinition& p) {
  return p.A1 * std::pow(p.Z1, p.B1);
}

// The compression and permeability laws must give a positive, finite void
// ratio E0 = A1 Z1^B1 and permeability K0 = C E0^D at zero effective stress.
// The void ratio must fall as the stress rises: a curve that rises (B1 > 0)
// runs the clock backwards, and B1 divides the stress scale of the first time
// step.
Refusal compression_refusal(const RunDefinition& p) {
  if (!(p.B1 < 0.0)) {
    return refused("B1", p.B1,
                   "the compression exponent must be negative (a compression curve falls with "
                   "stress)");
  }
  if (!(p.C > 0.0)) return refused("C", p.C, "the permeability constant must be positive");
  const double E0 = fresh_void_ratio(p);
  if (!positive_and_finite(E0)) {
    return refused("E0 = A1*Z1^B1", E0, "the void ratio at zero stress must be positive");
  }
  const double K0 = p.C * std::pow(E0, p.D);
  if (!positive_and_finite(K0)) {
    return refused("K0 = C*E0^D", K0, "the permeability at E0 must be positive");
  }
  return {};
}

// The crack-onset void ratio 1/(a + b s)^c + 1/d must be positive and finite
// at the unloaded surface, s = 0.
Refusal cracking_refusal(const RunDefinition& p) {
  if (p.CRD == 0.0) return refused("CRD", p.CRD, "the cracking constant d must not be zero");
  const double base = p.CRB * 0.0 + p.CRA;
  if (!(base > 0.0)) {
    return refused("CRA", p.CRA, "the cracking function needs a + b*s > 0 at s = 0");
  }
  const double ecr = soil_of(p, RunScales{}).crack_onset_void_ratio(0.0);
  if (positive_and_finite(ecr)) return {};
  const std::string why = "the crack-onset void ratio at s = 0 would be " + real_text(ecr);
  if (!std::isfinite(1.0 / std::pow(base, p.CRC))) return refused("CRC", p.CRC, why);
  return refused("CRD", p.CRD, why);
}

Refusal count_refusal(std::string_view name, int value, int most, std::string_view what) {
  if (value < 0) return refused(name, value, "the number of " + std::string(what) + " is negative");
  if (value > most) {
    return refused(name, value, "at most " + std::to_string(most) + " " + std::string(what));
  }
  return {};
}

Refusal positive_refusal(std::string_view name, double value, std::string_view what) {
  if (value > 0.0) return {};
  return refused(name, value, std::string(what) + " must be positive");
}

Refusal height_refusal(double H0) {
  if (H0 >= 0.0) return {};
  return refused("H0", H0, "the initial height must not be negative");
}

// A layer of no height can only grow by staged filling.
Refusal filling_refusal(double H0, int IFIL) {
  if (H0 != 0.0 || IFIL == 1) return {};
  return refused("H0", H0, "a layer of no height needs staged filling (IFIL = 1)");
}

// Two iterates are taken as converged when their squared difference at every
// node lies below ERROR1, which no difference does when ERROR1 is not positive.
Refusal tolerance_refusal(double ERROR1) {
  if (ERROR1 > 0.0) return {};
  return refused("ERROR1", ERROR1, "the convergence tolerance must be positive");
}

// Every test of a switch compares it with the one code it names, so an answer
// off the menu would count as yes for asking values and as neither yes nor no
// everywhere else.
Refusal code_refusal(const AnswerName& name, int typed, std::span<const questions::Code> codes) {
  if (questions::is_code(typed, codes)) return {};
  return refused(name.symbol, typed, questions::codes_text(codes));
}

// The run stops when a node's void ratio falls to ME. Every node starts at or
// below the void ratio of the fresh slurry, so an ME at or above it would stop
// the run after its first step.
Refusal minimum_void_ratio_refusal(const RunDefinition& p, double ME) {
  const double E0 = fresh_void_ratio(p);
  if (ME < E0) return {};
  return refused("ME", ME,
                 "the minimum void ratio must lie below the void ratio of the fresh slurry, "
                 "E0 = A1*Z1^B1 = " +
                     real_text(E0));
}

// The profile builder interpolates between at least two pairs.
Refusal pair_count_refusal(int ND) {
  if (ND < 2) return refused("ND", ND, "a continued run needs at least 2 pairs");
  return count_refusal("ND", ND, MAXPAIR, "pairs");
}

// "(i)", the index of a table entry in an answer's name. Built in steps: GCC
// 12 misreads "(" + std::string&& at -O3 as an overlapping copy.
std::string index_text(int i) {
  std::string n = "(";
  n += std::to_string(i);
  n += ")";
  return n;
}

// Stages are worked through one after the other: each ends at or after its
// beginning (a stage ending before it begins would run the clock backwards),
// places no negative amount (the total height counts every stage, so soil
// taken away would shrink the length scale below the soil the layer holds),
// and begins at or after the end of the stage before it.
Refusal stage_refusal(const RunDefinition& p, int i) {
  const FillingStage& s = p.stage[i];
  const std::string n = index_text(i);
  if (s.TEF < s.TBF) {
    return refused("TEF" + n, s.TEF,
                   "a stage cannot end before it begins (TBF" + n + " = " + real_text(s.TBF) + ")");
  }
  if (s.FRH < 0.0) return refused("FRH" + n, s.FRH, "a filling stage cannot take soil away");
  if (i > 1 && s.TBF < p.stage[i - 1].TEF) {
    return refused("TBF" + n, s.TBF,
                   "stages must follow one another (TEF(" + std::to_string(i - 1) +
                       ") = " + real_text(p.stage[i - 1].TEF) + ")");
  }
  return {};
}

// Output times are asked one by one: each after the starting time and after
// the one before it.
Refusal output_time_refusal(const RunDefinition& p, int i) {
  const std::string name = "OPT" + index_text(i);
  if (i == 1 && p.OPT[i] <= p.TS) {
    return refused(name, p.OPT[i],
                   "output times must come after the starting time TS = " + real_text(p.TS));
  }
  if (i > 1 && p.OPT[i] <= p.OPT[i - 1]) {
    return refused(name, p.OPT[i],
                   "output times must ascend (OPT" + index_text(i - 1) + " = " +
                       real_text(p.OPT[i - 1]) + ")");
  }
  return {};
}

// Pairs are typed from the top of the layer down and stored from the bottom
// up: typed line k is pair ND - k + 1.
int pair_of_line(int ND, int line) {
  return ND - line + 1;
}

// The pairs are typed from the top of the layer down: each one lies below the
// one typed before it.
Refusal pair_refusal(const RunDefinition& p, int line) {
  if (line == 1) return {};
  const double above = p.profile[pair_of_line(p.ND, line - 1)].z;
  const double here = p.profile[pair_of_line(p.ND, line)].z;
  if (here < above) return {};
  return refused("z" + index_text(line), here,
                 "elevations must fall from pair to pair, the top of the layer first (z" +
                     index_text(line - 1) + " = " + real_text(above) + ")");
}

// ---------------------------------------------------------------------------
// Echo records of "input".

Line constants_record(const RunDefinition& p) {
  Line l;
  l.blank().G(10, 5, p.A1).blank().F(10, 4, p.B1).blank().G(10, 5, p.C).blank().G(10, 5, p.D);
  l.blank().G(10, 5, p.Z1).tab().text("A1,B1,C,D,Z1");
  return l;
}

Line switch_record(int typed, std::string_view label) {
  Line l;
  l.I(2, typed).tab().tab().text(label);
  return l;
}

Line wide_switch_record(int typed, std::string_view label) {
  Line l;
  l.I(2, typed).tab().blank(8).text(label);
  return l;
}

Line value_record(double v, std::string_view label) {
  Line l;
  l.blank().G(10, 5, v).tab().text(label);
  return l;
}

Line shrinkage_record(const RunDefinition& p) {
  Line l;
  l.blank().G(10, 5, p.A2).blank().F(10, 4, p.B2).tab().text("A2,B2:3-D SHRINKAGE PARAMETERS");
  return l;
}

Line cracking_record(const RunDefinition& p) {
  Line l;
  l.blank().G(10, 5, p.CRA).blank().G(10, 5, p.CRB).blank().G(10, 5, p.CRC);
  l.blank().G(10, 5, p.CRD).tab().text("CRACKING ").text("FUNCTION PARAMETERS, a,b,c,d");
  return l;
}

Line spaced_value_record(double v, std::string_view label) {
  Line l;
  l.blank().G(10, 5, v).text("     ").text(label);
  return l;
}

Line stage_count_record(int NS) {
  Line l;
  l.I(4, NS).tab().text("NUMBER OF FILLING STAGES");
  return l;
}

Line stage_record(const FillingStage& s) {
  Line l;
  l.G(10, 5, s.TBF).G(10, 5, s.TEF).G(10, 5, s.FRH);
  l.tab().text("BEGINNING TIME,ENDING TIME,HEIGHTS OR RATES");
  return l;
}

Line bottom_values_record(double v) {
  Line l;
  l.blank().G(15, 6, v).tab().text("BOTTOM BOUNDARY CONDITION VALUES");
  return l;
}

Line minimum_void_ratio_record(double ME) {
  Line l;
  l.G(10, 5, ME).tab().text("MINIMUM VOID RATIO");
  return l;
}

Line output_count_record(int NO) {
  Line l;
  l.I(4, NO).tab().blank(8).text("NUMBER OF OUTPUT FILES");
  return l;
}

Line node_count_record(int NNI) {
  Line l;
  l.I(4, NNI).blank(12).text("NUMBER OF NODE");
  return l;
}

Line pair_count_record(int ND) {
  Line l;
  l.I(4, ND).blank(3).text("NUMBER OF NODAL VOID RATIO-ELEVATION");
  return l;
}

// ---------------------------------------------------------------------------

namespace q = questions;

// The prompt lines of a question, each a console line of its own.
using Prompt = std::initializer_list<std::string_view>;
// The real values a question reads, in the order it reads them.
using Values = std::initializer_list<const AnswerName*>;

// The real answers a dialog has read, for the message about an answer set on
// the command line that the run never asks: each name once, a table's entries
// as a range ("OPT(1) to OPT(4)").
class AskedNames {
 public:
  void note(const std::string& name) { names_.push_back(name); }
  bool contains(std::string_view name) const {
    return std::find(names_.begin(), names_.end(), name) != names_.end();
  }
  std::string text() const;

 private:
  std::vector<std::string> names_;
};

std::string AskedNames::text() const {
  std::vector<std::string> stems;
  std::vector<std::string> last;  // the last name asked of each stem
  for (const std::string& name : names_) {
    const std::string stem = name.substr(0, name.find('('));
    const auto at = std::find(stems.begin(), stems.end(), stem);
    if (at == stems.end()) {
      stems.push_back(stem);
      last.push_back(name);
    } else {
      last[static_cast<std::size_t>(at - stems.begin())] = name;
    }
  }
  std::string text;
  for (std::size_t k = 0; k < stems.size(); ++k) {
    if (!text.empty()) text += ", ";
    text += last[k] == stems[k] ? stems[k] : stems[k] + "(1)";
    if (last[k] != stems[k] && last[k] != stems[k] + "(1)") text += " to " + last[k];
  }
  return text;
}

class Dialog {
 public:
  Dialog(std::istream& in, Outputs& out, bool interactive, RunDefinition& p, int NNI,
         const AnswerOverrides& overrides)
      : reader_(in),
        out_(out),
        interactive_(interactive),
        p_(p),
        NNI_(NNI),
        overrides_(overrides) {}

  void run();

 private:
  void say(std::string_view text) { out_.console.free(text); }
  void echo(const Line& line) { out_.input.write(line); }
  void refuse(const std::string& message);
  void refuse_answer(const Refusal& refusal, Values values);
  bool all_set(Values values) const;
  void show_set_values(Values values);
  double real(const AnswerName& name);
  void refuse_sets_never_asked() const;

  template <typename Read, typename Check>
  void ask(Prompt prompt, Prompt again, Values values, std::string_view words,
           std::string_view then, Read read, Check check);
  template <typename T, typename Check>
  T ask_value(Prompt prompt, const AnswerName& name, std::string_view then, Check check);
  double ask_real(Prompt prompt, const AnswerName& name, std::string_view then) {
    return ask_value<double>(prompt, name, then, [](double) { return Refusal{}; });
  }
  int ask_code(Prompt prompt, const AnswerName& name, std::span<const q::Code> codes) {
    return ask_value<int>(prompt, name, {},
                          [&](int typed) { return code_refusal(name, typed, codes); });
  }

  void ask_compression_constants();
  void ask_desiccation_switch();
  void ask_desiccation_constants();
  void ask_solids_and_water();
  void ask_initial_height();
  void ask_filling_switch();
  void ask_filling_stages();
  void ask_top_boundary();
  void ask_bottom_boundary();
  void ask_minimum_void_ratio();
  void ask_output_times();
  void ask_continuation();
  void ask_profile_pairs();

  AnswerReader reader_;
  Outputs& out_;
  bool interactive_;
  RunDefinition& p_;
  int NNI_;  // node parameter of the run, for the echo
  const AnswerOverrides& overrides_;
  AskedNames asked_;
};

// A refused answer at a terminal is reported on the error channel and its
// question is asked again; an answer file cannot be asked again, so there the
// refusal ends the run before any later answer is misread.
void Dialog::refuse(const std::string& message) {
  if (!interactive_) throw RunStop(StopKind::BadInput, {message});
  out_.errors.write_text(message);
}

// A value refused by a check. A value set on the command line cannot be
// asked again, nor can a question all of whose values are set: the run ends
// with a message that names the option.
void Dialog::refuse_answer(const Refusal& refusal, Values values) {
  if (const AnswerOverride* set = overrides_.find(refusal.symbol)) {
    throw RunStop(StopKind::BadInput, {set_option_text(*set) + ": " + refusal.text});
  }
  if (interactive_ && all_set(values)) {
    std::string sets;
    for (const AnswerName* name : values) {
      sets += (sets.empty() ? "" : ", ") + set_option_text(*overrides_.find(name->symbol));
    }
    throw RunStop(StopKind::BadInput, {sets + ": " + refusal.text});
  }
  refuse(reader_.where(refusal.symbol) + ": " + refusal.text);
}

// Whether the question reads real values and every one of them is set.
bool Dialog::all_set(Values values) const {
  return values.size() > 0 &&
         std::all_of(values.begin(), values.end(),
                     [&](const AnswerName* name) { return overrides_.find(name->symbol); });
}

// At a terminal the values set on the command line are shown under the
// prompt and not asked; the others are typed as usual.
void Dialog::show_set_values(Values values) {
  if (!interactive_) return;
  const bool all = all_set(values);
  for (const AnswerName* name : values) {
    const AnswerOverride* set = overrides_.find(name->symbol);
    if (set == nullptr) continue;
    say(set->name + " = " + set->text +
        (all ? " (set on the command line)" : " (set on the command line; type the others)"));
  }
}

// The value of one real answer. A value set on the command line replaces
// the answer: an answer file's value is read all the same (its line keeps
// its place), a terminal is not asked for it.
double Dialog::real(const AnswerName& name) {
  asked_.note(name.symbol);
  const AnswerOverride* set = overrides_.find(name.symbol);
  if (set == nullptr) return reader_.real(name);
  if (!interactive_) reader_.real(name);
  return set->value;
}

// Asks one question until its answer is taken: says the prompt (`again` when
// the question is asked anew), reads the values with `read`, refuses a line
// with numbers left over, and checks the values with `check`. `values` are
// the real values it reads; `words` and `then` describe the question for the
// reader's messages.
template <typename Read, typename Check>
void Dialog::ask(Prompt prompt, Prompt again, Values values, std::string_view words,
                 std::string_view then, Read read, Check check) {
  for (Prompt lines = prompt;; lines = again) {
    for (const std::string_view line : lines) say(line);
    show_set_values(values);
    // The prompt is on the screen before the program waits for the answer.
    out_.console.flush();
    reader_.next_question(words, then);
    try {
      read();
      reader_.end_question();
      const Refusal refusal = check();
      if (refusal.empty()) return;
      refuse_answer(refusal, values);
    } catch (const RefusedAnswer& unreadable) {
      refuse(unreadable.what());
    }
  }
}

// A question of one value, checked by check(value).
template <typename T, typename Check>
T Dialog::ask_value(Prompt prompt, const AnswerName& name, std::string_view then, Check check) {
  T value{};
  const auto checked = [&] { return check(value); };
  if constexpr (std::is_same_v<T, int>) {
    ask(
        prompt, prompt, {}, {}, then, [&] { value = reader_.integer(name); }, checked);
  } else {
    ask(
        prompt, prompt, {&name}, {}, then, [&] { value = real(name); }, checked);
  }
  return value;
}

void Dialog::ask_compression_constants() {
  const Prompt prompt = {"SPECIFY THE CONSTANTS OF THE 1-D COMPRESSION CONSTITUTIVE EQUATION.",
                         "A1=?, B1=?, C=?, D=?, Z1=?"};
  ask(
      prompt, prompt, {&q::A1, &q::B1, &q::C, &q::D, &q::Z1}, q::kCompressionWords, {},
      [&] {
        p_.A1 = real(q::A1);
        p_.B1 = real(q::B1);
        p_.C = real(q::C);
        p_.D = real(q::D);
        p_.Z1 = real(q::Z1);
      },
      [&] { return compression_refusal(p_); });
  echo(constants_record(p_));
}

// 3 is the way into two hidden tolerances; the switch is then asked once more,
// without a prompt and unechoed, and takes 1 or 2.
void Dialog::ask_desiccation_switch() {
  p_.IDES = ask_value<int>(
      {"IS THE 3-D DESSICATION CONSIDERED IN THIS CASE?", "YES=1,NO=2"}, q::IDES, {},
      [](int typed) { return typed == 3 ? Refusal{} : code_refusal(q::IDES, typed, q::kYesNo); });
  echo(switch_record(p_.IDES, "3-D DESSICATION STATUS"));
  if (p_.IDES != 3) return;
  p_.ERROR = ask_real({"PLEASE ASSIGN THE VALUE OF ERROR."}, q::ERROR, "ERROR1");
  p_.ERROR1 = ask_value<double>({"PLEASE ASSIGN THE VALUE OF ERROR1."}, q::ERROR1, "IDES",
                                tolerance_refusal);
  p_.IDES = ask_code({}, q::IDES_AGAIN, q::kYesNo);
}

void Dialog::ask_desiccation_constants() {
  const Prompt shrinkage = {"SPECIFY THE CONSTANTS OF THE 3-D SHRINKAGE CONSITUTIVE EQUATION.",
                            "A2=?, B2=?"};
  ask(
      shrinkage, shrinkage, {&q::A2, &q::B2}, q::kShrinkageWords, {},
      [&] {
        p_.A2 = real(q::A2);
        p_.B2 = real(q::B2);
      },
      [] { return Refusal{}; });
  echo(shrinkage_record(p_));

  const Prompt cracking = {"SPECIFY THE CONSTANTS OF THE CRACKING FUNCTION.", "a=?, b=?, c=?, d=?"};
  ask(
      cracking, cracking, {&q::CRA, &q::CRB, &q::CRC, &q::CRD}, q::kCrackingWords, {},
      [&] {
        p_.CRA = real(q::CRA);
        p_.CRB = real(q::CRB);
        p_.CRC = real(q::CRC);
        p_.CRD = real(q::CRD);
      },
      [&] { return cracking_refusal(p_); });
  echo(cracking_record(p_));

  p_.ETA = ask_real({"SPECIFY THE CRACK-WALL LOSS PARAMETER, ETA=?"}, q::ETA, "CV");
  echo(spaced_value_record(p_.ETA, "CRACK-WALL LOSS PARAMETER"));

  p_.CV = ask_real({"SPECIFY THE CRUST VOID RATIO, CV=?"}, q::CV, "GS");
  echo(spaced_value_record(p_.CV, "CRUST VOID RATIO"));
}

void Dialog::ask_solids_and_water() {
  p_.GS = ask_value<double>(
      {"SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?"}, q::GS, "GW",
      [](double v) { return positive_refusal("GS", v, "the specific gravity of the solids"); });
  echo(value_record(p_.GS, "SPECIFIC GRAVITY OF SOLIDS"));

  p_.GW = ask_value<double>({"SPECIFY THE UNIT WEITHT OF WATER, GW=?"}, q::GW, "H0", [](double v) {
    return positive_refusal("GW", v, "the unit weight of water");
  });
  echo(value_record(p_.GW, "UNIT WEIGHT OF WATER"));
}

void Dialog::ask_initial_height() {
  p_.H0 =
      ask_value<double>({"SPECIFY INITIAL HEIGHT OF SLURRY, H0=?"}, q::H0, "IFIL", height_refusal);
  echo(value_record(p_.H0, "INITIAL HEIGHT OF SOIL"));
}

// A layer of no height can only be built by staged filling; the height has
// been answered already, so the filling question is the one asked again.
void Dialog::ask_filling_switch() {
  p_.IFIL = ask_value<int>({"IS STAGED FILLING PROCESS CONSIDERED ON TOP?", "YES=1,NO=2"}, q::IFIL,
                           {}, [&](int typed) {
                             const Refusal off_menu = code_refusal(q::IFIL, typed, q::kYesNo);
                             return off_menu.empty() ? filling_refusal(p_.H0, typed) : off_menu;
                           });
  echo(switch_record(p_.IFIL, "STAGE FILLING STATUS"));
}

void Dialog::ask_filling_stages() {
  if (p_.IFIL == 2) {
    p_.NS = 0;
    for (int i = 1; i <= MAXSTAGE; ++i) p_.stage[i] = FillingStage{};
    return;
  }
  p_.NS = ask_value<int>({"SPECIFY THE NUMBER OF FILLING STAGES, NS=?"}, q::NS, {}, [](int NS) {
    return count_refusal("NS", NS, MAXSTAGE, "filling stages");
  });
  echo(stage_count_record(p_.NS));

  say("SPECIFY THE PERIODS AND FILLING TYPES ON TOP,");
  say("TBF=?, TEF=?, FRH=?");
  say(" -TIMES MUST BE CONSISTENT WITH STARTING TIME");
  say(" -FILLING TYPES MUST BE IN TERMS OF THE SOIL NOMINAL RATES OR HEIGHTS WITH E0 VOID RATIO");
  say("MAXIMUM PAIRS=50");
  say("FORMAT:");
  say("BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES");
  // Only the stage refused is asked again, under the format line.
  for (int i = 1; i <= p_.NS; ++i) {
    const q::StageNames names = q::stage(i);
    FillingStage& s = p_.stage[i];
    ask(
        {}, {"BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES"}, {&names.TBF, &names.TEF, &names.FRH},
        names.words, {},
        [&] {
          s.TBF = real(names.TBF);
          s.TEF = real(names.TEF);
          s.FRH = real(names.FRH);
        },
        [&] { return stage_refusal(p_, i); });
    echo(stage_record(s));
  }
  for (int i = p_.NS + 1; i <= MAXSTAGE; ++i) p_.stage[i] = FillingStage{-1.0, -1.0, -1.0};
}

void Dialog::ask_top_boundary() {
  const int typed =
      ask_code({"SPECIFY THE BOUNDARY CONDITION AT TOP.",
                "\t1= EVAPORATION RATE (UNIT IN VELOCITY)", "\t2= SURCHARGE (UNIT IN STRESS)"},
               q::ITOP, q::kTopCodes);
  echo(switch_record(typed, "TOP BOUNDARY CONDITION"));
  if (p_.IFIL == 1 && typed == 1) {
    throw RunStop(StopKind::RefusedRun,
                  {"EVAPORATION ON TOP BOUNDARY IS NOT ACCEPTABLE IN STAGE FILLING PROCESS!!"});
  }
  p_.bc.ITOP = typed == 2 ? TopBoundary::Surcharge : static_cast<TopBoundary>(typed);
  if (top_has_velocity_row(p_.bc.ITOP)) {
    p_.bc.VT = ask_real({"SPECIFY THE VELOCITY AT TOP, VT=?"}, q::VT, "IBOT");
    p_.bc.LT = 0.0;
  } else {
    p_.bc.LT = ask_real({"SPECIFY THE SURCHARGE LOADING, LT=?"}, q::LT, "IBOT");
    p_.bc.VT = 0.0;
    if (p_.IFIL == 1 && p_.bc.LT != 0.0) {
      throw RunStop(StopKind::RefusedRun,
                    {"ONLY ZERO SURCHARGE IS ACCEPTABLE IN STAGE FILLING PROCESS!!!"});
    }
  }
  // A head of water on top is never asked; its value is 0.
  const double HT = 0.0;
  echo(value_record(p_.bc.VT + HT + p_.bc.LT, "TOP BOUNDARY CONDITION VALUES"));
}

void Dialog::ask_bottom_boundary() {
  const int typed =
      ask_code({"SPECIFY THE BOUNDARY CONDITION AT BOTTOM.",
                "    1= IMPERVIOUS BOUNDARY (VELOCITY=0)", "    2= PRESSURE HEAD AT BOTTOM",
                "    3= PERVIOUS BOUNDARY", "    4= VELOCITY (NON-ZERO VELOCITY)"},
               q::IBOT, q::kBottomCodes);
  echo(wide_switch_record(typed, "BOTTOM BOUNDARY CONDITION"));
  p_.bc.IBOT = static_cast<BottomBoundary>(typed);
  p_.bc.VB = 0.0;
  p_.bc.HB = 0.0;
  p_.bc.LB = 0.0;
  if (typed == 1 || typed == 3) return;
  if (typed == 4) {
    p_.bc.VB = ask_real({"SPECIFY THE VELOCITY AT BOTTOM, VB=?"}, q::VB, "ME");
    p_.bc.IBOT = BottomBoundary::Velocity;
  } else {
    p_.bc.HB = ask_real({"SPECIFY THE PRESSURE HEAD OF WATER AT BOTTOM, HB=?"}, q::HB, "ME");
  }
  echo(bottom_values_record(p_.bc.VB + p_.bc.HB + p_.bc.LB));
}

void Dialog::ask_minimum_void_ratio() {
  p_.ME = ask_value<double>({"SPECIFY THE MINIMUM VOID RATIO, ME=?"}, q::ME, "TS",
                            [&](double ME) { return minimum_void_ratio_refusal(p_, ME); });
  echo(minimum_void_ratio_record(p_.ME));
}

void Dialog::ask_output_times() {
  p_.NO = ask_value<int>({"SPECIFY THE NUMBER OF THE OUTPUT TIMES, NO=?", "MAXIMUM=50"}, q::NO, {},
                         [](int NO) { return count_refusal("NO", NO, MAXSTAGE, "output times"); });
  echo(output_count_record(p_.NO));

  // Each time is checked against the one before it as it is typed, so only
  // the time refused is asked again.
  say("SPECIFY THE TIMES OF OUTPUT FILES, OPT=?");
  say("(IN ASSENDING ORDER)");
  for (int i = 1; i <= p_.NO; ++i) {
    const AnswerName name = q::output_time(i);
    const std::string then = i < p_.NO ? q::output_time(i + 1).symbol : q::MAXDT.symbol;
    ask(
        {}, {"(IN ASSENDING ORDER)"}, {&name}, {}, then, [&] { p_.OPT[i] = real(name); },
        [&] { return output_time_refusal(p_, i); });
    echo(value_record(p_.OPT[i], "SPECIFIED TIME FOR OUTPUT"));
  }
  for (int i = p_.NO + 1; i <= MAXSTAGE; ++i) p_.OPT[i] = -1.0;
}

void Dialog::ask_continuation() {
  p_.ICONT = ask_code({"CONTINUE THE PROCESS OF LAST RUN?", "1=YES,2=NO"}, q::ICONT,
                      q::kContinuationCodes);
  echo(wide_switch_record(p_.ICONT, "INITIAL STATUS"));
  if (p_.ICONT == 2) {
    p_.ND = 0;
    echo(node_count_record(NNI_));
    return;
  }
  ask_profile_pairs();
}

void Dialog::ask_profile_pairs() {
  p_.ND = ask_value<int>({"SPECIFY THE NUMBER OF NODAL VOID RATIO-ELEVATION, ND=?"}, q::ND, {},
                         pair_count_refusal);
  echo(pair_count_record(p_.ND));

  // Each pair is checked against the one typed before it, so only the pair
  // refused is asked again.
  say("INPUT THE VOID RATIOS AND ELEVATIONS");
  for (int line = 1; line <= p_.ND; ++line) {
    const q::PairNames names = q::pair(line);
    ProfilePair& pair = p_.profile[pair_of_line(p_.ND, line)];
    ask(
        {}, {"INPUT THE VOID RATIOS AND ELEVATIONS"}, {&names.e, &names.z}, names.words, {},
        [&] {
          pair.e = real(names.e);
          pair.z = real(names.z);
        },
        [&] { return pair_refusal(p_, line); });
  }
}

void Dialog::run() {
  p_.ERROR = SINGLE_1E_20;
  p_.ERROR1 = SINGLE_1E_20;
  ask_compression_constants();

  p_.A2 = p_.B2 = 0.0;
  p_.CRA = p_.CRB = p_.CRC = p_.CRD = 0.0;
  p_.ETA = p_.CV = 0.0;
  ask_desiccation_switch();
  if (p_.IDES != 2) ask_desiccation_constants();

  ask_solids_and_water();
  ask_initial_height();
  ask_filling_switch();
  if (p_.IDES == 1 && p_.IFIL == 1) {
    say("ERROR!");
    say("-DESSICATION IS NOT ALLOWED IN STAGED FILLING PROCESS-");
    say("PLEASE SEE THE USER'S MANUAL FOR SOLUTION!");
  }
  ask_filling_stages();
  ask_top_boundary();
  ask_bottom_boundary();
  ask_minimum_void_ratio();

  p_.TS = ask_real({"SPECIFY THE STARTING TIME"}, q::TS, "NO");
  echo(value_record(p_.TS, "STARTING TIME"));

  ask_output_times();

  p_.MAXDT = ask_value<double>(
      {"SPECIFY THE MAXIMUM TIME INTERVAL, MAXDT=?"}, q::MAXDT, "ICONT",
      [](double MAXDT) { return positive_refusal("MAXDT", MAXDT, "the maximum time interval"); });
  echo(value_record(p_.MAXDT, "MAXIMUM TIME INTERVAL"));

  ask_continuation();
  refuse_sets_never_asked();
}

// Only once the dialog is over is it known which values the run asks: a value
// set for a question it never asked would be silently ignored.
void Dialog::refuse_sets_never_asked() const {
  std::vector<std::string> lines;
  for (const AnswerOverride& set : overrides_.all()) {
    if (!asked_.contains(set.name)) {
      lines.push_back(set_option_text(set) + " is refused: this run never asks " + set.name);
    }
  }
  if (lines.empty()) return;
  lines.push_back("the values this run asks, which --set can replace: " + asked_.text());
  throw RunStop(StopKind::BadInput, std::move(lines));
}

}  // namespace

void run_dialog(std::istream& in, Outputs& out, bool interactive, RunDefinition& p, int NNI,
                const AnswerOverrides& overrides) {
  Dialog(in, out, interactive, p, NNI, overrides).run();
}

}  // namespace slurry1d
