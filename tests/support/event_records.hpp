#pragma once

// The records a run's events refer to, made once for tests that send made-up
// events to an observer: the run definition, its scales and column (large
// fixed-capacity records, so on the heap), the report's work record, the soil,
// the clock, the last node addition and the last crack record.

#include <memory>

#include "events/run_events.hpp"
#include "output/state_report.hpp"

namespace slurry1d::testing {

struct EventRecords {
  std::unique_ptr<RunDefinition> def = std::make_unique<RunDefinition>();
  std::unique_ptr<RunScales> scales = std::make_unique<RunScales>();
  std::unique_ptr<SoilColumn> col = std::make_unique<SoilColumn>();
  std::unique_ptr<ReportWork> work = std::make_unique<ReportWork>();
  Soil soil;
  Clock clock;
  CrackRecord crack;
  NodeAddition added;
};

}  // namespace slurry1d::testing
