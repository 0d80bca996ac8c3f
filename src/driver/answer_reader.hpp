#pragma once

// Free-form reading of the console answers.
//
// Values are separated by blanks, tabs, commas or line ends. Every question
// starts on a fresh input line: its values are taken from that line and, when
// it holds fewer, from the lines that follow (blank lines are passed over).
// After its values a line may carry a note: the note begins at the first token
// that does not read as a number ("2   3-D desiccation considered?"). A line
// that still holds a number after the values of its question is refused, so
// that "1,5" (a decimal comma) or two answers typed on one line never shift
// every later answer.
//
// Integers (switches and counts) are an optional sign and digits. Reals are
// decimal numbers with an optional exponent introduced by E, e, D or d
// ("1.5D3"); words such as "nan" or "inf" are not numbers. A UTF-8 byte-order
// mark before the first line is passed over, and a carriage return before a
// line end counts as a blank.
//
// Every message names the line (counted from the first line of the input) and
// the answer in words: "line 7 (GW, unit weight of water): 'water' is not a
// number". An unreadable value or a line with numbers left over throws
// RefusedAnswer; the end of the input throws RunStop (StopKind::BadInput).

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace slurry1d {

// What an answer is called in messages: the dialog's short name and its
// meaning in words.
struct AnswerName {
  std::string symbol;  // "GW", "OPT(2)"
  std::string words;   // "unit weight of water"
};

// An answer that cannot be taken as it stands, with the message that says
// where and why. At a terminal its question is asked again.
class RefusedAnswer : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class AnswerReader {
 public:
  explicit AnswerReader(std::istream& in) : in_(&in) {}

  // Starts the next question: its first value comes from a fresh input line,
  // and whatever is left on the current line is dropped. `words` describes a
  // question of several values ("compression and permeability constants");
  // `then` names the question always asked next, for the message about a line
  // that holds two answers.
  void next_question(std::string_view words = {}, std::string_view then = {});

  // The next value of the current question.
  double real(const AnswerName& name);
  int integer(const AnswerName& name);

  // Ends the current question: refuses its last line when a number follows
  // the values (what follows them may only be a note).
  void end_question();

  // Where an answer of the current question stands, for a message: "line 7
  // (GW, unit weight of water)" for the value of that symbol, and for any
  // other symbol the question as a whole, "line 1 (A1, B1, C, D, Z1:
  // compression and permeability constants)".
  std::string where(std::string_view symbol) const;

 private:
  struct Taken {
    AnswerName name;
    int line;
  };

  std::string_view next_token(const AnswerName& name);
  // The next token, taken as the value of that name.
  std::string_view take(const AnswerName& name);
  // Refuses the value just taken when `why` says it cannot be read.
  void refuse_unread(const std::string& why) const;
  bool read_line();
  std::string where_taken(const Taken& t) const;
  std::string where_question(int line) const;
  std::string question_symbols() const;
  [[noreturn]] void refuse(const std::string& where, const std::string& why) const;
  [[noreturn]] void refuse_leftover_numbers() const;

  std::istream* in_;
  std::string line_;
  std::size_t pos_ = 0;
  bool line_open_ = false;
  int line_number_ = 0;  // lines read so far; the current line's number
  std::string words_;
  std::string then_;
  std::vector<Taken> taken_;  // the values of the current question read so far
};

// Parsing of one answer token into an integer or a real; value is set only
// when the result is Ok. A real reads as the nearest double (halfway cases to
// the even one), the same bits on every platform; one too large for a double,
// or a token of 128 characters or more, is out of range; one too small reads
// as 0 or a subnormal.
enum class TokenRead { Ok, NotANumber, OutOfRange };
TokenRead parse_integer_token(std::string_view token, int& value);
TokenRead parse_real_token(std::string_view token, double& value);

// Whether a token reads as a number of either kind (in range or not): the
// tokens that may not stand after the values of a question.
bool reads_as_number(std::string_view token);

// The tokens of one answer line: values and note alike.
std::vector<std::string_view> line_tokens(std::string_view line);

// The number of values at the start of a line, before its note.
std::size_t leading_numbers(std::string_view line);

// The first number among the leading values of a line written with a decimal
// comma, rewritten with a point ("1,5" gives "1.5"); empty when there is none.
std::string decimal_comma_number(std::string_view line);

}  // namespace slurry1d
