#include "program/run_case.hpp"

#include <fstream>
#include <istream>
#include <optional>
#include <system_error>

#include "driver/answer_source.hpp"
#include "driver/simulation.hpp"
#include "output/record_writer.hpp"
#include "output/result_files.hpp"
#include "platform/file_identity.hpp"
#include "platform/interrupt.hpp"
#include "platform/terminal.hpp"
#include "program/console_routing.hpp"
#include "progress/progress_line.hpp"
#include "progress/progress_observer.hpp"
#include "results/csv_results.hpp"
#include "verify/verify_output.hpp"
#include "verify/verify_run.hpp"

namespace slurry1d::program {

namespace fs = std::filesystem;

namespace {

constexpr const char* CONSOLE_TXT = "console.txt";

// The path of a file of the run: its bare name in the current directory.
fs::path file_path(const ProgramOptions& options, const std::string& name) {
  return options.output_dir == "." ? fs::path(name) : options.output_dir / name;
}

// A file of the run as a message names it.
std::string file_words(const ProgramOptions& options, const std::string& name) {
  return options.output_dir == "." ? name + " in the current directory"
                                   : file_path(options, name).string();
}

// The answers of the run: the file named on the command line, or standard
// input (a terminal when a person answers).
class AnswerStream {
 public:
  // Opens the answer file, if one is named; the message that says why it
  // cannot be read, or an empty text.
  std::string open(const ProgramOptions& options);
  AnswerInput input(const AnswerOverrides& overrides) {
    return AnswerInput{file_.is_open() ? static_cast<std::istream&>(file_) : standard_,
                       interactive_, identity_, &overrides};
  }
  const std::optional<platform::FileIdentity>& identity() const { return identity_; }
  bool interactive() const { return interactive_; }

 private:
  platform::InterruptibleInput standard_input_;
  std::istream standard_{&standard_input_};
  std::ifstream file_;
  std::optional<platform::FileIdentity> identity_;
  bool interactive_ = false;
};

std::string AnswerStream::open(const ProgramOptions& options) {
  if (!options.answers_file) {
    identity_ = platform::stdin_identity();
    interactive_ = platform::stdin_is_terminal();
    return {};
  }
  const fs::path& path = *options.answers_file;
  const std::string cannot = "cannot read the answer file " + path.string() + ": ";
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return cannot + "there is no such file";
  if (fs::is_directory(status)) return cannot + "it is a directory";
  file_.open(path);
  if (!file_) return cannot + "it cannot be opened";
  identity_ = platform::file_identity(path);
  return {};
}

// The message refusing a run whose answers come from one of the files it
// writes, or an empty text.
std::string overwriting_refusal(const ProgramOptions& options,
                                const std::optional<platform::FileIdentity>& answers) {
  for (const std::string& name : files_of_run(options)) {
    const std::string refusal = overwrite_refusal(answers, file_path(options, name));
    if (!refusal.empty()) return refusal;
  }
  return {};
}

// The output directory of -o, created when missing: the message and status
// that refuse it, or nothing.
struct Refusal {
  std::string message;
  int status;
};

std::optional<Refusal> prepare_output_dir(const ProgramOptions& options) {
  if (!options.output_dir_given) return std::nullopt;
  const fs::path& dir = options.output_dir;
  std::error_code error;
  const fs::file_status status = fs::status(dir, error);
  if (fs::exists(status) && !fs::is_directory(status)) {
    return Refusal{"--output-dir " + dir.string() + " is refused: " + dir.string() +
                       " is a file, not a directory",
                   2};
  }
  fs::create_directories(dir, error);
  if (error) {
    return Refusal{"cannot create the output directory " + dir.string() + ": " + error.message(),
                   4};
  }
  return std::nullopt;
}

// One run of the case, with everything it writes to and everything that
// follows it, alive together.
class CaseRun {
 public:
  CaseRun(const ProgramOptions& options, std::ostream& console, std::ostream& errors)
      : options_(options),
        console_(console),
        errors_(errors),
        messages_(errors),
        show_progress_(platform::stderr_is_terminal()),
        show_outcome_(show_progress_ || options.says_how_the_run_ended()),
        line_(errors) {}

  int run();

 private:
  int refuse(const std::string& message, int status) {
    messages_.write_text("slurry1d: " + message);
    return status;
  }
  std::optional<Refusal> route_console();
  void route_errors();
  void follow_the_run();
  int run_the_case();
  int close_console_file(int status);

  const ProgramOptions& options_;
  std::ostream& console_;
  std::ostream& errors_;
  RecordWriter messages_;
  bool show_progress_;
  bool show_outcome_;

  AnswerStream answers_;
  progress::ProgressLine line_;
  std::optional<progress::BelowProgressLine> errors_below_;
  std::optional<progress::BelowProgressLine> console_below_;
  std::ofstream console_file_;
  std::optional<TeeBuffer> console_tee_;
  std::optional<std::ostream> errors_stream_;
  std::optional<std::ostream> console_stream_;

  progress::FewTimesASecond pace_;
  std::optional<progress::ProgressObserver> progress_;
  std::optional<ScreenUntilSetUp> screen_until_set_up_;
  std::optional<results::CsvResults> csv_;
  RunObservers observers_;
  Outputs out_;
};

int CaseRun::run() {
  if (const std::string why = answers_.open(options_); !why.empty()) return refuse(why, 2);
  if (const std::string why = overwriting_refusal(options_, answers_.identity()); !why.empty()) {
    return refuse(why, 2);
  }
  if (const auto refused = prepare_output_dir(options_)) {
    return refuse(refused->message, refused->status);
  }
  if (show_outcome_ && fs::exists(file_path(options_, "input"))) {
    messages_.write_text("slurry1d: the files of an earlier run in " +
                         (options_.output_dir == "." ? std::string("the current directory")
                                                     : options_.output_dir.string()) +
                         " are replaced");
  }
  if (const auto refused = route_console()) return refuse(refused->message, refused->status);
  route_errors();
  follow_the_run();
  return close_console_file(run_the_case());
}

// With --quiet the console goes into console.txt, and while a person answers
// the dialog at a terminal to the screen as well. Otherwise it goes to
// standard output, below the progress line when both are on one terminal.
std::optional<Refusal> CaseRun::route_console() {
  if (options_.quiet) {
    console_file_.open(file_path(options_, CONSOLE_TXT), std::ios::out | std::ios::trunc);
    if (!console_file_) return Refusal{"cannot create " + file_words(options_, CONSOLE_TXT), 4};
    if (answers_.interactive()) {
      console_tee_.emplace(console_file_.rdbuf(), console_.rdbuf());
      screen_until_set_up_.emplace(*console_tee_);
      console_stream_.emplace(&*console_tee_);
    } else {
      console_stream_.emplace(console_file_.rdbuf());
    }
  } else if (show_progress_ && platform::stdout_is_terminal()) {
    console_below_.emplace(console_.rdbuf(), line_);
    console_stream_.emplace(&*console_below_);
  } else {
    console_stream_.emplace(console_.rdbuf());
  }
  out_.console.attach(*console_stream_);
  return std::nullopt;
}

// The messages on standard error come below the progress line, each at once.
void CaseRun::route_errors() {
  if (show_progress_) {
    errors_below_.emplace(errors_.rdbuf(), line_);
    errors_stream_.emplace(&*errors_below_);
  } else {
    errors_stream_.emplace(errors_.rdbuf());
  }
  errors_stream_->setf(std::ios::unitbuf);
  out_.errors.attach(*errors_stream_);
}

void CaseRun::follow_the_run() {
  progress_.emplace(show_progress_ ? &line_ : nullptr, show_outcome_ ? &errors_ : nullptr, pace_);
  observers_.add(*progress_);
  if (screen_until_set_up_) observers_.add(*screen_until_set_up_);
  if (options_.csv) {
    csv_.emplace(options_.output_dir);
    observers_.add(*csv_);
  }
}

int CaseRun::run_the_case() {
  const AnswerInput answers = answers_.input(options_.overrides);
  int status =
      options_.verify
          ? verify::run_verified(answers, out_, options_.controls, observers_, options_.output_dir)
                .status
          : run_program(answers, out_, options_.controls, options_.output_dir, observers_);
  if (csv_) status = csv_->final_status(status, out_.errors);
  out_.console.flush();
  progress_->program_ended(status);
  return status;
}

int CaseRun::close_console_file(int status) {
  if (!console_file_.is_open()) return status;
  console_stream_->flush();
  console_file_.close();
  if (console_file_.fail() && status == 0) {
    return refuse(file_words(options_, CONSOLE_TXT) + " could not be written completely", 4);
  }
  return status;
}

}  // namespace

std::vector<std::string> files_of_run(const ProgramOptions& options) {
  std::vector<std::string> names(kRunFileNames.begin(), kRunFileNames.end());
  if (options.quiet) names.emplace_back(CONSOLE_TXT);
  if (options.verify) names.emplace_back(verify::VERIFY_CSV);
  if (options.csv) {
    for (const std::string_view name : results::RESULT_FILE_NAMES) names.emplace_back(name);
  }
  return names;
}

int run_case(const ProgramOptions& options, std::ostream& console, std::ostream& errors) {
  CaseRun run(options, console, errors);
  return run.run();
}

}  // namespace slurry1d::program
