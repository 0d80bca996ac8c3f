// The JSON reader of run summaries, held against nlohmann/json where that is
// installed (tests only; ./run-tests.sh installs it): the same documents read
// to the same values, the same texts refused.

#include "compare/json.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#if __has_include(<nlohmann/json.hpp>)
#include <nlohmann/json.hpp>
#define SLURRY1D_HAVE_NLOHMANN_JSON 1
#endif

namespace slurry1d::compare {
namespace {

const char* const SUMMARY = R"({
  "program": "slurry1d", "version": "1.0.0",
  "answers": {"A1": 7.0, "B1": -0.2, "C": 6.8e-07, "D": 4, "OPT": [10, 100, 1000.5], "TBF": []},
  "derived": {"E0": 11.094280089640698, "K0": 0.010301514371859223},
  "end": {"reason": "steady_state_height", "message": "top \"reached\" σ′", "time": 29650,
          "exit_status": 0, "output_times_not_reached": [100000]},
  "final_height": 5.0733, "settlement": 4.9267, "run_time_seconds": null, "flag": true
})";

// Documents every JSON reader reads alike.
const std::vector<std::string>& valid_documents() {
  static const std::vector<std::string> docs = {
      SUMMARY,
      "0",
      "-0",
      "  [0.1, 6.8e-07, 1E+2, -1.5e-300, 1.7976931348623157e308, 5e-324, 123456789012] ",
      R"("\"\\\/\b\f\n\r\t\u00e9\u20AC\ud83d\ude00 raw: σ′ ✓")",
      R"({"a": {"b": {"c": [[], {}, [null, true, false]]}}, "": ""})",
      "\n\t\r [ 1 , 2 ]\n",
      R"([1e-7, 2.5E-3, 0.000001, 100000000000000000000])",
  };
  return docs;
}

// Texts that are not JSON.
const std::vector<std::string>& invalid_documents() {
  static const std::vector<std::string> docs = {
      "",         "[1,]",        "{\"a\":1,}",  "01",   "+1",
      ".5",       "1.",          "1e",          "-",    "\"abc",
      "\"a\nb\"", "[1 2]",       "{a:1}",       "tru",  "nul",
      "\"\\x\"",  "\"\\ud800\"", "\"\\udc00\"", "[1]x", "{\"a\" 1}",
      "[",        "\"\\u12G4\"", "{\"a\":}",    "NaN1", "--1",
  };
  return docs;
}

TEST(Json, ReadsARunSummary) {
  const JsonValue v = parse_json(SUMMARY, "summary.json");
  ASSERT_TRUE(v.is_object());
  EXPECT_EQ(v.member_names.size(), 9u);
  EXPECT_EQ(v.find("program")->text, "slurry1d");
  const JsonValue& answers = *v.find("answers");
  EXPECT_EQ(answers.member_names, (std::vector<std::string>{"A1", "B1", "C", "D", "OPT", "TBF"}));
  EXPECT_EQ(answers.find("C")->number, 6.8e-07);
  EXPECT_EQ(answers.find("B1")->number, -0.2);
  const JsonValue& opt = *answers.find("OPT");
  ASSERT_TRUE(opt.is_array());
  ASSERT_EQ(opt.items.size(), 3u);
  EXPECT_EQ(opt.items[2].number, 1000.5);
  EXPECT_TRUE(answers.find("TBF")->items.empty());
  EXPECT_EQ(v.find("derived")->find("K0")->number, 0.010301514371859223);
  const JsonValue& end = *v.find("end");
  EXPECT_EQ(end.find("message")->text, "top \"reached\" σ′");
  EXPECT_EQ(end.find("exit_status")->number, 0.0);
  EXPECT_TRUE(v.find("run_time_seconds")->is_null());
  EXPECT_EQ(v.find("flag")->kind, JsonKind::Boolean);
  EXPECT_TRUE(v.find("flag")->boolean);
  EXPECT_EQ(v.find("missing"), nullptr);
  EXPECT_EQ(opt.find("A1"), nullptr);  // not an object
}

TEST(Json, ReadsEveryKindOfValue) {
  for (const std::string& text : valid_documents()) {
    EXPECT_NO_THROW(parse_json(text, "t")) << text;
  }
}

TEST(Json, ReadsEscapesIntoUtf8) {
  const JsonValue v = parse_json(R"("a\"b\\c\/d\b\f\n\r\t\u00e9\u20AC\ud83d\ude00")", "t");
  EXPECT_EQ(v.text, "a\"b\\c/d\b\f\n\r\t\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(Json, ReadsNumbersCorrectlyRounded) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"0.1", 0.1},
      {"6.8e-07", 6.8e-07},
      {"-0.2", -0.2},
      {"1E+2", 100.0},
      {"2.5e-3", 0.0025},
      {"0.010301514371859223", 0.010301514371859223},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"5e-324", std::numeric_limits<double>::denorm_min()},
      // Halfway between two doubles: to the even one.
      {"9007199254740993", 9007199254740992.0},
  };
  for (const Case& c : cases) {
    const JsonValue v = parse_json(c.text, "t");
    ASSERT_TRUE(v.is_number()) << c.text;
    EXPECT_EQ(v.number, c.value) << c.text;
  }
  const JsonValue minus_zero = parse_json("-0", "t");
  EXPECT_TRUE(std::signbit(minus_zero.number));
}

TEST(Json, ReadsTheWordsOfNumbersThatAreNotFinite) {
  const JsonValue v = parse_json("[NaN, Infinity, -Infinity]", "t");
  ASSERT_EQ(v.items.size(), 3u);
  EXPECT_TRUE(std::isnan(v.items[0].number));
  EXPECT_EQ(v.items[1].number, std::numeric_limits<double>::infinity());
  EXPECT_EQ(v.items[2].number, -std::numeric_limits<double>::infinity());
}

TEST(Json, ARepeatedMemberNameFindsTheLast) {
  const JsonValue v = parse_json(R"({"a": 1, "a": 2})", "t");
  EXPECT_EQ(v.find("a")->number, 2.0);
}

TEST(Json, RefusesTextThatIsNotJson) {
  for (const std::string& text : invalid_documents()) {
    EXPECT_THROW(parse_json(text, "t"), JsonError) << "'" << text << "'";
  }
  EXPECT_THROW(parse_json("1e400", "t"), JsonError);
}

TEST(Json, NamesTheLineAndColumnOfAFault) {
  try {
    parse_json("{\n  \"a\": 1,\n  \"b\": [1, 2,, 3]\n}", "summary.json");
    FAIL() << "no error";
  } catch (const JsonError& e) {
    EXPECT_STREQ(e.what(), "summary.json line 3 column 14: expected a value");
  }
  try {
    parse_json("[1] 2", "x.json");
    FAIL() << "no error";
  } catch (const JsonError& e) {
    EXPECT_STREQ(e.what(), "x.json line 1 column 5: text after the end of the value");
  }
}

TEST(Json, RefusesNestingDeeperThanASummaryNeeds) {
  const std::string deep_enough = std::string(64, '[') + std::string(64, ']');
  EXPECT_NO_THROW(parse_json(deep_enough, "t"));
  const std::string too_deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_THROW(parse_json(too_deep, "t"), JsonError);
}

#ifdef SLURRY1D_HAVE_NLOHMANN_JSON

// The same value in both readers' terms; an empty string when they agree.
std::string difference(const JsonValue& ours, const nlohmann::json& theirs,
                       const std::string& where) {
  using T = nlohmann::json::value_t;
  switch (theirs.type()) {
    case T::null:
      return ours.is_null() ? "" : where + ": not null";
    case T::boolean:
      return ours.kind == JsonKind::Boolean && ours.boolean == theirs.get<bool>()
                 ? ""
                 : where + ": boolean differs";
    case T::number_integer:
    case T::number_unsigned:
    case T::number_float: {
      const double v = theirs.get<double>();
      return ours.is_number() && ours.number == v ? "" : where + ": number differs";
    }
    case T::string:
      return ours.is_string() && ours.text == theirs.get<std::string>() ? ""
                                                                        : where + ": text differs";
    case T::array: {
      if (!ours.is_array() || ours.items.size() != theirs.size()) return where + ": array differs";
      for (std::size_t i = 0; i < ours.items.size(); ++i) {
        const std::string d =
            difference(ours.items[i], theirs[i], where + "[" + std::to_string(i) + "]");
        if (!d.empty()) return d;
      }
      return "";
    }
    case T::object: {
      if (!ours.is_object() || ours.items.size() != theirs.size())
        return where + ": object differs";
      for (const auto& [name, value] : theirs.items()) {
        const JsonValue* mine = ours.find(name);
        if (mine == nullptr) return where + ": no member " + name;
        const std::string d = difference(*mine, value, where + "." + name);
        if (!d.empty()) return d;
      }
      return "";
    }
    default:
      return where + ": a kind JSON does not have";
  }
}

TEST(Json, ReadsWhatNlohmannJsonReads) {
  for (const std::string& text : valid_documents()) {
    const nlohmann::json theirs = nlohmann::json::parse(text);
    EXPECT_EQ(difference(parse_json(text, "t"), theirs, "$"), "") << text;
  }
}

TEST(Json, RefusesWhatNlohmannJsonRefuses) {
  for (const std::string& text : invalid_documents()) {
    EXPECT_FALSE(nlohmann::json::accept(text)) << "nlohmann accepts '" << text << "'";
    EXPECT_THROW(parse_json(text, "t"), JsonError) << "'" << text << "'";
  }
}

#else

TEST(Json, ReadsWhatNlohmannJsonReads) {
  GTEST_SKIP() << "nlohmann/json.hpp is not installed (./run-tests.sh installs nlohmann-json3-dev)";
}

#endif

}  // namespace
}  // namespace slurry1d::compare
