#include "output/result_files.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace slurry1d {
namespace {

struct Watched {
  std::stringbuf file;
  NonFiniteWatch watch;
  std::ostream stream{&watch};

  Watched() { watch.forward_to(&file); }
  long after(const std::string& text) {
    stream << text;
    stream.flush();
    return watch.first_line();
  }
};

TEST(NonFiniteWatch, PassesEveryCharacterOnUnchanged) {
  Watched w;
  const std::string text = " 0.1000E+01\t  NaN\n-FINAL\n";
  w.after(text);
  EXPECT_EQ(w.file.str(), text);
  EXPECT_TRUE(w.stream.good());
}

struct Sample {
  const char* text;
  long line;
};

class NonFiniteLines : public ::testing::TestWithParam<Sample> {};

TEST_P(NonFiniteLines, NotesTheFirstLineWithANonFiniteNumber) {
  Watched w;
  EXPECT_EQ(w.after(GetParam().text), GetParam().line) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NonFiniteLines,
    ::testing::Values(Sample{"", 0}, Sample{" 0.1000E+01 0.2000E+01\n", 0},
                      Sample{"a\nb\n       NaN\n  Infinity\n", 3}, Sample{"   1 -Infinity\n", 1},
                      Sample{"x\n   -Inf\n", 2}, Sample{" 1.5 NaN", 1},
                      // The program's own texts hold no such letters in this case.
                      Sample{" -FINAL STEADY STATE INFORMATION IS AVAILABLE-\n", 0},
                      // A word is not pieced together across lines.
                      Sample{"N\naN\nIn\nf\n", 0}));

// A file that refuses what is written to it shows as a failed stream.
class RefusingBuffer : public std::streambuf {
 protected:
  int overflow(int) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST(NonFiniteWatch, AFileThatRefusesTheTextFailsTheStream) {
  RefusingBuffer full;
  NonFiniteWatch watch;
  watch.forward_to(&full);
  std::ostream stream(&watch);
  stream << "TIME =      0.000\n";
  EXPECT_TRUE(stream.bad());
}

}  // namespace
}  // namespace slurry1d
