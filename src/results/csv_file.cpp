#include "results/csv_file.hpp"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <span>

#include "model/run_stop.hpp"
#include "output/fields.hpp"

namespace slurry1d::results {
namespace {

// "history.csv in the current directory" or the path as given.
std::string file_words(const std::filesystem::path& path) {
  const std::filesystem::path dir = path.parent_path();
  if (dir.empty() || dir == ".") return path.filename().string() + " in the current directory";
  return path.string();
}

}  // namespace

std::string cannot_create(const std::filesystem::path& path) {
  return "cannot create " + file_words(path);
}

std::string cannot_write(const std::filesystem::path& path) {
  return file_words(path) + " could not be written completely";
}

void CsvFile::open(const std::filesystem::path& path, std::string_view header) {
  path_ = path;
  file_.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!file_) throw RunStop(StopKind::FileError, {cannot_create(path)});
  buffer_.assign(BUFFER_SIZE, '\0');
  used_ = 0;
  row_started_ = false;
  failed_ = false;
  file_.write(header.data(), static_cast<std::streamsize>(header.size()));
  file_.put('\n');
  if (!file_) failed_ = true;
}

// Where the next field goes, after the comma that separates it from the last.
char* CsvFile::field_start() {
  assert(used_ + MAX_ROW / 8 <= buffer_.size());
  if (row_started_) buffer_[used_++] = ',';
  row_started_ = true;
  return buffer_.data() + used_;
}

CsvFile& CsvFile::real(double value) {
  char* at = field_start();
  used_ += static_cast<std::size_t>(render_free_real(std::span<char>(at, 32), value));
  return *this;
}

CsvFile& CsvFile::integer(long long value) {
  char* at = field_start();
  used_ += static_cast<std::size_t>(render_free_int(std::span<char>(at, 32), value));
  return *this;
}

CsvFile& CsvFile::word(std::string_view text) {
  char* at = field_start();
  const std::size_t n = std::min(text.size(), std::size_t{64});
  std::memcpy(at, text.data(), n);
  used_ += n;
  return *this;
}

void CsvFile::end_row() {
  buffer_[used_++] = '\n';
  row_started_ = false;
  if (used_ + MAX_ROW > buffer_.size()) drain();
}

void CsvFile::drain() {
  if (used_ == 0 || !file_.is_open()) return;
  file_.write(buffer_.data(), static_cast<std::streamsize>(used_));
  used_ = 0;
  if (!file_) failed_ = true;
}

bool CsvFile::flush() {
  drain();
  if (file_.is_open()) {
    file_.flush();
    if (!file_) failed_ = true;
  }
  return !failed_;
}

bool CsvFile::close() {
  if (!file_.is_open()) return !failed_;
  flush();
  file_.close();
  if (file_.fail()) failed_ = true;
  return !failed_;
}

}  // namespace slurry1d::results
