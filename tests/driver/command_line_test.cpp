#include "driver/command_line.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace slurry1d {
namespace {

// The command line after the program's name, read into options.
struct Parsed {
  std::optional<int> status;
  ProgramOptions options;
  std::string out, err;
};

Parsed parse(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv = {"slurry1d"};
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  Parsed p;
  std::ostringstream out, err;
  p.status = handle_command_line(argv, out, err, p.options);
  p.out = out.str();
  p.err = err.str();
  return p;
}

TEST(CommandLineOptions, WithoutArgumentsTheProgramReadsStandardInputAsToday) {
  const Parsed p = parse({});
  EXPECT_FALSE(p.status);
  EXPECT_FALSE(p.options.answers_file);
  EXPECT_EQ(p.options.output_dir, ".");
  EXPECT_FALSE(p.options.quiet);
  EXPECT_TRUE(p.options.overrides.empty());
  EXPECT_FALSE(p.options.says_how_the_run_ended());
  EXPECT_EQ(p.options.controls.NNI, STANDARD_NNI);
}

struct AcceptedCase {
  std::vector<std::string> arguments;
  std::string answers;     // the answer file named; "" for standard input
  std::string output_dir;  // "." without -o
  bool quiet;
  int sets;
};

TEST(CommandLineOptions, AcceptedCommandLines) {
  const std::vector<AcceptedCase> cases = {
      {{"case.txt"}, "case.txt", ".", false, 0},
      {{"-"}, "", ".", false, 0},
      {{"./compare"}, "./compare", ".", false, 0},
      {{"--quiet", "compare"}, "compare", ".", true, 0},
      {{"--", "-case.txt"}, "-case.txt", ".", false, 0},
      {{"-o", "runs/a b", "case.txt"}, "case.txt", "runs/a b", false, 0},
      {{"case.txt", "-oruns"}, "case.txt", "runs", false, 0},
      {{"--output-dir", "x"}, "", "x", false, 0},
      {{"--output-dir=x", "--quiet"}, "", "x", true, 0},
      {{"--set", "GS=2.75", "--set=C=1e-6", "case.txt"}, "case.txt", ".", false, 2},
      {{"--set", "OPT(3)=5000", "--set", "TBF(2)=10", "--quiet"}, "", ".", true, 2},
  };
  for (const AcceptedCase& c : cases) {
    std::string line;
    for (const std::string& a : c.arguments) line += a + " ";
    const Parsed p = parse(c.arguments);
    EXPECT_FALSE(p.status) << line << p.err;
    EXPECT_EQ(p.options.answers_file.value_or("").string(), c.answers) << line;
    EXPECT_EQ(p.options.output_dir.string(), c.output_dir) << line;
    EXPECT_EQ(p.options.output_dir_given, c.output_dir != ".") << line;
    EXPECT_EQ(p.options.quiet, c.quiet) << line;
    EXPECT_EQ(p.options.overrides.all().size(), static_cast<std::size_t>(c.sets)) << line;
    EXPECT_EQ(p.options.says_how_the_run_ended(), c.arguments != std::vector<std::string>{"-"})
        << line;
    EXPECT_EQ(p.err, "") << line;
  }
  EXPECT_EQ(parse({"--set", "GS=2.75"}).options.overrides.find("GS")->value, 2.75);
}

struct RefusedCase {
  std::vector<std::string> arguments;
  std::string message;  // the first line on stderr
};

TEST(CommandLineOptions, RefusedCommandLinesEndWithStatusTwo) {
  const std::vector<RefusedCase> cases = {
      {{"a.txt", "b.txt"},
       "slurry1d: unknown argument 'b.txt': the answers are read from one file; try slurry1d "
       "--help"},
      {{"-", "b.txt"}, "slurry1d: unknown argument 'b.txt'"},
      {{"-o"}, "slurry1d: -o needs a value; try slurry1d --help"},
      {{"--output-dir="}, "slurry1d: --output-dir  is refused: the output directory needs a name"},
      {{"--quiet=yes"}, "slurry1d: --quiet takes no value"},
      {{"--verify=1"}, "slurry1d: --verify takes no value"},
      {{"--csv=yes"}, "slurry1d: --csv takes no value"},
      {{"-q"}, "slurry1d: unknown argument '-q'; try slurry1d --help"},
      {{"--set"}, "slurry1d: --set needs a value"},
      {{"--set", "gs=2.75"}, "slurry1d: --set gs=2.75 is refused: 'gs' is not a name"},
      {{"--set", "IDES=1"}, "slurry1d: --set IDES=1 is refused: IDES is a switch"},
      {{"--set", "GS=2.75", "--set", "GS=2.8"},
       "slurry1d: --set GS=2.8 is refused: GS is set twice"},
      {{"--nodes", "500"}, "slurry1d: --nodes 500 is refused"},
  };
  for (const RefusedCase& c : cases) {
    const Parsed p = parse(c.arguments);
    EXPECT_EQ(p.status, 2) << c.message;
    EXPECT_EQ(p.err.rfind(c.message, 0), 0u) << p.err;
    EXPECT_EQ(p.out, "") << c.message;
  }
}

// A refused name is followed by the list of the names that can be set; a
// value refused for another reason is not.
TEST(CommandLineOptions, ARefusedNameListsTheSettableNames) {
  const Parsed unknown = parse({"--set", "XYZ=1"});
  EXPECT_NE(unknown.err.find("\nslurry1d: the names --set takes: A1, B1, C, D, Z1,"),
            std::string::npos)
      << unknown.err;
  const Parsed count = parse({"--set", "NS=2"});
  EXPECT_NE(count.err.find("the names --set takes:"), std::string::npos) << count.err;
  const Parsed value = parse({"--set", "GS=heavy"});
  EXPECT_EQ(value.err, "slurry1d: --set GS=heavy is refused: 'heavy' is not a number\n");
}

TEST(CommandLineOptions, CsvAsksForTheResultsAsData) {
  EXPECT_FALSE(parse({}).options.csv);
  const Parsed p = parse({"--csv", "-o", "runs/a", "case.txt"});
  EXPECT_FALSE(p.status);
  EXPECT_TRUE(p.options.csv);
  EXPECT_EQ(p.options.output_dir, "runs/a");
}

TEST(CommandLineOptions, CompareAsTheFirstArgumentIsTheSubcommand) {
  const Parsed p = parse({"compare", "runs/a", "runs/b"});
  EXPECT_EQ(p.status, 2);
  EXPECT_EQ(p.err, "slurry1d compare: needs --csv runs; not available in this build\n");
  EXPECT_EQ(p.out, "");
}

TEST(CommandLineOptions, HelpAndVersionEndTheProgramWhereTheyStand) {
  const Parsed help = parse({"--quiet", "-h", "--nodes", "500"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  const Parsed refused_first = parse({"--nodes", "500", "--help"});
  EXPECT_EQ(refused_first.status, 2);
  const Parsed version = parse({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "slurry1d " SLURRY1D_VERSION "\n");
}

// Every option has its line in the help, which fits a terminal of 80
// columns, lists the names --set takes and gives an example.
TEST(CommandLineOptions, TheHelpDocumentsEveryOption) {
  const Parsed p = parse({"--help"});
  for (const char* heading :
       {"\n  -o, --output-dir DIR  every file of the run goes into DIR",
        "\n      --set NAME=VALUE  ", "\n      --quiet           ", "\n      --nodes N         ",
        "\n      --step-factor F   ", "\n      --verify          ", "\n      --csv             ",
        "\n  -h, --help            ", "\n      --version         ",
        "usage: slurry1d [options] [ANSWERS]\n", "       slurry1d compare ...\n",
        "  A1, B1, C, D, Z1, ERROR, ERROR1,", "TBF(i), TEF(i), FRH(i), VT, LT, VB, HB, ME, TS,",
        "slurry1d --quiet --set C=$C -o runs/C=$C case.txt"}) {
    EXPECT_NE(p.out.find(heading), std::string::npos) << heading;
  }
  std::istringstream lines(p.out);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
}

}  // namespace
}  // namespace slurry1d
