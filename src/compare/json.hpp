#pragma once

// A small JSON reader for the summary a run leaves beside its result tables
// (summary.json). It reads the whole of RFC 8259 (objects, arrays, strings
// with every escape, numbers, true, false, null) and, as the words the result
// files use for numbers that are not finite, NaN, Infinity and -Infinity.
// Numbers are read correctly rounded (platform/number_text.hpp).
//
//   const JsonValue summary = parse_json(text, "summary.json");
//   if (const JsonValue* h = summary.find("final_height"); h && h->is_number()) ...

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace slurry1d::compare {

// Text that is not JSON; the message names the file, line and column.
class JsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class JsonKind { Null, Boolean, Number, String, Array, Object };

class JsonValue {
 public:
  JsonKind kind = JsonKind::Null;
  bool boolean = false;
  double number = 0.0;
  std::string text;                       // a string's characters, UTF-8
  std::vector<JsonValue> items;           // an array's elements; an object's member values
  std::vector<std::string> member_names;  // an object's member names, in the order written

  bool is_null() const { return kind == JsonKind::Null; }
  bool is_number() const { return kind == JsonKind::Number; }
  bool is_string() const { return kind == JsonKind::String; }
  bool is_array() const { return kind == JsonKind::Array; }
  bool is_object() const { return kind == JsonKind::Object; }

  // The member of an object by name (the last one, when a name repeats), or
  // null when this is not an object or has no such member.
  const JsonValue* find(std::string_view name) const;
};

// Reads one JSON value filling the whole text (blanks around it allowed).
// `source` names the text in messages. Throws JsonError.
JsonValue parse_json(std::string_view text, const std::string& source);

}  // namespace slurry1d::compare
