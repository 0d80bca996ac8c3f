#pragma once

// A run with --verify: the case as given, then its four refinements one
// after another in this process (the engine stays single-threaded), then the
// table of their comparison.
//
//   const auto verified = verify::run_verified(answers, out, controls, observer, directory);
//   return verified.status;   // the given run's status, or 4 when verify.csv failed

#include <array>
#include <filesystem>
#include <istream>
#include <optional>

#include "driver/simulation.hpp"
#include "events/run_events.hpp"
#include "model/run_controls.hpp"
#include "output/record_writer.hpp"
#include "platform/file_identity.hpp"
#include "verify/comparison.hpp"
#include "verify/run_record.hpp"

namespace slurry1d::verify {

// The records of the five runs, by RunRole, and the status of a refined run
// that was interrupted (0 when none was): the runs after it were not made.
struct Refinements {
  std::array<RunRecord, RUN_COUNT> runs;
  int interrupted_status = 0;
};

// Runs the four refinements of the run recorded in `given` (run with
// `controls`), each from the given run's definition, up to the last output
// time the given run reached, writing no file. A line on `console` announces
// each run. Nothing is run when the given run reached no output time.
Refinements run_refinements(const RunRecord& given, const RunControls& controls,
                            RecordWriter& console);

struct VerifiedRun {
  int status = 0;                    // the program's exit status
  std::optional<VerifyTable> table;  // the comparison, when the refinements ran to their end
};

// The whole program with --verify after its command line: controls whose
// refinements would pass the limits refused (status 2) before any question;
// then the given run as run_program makes it (its files in `output_dir`, its
// console, `observer`), then, when its set-up was done and the run was not
// interrupted, the refinements, the table on the console and verify.csv in
// `output_dir`. The status is the given run's; 4 when verify.csv could not be
// written after a run that gave its answer; 130 or 143 when a refinement was
// interrupted.
VerifiedRun run_verified(const AnswerInput& answers, Outputs& out, const RunControls& controls,
                         RunObserver& observer, const std::filesystem::path& output_dir);

}  // namespace slurry1d::verify
