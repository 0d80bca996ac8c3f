#include "output/crack_record.hpp"

namespace slurry1d {

void write_crack_record(RecordWriter& tc, const CrackRecord& r) {
  Line line;
  line.F(10, 4, r.time).F(10, 4, r.depth).F(10, 4, r.height).F(10, 4, r.VSOIL);
  line.F(10, 4, r.VCRACK).F(10, 4, r.sixth).F(10, 4, r.seventh).F(10, 7, r.rate);
  tc.write(line);
}

}  // namespace slurry1d
