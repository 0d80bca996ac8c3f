#include "driver/dialog.hpp"

#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "driver/answer_reader.hpp"
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
// Refusals: each check returns an empty text for an answer that can work and
// otherwise the one-line message that names the answer and the limit.

std::string real_text(double v) {
  return format_free_real(v);
}

std::string refused(std::string_view name, std::string_view value, std::string_view why) {
  std::string msg(name);
  msg += " = ";
  msg.append(value);
  msg += " is refused: ";
  msg.append(why);
  return msg;
}

std::string refused(std::string_view name, int value, std::string_view why) {
  return refused(name, std::to_string(value), why);
}

std::string refused(std::string_view name, double value, std::string_view why) {
  return refused(name, real_text(value), why);
}

bool positive_and_finite(double v) {
  return std::isfinite(v) && v > 0.0;
}

// The compression and permeability laws must give a positive, finite void
// ratio E0 = A1 Z1^B1 and permeability K0 = C E0^D at zero effective stress,
// and the exponent B1 divides the stress scale of the first time step.
std::string compression_refusal(const RunDefinition& p) {
  if (p.B1 == 0.0) return refused("B1", p.B1, "the compression exponent must not be zero");
  if (!(p.C > 0.0)) return refused("C", p.C, "the permeability constant must be positive");
  const double E0 = p.A1 * std::pow(p.Z1, p.B1);
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
std::string cracking_refusal(const RunDefinition& p) {
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

std::string count_refusal(std::string_view name, int value, int most, std::string_view what) {
  if (value < 0) return refused(name, value, "the number of " + std::string(what) + " is negative");
  if (value > most) {
    return refused(name, value, "at most " + std::to_string(most) + " " + std::string(what));
  }
  return {};
}

std::string positive_refusal(std::string_view name, double value, std::string_view what) {
  if (value > 0.0) return {};
  return refused(name, value, std::string(what) + " must be positive");
}

std::string height_refusal(double H0) {
  if (H0 >= 0.0) return {};
  return refused("H0", H0, "the initial height must not be negative");
}

// A layer of no height can only grow by staged filling.
std::string filling_refusal(double H0, int IFIL) {
  if (H0 != 0.0 || IFIL == 1) return {};
  return refused("H0", H0, "a layer of no height needs staged filling (IFIL = 1)");
}

// Two iterates are taken as converged when their squared difference at every
// node lies below ERROR1, which no difference does when ERROR1 is not positive.
std::string tolerance_refusal(double ERROR1) {
  if (ERROR1 > 0.0) return {};
  return refused("ERROR1", ERROR1, "the convergence tolerance must be positive");
}

// Set-up and the time loop know a new run (2) and a continued one (1) only.
std::string continuation_refusal(int ICONT) {
  if (ICONT == 1 || ICONT == 2) return {};
  return refused("ICONT", ICONT, "answer 1 to continue the last run or 2 for a new run");
}

// The profile builder interpolates between at least two pairs.
std::string pair_count_refusal(int ND) {
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
std::string stage_refusal(const RunDefinition& p, int i) {
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

std::string output_times_refusal(const RunDefinition& p) {
  for (int i = 1; i <= p.NO; ++i) {
    const std::string name = "OPT(" + std::to_string(i) + ")";
    if (i == 1 && p.OPT[i] <= p.TS) {
      return refused(name, p.OPT[i],
                     "output times must come after the starting time TS = " + real_text(p.TS));
    }
    if (i > 1 && p.OPT[i] <= p.OPT[i - 1]) {
      return refused(name, p.OPT[i],
                     "output times must ascend (OPT(" + std::to_string(i - 1) +
                         ") = " + real_text(p.OPT[i - 1]) + ")");
    }
  }
  return {};
}

// Pairs are typed from the top of the layer down and stored from the bottom
// up: typed line k is pair ND - k + 1.
int pair_of_line(int ND, int line) {
  return ND - line + 1;
}

std::string profile_refusal(const RunDefinition& p) {
  for (int line = 2; line <= p.ND; ++line) {
    const double above = p.profile[pair_of_line(p.ND, line - 1)].z;
    const double here = p.profile[pair_of_line(p.ND, line)].z;
    if (!(here < above)) {
      return refused("elevation on profile line " + std::to_string(line), here,
                     "elevations must fall from line to line, top of the layer first (line " +
                         std::to_string(line - 1) + " has " + real_text(above) + ")");
    }
  }
  return {};
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

class Dialog {
 public:
  Dialog(std::istream& in, Outputs& out, bool interactive, RunDefinition& p, int NNI)
      : reader_(in), out_(out), interactive_(interactive), p_(p), NNI_(NNI) {}

  void run();

 private:
  void say(std::string_view text) { out_.console.free(text); }
  void echo(const Line& line) { out_.input.write(line); }
  // The prompts are on the screen before the program waits for the answer.
  void start_answer() {
    out_.console.flush();
    reader_.next_question();
  }
  double ask_real(std::string_view name) {
    start_answer();
    return reader_.real(name);
  }
  // The values of one question, read into the fields named.
  void read_reals(std::initializer_list<std::pair<std::string_view, double*>> fields) {
    start_answer();
    for (const auto& [name, field] : fields) *field = reader_.real(name);
  }
  int ask_integer(std::string_view name) {
    start_answer();
    return reader_.integer(name);
  }
  bool accepted(const std::string& refusal);

  void ask_compression_constants();
  void ask_desiccation_switch();
  void ask_desiccation_constants();
  void ask_solids_and_water();
  void ask_initial_height();
  void ask_filling_switch();
  void ask_filling_stages();
  void ask_top_boundary();
  void ask_bottom_boundary();
  void ask_output_times();
  void ask_continuation();
  void ask_profile_pairs();

  AnswerReader reader_;
  Outputs& out_;
  bool interactive_;
  RunDefinition& p_;
  int NNI_;  // node parameter of the run, for the echo
};

// A refused answer at a terminal is reported on the error channel and its
// question is asked again; an answer file cannot be asked again, so there the
// refusal ends the run before any later answer is misread.
bool Dialog::accepted(const std::string& refusal) {
  if (refusal.empty()) return true;
  if (!interactive_) throw RunStop(StopKind::BadInput, {refusal});
  out_.errors.write_text(refusal);
  return false;
}

void Dialog::ask_compression_constants() {
  do {
    say("SPECIFY THE CONSTANTS OF THE 1-D COMPRESSION CONSTITUTIVE EQUATION.");
    say("A1=?, B1=?, C=?, D=?, Z1=?");
    read_reals({{"A1", &p_.A1}, {"B1", &p_.B1}, {"C", &p_.C}, {"D", &p_.D}, {"Z1", &p_.Z1}});
  } while (!accepted(compression_refusal(p_)));
  echo(constants_record(p_));
}

void Dialog::ask_desiccation_switch() {
  say("IS THE 3-D DESSICATION CONSIDERED IN THIS CASE?");
  say("YES=1,NO=2");
  p_.IDES = ask_integer("IDES");
  echo(switch_record(p_.IDES, "3-D DESSICATION STATUS"));
  if (p_.IDES <= 2) return;
  // The hidden answer: both tolerances, then the switch once more, unechoed
  // and taken as it comes.
  say("PLEASE ASSIGN THE VALUE OF ERROR.");
  p_.ERROR = ask_real("ERROR");
  do {
    say("PLEASE ASSIGN THE VALUE OF ERROR1.");
    p_.ERROR1 = ask_real("ERROR1");
  } while (!accepted(tolerance_refusal(p_.ERROR1)));
  p_.IDES = ask_integer("IDES");
}

void Dialog::ask_desiccation_constants() {
  say("SPECIFY THE CONSTANTS OF THE 3-D SHRINKAGE CONSITUTIVE EQUATION.");
  say("A2=?, B2=?");
  read_reals({{"A2", &p_.A2}, {"B2", &p_.B2}});
  echo(shrinkage_record(p_));

  do {
    say("SPECIFY THE CONSTANTS OF THE CRACKING FUNCTION.");
    say("a=?, b=?, c=?, d=?");
    read_reals({{"CRA", &p_.CRA}, {"CRB", &p_.CRB}, {"CRC", &p_.CRC}, {"CRD", &p_.CRD}});
  } while (!accepted(cracking_refusal(p_)));
  echo(cracking_record(p_));

  say("SPECIFY THE CRACK-WALL LOSS PARAMETER, ETA=?");
  p_.ETA = ask_real("ETA");
  echo(spaced_value_record(p_.ETA, "CRACK-WALL LOSS PARAMETER"));

  say("SPECIFY THE CRUST VOID RATIO, CV=?");
  p_.CV = ask_real("CV");
  echo(spaced_value_record(p_.CV, "CRUST VOID RATIO"));
}

void Dialog::ask_solids_and_water() {
  do {
    say("SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?");
    p_.GS = ask_real("GS");
  } while (!accepted(positive_refusal("GS", p_.GS, "the specific gravity of the solids")));
  echo(value_record(p_.GS, "SPECIFIC GRAVITY OF SOLIDS"));

  do {
    say("SPECIFY THE UNIT WEITHT OF WATER, GW=?");
    p_.GW = ask_real("GW");
  } while (!accepted(positive_refusal("GW", p_.GW, "the unit weight of water")));
  echo(value_record(p_.GW, "UNIT WEIGHT OF WATER"));
}

void Dialog::ask_initial_height() {
  do {
    say("SPECIFY INITIAL HEIGHT OF SLURRY, H0=?");
    p_.H0 = ask_real("H0");
  } while (!accepted(height_refusal(p_.H0)));
  echo(value_record(p_.H0, "INITIAL HEIGHT OF SOIL"));
}

// A layer of no height can only be built by staged filling; the height has
// been answered already, so the filling question is the one asked again.
void Dialog::ask_filling_switch() {
  do {
    say("IS STAGED FILLING PROCESS CONSIDERED ON TOP?");
    say("YES=1,NO=2");
    p_.IFIL = ask_integer("IFIL");
  } while (!accepted(filling_refusal(p_.H0, p_.IFIL)));
  echo(switch_record(p_.IFIL, "STAGE FILLING STATUS"));
}

void Dialog::ask_filling_stages() {
  if (p_.IFIL == 2) {
    p_.NS = 0;
    for (int i = 1; i <= MAXSTAGE; ++i) p_.stage[i] = FillingStage{};
    return;
  }
  do {
    say("SPECIFY THE NUMBER OF FILLING STAGES, NS=?");
    p_.NS = ask_integer("NS");
  } while (!accepted(count_refusal("NS", p_.NS, MAXSTAGE, "filling stages")));
  echo(stage_count_record(p_.NS));

  say("SPECIFY THE PERIODS AND FILLING TYPES ON TOP,");
  say("TBF=?, TEF=?, FRH=?");
  say(" -TIMES MUST BE CONSISTENT WITH STARTING TIME");
  say(" -FILLING TYPES MUST BE IN TERMS OF THE SOIL NOMINAL RATES OR HEIGHTS WITH E0 VOID RATIO");
  say("MAXIMUM PAIRS=50");
  say("FORMAT:");
  say("BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES");
  for (int i = 1; i <= p_.NS; ++i) {
    const std::string n = index_text(i);
    FillingStage& s = p_.stage[i];
    bool again = false;
    do {
      if (again) say("BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES");
      again = true;
      start_answer();
      s.TBF = reader_.real("TBF" + n);
      s.TEF = reader_.real("TEF" + n);
      s.FRH = reader_.real("FRH" + n);
    } while (!accepted(stage_refusal(p_, i)));
    echo(stage_record(s));
  }
  for (int i = p_.NS + 1; i <= MAXSTAGE; ++i) p_.stage[i] = FillingStage{-1.0, -1.0, -1.0};
}

void Dialog::ask_top_boundary() {
  say("SPECIFY THE BOUNDARY CONDITION AT TOP.");
  say("\t1= EVAPORATION RATE (UNIT IN VELOCITY)");
  say("\t2= SURCHARGE (UNIT IN STRESS)");
  const int typed = ask_integer("ITOP");
  echo(switch_record(typed, "TOP BOUNDARY CONDITION"));
  if (p_.IFIL == 1 && typed == 1) {
    throw RunStop(StopKind::RefusedRun,
                  {"EVAPORATION ON TOP BOUNDARY IS NOT ACCEPTABLE IN STAGE FILLING PROCESS!!"});
  }
  p_.bc.ITOP = typed == 2 ? TopBoundary::Surcharge : static_cast<TopBoundary>(typed);
  if (top_has_velocity_row(p_.bc.ITOP)) {
    say("SPECIFY THE VELOCITY AT TOP, VT=?");
    p_.bc.VT = ask_real("VT");
    p_.bc.LT = 0.0;
  } else {
    say("SPECIFY THE SURCHARGE LOADING, LT=?");
    p_.bc.LT = ask_real("LT");
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
  say("SPECIFY THE BOUNDARY CONDITION AT BOTTOM.");
  say("    1= IMPERVIOUS BOUNDARY (VELOCITY=0)");
  say("    2= PRESSURE HEAD AT BOTTOM");
  say("    3= PERVIOUS BOUNDARY");
  say("    4= VELOCITY (NON-ZERO VELOCITY)");
  const int typed = ask_integer("IBOT");
  echo(wide_switch_record(typed, "BOTTOM BOUNDARY CONDITION"));
  p_.bc.IBOT = static_cast<BottomBoundary>(typed);
  p_.bc.VB = 0.0;
  p_.bc.HB = 0.0;
  p_.bc.LB = 0.0;
  if (typed == 1 || typed == 3) return;
  if (typed == 4) {
    say("SPECIFY THE VELOCITY AT BOTTOM, VB=?");
    p_.bc.VB = ask_real("VB");
    p_.bc.IBOT = BottomBoundary::Velocity;
  } else {
    say("SPECIFY THE PRESSURE HEAD OF WATER AT BOTTOM, HB=?");
    p_.bc.HB = ask_real("HB");
  }
  echo(bottom_values_record(p_.bc.VB + p_.bc.HB + p_.bc.LB));
}

void Dialog::ask_output_times() {
  do {
    say("SPECIFY THE NUMBER OF THE OUTPUT TIMES, NO=?");
    say("MAXIMUM=50");
    p_.NO = ask_integer("NO");
  } while (!accepted(count_refusal("NO", p_.NO, MAXSTAGE, "output times")));
  echo(output_count_record(p_.NO));

  // The order is a property of the whole list, so the list is checked, and at
  // a terminal asked again, as one answer.
  do {
    say("SPECIFY THE TIMES OF OUTPUT FILES, OPT=?");
    say("(IN ASSENDING ORDER)");
    for (int i = 1; i <= p_.NO; ++i) p_.OPT[i] = ask_real("OPT(" + std::to_string(i) + ")");
  } while (!accepted(output_times_refusal(p_)));
  for (int i = 1; i <= p_.NO; ++i) echo(value_record(p_.OPT[i], "SPECIFIED TIME FOR OUTPUT"));
  for (int i = p_.NO + 1; i <= MAXSTAGE; ++i) p_.OPT[i] = -1.0;
}

void Dialog::ask_continuation() {
  do {
    say("CONTINUE THE PROCESS OF LAST RUN?");
    say("1=YES,2=NO");
    p_.ICONT = ask_integer("ICONT");
  } while (!accepted(continuation_refusal(p_.ICONT)));
  echo(wide_switch_record(p_.ICONT, "INITIAL STATUS"));
  if (p_.ICONT == 2) {
    p_.ND = 0;
    echo(node_count_record(NNI_));
    return;
  }
  ask_profile_pairs();
}

void Dialog::ask_profile_pairs() {
  do {
    say("SPECIFY THE NUMBER OF NODAL VOID RATIO-ELEVATION, ND=?");
    p_.ND = ask_integer("ND");
  } while (!accepted(pair_count_refusal(p_.ND)));
  echo(pair_count_record(p_.ND));

  do {
    say("INPUT THE VOID RATIOS AND ELEVATIONS");
    for (int line = 1; line <= p_.ND; ++line) {
      const std::string where = " on profile line " + std::to_string(line);
      ProfilePair& pair = p_.profile[pair_of_line(p_.ND, line)];
      start_answer();
      pair.e = reader_.real("void ratio" + where);
      pair.z = reader_.real("elevation" + where);
    }
  } while (!accepted(profile_refusal(p_)));
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

  say("SPECIFY THE MINIMUM VOID RATIO, ME=?");
  p_.ME = ask_real("ME");
  echo(minimum_void_ratio_record(p_.ME));

  say("SPECIFY THE STARTING TIME");
  p_.TS = ask_real("TS");
  echo(value_record(p_.TS, "STARTING TIME"));

  ask_output_times();

  do {
    say("SPECIFY THE MAXIMUM TIME INTERVAL, MAXDT=?");
    p_.MAXDT = ask_real("MAXDT");
  } while (!accepted(positive_refusal("MAXDT", p_.MAXDT, "the maximum time interval")));
  echo(value_record(p_.MAXDT, "MAXIMUM TIME INTERVAL"));

  ask_continuation();
}

}  // namespace

void run_dialog(std::istream& in, Outputs& out, bool interactive, RunDefinition& p, int NNI) {
  Dialog(in, out, interactive, p, NNI).run();
}

}  // namespace slurry1d
