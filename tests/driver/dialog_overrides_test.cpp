// Answers set on the command line (--set): the dialog takes the value set in
// place of the answer, the echo records it, an answer file keeps its line
// order, and a terminal is not asked for it.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/answer_overrides.hpp"
#include "driver/dialog.hpp"
#include "model/run_stop.hpp"

namespace slurry1d {
namespace {

// A new run without desiccation: compression constants, IDES, GS, GW, H0,
// IFIL, top, LT, bottom, ME, TS, NO, two output times, MAXDT, ICONT.
const std::string kAnswers =
    "0.8 -0.2 0.001 5.0 1.0\n2\n2.65\n9.81\n5.0\n2\n2\n10.0\n1\n0.5\n0.0\n2\n10.0\n100.0\n1.0\n2\n";

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class DialogOverrides : public ::testing::Test {
 protected:
  DialogOverrides() {
    out.console.attach(console);
    out.input.attach(input);
    out.errors.attach(errors);
  }

  void set(const std::string& assignment) { ASSERT_EQ(sets.add(assignment), ""); }

  void run(const std::string& answers, bool interactive = false) {
    std::istringstream in(answers);
    run_dialog(in, out, interactive, *p, STANDARD_NNI, sets);
  }

  // The stop thrown by the dialog; fails the test when none is thrown.
  RunStop stop_of(const std::string& answers, bool interactive = false) {
    try {
      run(answers, interactive);
    } catch (const RunStop& stop) {
      return stop;
    }
    ADD_FAILURE() << "the dialog ended without a stop";
    return RunStop(StopKind::Failure, {});
  }

  // The echo of a dialog without sets on the given answers.
  static std::vector<std::string> echo_of(const std::string& answers) {
    std::ostringstream console, input;
    Outputs plain;
    plain.console.attach(console);
    plain.input.attach(input);
    auto def = std::make_unique<RunDefinition>();
    std::istringstream in(answers);
    run_dialog(in, plain, false, *def);
    return lines_of(input.str());
  }

  AnswerOverrides sets;
  std::ostringstream console, input, errors;
  Outputs out;
  std::unique_ptr<RunDefinition> p = std::make_unique<RunDefinition>();
};

// From an answer file: the line of a set answer is read and set aside, so
// every later answer stays where it was; the run and its echo are those of
// an answer file holding the set values.
TEST_F(DialogOverrides, AnAnswerFileKeepsItsLinesAndTheEchoRecordsTheValuesSet) {
  set("GS=2.75");
  set("C=0.002");
  set("OPT(2)=200");
  set("MAXDT=2.5");
  run(kAnswers);
  EXPECT_EQ(p->GS, 2.75);
  EXPECT_EQ(p->C, 0.002);
  EXPECT_EQ(p->A1, 0.8);  // the other values of the line are the file's
  EXPECT_EQ(p->D, 5.0);
  EXPECT_EQ(p->OPT[1], 10.0);
  EXPECT_EQ(p->OPT[2], 200.0);
  EXPECT_EQ(p->MAXDT, 2.5);
  EXPECT_EQ(p->ICONT, 2);
  EXPECT_EQ(lines_of(input.str()),
            echo_of("0.8 -0.2 0.002 5.0 1.0\n2\n2.75\n9.81\n5.0\n2\n2\n10.0\n1\n0.5\n0.0\n2\n10.0\n"
                    "200.0\n2.5\n2\n"));
  EXPECT_EQ(lines_of(input.str()).at(2), " 2.7500    \tSPECIFIC GRAVITY OF SOLIDS");
  // The console is the dialog's own: the prompts, nothing about the sets.
  EXPECT_EQ(console.str().find("set on the command line"), std::string::npos);
}

// The line of a set answer must still be readable: it is an answer of the
// file, and a file that cannot be read is refused as always.
TEST_F(DialogOverrides, TheLineOfASetAnswerIsStillRead) {
  set("GS=2.75");
  std::string answers = kAnswers;
  answers.replace(answers.find("2.65"), 4, "2,65");
  const RunStop stop = stop_of(answers);
  EXPECT_EQ(stop.kind(), StopKind::BadInput);
  EXPECT_NE(std::string(stop.what()).find("line 3 (GS, specific gravity of the solids)"),
            std::string::npos)
      << stop.what();
}

// At a terminal the prompt shows the value set and nothing is read for it;
// in a question of several values the others are typed.
TEST_F(DialogOverrides, AtATerminalASetValueIsShownAndNotAsked) {
  set("GS=2.75");
  set("C=0.002");
  set("OPT(1)=20");
  // No GS line and no first output time; the constants without C.
  run("0.8 -0.2 5.0 1.0\n2\n9.81\n5.0\n2\n2\n10.0\n1\n0.5\n0.0\n2\n100.0\n1.0\n2\n", true);
  EXPECT_EQ(p->GS, 2.75);
  EXPECT_EQ(p->C, 0.002);
  EXPECT_EQ(p->D, 5.0);
  EXPECT_EQ(p->Z1, 1.0);
  EXPECT_EQ(p->GW, 9.81);
  EXPECT_EQ(p->OPT[1], 20.0);
  EXPECT_EQ(p->OPT[2], 100.0);
  const std::string& screen = console.str();
  EXPECT_NE(screen.find(" A1=?, B1=?, C=?, D=?, Z1=?\n"
                        " C = 0.002 (set on the command line; type the others)\n"),
            std::string::npos)
      << screen;
  EXPECT_NE(screen.find(" SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?\n"
                        " GS = 2.75 (set on the command line)\n"
                        " SPECIFY THE UNIT WEITHT OF WATER, GW=?\n"),
            std::string::npos)
      << screen;
  EXPECT_NE(screen.find(" (IN ASSENDING ORDER)\n OPT(1) = 20 (set on the command line)\n"),
            std::string::npos)
      << screen;
  EXPECT_EQ(errors.str(), "");
  EXPECT_EQ(lines_of(input.str()).at(2), " 2.7500    \tSPECIFIC GRAVITY OF SOLIDS");
}

// A set value that a check refuses cannot be typed again: the dialog ends
// and names the option, at a terminal as from a file.
TEST_F(DialogOverrides, ARefusedSetValueEndsTheDialogNamingTheOption) {
  set("GS=-1");
  for (const bool interactive : {false, true}) {
    const RunStop stop = stop_of(kAnswers, interactive);
    EXPECT_EQ(stop.kind(), StopKind::BadInput);
    EXPECT_STREQ(stop.what(),
                 "--set GS=-1: GS = -1 is refused: the specific gravity of the solids must be "
                 "positive");
  }
}

TEST_F(DialogOverrides, ASetValueOutOfOrderIsRefusedWithItsOption) {
  set("OPT(1)=0");
  EXPECT_STREQ(stop_of(kAnswers).what(),
               "--set OPT(1)=0: OPT(1) = 0 is refused: output times must come after the starting "
               "time TS = 0");
}

// Every value of a question set, and the answers derived from them refused:
// nothing typed could help, so a terminal is not asked again and again.
TEST_F(DialogOverrides, AQuestionWhollySetAndRefusedIsNotAskedForever) {
  for (const char* assignment : {"A1=-0.8", "B1=-0.2", "C=0.001", "D=5", "Z1=1"}) set(assignment);
  const RunStop stop = stop_of("2\n", true);
  EXPECT_EQ(stop.kind(), StopKind::BadInput);
  EXPECT_NE(std::string(stop.what())
                .find("--set A1=-0.8, --set B1=-0.2, --set C=0.001, --set "
                      "D=5, --set Z1=1: E0 = A1*Z1^B1 = -0.8 is refused"),
            std::string::npos)
      << stop.what();
}

// Which values a run asks is known once its dialog is over: a value it
// never asked is refused then, with the values it did ask.
TEST_F(DialogOverrides, AValueNeverAskedIsRefusedAtTheEndOfTheDialog) {
  set("OPT(3)=1000");
  set("VT=0.001");
  set("GS=2.7");
  const RunStop stop = stop_of(kAnswers);
  EXPECT_EQ(stop.kind(), StopKind::BadInput);
  const std::vector<std::string> expected = {
      "--set OPT(3)=1000 is refused: this run never asks OPT(3)",
      "--set VT=0.001 is refused: this run never asks VT",
      "the values this run asks, which --set can replace: A1, B1, C, D, Z1, GS, GW, H0, LT, ME, "
      "TS, OPT(1) to OPT(2), MAXDT"};
  EXPECT_EQ(stop.lines(), expected);
  // The echo is complete: the dialog ran to its end.
  EXPECT_EQ(lines_of(input.str()).back(), "  51            NUMBER OF NODE");
}

TEST_F(DialogOverrides, TheHiddenTolerancesAndTheStagesCanBeSet) {
  set("ERROR1=1e-12");
  set("TEF(1)=50");
  const std::string answers =
      "0.8 -0.2 0.001 5.0 1.0\n3\n1e-6\n1e-4\n2\n2.65\n9.81\n5.0\n1\n1\n0.0 100.0 0.05\n2\n0.0\n1\n"
      "0.5\n0.0\n1\n400.0\n1.0\n2\n";
  run(answers);
  EXPECT_EQ(p->ERROR, 1e-6);
  EXPECT_EQ(p->ERROR1, 1e-12);
  EXPECT_EQ(p->stage[1].TBF, 0.0);
  EXPECT_EQ(p->stage[1].TEF, 50.0);
  EXPECT_EQ(p->stage[1].FRH, 0.05);
}

}  // namespace
}  // namespace slurry1d
