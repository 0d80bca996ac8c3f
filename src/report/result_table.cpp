#include "report/result_table.hpp"

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/number_text.hpp"

namespace slurry1d::report {
namespace {

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const auto comma = line.find(',');
    fields.push_back(line.substr(0, comma));
    if (comma == std::string_view::npos) return fields;
    line.remove_prefix(comma + 1);
  }
}

std::optional<double> number_in(std::string_view field) {
  double v = 0.0;
  if (platform::read_double(field, v) != platform::NumberRead::Ok) return std::nullopt;
  return v;
}

// The next line of `text` from `at` on, without its line end; false at the end.
bool next_line(std::string_view text, std::size_t& at, std::string_view& line) {
  if (at >= text.size()) return false;
  const std::size_t end = std::min(text.find('\n', at), text.size());
  line = text.substr(at, end - at);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  at = end + 1;
  return true;
}

std::string line_words(const std::string& file_name, std::size_t line_no) {
  return file_name + " line " + std::to_string(line_no) + ": ";
}

}  // namespace

ResultTable ResultTable::parse(std::istream& in, const std::string& file_name,
                               std::span<const std::string_view> only) {
  std::ostringstream whole;
  if (in.peek() != std::char_traits<char>::eof()) whole << in.rdbuf();
  if (in.bad()) throw ResultFileError(file_name + ": cannot be read to its end");
  const std::string text = std::move(whole).str();

  ResultTable t;
  t.file_ = file_name;
  std::size_t at = 0;
  std::string_view line;
  if (!next_line(text, at, line) || line.empty()) {
    throw ResultFileError(file_name + ": no header row");
  }
  for (const auto name : split_fields(line)) t.names_.emplace_back(name);
  const std::size_t width = t.names_.size();
  t.numbers_.resize(width);
  t.words_.resize(width);
  t.read_.assign(width, only.empty());
  for (const std::string_view name : only) {
    for (std::size_t c = 0; c < width; ++c) t.read_[c] = t.read_[c] || t.names_[c] == name;
  }
  std::vector<bool> is_words(width, false);
  for (std::size_t line_no = 2; next_line(text, at, line); ++line_no) {
    if (line.empty()) continue;
    std::size_t c = 0;
    for (std::string_view rest = line;; ++c) {
      const auto comma = rest.find(',');
      const std::string_view field = rest.substr(0, comma);
      if (c < width && t.read_[c]) t.take(c, field, is_words[c], line_no);
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    if (c + 1 != width) {
      throw ResultFileError(line_words(file_name, line_no) + std::to_string(c + 1) +
                            " fields where the header names " + std::to_string(width));
    }
    ++t.rows_;
  }
  return t;
}

// One field of column c: a number, or a word in a column whose first field
// is not a number.
void ResultTable::take(std::size_t c, std::string_view field, std::vector<bool>::reference words,
                       std::size_t line_no) {
  const auto v = number_in(field);
  if (rows_ == 0) words = !v;
  if (words) {
    words_[c].emplace_back(field);
  } else if (v) {
    numbers_[c].push_back(*v);
  } else {
    throw ResultFileError(line_words(file_, line_no) + "'" + std::string(field) + "' in column " +
                          names_[c] + " is not a number");
  }
}

ResultTable ResultTable::read(const std::filesystem::path& path,
                              std::span<const std::string_view> only) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ResultFileError(path.filename().string() + ": cannot be opened");
  return parse(in, path.filename().string(), only);
}

bool ResultTable::has_column(std::string_view name) const {
  for (const auto& n : names_) {
    if (n == name) return true;
  }
  return false;
}

std::size_t ResultTable::index_of(std::string_view name) const {
  for (std::size_t c = 0; c < names_.size(); ++c) {
    if (names_[c] != name) continue;
    if (!read_[c]) throw ResultFileError(file_ + ": column '" + std::string(name) + "' not read");
    return c;
  }
  throw ResultFileError(file_ + ": no column '" + std::string(name) + "'");
}

std::span<const double> ResultTable::numbers(std::string_view name) const {
  const std::size_t c = index_of(name);
  if (numbers_[c].size() != rows_) {
    throw ResultFileError(file_ + ": column '" + std::string(name) + "' does not hold numbers");
  }
  return numbers_[c];
}

const std::vector<std::string>& ResultTable::words(std::string_view name) const {
  const std::size_t c = index_of(name);
  if (words_[c].size() != rows_) {
    throw ResultFileError(file_ + ": column '" + std::string(name) + "' holds numbers, not words");
  }
  return words_[c];
}

}  // namespace slurry1d::report
