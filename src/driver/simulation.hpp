#pragma once

#include <filesystem>
#include <istream>
#include <memory>
#include <optional>

#include "driver/answer_overrides.hpp"
#include "driver/run_state.hpp"
#include "driver/time_loop.hpp"
#include "events/run_events.hpp"
#include "output/record_writer.hpp"
#include "output/result_files.hpp"
#include "platform/file_identity.hpp"

namespace slurry1d {

// Whether a run writes its files: Write creates "input", "vd.out", "ts.out"
// and "tc.out" in the run's directory; Discard creates none, and what the
// run would write into them is dropped (a run followed only through its
// observer, such as a refined run that checks the accuracy of another).
enum class RunFiles { Write, Discard };

// Where the answers of a run come from and how they are taken.
struct AnswerInput {
  std::istream& stream;
  // A person answers at a terminal: a refused answer is asked again.
  bool interactive = false;
  // The identity of the file the answers are read from, if they are: a run
  // that would overwrite it is refused before any file is created.
  std::optional<platform::FileIdentity> file;
  // Answers set on the command line, replacing those of the stream.
  const AnswerOverrides* overrides = nullptr;
};

// One run of the program: the dialog, the set-up and the time loop, on a run
// record allocated once before the first question, with the given controls,
// observed by `observer`.
class Simulation {
 public:
  // The files are written into `directory` ("." the current directory),
  // which exists.
  explicit Simulation(Outputs& out, const RunControls& controls = {},
                      RunObserver& observer = no_observer(), RunFiles files = RunFiles::Write,
                      const std::filesystem::path& directory = ".");

  // Runs from the first question to the end of the run. The program's own
  // stops and refused input arrive as RunStop; the files stay open until
  // close_files(). `answers_file` is the identity of the file the answers are
  // read from, if they are: a run that would overwrite it is refused before
  // any file is created.
  void run(std::istream& answers, bool interactive,
           const std::optional<platform::FileIdentity>& answers_file = std::nullopt);
  void run(const AnswerInput& answers);
  // Runs a definition answered before (by the dialog of another run), from
  // the set-up to the end, without a dialog and without an echo of answers.
  void run(const RunDefinition& def);
  // Flushes and closes every file.
  void close_files();
  // Tells the observer how the run ended, once the program's exit status is
  // known: the end the time loop reached, or the stop (may be null) that
  // ended it. Nothing for a run whose set-up never began.
  void report_end(int exit_status, const RunStop* stop);
  // Where a file was first written a number that is not finite, if anywhere.
  std::optional<NonFiniteResult> non_finite_result() const { return files_.first_non_finite(); }

  const Run& state() const { return *run_; }

 private:
  void refuse_overwriting(const std::optional<platform::FileIdentity>& answers_file) const;
  void open_echo_file();
  void ask_run_definition(const AnswerInput& answers);
  void stop_if_interrupted();
  void set_up();
  void march();

  Outputs& out_;
  RunObserver& observer_;
  RunFiles file_mode_;
  std::filesystem::path directory_;
  ResultFiles files_;
  std::unique_ptr<Run> run_;
  bool set_up_begun_ = false;
  bool set_up_done_ = false;
  RunEnd end_;
};

// Writes the message of a stop where it belongs: the program's own stops and
// interruptions on the console as free-form records, refused input and
// failures on stderr.
void report_stop(const class RunStop& stop, Outputs& out);

// The whole program after its command line: the run on `answers`, the files
// closed, every stop reported. Returns the exit status: 0 for an end that gives
// the run's answer (last output time, steady-state height, quiet steps,
// minimum void ratio), 2 for refused or unreadable input and a refused run
// definition, 3 for a run that cannot go on or failed numerically (a run that
// wrote a number which is not finite into its files counts as failed, however
// it ended), 4 for a file that could not be written, 130 and 143 for a run
// interrupted by SIGINT and SIGTERM. `answers_file` is the identity of the file
// the answers are read from, if they are. The observer receives the run's
// events.
int run_program(std::istream& answers, bool interactive, Outputs& out,
                const RunControls& controls = {},
                const std::optional<platform::FileIdentity>& answers_file = std::nullopt,
                RunObserver& observer = no_observer());
// The same with the answers of `answers`, writing the run's files into
// `directory` ("." the current directory), which exists.
int run_program(const AnswerInput& answers, Outputs& out, const RunControls& controls,
                const std::filesystem::path& directory, RunObserver& observer);

// The run of a definition answered before, on the given controls, writing no
// file: what it would write goes to `out`'s writers of those files (detached
// writers drop it), its console to out.console, and its results reach the
// observer. Returns the exit status as run_program does.
int run_definition(const RunDefinition& def, Outputs& out, const RunControls& controls,
                   RunObserver& observer);

}  // namespace slurry1d
