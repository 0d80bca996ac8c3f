#include "driver/answer_reader.hpp"

#include <array>
#include <charconv>

#include "model/run_stop.hpp"
#include "platform/number_text.hpp"

namespace slurry1d {

namespace {

bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\r';
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_exponent_letter(char c) {
  return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

std::string_view without_plus(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  return token;
}

// Length of the run of digits at the start of s.
std::size_t digit_run(std::string_view s) {
  std::size_t n = 0;
  while (n < s.size() && is_digit(s[n])) ++n;
  return n;
}

// True when token is [sign] digits [. digits] | [sign] . digits, followed by an
// optional exponent letter, optional sign and digits.
bool is_decimal_number(std::string_view token) {
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  const std::size_t whole = digit_run(token.substr(i));
  i += whole;
  std::size_t fraction = 0;
  if (i < token.size() && token[i] == '.') {
    ++i;
    fraction = digit_run(token.substr(i));
    i += fraction;
  }
  if (whole + fraction == 0) return false;
  if (i == token.size()) return true;
  if (!is_exponent_letter(token[i])) return false;
  ++i;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  const std::size_t exponent = digit_run(token.substr(i));
  return exponent > 0 && i + exponent == token.size();
}

std::string quoted(std::string_view token) {
  std::string s = "'";
  s.append(token);
  s += '\'';
  return s;
}

bool is_digits(std::string_view s) {
  return !s.empty() && digit_run(s) == s.size();
}

// How many values, in words as a reader says them.
std::string count_words(std::size_t n) {
  constexpr std::string_view kWords[] = {"none", "one", "two", "three", "four", "five"};
  return n < std::size(kWords) ? std::string(kWords[n]) : std::to_string(n);
}

// A token and where it ends on its line.
struct Token {
  std::string_view text;
  std::size_t end = 0;
};

// The token starting at or after pos, or an empty one at the end of the line.
Token token_at(std::string_view line, std::size_t pos) {
  while (pos < line.size() && is_separator(line[pos])) ++pos;
  const std::size_t start = pos;
  while (pos < line.size() && !is_separator(line[pos])) ++pos;
  return {line.substr(start, pos - start), pos};
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

bool reads_as_number(std::string_view token) {
  return is_decimal_number(token);
}

std::vector<std::string_view> line_tokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  for (Token t = token_at(line, 0); !t.text.empty(); t = token_at(line, t.end)) {
    tokens.push_back(t.text);
  }
  return tokens;
}

std::size_t leading_numbers(std::string_view line) {
  std::size_t n = 0;
  for (const std::string_view token : line_tokens(line)) {
    if (!reads_as_number(token)) break;
    ++n;
  }
  return n;
}

// A decimal comma splits one number into two values with a single comma and
// no blank between them: an integer part (digits, perhaps signed) and a
// fraction of digits, perhaps with an exponent ("6,8e-7").
std::string decimal_comma_number(std::string_view line) {
  Token left = token_at(line, 0);
  if (!reads_as_number(left.text)) return {};
  for (Token right = token_at(line, left.end); reads_as_number(right.text);
       left = right, right = token_at(line, right.end)) {
    const std::size_t start = right.end - right.text.size();
    const bool one_comma = start == left.end + 1 && line[left.end] == ',';
    const bool whole = is_digits(without_plus(left.text)) ||
                       (left.text.front() == '-' && is_digits(left.text.substr(1)));
    if (one_comma && whole && is_digit(right.text.front()) &&
        right.text.find('.') == std::string_view::npos) {
      std::string joined(left.text);
      joined += '.';
      joined.append(right.text);
      return joined;
    }
  }
  return {};
}

TokenRead parse_integer_token(std::string_view token, int& value) {
  const std::size_t sign = !token.empty() && (token[0] == '+' || token[0] == '-') ? 1 : 0;
  if (token.size() == sign || digit_run(token.substr(sign)) != token.size() - sign) {
    return TokenRead::NotANumber;
  }
  const std::string_view text = without_plus(token);
  int parsed = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec == std::errc::result_out_of_range) return TokenRead::OutOfRange;
  if (ec != std::errc() || ptr != text.data() + text.size()) return TokenRead::NotANumber;
  value = parsed;
  return TokenRead::Ok;
}

TokenRead parse_real_token(std::string_view token, double& value) {
  if (!is_decimal_number(token)) return TokenRead::NotANumber;
  // A Fortran "D" exponent reads as "e"; answers are short, so a fixed buffer
  // holds any token worth reading.
  const std::string_view body = without_plus(token);
  std::array<char, 128> buf{};
  if (body.size() >= buf.size()) return TokenRead::OutOfRange;
  for (std::size_t i = 0; i < body.size(); ++i) {
    buf[i] = (body[i] == 'D' || body[i] == 'd') ? 'e' : body[i];
  }
  switch (platform::read_double(std::string_view(buf.data(), body.size()), value)) {
    case platform::NumberRead::Ok:
      return TokenRead::Ok;
    case platform::NumberRead::OutOfRange:
      return TokenRead::OutOfRange;
    case platform::NumberRead::NotANumber:
      break;
  }
  return TokenRead::NotANumber;
}

void AnswerReader::next_question(std::string_view words, std::string_view then) {
  line_open_ = false;
  words_ = words;
  then_ = then;
  taken_.clear();
}

bool AnswerReader::read_line() {
  if (!std::getline(*in_, line_)) return false;
  ++line_number_;
  if (line_number_ == 1 && line_.starts_with(kByteOrderMark)) {
    line_.erase(0, kByteOrderMark.size());
  }
  line_open_ = true;
  pos_ = 0;
  return true;
}

std::string_view AnswerReader::next_token(const AnswerName& name) {
  for (;;) {
    if (!line_open_ && !read_line()) {
      const std::string why = line_number_ == 0
                                  ? "the input is empty"
                                  : "the input ends after line " + std::to_string(line_number_);
      throw RunStop(StopKind::BadInput,
                    {where_taken({name, line_number_ + 1}) + ": no answer: " + why});
    }
    const Token t = token_at(line_, pos_);
    if (t.text.empty()) {
      line_open_ = false;
      continue;
    }
    pos_ = t.end;
    return t.text;
  }
}

std::string AnswerReader::where_taken(const Taken& t) const {
  return "line " + std::to_string(t.line) + " (" + t.name.symbol + ", " + t.name.words + ")";
}

std::string AnswerReader::question_symbols() const {
  std::string symbols;
  for (const Taken& t : taken_) {
    if (!symbols.empty()) symbols += ", ";
    symbols += t.name.symbol;
  }
  return symbols;
}

std::string AnswerReader::where_question(int line) const {
  if (taken_.size() == 1) return where_taken({taken_.front().name, line});
  std::string w = "line " + std::to_string(line) + " (" + question_symbols();
  if (!words_.empty()) w += ": " + words_;
  return w + ")";
}

std::string AnswerReader::where(std::string_view symbol) const {
  for (const Taken& t : taken_) {
    if (t.name.symbol == symbol) return where_taken(t);
  }
  return where_question(taken_.empty() ? line_number_ : taken_.front().line);
}

void AnswerReader::refuse(const std::string& where, const std::string& why) const {
  throw RefusedAnswer(where + ": " + why);
}

void AnswerReader::end_question() {
  if (!line_open_ || taken_.empty()) return;
  if (reads_as_number(token_at(line_, pos_).text)) refuse_leftover_numbers();
}

// The likely causes, where they are plain: a decimal comma, or two answers
// typed on one line.
void AnswerReader::refuse_leftover_numbers() const {
  std::size_t here = 0;
  for (const Taken& t : taken_) here += t.line == line_number_ ? 1 : 0;
  const std::string symbols = question_symbols();
  std::string why = "this line holds " + std::to_string(leading_numbers(line_)) + " numbers but ";
  if (here == taken_.size()) {
    why += symbols + (here == 1 ? " takes " : " take ") + count_words(here);
  } else {
    why += "only " + count_words(here) + " of " + symbols + (here == 1 ? " was" : " were") +
           " left to answer on it";
  }
  const std::string comma = decimal_comma_number(line_);
  if (!comma.empty()) {
    why += ": a decimal comma? write " + comma;
  } else {
    std::string causes;
    if (taken_.size() == 1) {
      causes = then_.empty() ? "every question is answered on a line of its own"
                             : symbols + " and " + then_ + " are asked on separate lines";
    }
    if (leading_numbers(line_) < line_tokens(line_).size()) {
      if (!causes.empty()) causes += "; ";
      causes += "a note after the values must not begin with a number";
    }
    if (!causes.empty()) why += ": " + causes;
  }
  refuse(where_question(line_number_), why);
}

namespace {

// Parses a token into a value of the wanted kind; the reason it cannot be
// read otherwise: "is out of range", or `not_a_kind` ("is not a number").
template <typename T, typename Parse>
std::string parse_token(std::string_view token, Parse parse, std::string_view not_a_kind,
                        T& value) {
  switch (parse(token, value)) {
    case TokenRead::Ok:
      return {};
    case TokenRead::OutOfRange:
      return quoted(token) + " is out of range";
    case TokenRead::NotANumber:
      break;
  }
  return quoted(token) + " " + std::string(not_a_kind);
}

}  // namespace

std::string_view AnswerReader::take(const AnswerName& name) {
  const std::string_view token = next_token(name);
  taken_.push_back({name, line_number_});
  return token;
}

void AnswerReader::refuse_unread(const std::string& why) const {
  if (!why.empty()) refuse(where_taken(taken_.back()), why);
}

double AnswerReader::real(const AnswerName& name) {
  double value = 0.0;
  refuse_unread(parse_token(take(name), parse_real_token, "is not a number", value));
  return value;
}

int AnswerReader::integer(const AnswerName& name) {
  int value = 0;
  refuse_unread(parse_token(take(name), parse_integer_token, "is not an integer", value));
  return value;
}

}  // namespace slurry1d
