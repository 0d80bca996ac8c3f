// A result table as written: its header, whole rows, every real in the
// shortest form that reads back to the same double, the words for values
// that are not finite, rows past the buffer, and the files that cannot be
// created or written.

#include "results/csv_file.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "model/run_stop.hpp"

namespace slurry1d::results {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class CsvFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("slurry1d-csv-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(CsvFileTest, HeaderThenRowsOfCommaSeparatedFields) {
  CsvFile f;
  f.open(dir_ / "t.csv", "step,time,event");
  f.integer(0).real(0.0).word("start").end_row();
  f.integer(12).real(2.5).word("output").end_row();
  ASSERT_TRUE(f.close());
  EXPECT_EQ(read(dir_ / "t.csv"), "step,time,event\n0,0,start\n12,2.5,output\n");
}

// The shortest text that reads back to the same double: 0.1 is "0.1", not
// 0.10000000000000001; every value reads back bit for bit.
TEST_F(CsvFileTest, RealsInTheShortestFormThatReadsBack) {
  const double values[] = {0.1,
                           1.0 / 3.0,
                           -2.5e-7,
                           123456789.0,
                           1e21,
                           5e-324,
                           std::numeric_limits<double>::max(),
                           0.6666666865348816,
                           9.999999682655225e-21};
  CsvFile f;
  f.open(dir_ / "t.csv", "x");
  for (const double v : values) f.real(v).end_row();
  ASSERT_TRUE(f.close());
  std::istringstream lines(read(dir_ / "t.csv"));
  std::string line;
  std::getline(lines, line);
  std::vector<std::string> texts;
  while (std::getline(lines, line)) texts.push_back(line);
  ASSERT_EQ(texts.size(), std::size(values));
  EXPECT_EQ(texts[0], "0.1");
  EXPECT_EQ(texts[5], "5e-324");
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(std::strtod(texts[i].c_str(), nullptr), values[i]) << texts[i];
    // Never more digits than a double holds.
    std::size_t digits = 0;
    for (const char c : texts[i].substr(0, texts[i].find('e'))) digits += c >= '0' && c <= '9';
    EXPECT_LE(digits, 17u) << texts[i];
  }
}

TEST_F(CsvFileTest, ValuesThatAreNotFiniteAreWords) {
  CsvFile f;
  f.open(dir_ / "t.csv", "a,b,c");
  f.real(std::nan("")).real(std::numeric_limits<double>::infinity());
  f.real(-std::numeric_limits<double>::infinity()).end_row();
  ASSERT_TRUE(f.close());
  EXPECT_EQ(read(dir_ / "t.csv"), "a,b,c\nNaN,Infinity,-Infinity\n");
}

// Many times the buffer: every row arrives whole and in order, and at every
// flush the file holds whole rows only.
TEST_F(CsvFileTest, RowsPastTheBufferArriveWholeAndInOrder) {
  CsvFile f;
  f.open(dir_ / "t.csv", "i,x,y");
  const int rows = 40000;
  for (int i = 0; i < rows; ++i) {
    f.integer(i).real(i * 0.001).real(-1.0 / (i + 1)).end_row();
    if (i == 25000) {
      ASSERT_TRUE(f.flush());
      const std::string partial = read(dir_ / "t.csv");
      EXPECT_EQ(partial.back(), '\n');
      EXPECT_EQ(std::count(partial.begin(), partial.end(), '\n'), 25002);
    }
  }
  ASSERT_TRUE(f.close());
  std::istringstream in(read(dir_ / "t.csv"));
  std::string line;
  std::getline(in, line);
  for (int i = 0; i < rows; ++i) {
    ASSERT_TRUE(std::getline(in, line));
    ASSERT_EQ(line.substr(0, line.find(',')), std::to_string(i));
    ASSERT_EQ(std::count(line.begin(), line.end(), ','), 2);
  }
  EXPECT_FALSE(std::getline(in, line));
}

TEST_F(CsvFileTest, FileThatCannotBeCreatedStopsTheRunNamingIt) {
  CsvFile f;
  try {
    f.open(dir_ / "missing" / "history.csv", "a");
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::FileError);
    EXPECT_EQ(stop.exit_status(), 4);
    EXPECT_NE(std::string(stop.what()).find("cannot create"), std::string::npos);
    EXPECT_NE(std::string(stop.what()).find("history.csv"), std::string::npos);
  }
  EXPECT_FALSE(f.is_open());
}

TEST_F(CsvFileTest, FileThatCannotBeWrittenFailsItsFlush) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CsvFile f;
  f.open("/dev/full", "a");
  f.real(1.0).end_row();
  EXPECT_FALSE(f.flush());
  EXPECT_TRUE(f.failed());
  EXPECT_FALSE(f.close());
}

TEST(CsvFileMessages, NameTheFileAndWhereItIs) {
  EXPECT_EQ(cannot_create(fs::path(".") / "history.csv"),
            "cannot create history.csv in the current directory");
  EXPECT_EQ(cannot_create("history.csv"), "cannot create history.csv in the current directory");
  EXPECT_EQ(cannot_write(fs::path("out") / "profiles.csv"),
            (fs::path("out") / "profiles.csv").string() + " could not be written completely");
}

}  // namespace
}  // namespace slurry1d::results
