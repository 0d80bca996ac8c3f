#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <utility>

#include "output/record_writer.hpp"

namespace slurry1d {

// Passes everything written on to a file's buffer and notes the first line
// that holds a number which is not finite: the records spell such a number
// "NaN", "Infinity", "-Infinity" or "Inf", and no text of the program's own
// contains these letters.
class NonFiniteWatch : public std::streambuf {
 public:
  void forward_to(std::streambuf* target) { target_ = target; }
  // Line number (from 1) of the first line with a non-finite number, 0 if none.
  long first_line() const { return first_line_; }

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  void look(char c);

  std::streambuf* target_ = nullptr;
  char last_[3] = {' ', ' ', ' '};
  long line_ = 1;
  long first_line_ = 0;
};

// Where a result file first holds a number that is not finite.
struct NonFiniteResult {
  std::string file;
  long line = 0;
};

// The names of the four files of a run, in the order they are created.
inline constexpr std::array<const char*, 4> kRunFileNames = {"input", "vd.out", "ts.out", "tc.out"};

// Owns the four files of a run, created in its directory (an older file of
// the same name is replaced), and attaches them to the writers.
class ResultFiles {
 public:
  // The files go into `directory`, which exists; "." is the current directory.
  explicit ResultFiles(std::filesystem::path directory = ".") : directory_(std::move(directory)) {}

  // "input", created before the first question of the dialog.
  void open_input(Outputs& out);
  // "vd.out", "ts.out" and "tc.out", created by the set-up.
  void open_results(Outputs& out);
  // Flushes and closes every open file and detaches its writer. Throws
  // RunStop (StopKind::FileError) when a file could not be written completely.
  void close(Outputs& out);
  // The first file, in the order "input", "vd.out", "ts.out", "tc.out", that
  // has been written a number which is not finite.
  std::optional<NonFiniteResult> first_non_finite() const;

  // A file and the watched stream its writer writes to.
  struct File {
    std::ofstream file;
    NonFiniteWatch watch;
    std::ostream stream{&watch};
  };

 private:
  void open_file(File& f, const char* name, RecordWriter& writer);

  std::filesystem::path directory_;
  File input_, vd_, ts_, tc_;
};

}  // namespace slurry1d
