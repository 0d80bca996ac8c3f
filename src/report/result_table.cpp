#include "report/result_table.hpp"

#include <fstream>
#include <optional>

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

bool next_line(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace

ResultTable ResultTable::parse(std::istream& in, const std::string& file_name) {
  ResultTable t;
  t.file_ = file_name;
  std::string line;
  if (!next_line(in, line) || line.empty()) {
    throw ResultFileError(file_name + ": no header row");
  }
  for (const auto name : split_fields(line)) t.names_.emplace_back(name);
  const std::size_t width = t.names_.size();
  t.numbers_.resize(width);
  t.words_.resize(width);
  std::vector<bool> is_words(width, false);
  for (std::size_t line_no = 2; next_line(in, line); ++line_no) {
    if (line.empty()) continue;
    const auto fields = split_fields(line);
    if (fields.size() != width) {
      throw ResultFileError(file_name + " line " + std::to_string(line_no) + ": " +
                            std::to_string(fields.size()) + " fields where the header names " +
                            std::to_string(width));
    }
    for (std::size_t c = 0; c < width; ++c) {
      const auto v = number_in(fields[c]);
      if (t.rows_ == 0) is_words[c] = !v;
      if (is_words[c]) {
        t.words_[c].emplace_back(fields[c]);
      } else if (v) {
        t.numbers_[c].push_back(*v);
      } else {
        throw ResultFileError(file_name + " line " + std::to_string(line_no) + ": '" +
                              std::string(fields[c]) + "' in column " + t.names_[c] +
                              " is not a number");
      }
    }
    ++t.rows_;
  }
  if (in.bad()) throw ResultFileError(file_name + ": cannot be read to its end");
  return t;
}

ResultTable ResultTable::read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ResultFileError(path.filename().string() + ": cannot be opened");
  return parse(in, path.filename().string());
}

bool ResultTable::has_column(std::string_view name) const {
  for (const auto& n : names_) {
    if (n == name) return true;
  }
  return false;
}

std::size_t ResultTable::index_of(std::string_view name) const {
  for (std::size_t c = 0; c < names_.size(); ++c) {
    if (names_[c] == name) return c;
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
