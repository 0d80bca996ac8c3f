#pragma once

// One result table being written: a header row of column names, then rows of
// plain comma-separated fields, '\n' line ends, every real in the shortest
// form that reads back to the same double ("NaN", "Infinity", "-Infinity"
// where a value is not finite). Rows are gathered in a buffer allocated when
// the file is opened and handed to the file whole, when the buffer fills and
// at every flush(): appending a row never allocates, and the file holds whole
// rows only.
//
//   CsvFile f;
//   f.open(dir / "history.csv", "step,time,height");   // throws RunStop (FileError)
//   f.integer(0).real(0.0).real(10.0).end_row();
//   f.flush();                                          // false once a write failed

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace slurry1d::results {

class CsvFile {
 public:
  // Room kept free for one row: rows longer than this are not written by
  // this program (the longest has a dozen numbers of at most 24 characters).
  static constexpr std::size_t MAX_ROW = 1024;
  static constexpr std::size_t BUFFER_SIZE = 64 * 1024;

  // Creates (or replaces) the file and writes its header row. Throws RunStop
  // (StopKind::FileError) naming the file when it cannot be created.
  void open(const std::filesystem::path& path, std::string_view header);
  bool is_open() const { return file_.is_open(); }

  CsvFile& real(double value);
  CsvFile& integer(long long value);
  CsvFile& word(std::string_view text);
  // Ends the row; hands the buffer to the file when it is nearly full.
  void end_row();

  // Hands every complete row to the system. False when any write to the
  // file has failed since it was opened.
  bool flush();
  // Flushes and closes; false when any write failed.
  bool close();
  bool failed() const { return failed_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  char* field_start();
  void drain();

  std::filesystem::path path_;
  std::ofstream file_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  bool row_started_ = false;
  bool failed_ = false;
};

// The message naming a result file that could not be created or written:
// "cannot create history.csv in the current directory", "out/history.csv
// could not be written completely".
std::string cannot_create(const std::filesystem::path& path);
std::string cannot_write(const std::filesystem::path& path);

}  // namespace slurry1d::results
