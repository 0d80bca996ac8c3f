#pragma once

// `slurry1d compare RUNDIR... -o OUTDIR`: reads the runs a study made with
// --csv, one directory each, and writes their comparison into OUTDIR:
// compare.html (the table and the overlaid curves) and summary.csv (the
// table). Prints the table and the files written on `out`; messages about a
// directory that is not a run, or a file that cannot be written, on `err`.
//
// Exit status: 0 when both files were written (also when some runs failed:
// they are in the table), 2 when a directory is not a run's or cannot be read
// (every such directory is named), 4 when OUTDIR or a file in it cannot be
// written.

#include <filesystem>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace slurry1d::compare {

int run_compare(std::span<const std::string> run_dirs, const std::filesystem::path& out_dir,
                std::ostream& out, std::ostream& err);

// The command line of `slurry1d compare`: `args` are the arguments after
// "compare": the run directories and -o OUTDIR (also -oOUTDIR, --output-dir
// OUTDIR, --output-dir=OUTDIR), in any order; "--" ends the options. --help
// (-h) prints the usage text on `out` (status 0). A missing -o, no run
// directory or an unknown option is refused with status 2 and the usage line.
int compare_main(std::span<const char* const> args, std::ostream& out, std::ostream& err);

// The usage text of `slurry1d compare`, one line per element.
std::span<const std::string_view> compare_usage();

}  // namespace slurry1d::compare
