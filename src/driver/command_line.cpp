#include "driver/command_line.hpp"

#include <charconv>
#include <string>
#include <string_view>

#include "output/record_writer.hpp"
#include "platform/number_text.hpp"

namespace slurry1d {
namespace {

constexpr std::string_view kUsage[] = {
    "usage: slurry1d [--nodes N] [--step-factor F] [--verify] [--csv] < answers.txt",
    "",
    "Simulates the one-dimensional large-strain consolidation and desiccation of a",
    "layer of soft soil, slurry or tailings. The program asks its questions on the",
    "console and reads the answers from standard input, so an answer file can be",
    "piped in. It writes \"input\" (the echo of the answers and the final profile),",
    "\"vd.out\" (nodal profiles), \"ts.out\" (time series) and \"tc.out\" (cracks)",
    "in the current directory.",
    "",
    "options:",
    "  --nodes N          nodes of the column: N = 10 NNI - 9, one of 11, 21, 31, ...,",
    "                     19991 (default 501); reports and the final profile show",
    "                     every tenth node",
    "  --step-factor F    every time step F times shorter, 1 <= F <= 1000 (default 1):",
    "                     the first and the largest step divided by F, a step growing",
    "                     by 3F/(3F - 1) instead of 1.5",
    "  --verify           run the case as given, then with its steps / 2 and / 4 and",
    "                     its nodes x 2 and x 4; estimate the error of the given",
    "                     run's settlement at every output time, judge it against",
    "                     1 % and write the table to verify.csv",
    "  --csv              also write the results as data: history.csv (every step),",
    "                     profiles.csv (every node at the start, the output times and",
    "                     the end), steady.csv, cracks.csv and summary.json, every",
    "                     number at full precision",
    "  --help             print this text",
    "  --version          print the version",
    "",
    "Running a case again with more nodes and shorter steps and comparing the",
    "results shows how accurate they are; without these options the run is the",
    "standard one of 501 nodes.",
    "",
    "exit status: 0 the run gave its answer (last output time, steady-state height,",
    "no further change, minimum void ratio), 2 refused or unreadable input or a",
    "refused run definition, 3 a run that cannot go on or failed numerically, 4 a",
    "file that could not be written, 130 interrupted (SIGINT), 143 terminated",
    "(SIGTERM).",
};

// An option that takes a value: its name and the text of its value, given as
// "--name value" or "--name=value".
struct OptionValue {
  std::string_view name;
  std::string_view text;
  bool present = false;
};

// The value of option `name` at argv[i], moving i past it; nothing when
// argv[i] is not that option.
std::optional<OptionValue> option_value(std::string_view name, int argc, const char* const* argv,
                                        int& i) {
  const std::string_view arg = argv[i];
  if (arg == name) {
    if (i + 1 >= argc) return OptionValue{name, {}, false};
    ++i;
    return OptionValue{name, argv[i], true};
  }
  if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
    return OptionValue{name, arg.substr(name.size() + 1), true};
  }
  return std::nullopt;
}

std::string refusal(const OptionValue& v, std::string_view why) {
  return "slurry1d: " + std::string(v.name) + " " + std::string(v.text) +
         " is refused: " + std::string(why);
}

// The node count, or the message that refuses it.
std::string read_node_count(const OptionValue& v, RunControls& controls) {
  long long N = 0;
  const auto [end, error] = std::from_chars(v.text.data(), v.text.data() + v.text.size(), N);
  if (error != std::errc() || end != v.text.data() + v.text.size() || !is_allowed_node_count(N)) {
    return refusal(v,
                   "the column takes N = 10 NNI - 9 nodes, one of 11, 21, 31, ..., 19991 (501 by "
                   "default)");
  }
  controls.NNI = node_parameter(static_cast<int>(N));
  return {};
}

// The step factor, or the message that refuses it.
std::string read_step_factor(const OptionValue& v, RunControls& controls) {
  double F = 0.0;
  if (platform::read_double(v.text, F) != platform::NumberRead::Ok || !is_allowed_step_factor(F)) {
    return refusal(v, "the step factor is a number from 1 to 1000 (1 by default)");
  }
  controls.step_factor = F;
  return {};
}

int refuse(std::ostream& err, const std::string& message) {
  RecordWriter errors(err);
  errors.write_text(message);
  return 2;
}

}  // namespace

std::optional<int> handle_command_line(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err, ProgramOptions& options) {
  RunControls& controls = options.controls;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      RecordWriter writer(out);
      for (const std::string_view line : kUsage) writer.write_text(line);
      return 0;
    }
    if (arg == "--version") {
      RecordWriter(out).write_text("slurry1d " SLURRY1D_VERSION);
      return 0;
    }
    if (arg == "--verify") {
      options.verify = true;
      continue;
    }
    if (arg == "--csv") {
      options.csv = true;
      continue;
    }
    std::optional<OptionValue> value = option_value("--nodes", argc, argv, i);
    auto read = read_node_count;
    if (!value) {
      value = option_value("--step-factor", argc, argv, i);
      read = read_step_factor;
    }
    if (!value) {
      return refuse(err,
                    "slurry1d: unknown argument '" + std::string(arg) + "'; try slurry1d --help");
    }
    if (!value->present) {
      return refuse(
          err, "slurry1d: " + std::string(value->name) + " needs a value; try slurry1d --help");
    }
    if (const std::string message = read(*value, controls); !message.empty()) {
      return refuse(err, message);
    }
  }
  return std::nullopt;
}

}  // namespace slurry1d
