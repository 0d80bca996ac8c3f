#include "program/run_case.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "program/console_routing.hpp"

namespace slurry1d::program {
namespace {

TEST(FilesOfRun, EveryFileTheRunWritesIsListedForTheGuard) {
  ProgramOptions options;
  EXPECT_EQ(files_of_run(options),
            (std::vector<std::string>{"input", "vd.out", "ts.out", "tc.out"}));
  options.quiet = true;
  options.verify = true;
  EXPECT_EQ(files_of_run(options), (std::vector<std::string>{"input", "vd.out", "ts.out", "tc.out",
                                                             "console.txt", "verify.csv"}));
  options.csv = true;
  const std::vector<std::string> names = files_of_run(options);
  for (const char* table :
       {"history.csv", "profiles.csv", "steady.csv", "cracks.csv", "summary.json"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), table), names.end()) << table;
  }
}

// The console of a quiet dialog at a terminal: into the file and onto the
// screen until the set-up, then into the file only.
TEST(TeeBuffer, WritesToBothUntilTheSecondIsLetGo) {
  std::ostringstream file, screen;
  TeeBuffer tee(file.rdbuf(), screen.rdbuf());
  std::ostream console(&tee);
  console << " SPECIFY THE STARTING TIME\n" << 'x' << std::flush;
  ScreenUntilSetUp until(tee);
  std::unique_ptr<RunDefinition> def = std::make_unique<RunDefinition>();
  std::unique_ptr<SoilColumn> column = std::make_unique<SoilColumn>();
  const RunScales scales{};
  const Soil soil = soil_of(*def, scales);
  const NodeAddition added;
  until.run_set_up(RunSetUp{*def, scales, soil, *column, false, 0.0, 0.0, 0.0, added});
  console << "\n STEP 1\n";
  EXPECT_EQ(file.str(), " SPECIFY THE STARTING TIME\nx\n STEP 1\n");
  EXPECT_EQ(screen.str(), " SPECIFY THE STARTING TIME\nx");
}

}  // namespace
}  // namespace slurry1d::program
