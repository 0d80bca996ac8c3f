#pragma once

#include <bit>
#include <cstdint>

#include "model/fixed_array.hpp"

namespace slurry1d {

// A value of each element that costs powers, remembered with the exact bits
// of the one argument it was computed from (the slope difference at the
// element's crack-onset void ratio, which stays put for most cracked elements
// from pass to pass). A value is only
// reused for the same argument bits (and the same soil: see StepIterates), so
// it is bitwise the one computed afresh. The storage is fixed; entries
// 1..known_ hold pairs of an argument and its value, the others are not read.
class ElementMemo {
 public:
  // compute(x) for element k, computed only when the memo holds no value of
  // element k at these bits of x.
  template <typename Compute>
  double at(int k, double x, Compute compute) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    if (k <= known_ && key_[k] == bits) return value_[k];
    const double value = compute(x);
    // Entries between the last known one and k take the same pair, so that
    // every entry up to known_ holds a valid one.
    const int from = k <= known_ ? k : known_ + 1;
    for (int j = from; j <= k; ++j) {
      key_[j] = bits;
      value_[j] = value;
    }
    if (k > known_) known_ = k;
    return value;
  }
  void forget() { known_ = 0; }

 private:
  FixedArray<std::uint64_t, MAXNODE> key_;
  NodalArray value_;
  int known_ = 0;
};

}  // namespace slurry1d
