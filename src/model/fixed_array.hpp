#pragma once

#include <array>
#include <cassert>
#include <span>

namespace slurry1d {

// Largest number of nodes of the column and of entries of every nodal array.
inline constexpr int MAXNODE = 20000;
// Largest number of filling stages and of output times.
inline constexpr int MAXSTAGE = 50;

// The storage of a FixedArray. Tables of stage size are zeroed whenever they
// are made; tables of node size (MAXNODE entries, most of the run record)
// are zero when value-initialised and otherwise hold what their storage held.
template <typename T, int Capacity, bool Large = (Capacity > MAXSTAGE)>
struct FixedStorage {
  std::array<T, Capacity> data_{};
};
template <typename T, int Capacity>
struct FixedStorage<T, Capacity, true> {
  std::array<T, Capacity> data_;
};

// A fixed-capacity array indexed from 1, as every nodal quantity of the column
// is numbered from the bottom node 1 upward. The storage is part of the object:
// nothing is ever allocated, grown or freed while the program runs. Indices are
// checked in debug builds.
//
// An array of node size is, like a built-in array, all zeros when
// value-initialised (`FixedArray a{}`, a member of an object made by `new T()`
// or std::make_unique<T>()) and holds whatever its storage held when
// default-initialised (`FixedArray a;`). A record of many such arrays made in
// zeroed memory (see Run) thus starts at zero without a store to pages that
// the run never reaches. Arrays of stage size are always zeroed.
template <typename T, int Capacity>
class FixedArray : private FixedStorage<T, Capacity> {
  using FixedStorage<T, Capacity>::data_;

 public:
  static constexpr int capacity = Capacity;

  constexpr T& operator[](int i) {
    assert(i >= 1 && i <= Capacity && "index outside the array");
    return data_[static_cast<std::size_t>(i - 1)];
  }
  constexpr const T& operator[](int i) const {
    assert(i >= 1 && i <= Capacity && "index outside the array");
    return data_[static_cast<std::size_t>(i - 1)];
  }

  // Entries first..first+count-1 as a contiguous view (1-based first).
  std::span<T> slice(int first, int count) {
    assert(first >= 1 && count >= 0 && first - 1 + count <= Capacity);
    return std::span<T>(data_.data() + (first - 1), static_cast<std::size_t>(count));
  }
  std::span<const T> slice(int first, int count) const {
    assert(first >= 1 && count >= 0 && first - 1 + count <= Capacity);
    return std::span<const T>(data_.data() + (first - 1), static_cast<std::size_t>(count));
  }
  // Entries 1..n.
  std::span<T> head(int n) { return slice(1, n); }
  std::span<const T> head(int n) const { return slice(1, n); }

  // Sets entries 1..n to value.
  void fill(const T& value, int n) {
    for (T& x : head(n)) x = value;
  }
  // Sets entries first..last to value (nothing when last < first).
  void fill_range(const T& value, int first, int last) {
    if (last < first) return;
    for (T& x : slice(first, last - first + 1)) x = value;
  }
  // Copies entries 1..n of other.
  void copy_from(const FixedArray& other, int n) {
    const auto src = other.head(n);
    auto dst = head(n);
    for (std::size_t i = 0; i < src.size(); ++i) dst[i] = src[i];
  }

  T* data() { return data_.data(); }
  const T* data() const { return data_.data(); }
};

using NodalArray = FixedArray<double, MAXNODE>;
using StageArray = FixedArray<double, MAXSTAGE>;

}  // namespace slurry1d
