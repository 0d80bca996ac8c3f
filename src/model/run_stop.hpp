#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace slurry1d {

// How a run ends when it cannot or should not go on.
enum class StopKind {
  RefusedRun,   // a run definition the program refuses: message on the console, exit status 2
  CannotGoOn,   // a run that cannot go on: message on the console, exit status 3
  BadInput,     // refused or unreadable answer: message on stderr, exit status 2
  Failure,      // a run that failed numerically: message on stderr, exit status 3
  FileError,    // a file that cannot be created or written: message on stderr, exit status 4
  Interrupted,  // SIGINT or Ctrl-C: message on the console, exit status 130
  Terminated,   // SIGTERM (Ctrl-Break, a closed console): message on the console, exit status 143
};

// The one exception that carries a stop to main, which writes the message
// lines, closes every file and returns the exit status.
class RunStop : public std::exception {
 public:
  RunStop(StopKind kind, std::vector<std::string> lines) : kind_(kind), lines_(std::move(lines)) {}

  StopKind kind() const { return kind_; }
  // The message lines; a stop whose message is already on the console (it
  // came before the end-of-run records) has none.
  const std::vector<std::string>& lines() const { return lines_; }
  // Where the message belongs: the program's own stops and interruptions on
  // the console, refused input and failures on stderr.
  bool on_console() const {
    return kind_ == StopKind::RefusedRun || kind_ == StopKind::CannotGoOn ||
           kind_ == StopKind::Interrupted || kind_ == StopKind::Terminated;
  }
  int exit_status() const {
    switch (kind_) {
      case StopKind::RefusedRun:
      case StopKind::BadInput:
        return 2;
      case StopKind::CannotGoOn:
      case StopKind::Failure:
        return 3;
      case StopKind::FileError:
        return 4;
      case StopKind::Interrupted:
        return 130;
      case StopKind::Terminated:
        return 143;
    }
    return 3;
  }
  const char* what() const noexcept override {
    return lines_.empty() ? "run stopped" : lines_.front().c_str();
  }

 private:
  StopKind kind_;
  std::vector<std::string> lines_;
};

}  // namespace slurry1d
