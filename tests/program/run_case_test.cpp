#include "program/run_case.hpp"

#include <gtest/gtest.h>

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
  until.run_set_up(RunSetUp{*def, scales, soil, *column, false, 0.0, 0.0, 0.0});
  console << "\n STEP 1\n";
  EXPECT_EQ(file.str(), " SPECIFY THE STARTING TIME\nx\n STEP 1\n");
  EXPECT_EQ(screen.str(), " SPECIFY THE STARTING TIME\nx");
}

}  // namespace
}  // namespace slurry1d::program
