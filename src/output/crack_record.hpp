#pragma once

#include "output/record_writer.hpp"

namespace slurry1d {

// One "tc.out" record of a desiccation run, in the units of the input.
struct CrackRecord {
  double time = 0.0;     // dimensional time
  double depth = 0.0;    // crack depth Z(NN) - Z(NN1), 0 without a crack
  double height = 0.0;   // soil height: elevation of the top node Z(NN)
  double VSOIL = 0.0;    // volume of soil per unit plan area
  double VCRACK = 0.0;   // volume of cracks per unit plan area
  double sixth = 0.0;    // H0IN - VSOIL (the fluid volume lost); VEVAP at the end of the run
  double seventh = 0.0;  // H0IN - VSOIL - VEVAP: the loss through the crack walls
  double rate = 0.0;     // average rate of volume loss, since the start or since cracking began
};

// Writes the record: eight values, F10.4 each and the rate F10.7.
void write_crack_record(RecordWriter& tc, const CrackRecord& r);

}  // namespace slurry1d
