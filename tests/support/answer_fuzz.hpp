#pragma once

// Answer files of every kind of run, the mutations that turn them into bad
// input, and an in-process run of the whole program (dialog, set-up, time
// loop, files) on such a file in a scratch directory.

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "driver/simulation.hpp"
#include "output/record_writer.hpp"

namespace slurry1d::testing {

struct AnswerFile {
  std::string name;
  std::string text;
};

// Valid answer files, one per kind of run, each with output times short
// enough that the run ends in a fraction of a second.
inline std::vector<AnswerFile> valid_answer_files() {
  const std::string soil = "7.0 -0.2 6.8e-8 4.0 0.1\n";
  return {
      {"self-weight",
       soil + "2\n2.65\n9.81\n10.0\n2\n2\n0.0\n1\n1.0\n0.0\n2\n20.0\n50.0\n20.0\n2\n"},
      {"surcharge, pervious base",
       soil + "2\n2.65\n9.81\n10.0\n2\n2\n5.0\n3\n1.0\n0.0\n2\n20.0\n60.0\n20.0\n2\n"},
      {"pressure head at the base",
       soil + "2\n2.65\n9.81\n10.0\n2\n2\n0.0\n2\n5.0\n1.0\n0.0\n1\n50.0\n20.0\n2\n"},
      {"velocity at the base",
       soil + "2\n2.65\n9.81\n10.0\n2\n2\n0.0\n4\n1.0e-6\n1.0\n0.0\n1\n50.0\n20.0\n2\n"},
      {"evaporation on top",
       soil + "2\n2.65\n9.81\n10.0\n2\n1\n1.0e-6\n1\n1.0\n0.0\n1\n50.0\n20.0\n2\n"},
      {"staged filling",
       soil + "2\n2.65\n9.81\n0.0\n1\n2\n0.0 20.0 0.1\n30.0 40.0 0.1\n2\n0.0\n1\n1.0\n0.0\n1\n"
              "60.0\n10.0\n2\n"},
      {"continued run", soil + "2\n2.65\n9.81\n10.0\n2\n2\n0.0\n3\n1.0\n0.0\n1\n20.0\n10.0\n1\n5\n"
                               "11.0 9.0\n10.5 6.0\n10.0 3.0\n9.5 1.0\n9.2 0.0\n"},
      {"desiccation",
       soil + "1\n7.0 -0.15\n1.0 0.01 1.0 0.1\n0.0\n3.0\n2.65\n9.81\n1.0\n2\n1\n1e-3\n1\n1.0\n"
              "0.0\n2\n20.0\n50.0\n20.0\n2\n"},
      {"hidden tolerances",
       soil + "3\n1.0e-6\n1.0e-8\n2\n2.65\n9.81\n10.0\n2\n2\n0.0\n1\n1.0\n0.0\n1\n50.0\n20.0\n2\n"},
  };
}

// A console that keeps only its last line.
class LastLineBuffer : public std::streambuf {
 public:
  std::string last_line() const { return std::string(done_, static_cast<std::size_t>(done_len_)); }

 protected:
  int overflow(int c) override {
    if (c != traits_type::eof()) take(static_cast<char>(c));
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    for (std::streamsize i = 0; i < n; ++i) take(s[i]);
    return n;
  }

 private:
  static constexpr int CAPACITY = 200;
  void take(char c) {
    if (c == '\n') {
      std::copy(open_, open_ + open_len_, done_);
      done_len_ = open_len_;
      open_len_ = 0;
    } else if (open_len_ < CAPACITY) {
      open_[open_len_++] = c;
    }
  }
  char open_[CAPACITY] = {};
  char done_[CAPACITY] = {};
  int open_len_ = 0;
  int done_len_ = 0;
};

inline bool holds_non_finite(const std::string& text) {
  return text.find("NaN") != std::string::npos || text.find("Inf") != std::string::npos;
}

inline std::string read_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A fresh directory made the current one for as long as the object lives.
class ScratchDirectory {
 public:
  ScratchDirectory() : previous_(std::filesystem::current_path()) {
    std::string name = (std::filesystem::temp_directory_path() / "slurry1d-fuzz-XXXXXX").string();
    if (mkdtemp(name.data()) != nullptr) path_ = name;
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// What one in-process run left behind.
struct RunOutcome {
  int status = -1;            // the exit status the program returns
  std::string message;        // first line on the error channel, without the program name
  std::string last_console;   // the last console line
  std::string foreign_error;  // an exception that escaped the program, or empty
  std::string abnormal;       // a run that crashed or was killed at its time limit, or empty
  double seconds = 0.0;
  std::string input, vd, ts, tc;  // the files, empty when not created

  // The name of the first file holding a non-finite number, or empty.
  std::string non_finite_file() const {
    if (holds_non_finite(input)) return "input";
    if (holds_non_finite(vd)) return "vd.out";
    if (holds_non_finite(ts)) return "ts.out";
    if (holds_non_finite(tc)) return "tc.out";
    return {};
  }
};

inline constexpr const char* RESULT_FILES[] = {"input", "vd.out", "ts.out", "tc.out"};

// Runs the program on `answers` in the current directory, as main does after
// its command line, and reads back the files it left there.
inline RunOutcome run_answers_in_process(const std::string& answers, bool interactive = false) {
  for (const char* name : RESULT_FILES) std::filesystem::remove(name);
  RunOutcome result;
  LastLineBuffer console_buffer;
  std::ostream console(&console_buffer);
  std::ostringstream errors;
  Outputs out;
  out.console.attach(console);
  out.errors.attach(errors);

  const auto start = std::chrono::steady_clock::now();
  try {
    std::istringstream in(answers);
    result.status = run_program(in, interactive, out);
  } catch (const std::exception& e) {
    result.foreign_error = e.what();
  } catch (...) {
    result.foreign_error = "an exception that is not a std::exception";
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  const std::string err = errors.str();
  result.message = err.substr(0, err.find('\n'));
  if (result.message.rfind("slurry1d: ", 0) == 0) result.message.erase(0, 10);
  result.last_console = console_buffer.last_line();
  result.input = read_text("input");
  result.vd = read_text("vd.out");
  result.ts = read_text("ts.out");
  result.tc = read_text("tc.out");
  return result;
}

// Runs the case in a child process of its own, so that a crash, a sanitizer
// report or a run past `limit_seconds` (killed then) is recorded for the case
// and the next case still runs. The child leaves its files in the current
// directory and its outcome in the file "outcome".
inline RunOutcome run_answers_isolated(const std::string& answers, bool interactive,
                                       double limit_seconds) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::filesystem::remove("outcome");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    const RunOutcome r = run_answers_in_process(answers, interactive);
    {
      std::ofstream o("outcome", std::ios::binary);
      o << r.status << '\n'
        << r.seconds << '\n'
        << r.message << '\n'
        << r.last_console << '\n'
        << r.foreign_error << '\n';
    }
    std::exit(0);
  }
  RunOutcome result;
  if (child < 0) {
    result.abnormal = "cannot start a child process";
    return result;
  }
  int raw = 0;
  for (;;) {
    const pid_t done = waitpid(child, &raw, WNOHANG);
    if (done == child) break;
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (elapsed > limit_seconds) {
      kill(child, SIGKILL);
      waitpid(child, &raw, 0);
      result.abnormal = "killed after running past " + std::to_string(limit_seconds) + " s";
      result.seconds = elapsed;
      return result;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFSIGNALED(raw)) {
    result.abnormal = "crashed with signal " + std::to_string(WTERMSIG(raw));
  } else if (!WIFEXITED(raw) || WEXITSTATUS(raw) != 0) {
    result.abnormal = "child ended with status " + std::to_string(WEXITSTATUS(raw));
  }
  std::istringstream o(read_text("outcome"));
  std::string status;
  std::string seconds;
  if (!std::getline(o, status) && result.abnormal.empty()) result.abnormal = "no outcome written";
  std::getline(o, seconds);
  std::getline(o, result.message);
  std::getline(o, result.last_console);
  std::getline(o, result.foreign_error);
  if (!status.empty()) result.status = std::stoi(status);
  result.input = read_text("input");
  result.vd = read_text("vd.out");
  result.ts = read_text("ts.out");
  result.tc = read_text("tc.out");
  return result;
}

// ---------------------------------------------------------------------------
// Mutations.

// A small deterministic generator (SplitMix64), the same on every platform.
class CaseRandom {
 public:
  explicit CaseRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0..n-1; n > 0.
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  template <typename T>
  const T& pick(const std::vector<T>& v) {
    return v[static_cast<std::size_t>(below(static_cast<int>(v.size())))];
  }

 private:
  std::uint64_t state_;
};

enum class Mutation {
  Huge,          // 1e300 and the like
  Tiny,          // 1e-300 and subnormals
  HugeNegative,  // -1e300
  NonNumber,     // NaN and infinity words, garbage
  Zero,
  Negative,
  CountLimit,  // counts at and beyond their limits
  Replace,     // any token by a random number
  Drop,        // a token removed
  Insert,      // a token inserted
  SwapLines,
  Truncate,
};

inline constexpr Mutation ALL_MUTATIONS[] = {
    Mutation::Huge, Mutation::Tiny,     Mutation::HugeNegative, Mutation::NonNumber,
    Mutation::Zero, Mutation::Negative, Mutation::CountLimit,   Mutation::Replace,
    Mutation::Drop, Mutation::Insert,   Mutation::SwapLines,    Mutation::Truncate,
};

inline std::string_view mutation_name(Mutation m) {
  switch (m) {
    case Mutation::Huge:
      return "huge numbers (1e300, 1.7e308)";
    case Mutation::Tiny:
      return "tiny numbers (1e-300, 4e-320)";
    case Mutation::HugeNegative:
      return "huge negative numbers (-1e300)";
    case Mutation::NonNumber:
      return "NaN/inf words, garbage";
    case Mutation::Zero:
      return "zero";
    case Mutation::Negative:
      return "negated values";
    case Mutation::CountLimit:
      return "counts 50, 51, 20000, 20001, -1";
    case Mutation::Replace:
      return "random replacement";
    case Mutation::Drop:
      return "dropped token";
    case Mutation::Insert:
      return "inserted token";
    case Mutation::SwapLines:
      return "swapped lines";
    case Mutation::Truncate:
      return "truncated file";
  }
  return "?";
}

// An answer file as lines of blank-separated tokens.
using TokenLines = std::vector<std::vector<std::string>>;

inline TokenLines tokenize(const std::string& text) {
  TokenLines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<std::string> tokens;
    for (std::string w; words >> w;) tokens.push_back(w);
    lines.push_back(tokens);
  }
  return lines;
}

inline std::string join(const TokenLines& lines) {
  std::string text;
  for (const auto& line : lines) {
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (i > 0) text += ' ';
      text += line[i];
    }
    text += '\n';
  }
  return text;
}

inline bool looks_integer(const std::string& token) {
  if (token.empty()) return false;
  for (std::size_t i = 0; i < token.size(); ++i) {
    const char c = token[i];
    if (!(c >= '0' && c <= '9') && !(i == 0 && (c == '-' || c == '+'))) return false;
  }
  return true;
}

// Position of a token in the file; integers (switches and counts) are chosen
// more often when `prefer_integers` is set.
struct TokenAt {
  std::size_t line = 0;
  std::size_t index = 0;
  bool found = false;
};

inline TokenAt pick_token(const TokenLines& lines, CaseRandom& rng, bool prefer_integers) {
  std::vector<std::pair<std::size_t, std::size_t>> all, integers;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    for (std::size_t i = 0; i < lines[l].size(); ++i) {
      all.emplace_back(l, i);
      if (looks_integer(lines[l][i])) integers.emplace_back(l, i);
    }
  }
  if (all.empty()) return {};
  const auto& from = prefer_integers && !integers.empty() && rng.below(4) != 0 ? integers : all;
  const auto& [l, i] = rng.pick(from);
  return {l, i, true};
}

inline std::string random_number(CaseRandom& rng) {
  static const std::vector<std::string> mantissas = {"1", "-1", "2.5", "0.3", "-7.25", "9", "3"};
  const int exponent = rng.below(41) - 20;
  return rng.pick(mantissas) + "e" + std::to_string(exponent);
}

inline std::string value_for(Mutation m, const std::string& old, CaseRandom& rng) {
  switch (m) {
    case Mutation::Huge:
      return rng.pick(std::vector<std::string>{"1e300", "1.7e308", "1D300", "9e307"});
    case Mutation::Tiny:
      return rng.pick(std::vector<std::string>{"1e-300", "4e-320", "1e-310", "-1e-300"});
    case Mutation::HugeNegative:
      return rng.pick(std::vector<std::string>{"-1e300", "-1.7e308", "-9e307"});
    case Mutation::NonNumber:
      return rng.pick(std::vector<std::string>{"NaN", "nan", "inf", "-inf", "Infinity", "1e999",
                                               "abc", "1.0.0", "--1", "0x10", "1e", ".", "+"});
    case Mutation::Zero:
      return rng.pick(std::vector<std::string>{"0", "0.0", "-0.0", "0e0"});
    case Mutation::Negative:
      if (!old.empty() && old[0] == '-') return old.substr(1);
      return "-" + old;
    case Mutation::CountLimit:
      return rng.pick(std::vector<std::string>{"50", "51", "20000", "20001", "-1", "0", "1", "2",
                                               "3", "4", "5", "2147483647", "2147483648"});
    default:
      return random_number(rng);
  }
}

// Applies one mutation of the given kind; a file without tokens is left as is.
inline void mutate_once(TokenLines& lines, Mutation m, CaseRandom& rng) {
  switch (m) {
    case Mutation::Drop: {
      const TokenAt at = pick_token(lines, rng, false);
      if (at.found) lines[at.line].erase(lines[at.line].begin() + static_cast<long>(at.index));
      return;
    }
    case Mutation::Insert: {
      if (lines.empty()) lines.emplace_back();
      auto& line = lines[static_cast<std::size_t>(rng.below(static_cast<int>(lines.size())))];
      const auto where = static_cast<long>(rng.below(static_cast<int>(line.size()) + 1));
      const Mutation kind = ALL_MUTATIONS[rng.below(8)];
      line.insert(line.begin() + where, value_for(kind, "1", rng));
      return;
    }
    case Mutation::SwapLines: {
      if (lines.size() < 2) return;
      const auto a = static_cast<std::size_t>(rng.below(static_cast<int>(lines.size())));
      const auto b = static_cast<std::size_t>(rng.below(static_cast<int>(lines.size())));
      std::swap(lines[a], lines[b]);
      return;
    }
    case Mutation::Truncate: {
      if (lines.empty()) return;
      const auto keep = static_cast<std::size_t>(rng.below(static_cast<int>(lines.size())));
      lines.resize(keep + 1);
      auto& last = lines.back();
      last.resize(static_cast<std::size_t>(rng.below(static_cast<int>(last.size()) + 1)));
      return;
    }
    default: {
      const TokenAt at = pick_token(lines, rng, m == Mutation::CountLimit);
      if (!at.found) return;
      std::string& token = lines[at.line][at.index];
      token = value_for(m, token, rng);
      return;
    }
  }
}

// A mutated file: one to three mutations of one kind on a valid file.
struct MutatedCase {
  std::string base;
  Mutation kind = Mutation::Replace;
  bool interactive = false;
  std::string text;
};

inline MutatedCase mutated_case(std::uint64_t seed) {
  static const std::vector<AnswerFile> bases = valid_answer_files();
  CaseRandom rng(seed);
  const AnswerFile& base = rng.pick(bases);
  MutatedCase c;
  c.base = base.name;
  c.kind = ALL_MUTATIONS[rng.below(static_cast<int>(std::size(ALL_MUTATIONS)))];
  c.interactive = rng.below(5) == 0;
  TokenLines lines = tokenize(base.text);
  const int count = 1 + rng.below(3);
  for (int i = 0; i < count; ++i) mutate_once(lines, c.kind, rng);
  c.text = join(lines);
  // A file cut off in the middle of its last line.
  if (c.kind == Mutation::Truncate && rng.below(2) == 0 && !c.text.empty()) c.text.pop_back();
  return c;
}

}  // namespace slurry1d::testing
