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

[[noreturn]] void refuse_token(std::string_view name, std::string_view token,
                               std::string_view why) {
  std::string msg = "cannot read ";
  msg.append(name);
  msg += ": ";
  msg += quoted(token);
  msg += ' ';
  msg.append(why);
  throw RunStop(StopKind::BadInput, {msg});
}

}  // namespace

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

std::string_view AnswerReader::next_token(std::string_view name) {
  for (;;) {
    if (!line_open_) {
      if (!std::getline(*in_, line_)) {
        std::string msg = "cannot read ";
        msg.append(name);
        msg += ": the input ended";
        throw RunStop(StopKind::BadInput, {msg});
      }
      line_open_ = true;
      pos_ = 0;
    }
    while (pos_ < line_.size() && is_separator(line_[pos_])) ++pos_;
    if (pos_ == line_.size()) {
      line_open_ = false;
      continue;
    }
    const std::size_t start = pos_;
    while (pos_ < line_.size() && !is_separator(line_[pos_])) ++pos_;
    return std::string_view(line_).substr(start, pos_ - start);
  }
}

namespace {

// Parses a token into a value of the wanted kind, or refuses it naming the
// answer: "is out of range", or `not_a_kind` ("is not a number").
template <typename T, typename Parse>
T parse_or_refuse(std::string_view name, std::string_view token, Parse parse,
                  std::string_view not_a_kind) {
  T value{};
  switch (parse(token, value)) {
    case TokenRead::Ok:
      return value;
    case TokenRead::OutOfRange:
      refuse_token(name, token, "is out of range");
    case TokenRead::NotANumber:
      break;
  }
  refuse_token(name, token, not_a_kind);
}

}  // namespace

double AnswerReader::real(std::string_view name) {
  return parse_or_refuse<double>(name, next_token(name), parse_real_token, "is not a number");
}

int AnswerReader::integer(std::string_view name) {
  return parse_or_refuse<int>(name, next_token(name), parse_integer_token, "is not an integer");
}

}  // namespace slurry1d
