#pragma once

// Dialog answers for the driver tests, built field by field, and runs set up
// from them.

#include <array>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/run_state.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d::testing {

struct Answers {
  std::string soil = "7.0 -0.2 6.8e-8 4.0 0.1";  // A1 B1 C D Z1
  int IDES = 2;
  // A2 B2, the cracking constants a b c d, ETA and CV of a desiccation run.
  std::string desiccation = "7.0 -0.1\n0.33 0.01 1.0 0.2\n0.5\n5.0";
  double GS = 2.65;
  double GW = 9.81;
  double H0 = 10.0;
  int IFIL = 2;
  std::vector<std::array<double, 3>> stages;  // TBF TEF FRH
  int top = 2;                                // 1 = evaporation VT, 2 = surcharge LT
  double top_value = 0.0;
  int bottom = 1;  // 1 impervious, 2 head, 3 pervious, 4 velocity
  double bottom_value = 0.0;
  double ME = 1.0;
  double TS = 0.0;
  std::vector<double> OPT{100.0};
  double MAXDT = 50.0;
  int ICONT = 2;
  std::vector<std::pair<double, double>> pairs;  // (void ratio, elevation), typed from the top

  std::string text() const {
    std::ostringstream s;
    s << std::setprecision(17);
    s << soil << '\n' << IDES << '\n';
    if (IDES != 2) s << desiccation << '\n';
    s << GS << '\n' << GW << '\n' << H0 << '\n' << IFIL << '\n';
    if (IFIL != 2) {
      s << stages.size() << '\n';
      for (const auto& st : stages) s << st[0] << ' ' << st[1] << ' ' << st[2] << '\n';
    }
    s << top << '\n' << top_value << '\n' << bottom << '\n';
    if (bottom != 1 && bottom != 3) s << bottom_value << '\n';
    s << ME << '\n' << TS << '\n' << OPT.size() << '\n';
    for (const double t : OPT) s << t << '\n';
    s << MAXDT << '\n' << ICONT << '\n';
    if (ICONT == 1) {
      s << pairs.size() << '\n';
      for (const auto& [e, z] : pairs) s << e << ' ' << z << '\n';
    }
    return s.str();
  }
};

// A staged filling run without initial height: one stage of 100 days at 0.5,
// output at 50, largest step 1 (-Z1/(GW HTOT B1) = 4.08 at HTOT = 50).
inline Answers thin_layer_filling_answers() {
  Answers a;
  a.soil = "7.0 -0.05 6.8e-8 4.0 100.0";
  a.H0 = 0.0;
  a.IFIL = 1;
  a.stages = {{0.0, 100.0, 0.5}};
  a.OPT = {50.0};
  a.MAXDT = 1.0;
  return a;
}

// A drying layer 1 high under evaporation at the top over an impervious base,
// cracking within a few time units.
inline Answers drying_answers() {
  Answers a;
  a.soil = "7.0 -0.2 6.8e-7 4.0 0.1";
  a.IDES = 1;
  a.H0 = 1.0;
  a.top = 1;
  a.top_value = 0.005;
  a.OPT = {1.0, 10.0};
  a.MAXDT = 1.0;
  return a;
}

// Captured outputs and the run set up from the answers.
struct CapturedRun {
  std::unique_ptr<CapturedOutputs> io = std::make_unique<CapturedOutputs>();
  std::unique_ptr<Run> run;

  explicit CapturedRun(const Answers& a) : run(set_up_from_answers(a.text(), io->out)) {}
  explicit CapturedRun(const std::string& answers) : run(set_up_from_answers(answers, io->out)) {}

  RunDefinition& def() { return run->def; }
  RunScales& scales() { return run->scales; }
  Soil& soil() { return run->soil; }
  BoundaryState& boundaries() { return run->boundaries; }
  Clock& clock() { return run->clock; }
  SoilColumn& col() { return run->col; }
  LoopState& loop() { return run->loop; }
  Outputs& out() { return io->out; }
  // Forgets everything written so far.
  void clear_outputs() {
    for (std::ostringstream* s :
         {&io->console, &io->errors, &io->input, &io->vd, &io->ts, &io->tc}) {
      s->str("");
    }
  }
};

// The lines of a text.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// How many lines of the text begin with the prefix.
inline int count_lines(const std::string& text, const std::string& prefix) {
  int n = 0;
  for (const std::string& line : lines_of(text)) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

}  // namespace slurry1d::testing
