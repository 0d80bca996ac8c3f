#pragma once

// Reads one of a run's result tables (history.csv, profiles.csv, ...): a
// header row of column names, then rows of plain comma-separated fields.
// Columns are looked up by name, so a writer may add columns at the end.

#include <filesystem>
#include <istream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace slurry1d::report {

// A result file that is missing, malformed or lacks a column; the message
// names the file and, where it applies, the line.
class ResultFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ResultTable {
 public:
  // `file_name` names the table in messages; `only` names the columns to
  // read (the others are passed over, and asking for one throws), none:
  // every column. Throws ResultFileError.
  static ResultTable parse(std::istream& in, const std::string& file_name,
                           std::span<const std::string_view> only = {});
  static ResultTable read(const std::filesystem::path& path,
                          std::span<const std::string_view> only = {});

  std::size_t rows() const { return rows_; }
  bool has_column(std::string_view name) const;
  // A column of numbers; throws ResultFileError when it is missing or holds text.
  std::span<const double> numbers(std::string_view name) const;
  // A column of words (e.g. the event of profiles.csv); throws when missing.
  const std::vector<std::string>& words(std::string_view name) const;

 private:
  std::size_t index_of(std::string_view name) const;
  void take(std::size_t c, std::string_view field, std::vector<bool>::reference words,
            std::size_t line_no);

  std::string file_;
  std::size_t rows_ = 0;
  std::vector<std::string> names_;
  // Per column: its numbers, or (for a column whose first field is not a
  // number) its words.
  std::vector<std::vector<double>> numbers_;
  std::vector<std::vector<std::string>> words_;
  std::vector<bool> read_;  // per column: read, or passed over
};

}  // namespace slurry1d::report
