#include "driver/subcommands.hpp"

#include "output/record_writer.hpp"

namespace slurry1d {

int run_subcommand_compare(std::span<const char* const>, std::ostream&, std::ostream& err) {
  RecordWriter(err).write_text("slurry1d compare: needs --csv runs; not available in this build");
  return 2;
}

}  // namespace slurry1d
