// Answer files as people write them, run as a user runs them: the habits that
// used to give a wrong run without a word (a decimal comma, two answers on one
// line, a code off the menu, a compression curve that rises, a minimum void
// ratio above the fresh one, an answer file named "input") end with status 2
// and a message naming the line and the answer, before any result file is
// made; the forms that must keep working (notes after the values, a byte-order
// mark, Windows line ends, the program's own echo and restart records read
// back) give exactly the files of the plain answers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kSoil = "7.0 -0.2 6.8e-8 4.0 0.1\n";  // E0 = 7 * 0.1^-0.2 = 11.094...

// A fresh 10 m slurry under self-weight to day 50; `top` and `bottom` are the
// answers from the top boundary code to the bottom boundary value, `rest`
// those from the minimum void ratio to the continuation switch.
std::string new_run(const std::string& top = "2\n0.0\n", const std::string& bottom = "1\n",
                    const std::string& rest = "1.0\n0.0\n2\n20.0\n50.0\n20.0\n2\n") {
  return kSoil + "2\n2.65\n9.81\n10.0\n2\n" + top + bottom + rest;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string last_line(const ProgramRun& run, const std::string& file) {
  const auto lines = run.lines(file);
  return lines.empty() ? std::string() : lines.back();
}

struct Refused {
  const char* name;
  std::string answers;
  const char* message;    // the whole line on stderr, after "slurry1d: "
  const char* last_echo;  // the end of the last record in "input"; "" for none
};

void PrintTo(const Refused& c, std::ostream* os) {
  *os << c.name;
}

class RefusedAnswers : public ::testing::TestWithParam<Refused> {};

// Status 2, the one message, "input" holding the answers taken, no result file.
TEST_P(RefusedAnswers, EndWithStatusTwoAndTheMessage) {
  const Refused& c = GetParam();
  const ProgramRun run = run_program(c.answers);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, std::string("slurry1d: ") + c.message + "\n");
  for (const char* name : {"vd.out", "ts.out", "tc.out"}) EXPECT_FALSE(run.has_file(name)) << name;
  ASSERT_TRUE(run.has_file("input"));
  if (*c.last_echo == '\0') {
    EXPECT_EQ(run.file("input"), "");
  } else {
    EXPECT_TRUE(last_line(run, "input").ends_with(c.last_echo)) << run.file("input");
  }
}

const std::string kDesiccation = "1.0 0.01 1.0 0.1\n0.0\n3.0\n";

INSTANTIATE_TEST_SUITE_P(
    Habits, RefusedAnswers,
    ::testing::Values(
        Refused{"DecimalComma", kSoil + "2\n2.65\n9.81\n1,5   H0 (m)\n2\n",
                "line 5 (H0, initial height of the slurry): this line holds 2 numbers but H0 "
                "takes one: a decimal comma? write 1.5",
                "UNIT WEIGHT OF WATER"},
        Refused{"DecimalCommasInTheConstants", "7,0 -0,2 6,8e-8 4,0 0,1\n",
                "line 1 (A1, B1, C, D, Z1: compression and permeability constants): this line "
                "holds 10 numbers but A1, B1, C, D, Z1 take five: a decimal comma? write 7.0",
                ""},
        Refused{"TwoValuesOnOneLine", kSoil + "2\n2.65 9.81\n10.0\n",
                "line 3 (GS, specific gravity of the solids): this line holds 2 numbers but GS "
                "takes one: GS and GW are asked on separate lines",
                "3-D DESSICATION STATUS"},
        Refused{"NoteBeginningWithANumber", kSoil + "2\n2.65\n9.81\n10.0   10 m of slurry\n",
                "line 5 (H0, initial height of the slurry): this line holds 2 numbers but H0 "
                "takes one: H0 and IFIL are asked on separate lines; a note after the values must "
                "not begin with a number",
                "UNIT WEIGHT OF WATER"},
        Refused{"UnreadableAnswerAfterABlankLine", kSoil + "2\n2.65\n\nwater\n",
                "line 5 (GW, unit weight of water): 'water' is not a number",
                "SPECIFIC GRAVITY OF SOLIDS"},
        Refused{"InputEndingEarly", kSoil + "2\n2.65\n9.81\n10.0\n2\n2\n",
                "line 8 (LT, surcharge on the top): no answer: the input ends after line 7",
                "TOP BOUNDARY CONDITION"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    CodesOffTheMenu, RefusedAnswers,
    ::testing::Values(
        Refused{"DesiccationZero", kSoil + "0\n",
                "line 2 (IDES, 3-D desiccation considered?): IDES = 0 is refused: answer 1 (yes) "
                "or 2 (no)",
                "A1,B1,C,D,Z1"},
        Refused{"DesiccationFour", kSoil + "4\n1e-6\n",
                "line 2 (IDES, 3-D desiccation considered?): IDES = 4 is refused: answer 1 (yes) "
                "or 2 (no)",
                "A1,B1,C,D,Z1"},
        Refused{"DesiccationAfterTheToleranceThree", kSoil + "3\n1e-6\n1e-4\n3\n",
                "line 5 (IDES, 3-D desiccation considered?, asked again after the tolerances): "
                "IDES = 3 is refused: answer 1 (yes) or 2 (no)",
                "3-D DESSICATION STATUS"},
        Refused{"FillingZero", kSoil + "2\n2.65\n9.81\n10.0\n0\n",
                "line 6 (IFIL, staged filling on top?): IFIL = 0 is refused: answer 1 (yes) or 2 "
                "(no)",
                "INITIAL HEIGHT OF SOIL"},
        Refused{"FillingThree", kSoil + "2\n2.65\n9.81\n10.0\n3\n1\n0.0 10.0 0.1\n",
                "line 6 (IFIL, staged filling on top?): IFIL = 3 is refused: answer 1 (yes) or 2 "
                "(no)",
                "INITIAL HEIGHT OF SOIL"},
        Refused{"TopZero", new_run("0\n0.001\n"),
                "line 7 (ITOP, top boundary condition): ITOP = 0 is refused: answer 1 "
                "(evaporation rate) or 2 (surcharge)",
                "STAGE FILLING STATUS"},
        Refused{"TopThree", new_run("3\n0.0\n"),
                "line 7 (ITOP, top boundary condition): ITOP = 3 is refused: answer 1 "
                "(evaporation rate) or 2 (surcharge)",
                "STAGE FILLING STATUS"},
        Refused{"TopSeven", new_run("7\n0.0\n"),
                "line 7 (ITOP, top boundary condition): ITOP = 7 is refused: answer 1 "
                "(evaporation rate) or 2 (surcharge)",
                "STAGE FILLING STATUS"},
        Refused{"BottomZero", new_run("2\n0.0\n", "0\n1.0\n"),
                "line 9 (IBOT, bottom boundary condition): IBOT = 0 is refused: answer 1 "
                "(impervious), 2 (pressure head), 3 (pervious) or 4 (velocity)",
                "TOP BOUNDARY CONDITION VALUES"},
        Refused{"BottomFive", new_run("2\n0.0\n", "5\n1.0\n"),
                "line 9 (IBOT, bottom boundary condition): IBOT = 5 is refused: answer 1 "
                "(impervious), 2 (pressure head), 3 (pervious) or 4 (velocity)",
                "TOP BOUNDARY CONDITION VALUES"},
        Refused{"BottomSix", new_run("2\n0.0\n", "6\n1.0\n"),
                "line 9 (IBOT, bottom boundary condition): IBOT = 6 is refused: answer 1 "
                "(impervious), 2 (pressure head), 3 (pervious) or 4 (velocity)",
                "TOP BOUNDARY CONDITION VALUES"},
        Refused{"ContinuationThree", new_run("2\n0.0\n", "1\n", "1.0\n0.0\n1\n50.0\n20.0\n3\n"),
                "line 15 (ICONT, continue the last run?): ICONT = 3 is refused: answer 1 "
                "(continue the last run) or 2 (a new run)",
                "MAXIMUM TIME INTERVAL"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Soil, RefusedAnswers,
    ::testing::Values(
        Refused{"RisingCompressionCurve", "7.0 0.2 6.8e-8 4.0 0.1\n2\n",
                "line 1 (B1, compression exponent): B1 = 0.2 is refused: the compression exponent "
                "must be negative (a compression curve falls with stress)",
                ""},
        Refused{"MinimumVoidRatioAboveTheFreshOne",
                new_run("2\n0.0\n", "1\n", "12.0\n0.0\n2\n20.0\n50.0\n20.0\n2\n"),
                "line 10 (ME, minimum void ratio): ME = 12 is refused: the minimum void ratio must "
                "lie below the void ratio of the fresh slurry, E0 = A1*Z1^B1 = 11.094252347227796",
                "BOTTOM BOUNDARY CONDITION"},
        Refused{"MinimumVoidRatioOfADesiccationRun",
                kSoil + "1\n5.0 -0.1\n" + kDesiccation + "2.65\n9.81\n1.0\n2\n1\n1e-3\n1\n11.5\n",
                "line 14 (ME, minimum void ratio): ME = 11.5 is refused: the minimum void ratio "
                "must lie below the void ratio of the fresh slurry, E0 = A1*Z1^B1 = "
                "11.094252347227796",
                "BOTTOM BOUNDARY CONDITION"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Answers that must keep working give the files of the plain answers.

// A plain answer file without notes: the self-weight example's values.
const std::string kPlain =
    "7.0 -0.2 6.8e-7 4.0 0.1\n2\n2.65\n9.81\n10.0\n2\n2\n0.0\n1\n1.0\n0.0\n4\n1000.0\n3000.0\n"
    "10000.0\n100000.0\n50.0\n2\n";

std::string with_crlf(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void expect_same_run(const ProgramRun& run, const ProgramRun& plain) {
  EXPECT_EQ(run.status, plain.status);
  EXPECT_EQ(run.errors, plain.errors);
  EXPECT_EQ(run.console, plain.console);
  for (const char* name : {"input", "vd.out", "ts.out", "tc.out"}) {
    EXPECT_EQ(run.file(name), plain.file(name)) << name;
  }
}

const ProgramRun& plain_run() {
  static const ProgramRun run = run_program(kPlain);
  return run;
}

TEST(AcceptedAnswers, PlainAnswersEndNormally) {
  EXPECT_EQ(plain_run().status, 0) << plain_run().errors;
  EXPECT_EQ(plain_run().errors, "");
}

TEST(AcceptedAnswers, NotesAfterTheValuesAreTheExampleItself) {
  expect_same_run(run_example("self_weight.txt"), plain_run());
}

TEST(AcceptedAnswers, ByteOrderMarkAndWindowsLineEnds) {
  const std::string noted = example("self_weight.txt");
  for (const std::string& answers :
       {"\xEF\xBB\xBF" + kPlain, with_crlf(kPlain), "\xEF\xBB\xBF" + with_crlf(noted)}) {
    expect_same_run(run_program(answers), plain_run());
  }
}

// The echo of a finished run is itself an answer file: every record holds its
// values and then its label, and what follows the last answer (the node count,
// the final profile) is never read. These answers are exact in five digits, so
// the run is the same to the last byte.
TEST(AcceptedAnswers, EchoFileReadsBackAsTheSameAnswers) {
  for (const char* name : {"self_weight.txt", "drying_crust.txt", "staged_filling.txt"}) {
    const ProgramRun first = run_example(name);
    ASSERT_EQ(first.status, 0) << name << first.errors;
    expect_same_run(run_program(first.file("input")), first);
  }
}

// The pair lines a finished run appends to "input", copied as they stand after
// the count of a continued run, read as its starting profile: the same run as
// the bundled continued example, made from them.
TEST(AcceptedAnswers, RestartLinesCopiedFromTheEchoFileContinueTheRun) {
  const ProgramRun earlier = run_example("self_weight.txt");
  std::vector<std::string> pair_lines;
  bool in_profile = false;
  for (const std::string& line : earlier.lines("input")) {
    if (contains(line, "FINAL HEIGHT OF SOIL")) break;
    if (in_profile) pair_lines.push_back(line);
    if (contains(line, "NUMBER OF NODE")) in_profile = true;
  }
  ASSERT_EQ(pair_lines.size(), 51u);

  std::istringstream example_lines(example("continued_run.txt"));
  std::string answers;
  for (std::string line; std::getline(example_lines, line);) {
    answers += line + "\n";
    if (contains(line, "ND, number of")) break;
  }
  for (const std::string& line : pair_lines) answers += line + "\n";
  const ProgramRun later = run_program(answers);
  EXPECT_EQ(later.status, 0) << later.errors;
  const ProgramRun bundled = run_example("continued_run.txt");
  for (const char* name : {"vd.out", "ts.out"}) EXPECT_EQ(later.file(name), bundled.file(name));
}

// ---------------------------------------------------------------------------
// An answer file that is one of the run's own files.

struct OwnFileRun {
  ProgramRun run;
  std::string answers_after;
};

// Runs the program in a fresh directory on answers that stand in the file
// `answers_name` there, redirected from `redirect` (a name of the same file
// or of another one).
OwnFileRun run_on_file(const std::string& answers_name, const std::string& redirect,
                       bool hard_link = false) {
  OwnFileRun r;
  r.run.dir = scratch_directory();
  const fs::path answers = r.run.dir / answers_name;
  fs::create_directories(answers.parent_path());
  { std::ofstream(answers, std::ios::binary) << kPlain; }
  if (hard_link) fs::create_hard_link(answers, r.run.dir / redirect);
  const std::string command = "cd '" + r.run.dir.string() + "' && '" SLURRY1D_EXE "' < '" +
                              redirect + "' > console.txt 2> errors.txt";
  const int raw = std::system(command.c_str());
  r.run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.run.console = read_file(r.run.dir / "console.txt");
  r.run.errors = read_file(r.run.dir / "errors.txt");
  r.answers_after = read_file(answers);
  return r;
}

std::string overwrite_message(const std::string& name) {
  return "slurry1d: the answers are read from \"" + name +
         "\", a file this run writes: it would be overwritten. Copy the answers to a file of "
         "another name, or run the case in a directory of its own\n";
}

TEST(OwnFiles, AnswersNamedInputAreRefusedAndLeftAsTheyWere) {
  const OwnFileRun r = run_on_file("input", "input");
  EXPECT_EQ(r.run.status, 2);
  EXPECT_EQ(r.run.errors, overwrite_message("input"));
  EXPECT_EQ(r.answers_after, kPlain);
  EXPECT_EQ(r.run.console, "");
  for (const char* name : {"vd.out", "ts.out", "tc.out"}) EXPECT_FALSE(r.run.has_file(name));
}

TEST(OwnFiles, AnotherNameOfTheSameFileIsRefused) {
  const OwnFileRun r = run_on_file("answers.txt", "input", /*hard_link=*/true);
  EXPECT_EQ(r.run.status, 2);
  EXPECT_EQ(r.run.errors, overwrite_message("input"));
  EXPECT_EQ(r.answers_after, kPlain);
}

TEST(OwnFiles, AnswersNamedAsAResultFileAreRefusedBeforeTheEchoIsCreated) {
  const OwnFileRun r = run_on_file("ts.out", "ts.out");
  EXPECT_EQ(r.run.status, 2);
  EXPECT_EQ(r.run.errors, overwrite_message("ts.out"));
  EXPECT_EQ(r.answers_after, kPlain);
  EXPECT_FALSE(r.run.has_file("input"));
}

// A file named "input" elsewhere is another file: the run goes ahead.
TEST(OwnFiles, AnswersNamedInputInAnotherDirectoryRun) {
  const OwnFileRun r = run_on_file("case/input", "case/input");
  EXPECT_EQ(r.run.status, 0) << r.run.errors;
  EXPECT_EQ(r.answers_after, kPlain);
  EXPECT_EQ(r.run.file("input"), plain_run().file("input"));
}

}  // namespace
}  // namespace slurry1d::e2e
