#pragma once

// Two doubles operated on together: each operation of the pair is the same
// IEEE operation on each lane (a packed division is two correctly rounded
// divisions), so a value computed in a lane has the bits of the same
// expression in plain doubles. With GCC and Clang a vector of the machine's
// (SSE2 on x86-64); elsewhere a plain pair.

namespace slurry1d {

#if defined(__GNUC__) || defined(__clang__)
typedef double DoublePair __attribute__((vector_size(16)));

inline DoublePair pair_of(double a, double b) {
  return DoublePair{a, b};
}
inline double lane(DoublePair v, int i) {
  return v[i];
}
#else
struct DoublePair {
  double v[2];
};
inline DoublePair pair_of(double a, double b) {
  return DoublePair{{a, b}};
}
inline double lane(const DoublePair& p, int i) {
  return p.v[i];
}
#define SLURRY1D_PAIR_OP(op)                                  \
  inline DoublePair operator op(DoublePair a, DoublePair b) { \
    return DoublePair{{a.v[0] op b.v[0], a.v[1] op b.v[1]}};  \
  }                                                           \
  inline DoublePair operator op(DoublePair a, double b) {     \
    return DoublePair{{a.v[0] op b, a.v[1] op b}};            \
  }                                                           \
  inline DoublePair operator op(double a, DoublePair b) {     \
    return DoublePair{{a op b.v[0], a op b.v[1]}};            \
  }
SLURRY1D_PAIR_OP(+)
SLURRY1D_PAIR_OP(-)
SLURRY1D_PAIR_OP(*)
SLURRY1D_PAIR_OP(/)
#undef SLURRY1D_PAIR_OP
#endif

}  // namespace slurry1d
