#pragma once

#include <fstream>

#include "output/record_writer.hpp"

namespace slurry1d {

// Owns the four files of a run, created in the current directory (an older
// file of the same name is replaced), and attaches them to the writers.
class ResultFiles {
 public:
  // "input", created before the first question of the dialog.
  void open_input(Outputs& out);
  // "vd.out", "ts.out" and "tc.out", created by the set-up.
  void open_results(Outputs& out);
  // Flushes and closes every open file and detaches its writer. Throws
  // RunStop (StopKind::FileError) when a file could not be written completely.
  void close(Outputs& out);

 private:
  std::ofstream input_, vd_, ts_, tc_;
};

}  // namespace slurry1d
