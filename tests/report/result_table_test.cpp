#include "report/result_table.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "report/run_results.hpp"
#include "report/sample_results.hpp"

namespace slurry1d::report {
namespace {

ResultTable parse(const std::string& text) {
  std::istringstream in(text);
  return ResultTable::parse(in, "history.csv");
}

std::string error_of(const std::string& text) {
  try {
    parse(text).numbers("height");
  } catch (const ResultFileError& e) {
    return e.what();
  }
  return "";
}

TEST(ResultTable, LooksColumnsUpByNameWhateverTheirOrderAndExtras) {
  const auto t = parse("height,time,later_column\n10,0,x\n9.5,100,y\r\n\n");
  ASSERT_EQ(t.rows(), 2u);
  EXPECT_EQ(t.numbers("time")[1], 100.0);
  EXPECT_EQ(t.numbers("height")[1], 9.5);
  EXPECT_EQ(t.words("later_column")[1], "y");
  EXPECT_TRUE(t.has_column("later_column"));
  EXPECT_FALSE(t.has_column("settlement"));
}

TEST(ResultTable, ReadsOnlyTheColumnsAskedFor) {
  std::istringstream in("time,event,height,nodes\n0,start,10,501\n5,output,9.9,x\n");
  const std::string_view only[] = {"time", "height"};
  const auto t = ResultTable::parse(in, "profiles.csv", only);
  ASSERT_EQ(t.rows(), 2u);
  EXPECT_EQ(t.numbers("height")[1], 9.9);
  // The column passed over is not checked ("x" is no number) and cannot be asked for.
  EXPECT_TRUE(t.has_column("nodes"));
  try {
    t.numbers("nodes");
    ADD_FAILURE() << "a column passed over was read";
  } catch (const ResultFileError& e) {
    EXPECT_STREQ(e.what(), "profiles.csv: column 'nodes' not read");
  }
  // A row of the wrong width is refused all the same.
  std::istringstream short_row("time,event,height,nodes\n0,start,10\n");
  EXPECT_THROW(ResultTable::parse(short_row, "profiles.csv", only), ResultFileError);
}

TEST(ResultTable, ReadsEveryDoubleBackExactly) {
  const auto t = parse("time,height\n0.1,1.7976931348623157e+308\n5e-324,-0\n");
  EXPECT_EQ(t.numbers("time")[0], 0.1);
  EXPECT_EQ(t.numbers("height")[0], 1.7976931348623157e+308);
  EXPECT_EQ(t.numbers("time")[1], 5e-324);
  EXPECT_TRUE(std::signbit(t.numbers("height")[1]));
}

TEST(ResultTable, MalformedFilesAreRefusedWithFileAndLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"", "history.csv: no header row"},
      {"time,height\n0,10\n1,9,8\n", "history.csv line 3: 3 fields where the header names 2"},
      {"time,height\n0,10\n1,9.5.1\n",
       "history.csv line 3: '9.5.1' in column height is not a number"},
      {"time,height\n0,10\n1,\n", "history.csv line 3: '' in column height is not a number"},
      {"time,settlement\n0,0\n", "history.csv: no column 'height'"},
      {"time,height\n0,ten\n", "history.csv: column 'height' does not hold numbers"},
  };
  for (const Case& c : cases) EXPECT_EQ(error_of(c.text), c.error) << c.text;
}

TEST(RunResults, ProfilesAreSnapshotsOfOneTimeAndEvent) {
  std::istringstream in(test::SAMPLE_PROFILES);
  const auto snapshots = read_profiles(in);
  ASSERT_EQ(snapshots.size(), 6u);
  EXPECT_EQ(snapshots[0].event, ProfileEvent::Start);
  EXPECT_EQ(snapshots[4].event, ProfileEvent::Output);
  EXPECT_EQ(snapshots[5].event, ProfileEvent::End);
  EXPECT_EQ(snapshots[5].time, 2000.0);
  for (const auto& s : snapshots) {
    ASSERT_EQ(s.elevation.size(), 3u);
    EXPECT_EQ(s.elevation.front(), 0.0);  // from the base up
  }
  EXPECT_EQ(snapshots[3].void_ratio[1], 7.9);
  EXPECT_EQ(snapshots[3].effective_stress[1], 2.2);
  EXPECT_EQ(snapshots[3].excess_pore_pressure[1], 3.9);
}

TEST(RunResults, UnknownEventIsRefused) {
  std::istringstream in(
      "time,event,node,elevation,void_ratio,effective_stress,excess_pore_pressure\n"
      "0,start,1,0,11,0,0\n0,restart,1,0,11,0,0\n");
  try {
    read_profiles(in);
    FAIL() << "no error";
  } catch (const ResultFileError& e) {
    EXPECT_STREQ(e.what(), "profiles.csv line 3: unknown event 'restart'");
  }
}

TEST(RunResults, SteadyStateAndCracksAreReadWhenPresent) {
  const auto dir = std::filesystem::temp_directory_path() / "slurry1d-run-results-test";
  std::filesystem::remove_all(dir);
  test::write_sample_run(dir);
  std::filesystem::remove(dir / "steady.csv");
  auto r = read_run_results(dir);
  EXPECT_EQ(r.history.time.size(), 7u);
  EXPECT_EQ(r.history.settlement.back(), 4.0);
  EXPECT_FALSE(r.steady);
  EXPECT_FALSE(r.cracks);
  test::write_text(dir / "steady.csv", test::SAMPLE_STEADY);
  test::write_text(dir / "cracks.csv", test::SAMPLE_CRACKS);
  r = read_run_results(dir);
  ASSERT_TRUE(r.steady);
  EXPECT_EQ(r.steady->elevation.back(), 5.0);
  ASSERT_TRUE(r.cracks);
  EXPECT_EQ(r.cracks->fluid_volume.back(), 0.5);
  std::filesystem::remove(dir / "history.csv");
  EXPECT_THROW(read_run_results(dir), ResultFileError);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace slurry1d::report
