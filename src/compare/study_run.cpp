#include "compare/study_run.hpp"

#include <cmath>
#include <fstream>
#include <sstream>

#include "compare/json.hpp"
#include "report/result_table.hpp"

namespace slurry1d::compare {
namespace {

namespace fs = std::filesystem;

const JsonValue& member(const JsonValue& object, std::string_view name, std::string_view where) {
  const JsonValue* v = object.find(name);
  if (v == nullptr) {
    throw RunDirectoryError("summary.json: no \"" + std::string(name) + "\" in " +
                            std::string(where));
  }
  return *v;
}

std::optional<double> optional_number(const JsonValue& object, std::string_view name) {
  const JsonValue* v = object.find(name);
  if (v == nullptr || !v->is_number()) return std::nullopt;
  return v->number;
}

std::string optional_text(const JsonValue& object, std::string_view name) {
  const JsonValue* v = object.find(name);
  return v != nullptr && v->is_string() ? v->text : std::string();
}

// The numbers of an answer: one number, or a list of them (OPT, TBF, ...);
// null (an answer the run never read) has none.
std::vector<double> answer_values(const JsonValue& v, const std::string& name) {
  if (v.is_number()) return {v.number};
  if (v.is_null()) return {};
  if (v.is_array()) {
    std::vector<double> values;
    for (const JsonValue& item : v.items) {
      if (!item.is_number()) {
        throw RunDirectoryError("summary.json: answer " + name + " lists something not a number");
      }
      values.push_back(item.number);
    }
    return values;
  }
  throw RunDirectoryError("summary.json: answer " + name + " is neither a number nor a list");
}

std::vector<report::NamedValue> answers_of(const JsonValue& answers) {
  if (!answers.is_object()) throw RunDirectoryError("summary.json: \"answers\" is not an object");
  std::vector<report::NamedValue> out;
  for (std::size_t i = 0; i < answers.items.size(); ++i) {
    const std::string& name = answers.member_names[i];
    out.push_back({name, answer_values(answers.items[i], name)});
  }
  return out;
}

int exit_status_of(const JsonValue& end) {
  const JsonValue& status = member(end, "exit_status", "\"end\"");
  if (!status.is_number() || status.number != std::floor(status.number) || status.number < 0 ||
      status.number > 255) {
    throw RunDirectoryError("summary.json: the exit status is not a whole number from 0 to 255");
  }
  return static_cast<int>(status.number);
}

report::RunEnd end_of(const JsonValue& end) {
  if (!end.is_object()) throw RunDirectoryError("summary.json: \"end\" is not an object");
  report::RunEnd e;
  e.reason = optional_text(end, "reason");
  if (e.reason.empty()) throw RunDirectoryError("summary.json: \"end\" names no reason");
  e.message = optional_text(end, "message");
  e.time = optional_number(end, "time");
  e.exit_status = exit_status_of(end);
  if (const JsonValue* late = end.find("output_times_not_reached"); late && late->is_array()) {
    for (const JsonValue& t : late->items) {
      if (t.is_number()) e.output_times_not_reached.push_back(t.number);
    }
  }
  return e;
}

report::Units units_of(const JsonValue& summary) {
  report::Units u;
  const JsonValue* units = summary.find("units");
  if (units == nullptr || !units->is_object()) return u;
  const auto take = [&](const char* name, std::string& field) {
    if (const std::string text = optional_text(*units, name); !text.empty()) field = text;
  };
  take("length", u.length);
  take("time", u.time);
  take("stress", u.stress);
  take("unit_weight", u.unit_weight);
  take("velocity", u.velocity);
  return u;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RunDirectoryError(path.filename().string() + ": cannot be opened");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw RunDirectoryError(path.filename().string() + ": cannot be read");
  return text.str();
}

template <typename Read>
auto read_table(const fs::path& path, Read read) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw RunDirectoryError(path.filename().string() +
                            ": missing (the run gave its answer, so its tables should be there)");
  }
  try {
    return read(in);
  } catch (const report::ResultFileError& e) {
    throw RunDirectoryError(e.what());
  }
}

}  // namespace

RunSummary parse_run_summary(std::string_view text) {
  const JsonValue summary = parse_json(text, "summary.json");
  if (!summary.is_object()) throw RunDirectoryError("summary.json: not a JSON object");
  const JsonValue* program = summary.find("program");
  if (program == nullptr || !program->is_string() || program->text != "slurry1d") {
    throw RunDirectoryError(
        "summary.json: not the summary of a slurry1d run (no \"program\": "
        "\"slurry1d\")");
  }
  RunSummary s;
  s.answers = answers_of(member(summary, "answers", "the summary"));
  s.end = end_of(member(summary, "end", "the summary"));
  s.final_height = optional_number(summary, "final_height");
  s.settlement = optional_number(summary, "settlement");
  s.units = units_of(summary);
  return s;
}

std::optional<FinalProfile> final_profile_of(const std::vector<report::ProfileSnapshot>& profiles) {
  if (profiles.empty()) return std::nullopt;
  const report::ProfileSnapshot* last = &profiles.back();
  for (const report::ProfileSnapshot& p : profiles) {
    if (p.event == report::ProfileEvent::End) last = &p;
  }
  return FinalProfile{last->time, last->elevation, last->void_ratio};
}

StudyRun read_study_run(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) throw RunDirectoryError("not a directory");
  const fs::path summary_file = dir / "summary.json";
  if (!fs::exists(summary_file, ec)) {
    throw RunDirectoryError("no summary.json: not the directory of a run made with --csv");
  }
  StudyRun run;
  run.name = name;
  try {
    run.summary = parse_run_summary(read_text(summary_file));
  } catch (const JsonError& e) {
    throw RunDirectoryError(e.what());
  }
  if (!run.gave_answer()) return run;
  run.history = read_table(dir / "history.csv", report::read_history);
  run.final_profile = final_profile_of(read_table(dir / "profiles.csv", report::read_profiles));
  return run;
}

}  // namespace slurry1d::compare
