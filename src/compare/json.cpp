#include "compare/json.hpp"

#include <cstdint>
#include <limits>

#include "platform/number_text.hpp"

namespace slurry1d::compare {
namespace {

// Nesting deeper than a summary ever needs is refused rather than followed
// down the stack.
constexpr int MAX_DEPTH = 64;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

class Parser {
 public:
  Parser(std::string_view text, const std::string& source) : text_(text), source_(source) {}

  JsonValue document() {
    skip_blanks();
    JsonValue v = value(0);
    skip_blanks();
    if (pos_ != text_.size()) fail("text after the end of the value");
    return v;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) {
      if (text_[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    throw JsonError(source_ + " line " + std::to_string(line) + " column " +
                    std::to_string(column) + ": " + what);
  }

  bool at_end() const { return pos_ >= text_.size(); }
  char peek() const { return at_end() ? '\0' : text_[pos_]; }

  void skip_blanks() {
    while (!at_end() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
      ++pos_;
    }
  }

  void expect(char c) {
    if (peek() != c) fail(std::string("expected '") + c + "'");
    ++pos_;
  }

  bool take_word(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  JsonValue value(int depth) {
    if (depth > MAX_DEPTH) fail("nested deeper than " + std::to_string(MAX_DEPTH) + " levels");
    if (at_end()) fail("the text ends where a value is expected");
    JsonValue v;
    switch (peek()) {
      case '{':
        return object(depth);
      case '[':
        return array(depth);
      case '"':
        v.kind = JsonKind::String;
        v.text = string();
        return v;
      default:
        break;
    }
    if (take_word("true")) {
      v.kind = JsonKind::Boolean;
      v.boolean = true;
      return v;
    }
    if (take_word("false")) {
      v.kind = JsonKind::Boolean;
      return v;
    }
    if (take_word("null")) return v;
    v.kind = JsonKind::Number;
    v.number = number();
    return v;
  }

  JsonValue object(int depth) {
    JsonValue v;
    v.kind = JsonKind::Object;
    expect('{');
    skip_blanks();
    if (peek() == '}') {
      ++pos_;
      return v;
    }
    for (;;) {
      skip_blanks();
      if (peek() != '"') fail("expected a member name in double quotes");
      v.member_names.push_back(string());
      skip_blanks();
      expect(':');
      skip_blanks();
      v.items.push_back(value(depth + 1));
      skip_blanks();
      if (peek() == '}') {
        ++pos_;
        return v;
      }
      if (peek() != ',') fail("expected ',' or '}' after a member");
      ++pos_;
    }
  }

  JsonValue array(int depth) {
    JsonValue v;
    v.kind = JsonKind::Array;
    expect('[');
    skip_blanks();
    if (peek() == ']') {
      ++pos_;
      return v;
    }
    for (;;) {
      skip_blanks();
      v.items.push_back(value(depth + 1));
      skip_blanks();
      if (peek() == ']') {
        ++pos_;
        return v;
      }
      if (peek() != ',') fail("expected ',' or ']' after an element");
      ++pos_;
    }
  }

  // A number as JSON writes it, or one of the words for the numbers that are
  // not finite.
  double number() {
    if (take_word("NaN")) return std::numeric_limits<double>::quiet_NaN();
    if (take_word("Infinity")) return std::numeric_limits<double>::infinity();
    if (take_word("-Infinity")) return -std::numeric_limits<double>::infinity();
    const std::size_t start = pos_;
    if (peek() == '-') ++pos_;
    if (peek() == '0') {
      ++pos_;
    } else if (is_digit(peek())) {
      while (is_digit(peek())) ++pos_;
    } else {
      pos_ = start;
      fail("expected a value");
    }
    if (peek() == '.') {
      ++pos_;
      if (!is_digit(peek())) fail("expected a digit after the decimal point");
      while (is_digit(peek())) ++pos_;
    }
    if (peek() == 'e' || peek() == 'E') {
      ++pos_;
      if (peek() == '+' || peek() == '-') ++pos_;
      if (!is_digit(peek())) fail("expected a digit in the exponent");
      while (is_digit(peek())) ++pos_;
    }
    double v = 0.0;
    const auto read = platform::read_double(text_.substr(start, pos_ - start), v);
    if (read != platform::NumberRead::Ok) {
      pos_ = start;
      fail("a number out of the range of a double");
    }
    return v;
  }

  unsigned hex4() {
    unsigned code = 0;
    for (int i = 0; i < 4; ++i, ++pos_) {
      const char c = peek();
      code <<= 4;
      if (is_digit(c)) {
        code |= static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        code |= static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        code |= static_cast<unsigned>(c - 'A' + 10);
      } else {
        fail("expected four hexadecimal digits after \\u");
      }
    }
    return code;
  }

  static void append_utf8(std::string& out, std::uint32_t code) {
    const auto byte = [&](std::uint32_t b) { out.push_back(static_cast<char>(b)); };
    if (code < 0x80) {
      byte(code);
    } else if (code < 0x800) {
      byte(0xC0 | (code >> 6));
      byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      byte(0xE0 | (code >> 12));
      byte(0x80 | ((code >> 6) & 0x3F));
      byte(0x80 | (code & 0x3F));
    } else {
      byte(0xF0 | (code >> 18));
      byte(0x80 | ((code >> 12) & 0x3F));
      byte(0x80 | ((code >> 6) & 0x3F));
      byte(0x80 | (code & 0x3F));
    }
  }

  // A \u escape, with the second half of a surrogate pair when the first
  // half asks for one.
  std::uint32_t unicode_escape() {
    const unsigned first = hex4();
    if (first >= 0xDC00 && first <= 0xDFFF) fail("a lone low surrogate in \\u escapes");
    if (first < 0xD800 || first > 0xDBFF) return first;
    if (!take_word("\\u")) fail("a high surrogate without its low half");
    const unsigned second = hex4();
    if (second < 0xDC00 || second > 0xDFFF) fail("a high surrogate without its low half");
    return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
  }

  void escape(std::string& out) {
    const char c = peek();
    ++pos_;
    switch (c) {
      case '"':
      case '\\':
      case '/':
        out.push_back(c);
        return;
      case 'b':
        out.push_back('\b');
        return;
      case 'f':
        out.push_back('\f');
        return;
      case 'n':
        out.push_back('\n');
        return;
      case 'r':
        out.push_back('\r');
        return;
      case 't':
        out.push_back('\t');
        return;
      case 'u':
        append_utf8(out, unicode_escape());
        return;
      default:
        --pos_;
        fail("an unknown escape in a string");
    }
  }

  std::string string() {
    expect('"');
    std::string out;
    for (;;) {
      if (at_end()) fail("the text ends inside a string");
      const char c = peek();
      if (c == '"') {
        ++pos_;
        return out;
      }
      if (static_cast<unsigned char>(c) < 0x20) fail("a control character inside a string");
      ++pos_;
      if (c == '\\') {
        escape(out);
      } else {
        out.push_back(c);
      }
    }
  }

  std::string_view text_;
  const std::string& source_;
  std::size_t pos_ = 0;
};

}  // namespace

const JsonValue* JsonValue::find(std::string_view name) const {
  if (kind != JsonKind::Object) return nullptr;
  for (std::size_t i = member_names.size(); i-- > 0;) {
    if (member_names[i] == name) return &items[i];
  }
  return nullptr;
}

JsonValue parse_json(std::string_view text, const std::string& source) {
  return Parser(text, source).document();
}

}  // namespace slurry1d::compare
