#pragma once

#include "model/fixed_array.hpp"
#include "model/soil_column.hpp"

namespace slurry1d {

// A copy of the column from which a step is repeated: the node count, the
// void ratios, elevations, effective stresses and element lengths of its
// nodes and the total stress at the base. Copies cover the first NN entries.
class ColumnSnapshot {
 public:
  void capture(const SoilColumn& col) {
    NN_ = col.NN;
    EN_.copy_from(col.EN, NN_);
    Z_.copy_from(col.Z, NN_);
    SIGE_.copy_from(col.SIGE, NN_);
    DXI_.copy_from(col.DXI, NN_);
    WSUM_ = col.WSUM;
  }
  // Puts the column back as captured; the crack tips and the arrays the
  // snapshot does not hold stay as they are.
  void restore(SoilColumn& col) const {
    col.NN = NN_;
    col.EN.copy_from(EN_, NN_);
    col.Z.copy_from(Z_, NN_);
    col.SIGE.copy_from(SIGE_, NN_);
    col.DXI.copy_from(DXI_, NN_);
    col.WSUM = WSUM_;
  }

  int NN() const { return NN_; }
  // The scaled void ratio of node i as captured.
  double EN(int i) const { return EN_[i]; }
  const NodalArray& EN() const { return EN_; }
  // The elevation of the top node as captured.
  double top() const { return Z_[NN_]; }

 private:
  int NN_ = 0;
  NodalArray EN_;
  NodalArray Z_;
  NodalArray SIGE_;
  NodalArray DXI_;
  double WSUM_ = 0.0;
};

}  // namespace slurry1d
