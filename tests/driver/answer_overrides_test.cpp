#include "driver/answer_overrides.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace slurry1d {
namespace {

struct NameCase {
  std::string name;
  std::string refusal;  // a part of the refusal; "" when the name can be set
};

// Names as the dialog's messages write them, with a table's index in
// parentheses; switches, counts, other spellings and indices out of range
// are refused with a reason.
TEST(AnswerOverrides, NamesAreMatchedAsTheMessagesWriteThem) {
  const std::vector<NameCase> cases = {
      {"GS", ""},
      {"GW", ""},
      {"C", ""},
      {"H0", ""},
      {"LT", ""},
      {"VB", ""},
      {"HB", ""},
      {"MAXDT", ""},
      {"ERROR1", ""},
      {"CRD", ""},
      {"OPT(3)", ""},
      {"OPT(1)", ""},
      {"OPT(50)", ""},
      {"TBF(2)", ""},
      {"TEF(50)", ""},
      {"FRH(1)", ""},
      {"e(1)", ""},
      {"z(20000)", ""},
      {"gs", "names are written as its messages write them, GS"},
      {"Maxdt", "write them, MAXDT"},
      {"opt(3)", "write them, OPT(i)"},
      {"E(1)", "write them, e(k)"},
      {"OPT(0)", "counted from 1, OPT(1) to OPT(50)"},
      {"OPT(51)", "counted from 1, OPT(1) to OPT(50)"},
      {"OPT(03)", "counted from 1"},
      {"OPT(-1)", "counted from 1"},
      {"OPT()", "counted from 1"},
      {"OPT(3", "is not a name the program asks"},
      {"OPT", "OPT needs the index of the output time: OPT(1) to OPT(50)"},
      {"TBF", "TBF needs the index of the filling stage"},
      {"z(20001)", "z(1) to z(20000)"},
      {"GS(1)", "GS takes no index"},
      {"IDES", "IDES is a switch: its answer decides which questions follow"},
      {"IFIL", "IFIL is a switch"},
      {"ITOP", "ITOP is a switch"},
      {"IBOT", "IBOT is a switch"},
      {"ICONT", "ICONT is a switch"},
      {"NS", "NS is a count"},
      {"NO", "NO is a count"},
      {"ND", "ND is a count"},
      {"E0", "'E0' is not a name the program asks"},
      {"XYZ", "'XYZ' is not a name the program asks"},
      {"", "no name"},
  };
  for (const NameCase& c : cases) {
    const std::string refusal = settable_name_refusal(c.name);
    if (c.refusal.empty()) {
      EXPECT_EQ(refusal, "") << c.name;
    } else {
      EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.name << ": " << refusal;
    }
  }
}

TEST(AnswerOverrides, ValuesAreReadAsTheAnswerFileReadsThem) {
  struct ValueCase {
    std::string assignment;
    double value;
  };
  for (const ValueCase& c : std::vector<ValueCase>{{"GS=2.75", 2.75},
                                                   {"C=6.8e-7", 6.8e-7},
                                                   {"C=6.8D-7", 6.8e-7},
                                                   {"LT=+20", 20.0},
                                                   {"TS=-5", -5.0},
                                                   {"OPT(2)=3000", 3000.0}}) {
    AnswerOverrides set;
    EXPECT_EQ(set.add(c.assignment), "") << c.assignment;
    ASSERT_EQ(set.all().size(), 1u);
    EXPECT_EQ(set.all()[0].value, c.value) << c.assignment;
    EXPECT_EQ(set_option_text(set.all()[0]), "--set " + c.assignment);
  }
}

TEST(AnswerOverrides, RefusedAssignmentsSayWhy) {
  const std::vector<NameCase> cases = {
      {"GS", "--set GS is refused: --set takes NAME=VALUE, as in --set GS=2.75"},
      {"GS=", "--set GS= is refused: '' is not a number"},
      {"GS=2,75", "--set GS=2,75 is refused: '2,75' is not a number"},
      {"GS=nan", "'nan' is not a number"},
      {"GS=2.75 kN", "'2.75 kN' is not a number"},
      {"=2.75", "--set =2.75 is refused: no name before '='"},
      {"NO=3", "--set NO=3 is refused: NO is a count"},
  };
  for (const NameCase& c : cases) {
    AnswerOverrides set;
    const std::string why = set.add(c.name);
    EXPECT_NE(why.find(c.refusal), std::string::npos) << c.name << ": " << why;
    EXPECT_TRUE(set.empty()) << c.name;
  }
}

TEST(AnswerOverrides, EachNameIsSetOnceAndFoundByItsExactName) {
  AnswerOverrides set;
  EXPECT_EQ(set.add("GS=2.75"), "");
  EXPECT_EQ(set.add("OPT(3)=5000"), "");
  EXPECT_NE(set.add("GS=2.8").find("--set GS=2.8 is refused: GS is set twice"), std::string::npos);
  ASSERT_NE(set.find("GS"), nullptr);
  EXPECT_EQ(set.find("GS")->value, 2.75);
  ASSERT_NE(set.find("OPT(3)"), nullptr);
  EXPECT_EQ(set.find("OPT(3)")->text, "5000");
  EXPECT_EQ(set.find("OPT(30)"), nullptr);
  EXPECT_EQ(set.find("gs"), nullptr);
  EXPECT_EQ(set.all().size(), 2u);
}

TEST(AnswerOverrides, TheListOfNamesFollowsTheDialog) {
  const std::string names = settable_names_text();
  EXPECT_EQ(names.rfind("A1, B1, C, D, Z1, ERROR, ERROR1, ", 0), 0u) << names;
  EXPECT_NE(names.find("GS, GW, H0, TBF(i), TEF(i), FRH(i), VT, LT, VB, HB, ME, TS, OPT(i), "
                       "MAXDT, e(k), z(k)"),
            std::string::npos)
      << names;
  for (const char* fixed : {"IDES", "IFIL", "NS,", "ITOP", "IBOT", "NO,", "ICONT", "ND"}) {
    EXPECT_EQ(names.find(fixed), std::string::npos) << fixed;
  }
}

}  // namespace
}  // namespace slurry1d
