#include "output/result_files.hpp"

#include <string>
#include <string_view>
#include <utility>

#include "model/run_stop.hpp"

namespace slurry1d {

int NonFiniteWatch::overflow(int c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  look(traits_type::to_char_type(c));
  if (target_ == nullptr) return traits_type::eof();
  return target_->sputc(traits_type::to_char_type(c));
}

std::streamsize NonFiniteWatch::xsputn(const char* s, std::streamsize n) {
  for (std::streamsize i = 0; i < n; ++i) look(s[i]);
  if (target_ == nullptr) return 0;
  return target_->sputn(s, n);
}

int NonFiniteWatch::sync() {
  return target_ == nullptr ? -1 : target_->pubsync();
}

void NonFiniteWatch::look(char c) {
  if (c == '\n') {
    ++line_;
    last_[0] = last_[1] = last_[2] = ' ';
    return;
  }
  last_[0] = last_[1];
  last_[1] = last_[2];
  last_[2] = c;
  const std::string_view tail(last_, 3);
  if (first_line_ == 0 && (tail == "NaN" || tail == "Inf")) first_line_ = line_;
}

void ResultFiles::open_file(File& f, const char* name, RecordWriter& writer) {
  const std::filesystem::path path = directory_ / name;
  f.file.open(path, std::ios::out | std::ios::trunc);
  if (!f.file) {
    throw RunStop(
        StopKind::FileError,
        {"cannot create " +
         (directory_ == "." ? std::string(name) + " in the current directory" : path.string())});
  }
  f.watch.forward_to(f.file.rdbuf());
  writer.attach(f.stream);
}

namespace {

bool close_file(ResultFiles::File& f, RecordWriter& writer) {
  writer.detach();
  if (!f.file.is_open()) return true;
  f.stream.flush();
  f.file.flush();
  const bool good = f.stream.good() && f.file.good();
  f.file.close();
  return good && !f.file.fail();
}

}  // namespace

void ResultFiles::open_input(Outputs& out) {
  open_file(input_, "input", out.input);
}

void ResultFiles::open_results(Outputs& out) {
  open_file(vd_, "vd.out", out.vd);
  open_file(ts_, "ts.out", out.ts);
  open_file(tc_, "tc.out", out.tc);
}

void ResultFiles::close(Outputs& out) {
  bool good = close_file(input_, out.input);
  good = close_file(vd_, out.vd) && good;
  good = close_file(ts_, out.ts) && good;
  good = close_file(tc_, out.tc) && good;
  if (!good) throw RunStop(StopKind::FileError, {"a result file could not be written completely"});
}

std::optional<NonFiniteResult> ResultFiles::first_non_finite() const {
  const std::pair<const char*, const File*> files[] = {
      {"input", &input_}, {"vd.out", &vd_}, {"ts.out", &ts_}, {"tc.out", &tc_}};
  for (const auto& [name, f] : files) {
    if (const long line = f->watch.first_line(); line != 0) return NonFiniteResult{name, line};
  }
  return std::nullopt;
}

}  // namespace slurry1d
