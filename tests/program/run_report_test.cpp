// The facts the report of a run made with --report shows beyond the run's
// own: its name, the units --units names, the program's exit status and the
// accuracy of a verification.

#include "program/run_report.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace slurry1d::program {
namespace {

TEST(RunReport, TheRunIsNamedAfterItsAnswerFileOrItsDirectory) {
  ProgramOptions options;
  options.answers_file = "cases/self_weight.txt";
  EXPECT_EQ(run_name(options), "self_weight");
  options.answers_file.reset();
  options.output_dir = "runs/C=3e-7";
  EXPECT_EQ(run_name(options), "C=3e-7");
  options.output_dir = "runs/case/";
  EXPECT_EQ(run_name(options), "case");
}

TEST(RunReport, UnitsAreThoseNamedElseTheDimensions) {
  struct Case {
    UnitNames names;
    const char* velocity;
  };
  const Case cases[] = {
      {{"m", "days", "kPa", "kN/m³"}, "m/day"},
      {{"ft", "s", "psf", "pcf"}, "ft/s"},
      {{"m", "hours", "kPa", "kPa/m"}, "m/hour"},
      {{"m", "ms", "kPa", "kPa/m"}, "m/ms"},
  };
  for (const Case& c : cases) {
    const report::Units u = report_units(c.names);
    EXPECT_EQ(u.length, c.names.length);
    EXPECT_EQ(u.time, c.names.time);
    EXPECT_EQ(u.stress, c.names.stress);
    EXPECT_EQ(u.unit_weight, c.names.unit_weight);
    EXPECT_EQ(u.velocity_or_default(), c.velocity) << c.names.time;
  }
  const report::Units dimensions = report_units({});
  EXPECT_EQ(dimensions.length, "L");
  EXPECT_EQ(dimensions.velocity_or_default(), "L/T");
}

TEST(RunReport, FactsCarryTheProgramsStatusAndTheAccuracyOfAVerification) {
  ProgramOptions options;
  options.answers_file = "case.txt";
  options.units = {"m", "days", "kPa", "kN/m³"};
  const results::CsvResults csv(".");
  const report::RunFacts plain = report_facts(options, csv, nullptr, 4);
  EXPECT_EQ(plain.name, "case");
  EXPECT_EQ(plain.units.time, "days");
  EXPECT_EQ(plain.end.exit_status, 4);
  EXPECT_EQ(plain.accuracy_section, "");
  const verify::VerifyTable table;
  const report::RunFacts verified = report_facts(options, csv, &table, 0);
  EXPECT_EQ(verified.accuracy_section.rfind("<h2>Accuracy</h2>", 0), 0u);
}

TEST(RunReport, NoReportOfARunThatNeverBuiltItsColumn) {
  ProgramOptions options;
  options.output_dir = "no/such/directory";
  const results::CsvResults csv(options.output_dir);
  std::ostringstream err;
  RecordWriter errors(err);
  EXPECT_EQ(write_run_report(options, csv, nullptr, 2, errors), 2);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace slurry1d::program
