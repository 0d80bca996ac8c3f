#pragma once

// Builds a run the way the program does, from the answers of a dialog, with
// every output channel sent to memory or discarded.

#include <istream>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>

#include "driver/dialog.hpp"
#include "driver/run_state.hpp"
#include "driver/setup.hpp"
#include "output/record_writer.hpp"

namespace slurry1d::testing {

// A stream buffer that accepts and drops everything without allocating.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c == traits_type::eof() ? traits_type::not_eof(c) : c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Six channels, each captured in a string stream or discarded.
struct CapturedOutputs {
  std::ostringstream console, errors, input, vd, ts, tc;
  Outputs out;

  CapturedOutputs() {
    out.console.attach(console);
    out.errors.attach(errors);
    out.input.attach(input);
    out.vd.attach(vd);
    out.ts.attach(ts);
    out.tc.attach(tc);
  }
};

struct DiscardedOutputs {
  NullBuffer buffer;
  std::ostream sink{&buffer};
  Outputs out;

  DiscardedOutputs() {
    for (RecordWriter* w : {&out.console, &out.errors, &out.input, &out.vd, &out.ts, &out.tc}) {
      w->attach(sink);
    }
  }
};

// Runs the dialog on `answers` and the set-up of the run.
inline std::unique_ptr<Run> set_up_from_answers(const std::string& answers, Outputs& out) {
  auto run = std::make_unique<Run>();
  std::istringstream in(answers);
  run_dialog(in, out, false, run->def);
  set_up_run(*run, out);
  return run;
}

// A fresh slurry, 10 high, under self-weight: drained top without load,
// impervious base.
inline std::string self_weight_answers(double last_output_time = 100.0) {
  return "7.0 -0.2 6.8e-8 4.0 0.1\n"  // A1 B1 C D Z1
         "2\n"                        // no desiccation
         "2.65\n9.81\n10.0\n"         // GS GW H0
         "2\n"                        // no staged filling
         "2\n0.0\n"                   // surcharge top, LT = 0
         "1\n"                        // impervious base
         "1.0\n0.0\n"                 // ME TS
         "1\n" +
         std::to_string(last_output_time) +
         "\n"
         "50.0\n"  // MAXDT
         "2\n";    // new run
}

}  // namespace slurry1d::testing
