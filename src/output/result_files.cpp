#include "output/result_files.hpp"

#include <string>

#include "driver/run_stop.hpp"

namespace slurry1d {
namespace {

void open_file(std::ofstream& file, const char* name, RecordWriter& writer) {
  file.open(name, std::ios::out | std::ios::trunc);
  if (!file) {
    throw RunStop(StopKind::FileError,
                  {std::string("cannot create ") + name + " in the current directory"});
  }
  writer.attach(file);
}

bool close_file(std::ofstream& file, RecordWriter& writer) {
  writer.detach();
  if (!file.is_open()) return true;
  file.flush();
  const bool good = file.good();
  file.close();
  return good && !file.fail();
}

}  // namespace

void ResultFiles::open_input(Outputs& out) {
  open_file(input_, "input", out.input);
}

void ResultFiles::open_results(Outputs& out) {
  open_file(vd_, "vd.out", out.vd);
  open_file(ts_, "ts.out", out.ts);
  open_file(tc_, "tc.out", out.tc);
}

void ResultFiles::close(Outputs& out) {
  bool good = close_file(input_, out.input);
  good = close_file(vd_, out.vd) && good;
  good = close_file(ts_, out.ts) && good;
  good = close_file(tc_, out.tc) && good;
  if (!good) throw RunStop(StopKind::FileError, {"a result file could not be written completely"});
}

}  // namespace slurry1d
