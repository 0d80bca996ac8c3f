#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace slurry1d {

// How a run ends when it cannot or should not go on.
enum class StopKind {
  Stop,       // a stop the program chooses: message on the console, exit status 0
  BadInput,   // refused or unreadable answer: message on stderr, exit status 2
  Failure,    // a run that failed numerically: message on stderr, exit status 3
  FileError,  // a file that cannot be created or written: message on stderr, exit status 4
};

// The one exception that carries a stop to main, which writes the message
// lines, closes every file and returns the exit status.
class RunStop : public std::exception {
 public:
  RunStop(StopKind kind, std::vector<std::string> lines) : kind_(kind), lines_(std::move(lines)) {}

  StopKind kind() const { return kind_; }
  const std::vector<std::string>& lines() const { return lines_; }
  int exit_status() const {
    switch (kind_) {
      case StopKind::Stop:
        return 0;
      case StopKind::BadInput:
        return 2;
      case StopKind::Failure:
        return 3;
      case StopKind::FileError:
        return 4;
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
