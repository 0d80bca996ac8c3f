#pragma once

// Where the console of a run goes: standard output, or with --quiet the file
// console.txt (and, while a person answers the dialog at a terminal, the
// screen as well).

#include <streambuf>

#include "events/run_events.hpp"

namespace slurry1d::program {

// Passes everything written on to two stream buffers, until the second is
// let go.
class TeeBuffer : public std::streambuf {
 public:
  TeeBuffer(std::streambuf* first, std::streambuf* second) : first_(first), second_(second) {}
  // Flushes the second buffer and writes to the first only from now on.
  void let_go_of_second();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::streambuf* first_;
  std::streambuf* second_;
};

// Lets the screen go once the dialog is over: the set-up and the time loop
// are written to console.txt only.
class ScreenUntilSetUp final : public RunObserver {
 public:
  explicit ScreenUntilSetUp(TeeBuffer& tee) : tee_(tee) {}
  void run_set_up(const RunSetUp&) override { tee_.let_go_of_second(); }

 private:
  TeeBuffer& tee_;
};

}  // namespace slurry1d::program
