#pragma once

// Free-form reading of the console answers.
//
// Values are separated by blanks, tabs, commas or line ends. Every question
// starts on a fresh input line: its values are taken from that line and, when
// it holds fewer, from the lines that follow (blank lines are passed over).
// Once a question has its values, whatever else stands on its last line (a
// note such as "A1 B1 C D Z1" in an answer file) is passed over unread.
//
// Integers (switches and counts) are an optional sign and digits. Reals are
// decimal numbers with an optional exponent introduced by E, e, D or d
// ("1.5D3"); words such as "nan" or "inf" are not numbers. An unreadable value
// or the end of the input throws RunStop (StopKind::BadInput) naming the value.

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

namespace slurry1d {

class AnswerReader {
 public:
  explicit AnswerReader(std::istream& in) : in_(&in) {}

  // Starts the next question: its first value comes from a fresh input line,
  // and whatever is left on the current line is dropped.
  void next_question() { line_open_ = false; }

  // The next value of the current question, named for the error message.
  double real(std::string_view name);
  int integer(std::string_view name);

 private:
  std::string_view next_token(std::string_view name);

  std::istream* in_;
  std::string line_;
  std::size_t pos_ = 0;
  bool line_open_ = false;
};

// Parsing of one answer token into an integer or a real; value is set only
// when the result is Ok. A real reads as the nearest double (halfway cases to
// the even one), the same bits on every platform; one too large for a double,
// or a token of 128 characters or more, is out of range; one too small reads
// as 0 or a subnormal.
enum class TokenRead { Ok, NotANumber, OutOfRange };
TokenRead parse_integer_token(std::string_view token, int& value);
TokenRead parse_real_token(std::string_view token, double& value);

}  // namespace slurry1d
