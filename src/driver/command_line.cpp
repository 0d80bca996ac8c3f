#include "driver/command_line.hpp"

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "driver/subcommands.hpp"
#include "output/record_writer.hpp"
#include "platform/number_text.hpp"

namespace slurry1d {
namespace {

// An option as given, with the text of its value: "--nodes 501",
// "--nodes=501", "-o DIR" or "-oDIR".
struct OptionValue {
  std::string_view name;
  std::string_view text;
};

std::string refusal(const OptionValue& v, std::string_view why) {
  return std::string(v.name) + " " + std::string(v.text) + " is refused: " + std::string(why);
}

// Each reader takes the value of its option into the options and returns the
// message that refuses it, or an empty text.
using ReadValue = std::string (*)(const OptionValue&, ProgramOptions&);

std::string read_node_count(const OptionValue& v, ProgramOptions& options) {
  long long N = 0;
  const auto [end, error] = std::from_chars(v.text.data(), v.text.data() + v.text.size(), N);
  if (error != std::errc() || end != v.text.data() + v.text.size() || !is_allowed_node_count(N)) {
    return refusal(v,
                   "the column takes N = 10 NNI - 9 nodes, one of 11, 21, 31, ..., 19991 (501 by "
                   "default)");
  }
  options.controls.NNI = node_parameter(static_cast<int>(N));
  return {};
}

std::string read_step_factor(const OptionValue& v, ProgramOptions& options) {
  double F = 0.0;
  if (platform::read_double(v.text, F) != platform::NumberRead::Ok || !is_allowed_step_factor(F)) {
    return refusal(v, "the step factor is a number from 1 to 1000 (1 by default)");
  }
  options.controls.step_factor = F;
  return {};
}

std::string read_output_dir(const OptionValue& v, ProgramOptions& options) {
  if (v.text.empty()) return refusal(v, "the output directory needs a name");
  options.output_dir = std::filesystem::path(std::string(v.text));
  options.output_dir_given = true;
  return {};
}

// A refused name is followed by the names that can be set.
std::string read_set(const OptionValue& v, ProgramOptions& options) {
  const std::string why = options.overrides.add(v.text);
  if (why.empty()) return {};
  const std::string_view name = v.text.substr(0, v.text.find('='));
  if (settable_name_refusal(name).empty()) return why;
  return why + "\nthe names --set takes: " + settable_names_text();
}

// One option: its names, the name of its value in the help (empty for a
// flag), what it sets, and its help text (lines separated by '\n').
struct OptionRow {
  std::string_view name;
  std::string_view short_name;  // "-o", or empty
  std::string_view value;       // "N"; empty for a flag
  bool ProgramOptions::*flag;   // the member a flag sets; null for an option with a value
  ReadValue read;               // the reader of the value; null for a flag
  std::string_view help;
};

constexpr OptionRow kOptions[] = {
    {"--output-dir", "-o", "DIR", nullptr, read_output_dir,
     "every file of the run goes into DIR, created when\n"
     "missing; the current directory stays untouched"},
    {"--set",
     {},
     "NAME=VALUE",
     nullptr,
     read_set,
     "replaces the answer to one real-valued question,\n"
     "named as the messages name it (repeatable; the names\n"
     "are listed below); \"input\" records the value used"},
    {"--quiet",
     {},
     {},
     &ProgramOptions::quiet,
     nullptr,
     "the console (the progress of every step) goes to\n"
     "console.txt in the output directory instead of\n"
     "standard output; a dialog at a terminal stays there"},
    {"--nodes",
     {},
     "N",
     nullptr,
     read_node_count,
     "nodes of the column: N = 10 NNI - 9, one of 11, 21,\n"
     "31, ..., 19991 (default 501); reports and the final\n"
     "profile show every tenth node"},
    {"--step-factor",
     {},
     "F",
     nullptr,
     read_step_factor,
     "every time step F times shorter, 1 <= F <= 1000\n"
     "(default 1): the first and the largest step divided\n"
     "by F, a step growing by 3F/(3F - 1) instead of 1.5"},
    {"--verify",
     {},
     {},
     &ProgramOptions::verify,
     nullptr,
     "run the case as given, then with its steps / 2 and\n"
     "/ 4 and its nodes x 2 and x 4; estimate the error of\n"
     "the given run's settlement at every output time,\n"
     "judge it against 1 % and write the table to\n"
     "verify.csv"},
    {"--csv",
     {},
     {},
     &ProgramOptions::csv,
     nullptr,
     "also write the results as data, every number at\n"
     "full precision: history.csv (every step), profiles.csv\n"
     "(every node at the start, the output times and the\n"
     "end), steady.csv, cracks.csv and summary.json"},
    {"--help", "-h", {}, &ProgramOptions::help, nullptr, "print this text"},
    {"--version", {}, {}, &ProgramOptions::version, nullptr, "print the version"},
};

constexpr std::string_view kUsageHead[] = {
    "usage: slurry1d [options] [ANSWERS]",
    "       slurry1d [options] < ANSWERS",
    "       slurry1d compare ...",
    "",
    "Simulates the one-dimensional large-strain consolidation and desiccation of a",
    "layer of soft soil, slurry or tailings. The program asks its questions on the",
    "console and reads the answers from the file ANSWERS or, without it (or with",
    "-), from standard input, so that a person can answer them at a terminal. It",
    "writes \"input\" (the echo of the answers and the final profile), \"vd.out\"",
    "(nodal profiles), \"ts.out\" (time series) and \"tc.out\" (cracks) into the",
    "current directory, or into DIR with -o DIR. An answer file called compare is",
    "named ./compare.",
    "",
    "options:",
};

constexpr std::string_view kUsageTail[] = {
    "",
    "At a terminal, standard error shows one updating line with the time reached",
    "against the last output time, the steps and the nodes. When standard error is",
    "a terminal, or with ANSWERS, -o, --set or --quiet, one line on standard error",
    "says at the end how and when the run ended (\"run ended: steady-state height",
    "5.073 reached at t = 29650; output times 100000 not reached\").",
    "",
    "example: a study of three values of C, each run in a directory of its own",
    "  for C in 3e-7 6.8e-7 1e-6; do",
    "    slurry1d --quiet --set C=$C -o runs/C=$C case.txt",
    "  done",
    "",
    "Running a case again with more nodes and shorter steps and comparing the",
    "results shows how accurate they are; without these options the run is the",
    "standard one of 501 nodes.",
    "",
    "exit status: 0 the run gave its answer (last output time, steady-state height,",
    "no further change, minimum void ratio), 2 refused or unreadable input or a",
    "refused run definition or option, 3 a run that cannot go on or failed",
    "numerically, 4 a file that could not be written, 130 interrupted (SIGINT),",
    "143 terminated (SIGTERM).",
};

constexpr std::size_t kHelpColumn = 24;
constexpr std::size_t kWidth = 79;

// "  -o, --output-dir DIR", "      --nodes N".
std::string option_heading(const OptionRow& row) {
  std::string heading =
      row.short_name.empty() ? "      " : "  " + std::string(row.short_name) + ", ";
  heading += row.name;
  if (!row.value.empty()) heading += " " + std::string(row.value);
  return heading;
}

void write_option_help(RecordWriter& writer, const OptionRow& row) {
  std::string line = option_heading(row);
  std::string_view help = row.help;
  if (line.size() + 2 > kHelpColumn) {
    writer.write_text(line);
    line.clear();
  }
  for (;;) {
    const std::size_t end = help.find('\n');
    line.resize(kHelpColumn, ' ');
    line += help.substr(0, end);
    writer.write_text(line);
    if (end == std::string_view::npos) return;
    help.remove_prefix(end + 1);
    line.clear();
  }
}

// The text wrapped at blanks into lines of at most kWidth characters, each
// beginning with `indent`.
void write_wrapped(RecordWriter& writer, std::string_view text, std::string_view indent) {
  std::string line(indent);
  while (!text.empty()) {
    const std::size_t blank = text.find(' ');
    const std::string_view word = text.substr(0, blank);
    if (line.size() > indent.size() && line.size() + 1 + word.size() > kWidth) {
      writer.write_text(line);
      line = indent;
    }
    if (line.size() > indent.size()) line += ' ';
    line += word;
    text.remove_prefix(blank == std::string_view::npos ? text.size() : blank + 1);
  }
  writer.write_text(line);
}

int refuse(std::ostream& err, std::string_view message) {
  RecordWriter errors(err);
  for (;;) {
    const std::size_t end = message.find('\n');
    errors.write_text("slurry1d: " + std::string(message.substr(0, end)));
    if (end == std::string_view::npos) return 2;
    message.remove_prefix(end + 1);
  }
}

bool starts_with(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// The row an argument names and the value given in the argument itself
// ("--nodes=501", "-oDIR"), if any.
struct Match {
  const OptionRow* row = nullptr;
  std::optional<std::string_view> value;
  std::string_view name;  // the name as given
};

Match match_option(std::string_view arg) {
  for (const OptionRow& row : kOptions) {
    if (arg == row.name || (!row.short_name.empty() && arg == row.short_name)) {
      return {&row, std::nullopt, arg};
    }
    if (arg.size() > row.name.size() && starts_with(arg, row.name) && arg[row.name.size()] == '=') {
      return {&row, arg.substr(row.name.size() + 1), row.name};
    }
    if (!row.value.empty() && !row.short_name.empty() && arg.size() > row.short_name.size() &&
        starts_with(arg, row.short_name)) {
      return {&row, arg.substr(row.short_name.size()), row.short_name};
    }
  }
  return {};
}

// Reads one option at args[i] (moving i past its value); the message that
// refuses it, or an empty text.
std::string read_option(std::span<const char* const> args, std::size_t& i,
                        ProgramOptions& options) {
  const std::string_view arg = args[i];
  const Match m = match_option(arg);
  if (m.row == nullptr) return "unknown argument '" + std::string(arg) + "'; try slurry1d --help";
  if (m.row->flag != nullptr) {
    if (m.value) return std::string(m.name) + " takes no value; try slurry1d --help";
    options.*(m.row->flag) = true;
    return {};
  }
  std::string_view text;
  if (m.value) {
    text = *m.value;
  } else if (i + 1 < args.size()) {
    text = args[++i];
  } else {
    return std::string(m.name) + " needs a value; try slurry1d --help";
  }
  return m.row->read(OptionValue{m.name, text}, options);
}

// The answer file named on the command line: "-" is standard input.
std::string read_answers_argument(std::string_view arg, bool& seen, ProgramOptions& options) {
  if (seen) {
    return "unknown argument '" + std::string(arg) +
           "': the answers are read from one file; try slurry1d --help";
  }
  seen = true;
  if (arg != "-") options.answers_file = std::filesystem::path(std::string(arg));
  return {};
}

}  // namespace

void write_usage(std::ostream& out) {
  RecordWriter writer(out);
  for (const std::string_view line : kUsageHead) writer.write_text(line);
  for (const OptionRow& row : kOptions) write_option_help(writer, row);
  writer.write_text("");
  writer.write_text("names --set takes (a table's entries with their index: OPT(3) the third");
  writer.write_text("output time, TBF(2) the beginning of the second filling stage, e(1) and");
  writer.write_text("z(1) the pair typed first in a continued run):");
  write_wrapped(writer, settable_names_text(), "  ");
  writer.write_text(
      "Switches and counts (IDES, IFIL, NS, ITOP, IBOT, NO, ICONT, ND) cannot be set:");
  writer.write_text("they decide which questions follow. A name this run never asks is refused");
  writer.write_text("at the end of the dialog, before any result file is written.");
  for (const std::string_view line : kUsageTail) writer.write_text(line);
}

std::optional<int> handle_command_line(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err, ProgramOptions& options) {
  return handle_command_line(std::span<const char* const>(argv, static_cast<std::size_t>(argc)),
                             out, err, options);
}

std::optional<int> handle_command_line(std::span<const char* const> args, std::ostream& out,
                                       std::ostream& err, ProgramOptions& options) {
  if (args.size() > 1 && std::string_view(args[1]) == "compare") {
    return run_subcommand_compare(args.subspan(2), out, err);
  }
  bool options_ended = false;  // after "--" every argument is the answer file
  bool answers_seen = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    std::string why;
    if (!options_ended && arg == "--") {
      options_ended = true;
    } else if (options_ended || arg == "-" || !starts_with(arg, "-")) {
      why = read_answers_argument(arg, answers_seen, options);
    } else {
      why = read_option(args, i, options);
    }
    if (!why.empty()) return refuse(err, why);
    if (options.help) {
      write_usage(out);
      return 0;
    }
    if (options.version) {
      RecordWriter(out).write_text("slurry1d " SLURRY1D_VERSION);
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace slurry1d
