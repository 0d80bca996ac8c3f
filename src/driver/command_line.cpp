#include "driver/command_line.hpp"

#include <string_view>

#include "output/record_writer.hpp"

namespace slurry1d {
namespace {

constexpr std::string_view kUsage[] = {
    "usage: slurry1d < answers.txt",
    "",
    "Simulates the one-dimensional large-strain consolidation and desiccation of a",
    "layer of soft soil, slurry or tailings. The program asks its questions on the",
    "console and reads the answers from standard input, so an answer file can be",
    "piped in. It writes \"input\" (the echo of the answers and the final profile),",
    "\"vd.out\" (nodal profiles), \"ts.out\" (time series) and \"tc.out\" (cracks)",
    "in the current directory.",
    "",
    "options:",
    "  --help      print this text",
    "  --version   print the version",
    "",
    "exit status: 0 the run gave its answer (last output time, steady-state height,",
    "no further change, minimum void ratio), 2 refused or unreadable input or a",
    "refused run definition, 3 a run that cannot go on or failed numerically, 4 a",
    "file that could not be written, 130 interrupted (SIGINT), 143 terminated",
    "(SIGTERM).",
};

}  // namespace

std::optional<int> handle_command_line(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err) {
  if (argc <= 1) return std::nullopt;
  const std::string_view arg = argv[1];
  RecordWriter writer(out);
  if (arg == "--help" || arg == "-h") {
    for (const std::string_view line : kUsage) writer.write_text(line);
    return 0;
  }
  if (arg == "--version") {
    writer.write_text("slurry1d " SLURRY1D_VERSION);
    return 0;
  }
  RecordWriter errors(err);
  Line line;
  line.text("slurry1d: unknown argument '").text(arg).text("'; try slurry1d --help");
  errors.write(line);
  return 2;
}

}  // namespace slurry1d
