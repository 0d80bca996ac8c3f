#pragma once

// What a verification shows: a table on the console, verify.csv (one row per
// output time compared, every number in the shortest form that reads back to
// the same double) and a section for the report page.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "verify/comparison.hpp"

namespace slurry1d::verify {

// The name of the table's file in the output directory.
inline constexpr const char* VERIFY_CSV = "verify.csv";

// The console table, one text per line: the height of the layer in each run
// at each output time compared, then the estimated error of the given run's
// settlement in time, in space and in total with their GCIs and the verdict,
// then the notes and the conclusion.
std::vector<std::string> console_lines(const VerifyTable& t);

// The text of verify.csv: a header row and one row per output time compared.
std::string csv_text(const VerifyTable& t);

// Writes verify.csv into `dir`; false when it could not be written completely.
bool write_verify_csv(const VerifyTable& t, const std::filesystem::path& dir);

// The section "Accuracy" of the report page: an HTML fragment (a heading, the
// table and the notes) that the page takes as it is. The heads of the columns
// name the units of time and length when they are given ("days", "m").
std::string report_section(const VerifyTable& t, std::string_view time_unit = {},
                           std::string_view length_unit = {});

}  // namespace slurry1d::verify
