#include "driver/dialog.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/run_stop.hpp"

namespace slurry1d {
namespace {

// One answer file, question by question. A field holding "" is a question that
// is not asked; fields with several lines carry their own line ends.
struct Answers {
  std::string constants = "0.8 -0.2 0.001 5.0 1.0   A1 B1 C D Z1";
  std::string ides = "2";
  std::string desiccation;  // shrinkage, cracking, ETA, CV lines
  std::string gs = "2.65";
  std::string gw = "9.81";
  std::string h0 = "5.0";
  std::string ifil = "2";
  std::string stages;  // NS and the stage lines
  std::string itop = "2";
  std::string top_value = "10.0";
  std::string ibot = "1";
  std::string bottom_value;
  std::string me = "0.5";
  std::string ts = "0.0";
  std::string no = "2";
  std::string opts = "10.0\n100.0";
  std::string maxdt = "1.0";
  std::string icont = "2";
  std::string pairs;  // ND and the pair lines

  std::string text() const {
    std::string s;
    for (const std::string* f :
         {&constants, &ides, &desiccation, &gs, &gw, &h0, &ifil, &stages, &itop, &top_value, &ibot,
          &bottom_value, &me, &ts, &no, &opts, &maxdt, &icont, &pairs}) {
      if (!f->empty()) s += *f + "\n";
    }
    return s;
  }
};

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::vector<std::string> dialog_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() {
    out.console.attach(console);
    out.input.attach(input);
    out.errors.attach(errors);
  }

  void run(const std::string& answers, bool interactive = false) {
    std::istringstream in(answers);
    run_dialog(in, out, interactive, *p);
  }
  void run(const Answers& a, bool interactive = false) { run(a.text(), interactive); }

  // The stop thrown by the dialog; fails the test when none is thrown.
  RunStop stop_of(const Answers& a, bool interactive = false) {
    try {
      run(a, interactive);
    } catch (const RunStop& stop) {
      return stop;
    }
    ADD_FAILURE() << "the dialog ended without a stop";
    return RunStop(StopKind::Failure, {});
  }

  std::vector<std::string> input_lines() const { return dialog_lines(input.str()); }

  std::ostringstream console, input, errors;
  Outputs out;
  std::unique_ptr<RunDefinition> p = std::make_unique<RunDefinition>();
};

// Record 1 column by column for A1 = 0.8, B1 = -0.2, C = 1e-3, D = 5, Z1 = 1.
TEST_F(DialogTest, CompressionConstantsRecordColumns) {
  run(Answers{});
  const std::string r = input_lines().at(0);
  ASSERT_EQ(r.size(), 1u + 10 + 1 + 10 + 1 + 10 + 1 + 10 + 1 + 10 + 1 + 12);
  EXPECT_EQ(r.substr(0, 1), " ");             // leading blank
  EXPECT_EQ(r.substr(1, 10), ".80000    ");   // G10.5: no room for "0.", four blanks
  EXPECT_EQ(r.substr(12, 10), "   -0.2000");  // B1 in F10.4, right-aligned
  EXPECT_EQ(r.substr(23, 10), ".10000E-02");  // 1e-3 below 0.1: exponent form
  EXPECT_EQ(r.substr(34, 10), "5.0000    ");  // one digit before the point, 4 decimals
  EXPECT_EQ(r.substr(45, 10), "1.0000    ");
  EXPECT_EQ(r.substr(55, 1), "\t");  // a tab, not blanks, before the label
  EXPECT_EQ(r.substr(56), "A1,B1,C,D,Z1");
}

TEST_F(DialogTest, NewRunWithoutDesiccationEchoesEveryAnswer) {
  run(Answers{});
  const std::vector<std::string> expected = {
      " .80000        -0.2000 .10000E-02 5.0000     1.0000    \tA1,B1,C,D,Z1",
      " 2\t\t3-D DESSICATION STATUS",
      " 2.6500    \tSPECIFIC GRAVITY OF SOLIDS",
      " 9.8100    \tUNIT WEIGHT OF WATER",
      " 5.0000    \tINITIAL HEIGHT OF SOIL",
      " 2\t\tSTAGE FILLING STATUS",
      " 2\t\tTOP BOUNDARY CONDITION",
      " 10.000    \tTOP BOUNDARY CONDITION VALUES",
      " 1\t        BOTTOM BOUNDARY CONDITION",
      ".50000    \tMINIMUM VOID RATIO",
      " 0.0000    \tSTARTING TIME",
      "   2\t        NUMBER OF OUTPUT FILES",
      " 10.000    \tSPECIFIED TIME FOR OUTPUT",
      " 100.00    \tSPECIFIED TIME FOR OUTPUT",
      " 1.0000    \tMAXIMUM TIME INTERVAL",
      " 2\t        INITIAL STATUS",
      "  51            NUMBER OF NODE",
  };
  EXPECT_EQ(input_lines(), expected);

  const RunDefinition& q = *p;
  EXPECT_EQ(q.A1, 0.8);
  EXPECT_EQ(q.B1, -0.2);
  EXPECT_EQ(q.C, 0.001);
  EXPECT_EQ(q.D, 5.0);
  EXPECT_EQ(q.Z1, 1.0);
  EXPECT_EQ(q.IDES, 2);
  EXPECT_EQ(q.ERROR, SINGLE_1E_20);
  EXPECT_EQ(q.ERROR1, SINGLE_1E_20);
  EXPECT_EQ(q.A2, 0.0);
  EXPECT_EQ(q.CRD, 0.0);
  EXPECT_EQ(q.CV, 0.0);
  EXPECT_EQ(q.GS, 2.65);
  EXPECT_EQ(q.GW, 9.81);
  EXPECT_EQ(q.H0, 5.0);
  EXPECT_EQ(q.IFIL, 2);
  EXPECT_EQ(q.NS, 0);
  for (int i = 1; i <= MAXSTAGE; ++i) {
    EXPECT_EQ(q.stage[i].TBF, 0.0);
    EXPECT_EQ(q.stage[i].TEF, 0.0);
    EXPECT_EQ(q.stage[i].FRH, 0.0);
  }
  EXPECT_EQ(q.bc.ITOP, TopBoundary::Surcharge);  // answer 2
  EXPECT_EQ(q.bc.LT, 10.0);
  EXPECT_EQ(q.bc.VT, 0.0);
  EXPECT_EQ(q.bc.IBOT, BottomBoundary::Velocity);
  EXPECT_EQ(q.ME, 0.5);
  EXPECT_EQ(q.TS, 0.0);
  EXPECT_EQ(q.NO, 2);
  EXPECT_EQ(q.OPT[1], 10.0);
  EXPECT_EQ(q.OPT[2], 100.0);
  for (int i = 3; i <= MAXSTAGE; ++i) EXPECT_EQ(q.OPT[i], -1.0);
  EXPECT_EQ(q.MAXDT, 1.0);
  EXPECT_EQ(q.ICONT, 2);
  EXPECT_EQ(errors.str(), "");
}

TEST_F(DialogTest, DesiccationAnswerTwoGoesStraightToTheSolids) {
  run(Answers{});
  const std::vector<std::string> c = dialog_lines(console.str());
  EXPECT_EQ(c.at(3), " YES=1,NO=2");
  EXPECT_EQ(c.at(4), " SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?");
}

TEST_F(DialogTest, EveryPromptOfAFullNewRunInOrder) {
  Answers a;
  a.ides = "1";
  a.desiccation = "0.9 -0.15\n1 0.5 2 4\n0.01\n1.2";
  a.ifil = "1";
  a.stages = "1\n0 10 0.1";
  a.top_value = "0";
  a.ibot = "2";
  a.bottom_value = "3.5";
  run(a);
  EXPECT_EQ(console.str(),
            " SPECIFY THE CONSTANTS OF THE 1-D COMPRESSION CONSTITUTIVE EQUATION.\n"
            " A1=?, B1=?, C=?, D=?, Z1=?\n"
            " IS THE 3-D DESSICATION CONSIDERED IN THIS CASE?\n"
            " YES=1,NO=2\n"
            " SPECIFY THE CONSTANTS OF THE 3-D SHRINKAGE CONSITUTIVE EQUATION.\n"
            " A2=?, B2=?\n"
            " SPECIFY THE CONSTANTS OF THE CRACKING FUNCTION.\n"
            " a=?, b=?, c=?, d=?\n"
            " SPECIFY THE CRACK-WALL LOSS PARAMETER, ETA=?\n"
            " SPECIFY THE CRUST VOID RATIO, CV=?\n"
            " SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?\n"
            " SPECIFY THE UNIT WEITHT OF WATER, GW=?\n"
            " SPECIFY INITIAL HEIGHT OF SLURRY, H0=?\n"
            " IS STAGED FILLING PROCESS CONSIDERED ON TOP?\n"
            " YES=1,NO=2\n"
            " ERROR!\n"
            " -DESSICATION IS NOT ALLOWED IN STAGED FILLING PROCESS-\n"
            " PLEASE SEE THE USER'S MANUAL FOR SOLUTION!\n"
            " SPECIFY THE NUMBER OF FILLING STAGES, NS=?\n"
            " SPECIFY THE PERIODS AND FILLING TYPES ON TOP,\n"
            " TBF=?, TEF=?, FRH=?\n"
            "  -TIMES MUST BE CONSISTENT WITH STARTING TIME\n"
            "  -FILLING TYPES MUST BE IN TERMS OF THE SOIL NOMINAL RATES OR HEIGHTS WITH E0 VOID "
            "RATIO\n"
            " MAXIMUM PAIRS=50\n"
            " FORMAT:\n"
            " BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES\n"
            " SPECIFY THE BOUNDARY CONDITION AT TOP.\n"
            " \t1= EVAPORATION RATE (UNIT IN VELOCITY)\n"
            " \t2= SURCHARGE (UNIT IN STRESS)\n"
            " SPECIFY THE SURCHARGE LOADING, LT=?\n"
            " SPECIFY THE BOUNDARY CONDITION AT BOTTOM.\n"
            "     1= IMPERVIOUS BOUNDARY (VELOCITY=0)\n"
            "     2= PRESSURE HEAD AT BOTTOM\n"
            "     3= PERVIOUS BOUNDARY\n"
            "     4= VELOCITY (NON-ZERO VELOCITY)\n"
            " SPECIFY THE PRESSURE HEAD OF WATER AT BOTTOM, HB=?\n"
            " SPECIFY THE MINIMUM VOID RATIO, ME=?\n"
            " SPECIFY THE STARTING TIME\n"
            " SPECIFY THE NUMBER OF THE OUTPUT TIMES, NO=?\n"
            " MAXIMUM=50\n"
            " SPECIFY THE TIMES OF OUTPUT FILES, OPT=?\n"
            " (IN ASSENDING ORDER)\n"
            " SPECIFY THE MAXIMUM TIME INTERVAL, MAXDT=?\n"
            " CONTINUE THE PROCESS OF LAST RUN?\n"
            " 1=YES,2=NO\n");
}

TEST_F(DialogTest, DesiccationConstantsAreEchoed) {
  Answers a;
  a.ides = "1";
  a.desiccation = "0.9 -0.15   A2 B2\n1 0.5 2 4\n0.01\n1.2";
  run(a);
  const std::vector<std::string> r = input_lines();
  EXPECT_EQ(r.at(1), " 1\t\t3-D DESSICATION STATUS");
  EXPECT_EQ(r.at(2), " .90000        -0.1500\tA2,B2:3-D SHRINKAGE PARAMETERS");
  EXPECT_EQ(r.at(3),
            " 1.0000     .50000     2.0000     4.0000    \tCRACKING FUNCTION PARAMETERS, a,b,c,d");
  // Five blanks, no tab, between the field and the words.
  EXPECT_EQ(r.at(4), " .10000E-01     CRACK-WALL LOSS PARAMETER");
  EXPECT_EQ(r.at(5), " 1.2000         CRUST VOID RATIO");
  EXPECT_EQ(r.at(6), " 2.6500    \tSPECIFIC GRAVITY OF SOLIDS");
  EXPECT_EQ(p->A2, 0.9);
  EXPECT_EQ(p->B2, -0.15);
  EXPECT_EQ(p->CRA, 1.0);
  EXPECT_EQ(p->CRB, 0.5);
  EXPECT_EQ(p->CRC, 2.0);
  EXPECT_EQ(p->CRD, 4.0);
  EXPECT_EQ(p->ETA, 0.01);
  EXPECT_EQ(p->CV, 1.2);
}

TEST_F(DialogTest, HiddenTolerancesThenTheSwitchOnceMore) {
  Answers a;
  a.ides = "3\n1e-6\n1e-4\n2";
  run(a);
  const std::vector<std::string> r = input_lines();
  EXPECT_EQ(r.at(1), " 3\t\t3-D DESSICATION STATUS");
  EXPECT_EQ(r.at(2), " 2.6500    \tSPECIFIC GRAVITY OF SOLIDS");  // no tolerance, no constants
  EXPECT_EQ(p->ERROR, 1e-6);
  EXPECT_EQ(p->ERROR1, 1e-4);
  EXPECT_EQ(p->IDES, 2);
  const std::vector<std::string> c = dialog_lines(console.str());
  EXPECT_EQ(c.at(4), " PLEASE ASSIGN THE VALUE OF ERROR.");
  EXPECT_EQ(c.at(5), " PLEASE ASSIGN THE VALUE OF ERROR1.");
  EXPECT_EQ(c.at(6), " SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?");
}

TEST_F(DialogTest, SecondSwitchAnswerOneAsksTheDesiccationConstants) {
  Answers a;
  a.ides = "3\n1D-5\n2d-3\n1";
  a.desiccation = "0.9 -0.15\n1 0.5 2 4\n0.01\n1.2";
  run(a);
  EXPECT_EQ(p->IDES, 1);
  EXPECT_EQ(p->ERROR, 1e-5);
  EXPECT_EQ(p->ERROR1, 2e-3);
  EXPECT_EQ(p->CRD, 4.0);
  EXPECT_EQ(input_lines().at(1), " 3\t\t3-D DESSICATION STATUS");
}

TEST_F(DialogTest, StagedFillingEchoesEachStageAndFillsTheRest) {
  Answers a;
  a.ifil = "1";
  a.stages = "2   NS\n0 10 0.1\n20,20,2";
  a.top_value = "0";
  run(a);
  const std::vector<std::string> r = input_lines();
  EXPECT_EQ(r.at(5), " 1\t\tSTAGE FILLING STATUS");
  EXPECT_EQ(r.at(6), "   2\tNUMBER OF FILLING STAGES");
  // Three G10.5 fields from the first column, no blank between them.
  EXPECT_EQ(r.at(7), "0.0000    10.000    .10000    \tBEGINNING TIME,ENDING TIME,HEIGHTS OR RATES");
  EXPECT_EQ(r.at(8), "20.000    20.000    2.0000    \tBEGINNING TIME,ENDING TIME,HEIGHTS OR RATES");
  EXPECT_EQ(r.at(9), " 2\t\tTOP BOUNDARY CONDITION");
  EXPECT_EQ(r.at(10), " 0.0000    \tTOP BOUNDARY CONDITION VALUES");
  EXPECT_EQ(p->NS, 2);
  EXPECT_EQ(p->stage[1].TEF, 10.0);
  EXPECT_EQ(p->stage[1].FRH, 0.1);
  EXPECT_EQ(p->stage[2].TBF, 20.0);
  EXPECT_EQ(p->stage[2].FRH, 2.0);
  for (int i = 3; i <= MAXSTAGE; ++i) {
    EXPECT_EQ(p->stage[i].TBF, -1.0) << i;
    EXPECT_EQ(p->stage[i].TEF, -1.0) << i;
    EXPECT_EQ(p->stage[i].FRH, -1.0) << i;
  }
  // Without desiccation there is no conflict warning.
  EXPECT_EQ(console.str().find("ERROR!"), std::string::npos);
}

TEST_F(DialogTest, NoStagesStillPrintsTheSevenStageLines) {
  Answers a;
  a.ifil = "1";
  a.stages = "0";
  a.top_value = "0";
  run(a);
  EXPECT_NE(console.str().find(" SPECIFY THE NUMBER OF FILLING STAGES, NS=?\n"
                               " SPECIFY THE PERIODS AND FILLING TYPES ON TOP,\n"
                               " TBF=?, TEF=?, FRH=?\n"
                               "  -TIMES MUST BE CONSISTENT WITH STARTING TIME\n"
                               "  -FILLING TYPES MUST BE IN TERMS OF THE SOIL NOMINAL RATES OR "
                               "HEIGHTS WITH E0 VOID RATIO\n"
                               " MAXIMUM PAIRS=50\n"
                               " FORMAT:\n"
                               " BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES\n"
                               " SPECIFY THE BOUNDARY CONDITION AT TOP.\n"),
            std::string::npos);
  const std::vector<std::string> r = input_lines();
  EXPECT_EQ(r.at(6), "   0\tNUMBER OF FILLING STAGES");
  EXPECT_EQ(r.at(7), " 2\t\tTOP BOUNDARY CONDITION");
  EXPECT_EQ(p->stage[1].TBF, -1.0);
  EXPECT_EQ(p->stage[MAXSTAGE].FRH, -1.0);
}

TEST_F(DialogTest, ZeroHeightIsKeptWithStagedFilling) {
  Answers a;
  a.h0 = "0";
  a.ifil = "1";
  a.stages = "1\n0 50 0.2";
  a.top_value = "0";
  run(a);
  EXPECT_EQ(p->H0, 0.0);
  EXPECT_EQ(input_lines().at(4), " 0.0000    \tINITIAL HEIGHT OF SOIL");
}

TEST_F(DialogTest, TopAnswerOneAsksTheVelocity) {
  Answers a;
  a.itop = "1";
  a.top_value = "1.5E-3";
  run(a);
  EXPECT_EQ(p->bc.ITOP, TopBoundary::Velocity);
  EXPECT_EQ(p->bc.VT, 1.5e-3);
  EXPECT_EQ(p->bc.LT, 0.0);
  const std::vector<std::string> r = input_lines();
  EXPECT_EQ(r.at(6), " 1\t\tTOP BOUNDARY CONDITION");
  EXPECT_EQ(r.at(7), " .15000E-02\tTOP BOUNDARY CONDITION VALUES");
  EXPECT_NE(console.str().find(" SPECIFY THE VELOCITY AT TOP, VT=?\n"), std::string::npos);
  EXPECT_EQ(console.str().find("LT=?"), std::string::npos);
}

TEST_F(DialogTest, EvaporationWithStagedFillingStopsAfterTheTopEcho) {
  Answers a;
  a.ifil = "1";
  a.stages = "0";
  a.itop = "1";
  a.top_value = "";
  const RunStop stop = stop_of(a);
  EXPECT_EQ(stop.kind(), StopKind::RefusedRun);
  EXPECT_EQ(stop.exit_status(), 2);
  EXPECT_EQ(stop.lines(), std::vector<std::string>{
                              "EVAPORATION ON TOP BOUNDARY IS NOT ACCEPTABLE IN STAGE FILLING "
                              "PROCESS!!"});
  const std::vector<std::string> r = input_lines();
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(r.back(), " 1\t\tTOP BOUNDARY CONDITION");
  EXPECT_EQ(console.str().find("VT=?"), std::string::npos);
}

TEST_F(DialogTest, SurchargeWithStagedFillingStopsWithoutTheValuesRecord) {
  Answers a;
  a.ifil = "1";
  a.stages = "0";
  a.top_value = "5";
  const RunStop stop = stop_of(a);
  EXPECT_EQ(stop.kind(), StopKind::RefusedRun);
  EXPECT_EQ(stop.exit_status(), 2);
  EXPECT_EQ(stop.lines(), std::vector<std::string>{
                              "ONLY ZERO SURCHARGE IS ACCEPTABLE IN STAGE FILLING PROCESS!!!"});
  const std::vector<std::string> r = input_lines();
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(r.back(), " 2\t\tTOP BOUNDARY CONDITION");
}

struct BottomCase {
  const char* typed;
  const char* value;  // "" when no value is asked
  int IBOT;
  double VB, HB;
  const char* code_record;
  const char* values_record;  // "" when none is written
  const char* prompt;         // "" when none is written
};

class BottomBoundaryAnswer : public DialogTest, public ::testing::WithParamInterface<BottomCase> {};

TEST_P(BottomBoundaryAnswer, StoresTheCodeAndEchoesTheAnswerAsTyped) {
  const BottomCase& c = GetParam();
  Answers a;
  a.ibot = c.typed;
  a.bottom_value = c.value;
  run(a);
  EXPECT_EQ(code(p->bc.IBOT), c.IBOT);
  EXPECT_EQ(p->bc.VB, c.VB);
  EXPECT_EQ(p->bc.HB, c.HB);
  EXPECT_EQ(p->bc.LB, 0.0);
  const std::vector<std::string> r = input_lines();
  EXPECT_EQ(r.at(8), c.code_record);
  if (*c.values_record != '\0') {
    EXPECT_EQ(r.at(9), c.values_record);
    EXPECT_EQ(r.at(10), ".50000    \tMINIMUM VOID RATIO");
  } else {
    EXPECT_EQ(r.at(9), ".50000    \tMINIMUM VOID RATIO");
  }
  const std::string cons = console.str();
  const std::string menu_end_line = "     4= VELOCITY (NON-ZERO VELOCITY)\n";
  const std::size_t menu_end = cons.find(menu_end_line);
  ASSERT_NE(menu_end, std::string::npos);
  const std::string expected = std::string(c.prompt) + " SPECIFY THE MINIMUM VOID RATIO, ME=?\n";
  EXPECT_EQ(cons.substr(menu_end + menu_end_line.size(), expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BottomBoundaryAnswer,
    ::testing::Values(
        BottomCase{"1", "", 1, 0.0, 0.0, " 1\t        BOTTOM BOUNDARY CONDITION", "", ""},
        BottomCase{"3", "", 3, 0.0, 0.0, " 3\t        BOTTOM BOUNDARY CONDITION", "", ""},
        // G15.6 of 3.5: F11.5 right-aligned, then four blanks.
        BottomCase{"2", "3.5", 2, 0.0, 3.5, " 2\t        BOTTOM BOUNDARY CONDITION",
                   "     3.50000    \tBOTTOM BOUNDARY CONDITION VALUES",
                   " SPECIFY THE PRESSURE HEAD OF WATER AT BOTTOM, HB=?\n"},
        BottomCase{"4", "-1e-5", 1, -1e-5, 0.0, " 4\t        BOTTOM BOUNDARY CONDITION",
                   "   -0.100000E-04\tBOTTOM BOUNDARY CONDITION VALUES",
                   " SPECIFY THE VELOCITY AT BOTTOM, VB=?\n"},
        BottomCase{"+2", "-0.5", 2, 0.0, -0.5, " 2\t        BOTTOM BOUNDARY CONDITION",
                   "   -0.500000    \tBOTTOM BOUNDARY CONDITION VALUES",
                   " SPECIFY THE PRESSURE HEAD OF WATER AT BOTTOM, HB=?\n"}));

TEST_F(DialogTest, ContinuedRunReadsThePairsFromTheTopDown) {
  Answers a;
  a.icont = "1";
  a.pairs = "3\n1.8 10.0\n2.5, 5.0   note\n\n3.0 0.0";
  run(a);
  const std::vector<std::string> r = input_lines();
  ASSERT_EQ(r.size(), 17u);
  EXPECT_EQ(r.at(15), " 1\t        INITIAL STATUS");
  EXPECT_EQ(r.at(16), "   3   NUMBER OF NODAL VOID RATIO-ELEVATION");
  EXPECT_EQ(input.str().find("NUMBER OF NODE\n"), std::string::npos);
  EXPECT_EQ(p->ICONT, 1);
  EXPECT_EQ(p->ND, 3);
  EXPECT_EQ(p->profile[1].e, 3.0);
  EXPECT_EQ(p->profile[1].z, 0.0);
  EXPECT_EQ(p->profile[2].e, 2.5);
  EXPECT_EQ(p->profile[2].z, 5.0);
  EXPECT_EQ(p->profile[3].e, 1.8);
  EXPECT_EQ(p->profile[3].z, 10.0);
  EXPECT_TRUE(
      console.str().ends_with(" SPECIFY THE NUMBER OF NODAL VOID RATIO-ELEVATION, ND=?\n"
                              " INPUT THE VOID RATIOS AND ELEVATIONS\n"));
}

TEST_F(DialogTest, RestartLinesOfAFinishedRunReadBackAsPairs) {
  // The lines a finished run appends to its "input": free-form " <e> <z>".
  std::ostringstream restart;
  RecordWriter w(restart);
  const double e[] = {1.2345678901234567, 2.5, 3.0000000000000004};
  const double z[] = {9.87654321, 4.5e-3, 1e-17};
  for (int k = 0; k < 3; ++k) w.free(e[k], z[k]);
  Answers a;
  a.icont = "1";
  a.pairs = "3\n" + restart.str();
  run(a);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(p->profile[3 - k].e, e[k]);
    EXPECT_EQ(p->profile[3 - k].z, z[k]);
  }
}

// ---------------------------------------------------------------------------
// Refusals.

struct RefusalCase {
  const char* name;
  std::string Answers::*field;  // the answer refused
  const char* bad;              // its refused text
  const char* retry;            // what a terminal user types when asked again
  const char* message;
  const char* prompt;  // the last prompt line of the question asked again (none: nullptr)
  void (*setup)(Answers&) = nullptr;  // other answers the case needs
  const char* clean = nullptr;        // the field's text in a run that was never refused
};

void staged(Answers& a) {
  a.ifil = "1";
  a.top_value = "0";
}
void desiccating(Answers& a) {
  a.ides = "1";
}
void continued(Answers& a) {
  a.icont = "1";
}

void zero_height(Answers& a) {
  a.h0 = "0";
  a.top_value = "0";
}

const RefusalCase kRefusals[] = {
    {"TooManyStages", &Answers::stages, "60", "1\n0 10 0.1",
     "line 7 (NS, number of filling stages): NS = 60 is refused: at most 50 filling stages",
     " SPECIFY THE NUMBER OF FILLING STAGES, NS=?", staged},
    {"NegativeStages", &Answers::stages, "-1", "0",
     "line 7 (NS, number of filling stages): NS = -1 is refused: the number of filling stages is "
     "negative",
     " SPECIFY THE NUMBER OF FILLING STAGES, NS=?", staged},
    // Only the stage is asked again, under the format line of the stages.
    {"StageEndingBeforeItBegins", &Answers::stages, "1\n10 0 0.1", "0 10 0.1",
     "line 8 (TEF(1), ending time of stage 1): TEF(1) = 0 is refused: a stage cannot end before it "
     "begins (TBF(1) = 10)",
     " BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES", staged, "1\n0 10 0.1"},
    {"StagesOverlapping", &Answers::stages, "2\n0 10 0.1\n5 20 0.1", "10 20 0.1",
     "line 9 (TBF(2), beginning time of stage 2): TBF(2) = 5 is refused: stages must follow one "
     "another (TEF(1) = 10)",
     " BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES", staged, "2\n0 10 0.1\n10 20 0.1"},
    {"StageWithADecimalComma", &Answers::stages, "1\n0 10 0,1", "0 10 0.1",
     "line 8 (TBF(1), TEF(1), FRH(1): filling stage 1): this line holds 4 numbers but TBF(1), "
     "TEF(1), FRH(1) take three: a decimal comma? write 0.1",
     " BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES", staged, "1\n0 10 0.1"},
    {"ZeroPermeabilityConstant", &Answers::constants, "0.8 -0.2 0 5.0 1.0",
     "0.8 -0.2 0.001 5.0 1.0",
     "line 1 (C, permeability coefficient): C = 0 is refused: the permeability constant must be "
     "positive",
     " A1=?, B1=?, C=?, D=?, Z1=?"},
    {"ZeroCompressionExponent", &Answers::constants, "0.8 0 0.001 5.0 1.0",
     "0.8 -0.2 0.001 5.0 1.0",
     "line 1 (B1, compression exponent): B1 = 0 is refused: the compression exponent must be "
     "negative (a compression curve falls with stress)",
     " A1=?, B1=?, C=?, D=?, Z1=?"},
    {"RisingCompressionCurve", &Answers::constants, "0.8 0.2 0.001 5.0 1.0",
     "0.8 -0.2 0.001 5.0 1.0",
     "line 1 (B1, compression exponent): B1 = 0.2 is refused: the compression exponent must be "
     "negative (a compression curve falls with stress)",
     " A1=?, B1=?, C=?, D=?, Z1=?"},
    {"NegativeReferenceVoidRatio", &Answers::constants, "-0.8 -0.2 0.001 5.0 1.0",
     "0.8 -0.2 0.001 5.0 1.0",
     "line 1 (A1, B1, C, D, Z1: compression and permeability constants): E0 = A1*Z1^B1 = -0.8 is "
     "refused: the void ratio at zero stress must be positive",
     " A1=?, B1=?, C=?, D=?, Z1=?"},
    {"NegativeStressOffset", &Answers::constants, "0.8 -0.2 0.001 5.0 -1.0",
     "0.8 -0.2 0.001 5.0 1.0",
     "line 1 (A1, B1, C, D, Z1: compression and permeability constants): E0 = A1*Z1^B1 = NaN is "
     "refused: the void ratio at zero stress must be positive",
     " A1=?, B1=?, C=?, D=?, Z1=?"},
    {"InfinitePermeability", &Answers::constants, "0.8 -0.2 1e300 -4000 1.0",
     "0.8 -0.2 0.001 5.0 1.0",
     "line 1 (A1, B1, C, D, Z1: compression and permeability constants): K0 = C*E0^D = Infinity is "
     "refused: the permeability at E0 must be positive",
     " A1=?, B1=?, C=?, D=?, Z1=?"},
    {"ConstantsWithDecimalCommas", &Answers::constants, "0,8 -0,2 0,001 5,0 1,0",
     "0.8 -0.2 0.001 5.0 1.0",
     "line 1 (A1, B1, C, D, Z1: compression and permeability constants): this line holds 10 "
     "numbers but A1, B1, C, D, Z1 take five: a decimal comma? write 0.8",
     " A1=?, B1=?, C=?, D=?, Z1=?"},
    {"UnreadableConstant", &Answers::constants, "0.8 -0.2 abc 5.0 1.0", "0.8 -0.2 0.001 5.0 1.0",
     "line 1 (C, permeability coefficient): 'abc' is not a number", " A1=?, B1=?, C=?, D=?, Z1=?"},
    {"DesiccationOff", &Answers::ides, "0", "2",
     "line 2 (IDES, 3-D desiccation considered?): IDES = 0 is refused: answer 1 (yes) or 2 (no)",
     " IS THE 3-D DESSICATION CONSIDERED IN THIS CASE?"},
    {"DesiccationBeyondTheHiddenCode", &Answers::ides, "4", "2",
     "line 2 (IDES, 3-D desiccation considered?): IDES = 4 is refused: answer 1 (yes) or 2 (no)",
     " IS THE 3-D DESSICATION CONSIDERED IN THIS CASE?"},
    {"DesiccationNotAnInteger", &Answers::ides, "2.5", "2",
     "line 2 (IDES, 3-D desiccation considered?): '2.5' is not an integer",
     " IS THE 3-D DESSICATION CONSIDERED IN THIS CASE?"},
    // The switch after the tolerances is asked without a prompt.
    {"DesiccationAfterTheTolerances", &Answers::ides, "3\n1e-6\n1e-4\n3", "2",
     "line 5 (IDES, 3-D desiccation considered?, asked again after the tolerances): IDES = 3 is "
     "refused: answer 1 (yes) or 2 (no)",
     nullptr, nullptr, "3\n1e-6\n1e-4\n2"},
    {"ZeroSpecificGravity", &Answers::gs, "0", "2.65",
     "line 3 (GS, specific gravity of the solids): GS = 0 is refused: the specific gravity of the "
     "solids must be positive",
     " SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?"},
    {"SolidsAndWaterOnOneLine", &Answers::gs, "2.65 9.81", "2.65",
     "line 3 (GS, specific gravity of the solids): this line holds 2 numbers but GS takes one: GS "
     "and GW are asked on separate lines",
     " SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?"},
    {"UnreadableSpecificGravity", &Answers::gs, "y", "2.65",
     "line 3 (GS, specific gravity of the solids): 'y' is not a number",
     " SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?"},
    {"NegativeUnitWeight", &Answers::gw, "-9.81", "9.81",
     "line 4 (GW, unit weight of water): GW = -9.81 is refused: the unit weight of water must be "
     "positive",
     " SPECIFY THE UNIT WEITHT OF WATER, GW=?"},
    {"NegativeHeight", &Answers::h0, "-1", "5.0",
     "line 5 (H0, initial height of the slurry): H0 = -1 is refused: the initial height must not "
     "be negative",
     " SPECIFY INITIAL HEIGHT OF SLURRY, H0=?"},
    {"HeightWithADecimalComma", &Answers::h0, "1,5", "1.5",
     "line 5 (H0, initial height of the slurry): this line holds 2 numbers but H0 takes one: a "
     "decimal comma? write 1.5",
     " SPECIFY INITIAL HEIGHT OF SLURRY, H0=?"},
    // The height is answered already: the filling question is asked again.
    {"ZeroHeightWithoutFilling", &Answers::ifil, "2", "1\n0",
     "line 6 (IFIL, staged filling on top?): H0 = 0 is refused: a layer of no height needs staged "
     "filling (IFIL = 1)",
     " IS STAGED FILLING PROCESS CONSIDERED ON TOP?", zero_height},
    {"FillingAnswerOutsideTheMenu", &Answers::ifil, "3", "1\n0",
     "line 6 (IFIL, staged filling on top?): IFIL = 3 is refused: answer 1 (yes) or 2 (no)",
     " IS STAGED FILLING PROCESS CONSIDERED ON TOP?", zero_height},
    {"TopAnswerZero", &Answers::itop, "0", "2",
     "line 7 (ITOP, top boundary condition): ITOP = 0 is refused: answer 1 (evaporation rate) or 2 "
     "(surcharge)",
     " \t2= SURCHARGE (UNIT IN STRESS)"},
    {"TopAnswerSeven", &Answers::itop, "7", "2",
     "line 7 (ITOP, top boundary condition): ITOP = 7 is refused: answer 1 (evaporation rate) or 2 "
     "(surcharge)",
     " \t2= SURCHARGE (UNIT IN STRESS)"},
    {"BottomAnswerZero", &Answers::ibot, "0", "1",
     "line 9 (IBOT, bottom boundary condition): IBOT = 0 is refused: answer 1 (impervious), 2 "
     "(pressure head), 3 (pervious) or 4 (velocity)",
     "     4= VELOCITY (NON-ZERO VELOCITY)"},
    {"BottomAnswerFive", &Answers::ibot, "5", "1",
     "line 9 (IBOT, bottom boundary condition): IBOT = 5 is refused: answer 1 (impervious), 2 "
     "(pressure head), 3 (pervious) or 4 (velocity)",
     "     4= VELOCITY (NON-ZERO VELOCITY)"},
    {"BottomAnswerSix", &Answers::ibot, "6", "1",
     "line 9 (IBOT, bottom boundary condition): IBOT = 6 is refused: answer 1 (impervious), 2 "
     "(pressure head), 3 (pervious) or 4 (velocity)",
     "     4= VELOCITY (NON-ZERO VELOCITY)"},
    // E0 = 0.8 * 1^-0.2 = 0.8.
    {"MinimumVoidRatioAtTheFreshVoidRatio", &Answers::me, "0.8", "0.5",
     "line 10 (ME, minimum void ratio): ME = 0.8 is refused: the minimum void ratio must lie below "
     "the void ratio of the fresh slurry, E0 = A1*Z1^B1 = 0.8",
     " SPECIFY THE MINIMUM VOID RATIO, ME=?"},
    {"MinimumVoidRatioAboveTheFreshVoidRatio", &Answers::me, "2.5", "0.5",
     "line 10 (ME, minimum void ratio): ME = 2.5 is refused: the minimum void ratio must lie below "
     "the void ratio of the fresh slurry, E0 = A1*Z1^B1 = 0.8",
     " SPECIFY THE MINIMUM VOID RATIO, ME=?"},
    {"ZeroMaximumInterval", &Answers::maxdt, "0", "1.0",
     "line 15 (MAXDT, maximum time interval): MAXDT = 0 is refused: the maximum time interval must "
     "be positive",
     " SPECIFY THE MAXIMUM TIME INTERVAL, MAXDT=?"},
    {"TooManyOutputTimes", &Answers::no, "51", "2",
     "line 12 (NO, number of output times): NO = 51 is refused: at most 50 output times",
     " MAXIMUM=50"},
    {"NegativeOutputTimes", &Answers::no, "-3", "2",
     "line 12 (NO, number of output times): NO = -3 is refused: the number of output times is "
     "negative",
     " MAXIMUM=50"},
    // Only the output time refused is asked again.
    {"OutputTimeAtTheStart", &Answers::opts, "10", "20\n100",
     "line 13 (OPT(1), output time 1): OPT(1) = 10 is refused: output times must come after the "
     "starting time TS = 10",
     " (IN ASSENDING ORDER)", [](Answers& a) { a.ts = "10"; }, "20\n100"},
    {"OutputTimesRepeated", &Answers::opts, "10\n10", "100",
     "line 14 (OPT(2), output time 2): OPT(2) = 10 is refused: output times must ascend (OPT(1) = "
     "10)",
     " (IN ASSENDING ORDER)", nullptr, "10\n100"},
    {"OutputTimesFalling", &Answers::opts, "100\n10", "1000",
     "line 14 (OPT(2), output time 2): OPT(2) = 10 is refused: output times must ascend (OPT(1) = "
     "100)",
     " (IN ASSENDING ORDER)", nullptr, "100\n1000"},
    {"TwoOutputTimesOnOneLine", &Answers::opts, "10 100", "10\n100",
     "line 13 (OPT(1), output time 1): this line holds 2 numbers but OPT(1) takes one: OPT(1) and "
     "OPT(2) are asked on separate lines",
     " (IN ASSENDING ORDER)"},
    {"ContinuationAnswerOutsideTheMenu", &Answers::icont, "3", "2",
     "line 16 (ICONT, continue the last run?): ICONT = 3 is refused: answer 1 (continue the last "
     "run) or 2 (a new run)",
     " 1=YES,2=NO"},
    {"SinglePair", &Answers::pairs, "1", "2\n1.8 10\n3.0 0",
     "line 17 (ND, number of void ratio-elevation pairs): ND = 1 is refused: a continued run needs "
     "at least 2 pairs",
     " SPECIFY THE NUMBER OF NODAL VOID RATIO-ELEVATION, ND=?", continued},
    {"TooManyPairs", &Answers::pairs, "20001", "2\n1.8 10\n3.0 0",
     "line 17 (ND, number of void ratio-elevation pairs): ND = 20001 is refused: at most 20000 "
     "pairs",
     " SPECIFY THE NUMBER OF NODAL VOID RATIO-ELEVATION, ND=?", continued},
    // Only the pair refused is asked again; the count and the pairs before it stand.
    {"PairsOfEqualElevation", &Answers::pairs, "3\n1.8 10\n2.5 10", "2.5 5\n3.0 0",
     "line 19 (z(2), elevation of pair 2 from the top): z(2) = 10 is refused: elevations must fall "
     "from pair to pair, the top of the layer first (z(1) = 10)",
     " INPUT THE VOID RATIOS AND ELEVATIONS", continued, "3\n1.8 10\n2.5 5\n3.0 0"},
    {"PairsTypedFromTheBottomUp", &Answers::pairs, "3\n3.0 0\n2.5 5", "2.5 -5\n1.8 -10",
     "line 19 (z(2), elevation of pair 2 from the top): z(2) = 5 is refused: elevations must fall "
     "from pair to pair, the top of the layer first (z(1) = 0)",
     " INPUT THE VOID RATIOS AND ELEVATIONS", continued, "3\n3.0 0\n2.5 -5\n1.8 -10"},
    {"PairWithAThirdNumber", &Answers::pairs, "2\n1.8 10 3", "1.8 10\n3.0 0",
     "line 18 (e(1), z(1): void ratio-elevation pair 1 from the top): this line holds 3 numbers "
     "but "
     "e(1), z(1) take two",
     " INPUT THE VOID RATIOS AND ELEVATIONS", continued, "2\n1.8 10\n3.0 0"},
    {"ZeroCrackingDivisor", &Answers::desiccation, "0.9 -0.15\n1 0.5 2 0", "1 0.5 2 4\n0.01\n1.2",
     "line 4 (CRD, cracking constant d): CRD = 0 is refused: the cracking constant d must not be "
     "zero",
     " a=?, b=?, c=?, d=?", desiccating, "0.9 -0.15\n1 0.5 2 4\n0.01\n1.2"},
    {"NonPositiveCrackingBase", &Answers::desiccation, "0.9 -0.15\n0 0.5 2 4",
     "1 0.5 2 4\n0.01\n1.2",
     "line 4 (CRA, cracking constant a): CRA = 0 is refused: the cracking function needs a + b*s > "
     "0 at s = 0",
     " a=?, b=?, c=?, d=?", desiccating, "0.9 -0.15\n1 0.5 2 4\n0.01\n1.2"},
    {"NegativeCrackOnset", &Answers::desiccation, "0.9 -0.15\n1 0.5 1 -0.5", "1 0.5 2 4\n0.01\n1.2",
     "line 4 (CRD, cracking constant d): CRD = -0.5 is refused: the crack-onset void ratio at s = "
     "0 "
     "would be -1",
     " a=?, b=?, c=?, d=?", desiccating, "0.9 -0.15\n1 0.5 2 4\n0.01\n1.2"},
    {"InfiniteCrackOnset", &Answers::desiccation, "0.9 -0.15\n0.5 0.5 2000 4",
     "1 0.5 2 4\n0.01\n1.2",
     "line 4 (CRC, cracking constant c): CRC = 2000 is refused: the crack-onset void ratio at s = "
     "0 "
     "would be Infinity",
     " a=?, b=?, c=?, d=?", desiccating, "0.9 -0.15\n1 0.5 2 4\n0.01\n1.2"},
};

Answers refused_answers(const RefusalCase& c) {
  Answers a;
  if (c.setup != nullptr) c.setup(a);
  a.*c.field = c.bad;
  return a;
}

class Refusal : public DialogTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, EndsABatchRunWithTheMessage) {
  const RunStop stop = stop_of(refused_answers(GetParam()));
  EXPECT_EQ(stop.kind(), StopKind::BadInput);
  EXPECT_EQ(stop.lines(), std::vector<std::string>{GetParam().message});
  EXPECT_EQ(errors.str(), "");  // the stop carries the message; nothing is written twice
}

// At a terminal the refused question is asked again, prompt and all; "input"
// then holds exactly what a run answered right the first time holds.
TEST_P(Refusal, AsksAgainAtATerminal) {
  const RefusalCase& c = GetParam();
  Answers retried = refused_answers(c);
  retried.*c.field += std::string("\n") + c.retry;
  run(retried, true);
  EXPECT_EQ(errors.str(), std::string(c.message) + "\n");

  if (c.prompt != nullptr) {
    const std::string cons = console.str();
    const std::string prompt = std::string(c.prompt) + "\n";
    const std::size_t first = cons.find(prompt);
    ASSERT_NE(first, std::string::npos);
    const std::size_t second = cons.find(prompt, first + prompt.size());
    EXPECT_NE(second, std::string::npos) << "prompt not repeated";
    EXPECT_EQ(cons.find(prompt, second + prompt.size()), std::string::npos);
  }

  Answers clean = refused_answers(c);
  clean.*c.field = c.clean != nullptr ? c.clean : c.retry;
  std::ostringstream clean_input;
  Outputs clean_out;
  clean_out.input.attach(clean_input);
  auto q = std::make_unique<RunDefinition>();
  std::istringstream in(clean.text());
  run_dialog(in, clean_out, false, *q);
  EXPECT_EQ(input.str(), clean_input.str());
}

INSTANTIATE_TEST_SUITE_P(Answers, Refusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, InteractiveEndOfInputDuringARetryEndsTheRun) {
  try {
    run("0.8 -0.2 0.001 5.0 1.0\n2\n0\n", true);
    ADD_FAILURE() << "the dialog ended without a stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::BadInput);
    EXPECT_EQ(stop.lines(),
              std::vector<std::string>{
                  "line 4 (GS, specific gravity of the solids): no answer: the input ends after "
                  "line 3"});
  }
}

TEST_F(DialogTest, ValuesThatMayBeIntendedAreKept) {
  Answers a;
  a.no = "0";
  a.opts = "";
  a.itop = "1";
  a.top_value = "0";
  a.ibot = "4";
  a.bottom_value = "0";
  run(a);
  EXPECT_EQ(p->NO, 0);
  for (int i = 1; i <= MAXSTAGE; ++i) EXPECT_EQ(p->OPT[i], -1.0);
  EXPECT_EQ(p->bc.VT, 0.0);
  EXPECT_EQ(p->bc.IBOT, BottomBoundary::Velocity);
  EXPECT_EQ(errors.str(), "");
  EXPECT_NE(input.str().find("   0\t        NUMBER OF OUTPUT FILES\n 1.0000    \tMAXIMUM"),
            std::string::npos);
}

TEST_F(DialogTest, EndOfInputNamesTheLineAndTheValueMissing) {
  Answers c;
  c.icont = "1";
  c.pairs = "2\n1.8 10\n3.0";
  EXPECT_EQ(stop_of(c).lines(),
            std::vector<std::string>{"line 20 (z(2), elevation of pair 2 from the top): no answer: "
                                     "the input ends after line 19"});
}

// At a terminal an unreadable answer is asked again like a refused one, as
// often as it takes; "input" holds only the answers taken.
TEST_F(DialogTest, TerminalAsksAgainUntilTheAnswerReads) {
  Answers a;
  a.gs = "abc\n2,65\n2.65 9.81\n2.65";
  run(a, true);
  EXPECT_EQ(errors.str(),
            "line 3 (GS, specific gravity of the solids): 'abc' is not a number\n"
            "line 4 (GS, specific gravity of the solids): this line holds 2 numbers but GS takes "
            "one: a decimal comma? write 2.65\n"
            "line 5 (GS, specific gravity of the solids): this line holds 2 numbers but GS takes "
            "one: GS and GW are asked on separate lines\n");
  EXPECT_EQ(count_of(console.str(), " SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?\n"), 4);
  EXPECT_EQ(p->GS, 2.65);
  EXPECT_EQ(p->GW, 9.81);
  std::ostringstream clean;
  Outputs clean_out;
  clean_out.input.attach(clean);
  auto q = std::make_unique<RunDefinition>();
  std::istringstream in(Answers{}.text());
  run_dialog(in, clean_out, false, *q);
  EXPECT_EQ(input.str(), clean.str());
}

}  // namespace
}  // namespace slurry1d
