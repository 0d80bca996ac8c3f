#pragma once

// Compares the files of two runs of one case made on two platforms (Linux
// and Windows): line ends aside, every laid-out record must match character
// for character, and a number printed to full precision (the free-form
// records print reals in their shortest round-trip form) may differ only in
// its last digits, within a relative tolerance.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace slurry1d::compare {

struct ComparisonLimits {
  // Largest relative difference of two full-precision numbers.
  double relative_tolerance = 1e-10;
  // A number is printed to full precision when it carries at least this many
  // significant digits; no laid-out field of the program prints more than 9.
  int full_precision_digits = 10;
  // Lines that start with one of these are left out on both sides.
  std::vector<std::string> skipped_prefixes;
};

// The limits for one of a run's files. The console leaves out its records of
// single steps and iterations: residuals at round-off level (1e-20 and below)
// differ in their leading digits between platforms whose pow differs in the
// last bit, a step may converge one iteration sooner or later, and a step
// that lands within round-off short of an output time is followed by a sliver
// step (of the order of 1e-14) on one platform only. What the run reports at
// its output times and at its end, and every result file, is compared whole.
ComparisonLimits limits_for(std::string_view file);

// Two full-precision numbers that differ within the tolerance.
struct NumberDifference {
  std::size_t line = 0;  // from 1
  std::string first;
  std::string second;
  double relative = 0.0;
};

struct FileComparison {
  std::string name;
  std::size_t lines = 0;                  // lines compared
  std::size_t skipped = 0;                // lines left out, on the first side
  std::vector<NumberDifference> numbers;  // accepted differences
  std::vector<std::string> faults;        // everything else that differs

  bool passed() const { return faults.empty(); }
  // Largest relative difference among the accepted ones (0 when none).
  double largest_relative() const;
};

// "\r\n" read as "\n".
std::string normalise_line_ends(std::string_view text);

// A line cut into its numbers and the texts between them.
struct Piece {
  bool number = false;
  std::string_view text;
};
std::vector<Piece> split_numbers(std::string_view line);

// Significant digits of a number as printed ("0.0012" has 2, "1.50E+01" 3).
int significant_digits(std::string_view number);

FileComparison compare_texts(std::string_view name, std::string_view first, std::string_view second,
                             const ComparisonLimits& limits = {});

// One line for the log: "vd.out: 523 lines identical", or the count and the
// largest of the accepted differences, or the faults.
std::string summary(const FileComparison& comparison);

}  // namespace slurry1d::compare
