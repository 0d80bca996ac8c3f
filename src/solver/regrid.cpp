#include "solver/regrid.hpp"

#include <cassert>
#include <limits>

namespace slurry1d {

namespace {

// Scaled length of an element of elevation span dz whose nodes have the
// scaled void ratios ra and rb.
double element_length(const ColumnGeometry& geometry, double dz, double ra, double rb) {
  const double e = (ra + rb) / 2.0;
  return geometry.scaled_length(dz, e * geometry.E0);
}

// Finds, for rising elevations z, the first old node k >= 2 with z <= Z(k).
// Every node below the one found for a lower z lies below the new z as well,
// so the search resumes where it last stopped and the whole pass is linear in
// the number of old nodes; a falling z starts again from node 2.
class RisingBracket {
 public:
  RisingBracket(const NodalArray& Z, int NN) : Z_(Z), NN_(NN) {}

  // The node found, or NN + 1 when every old node lies below z.
  int find(double z) {
    if (!(z >= last_)) k_ = 2;
    last_ = z;
    while (k_ <= NN_ && !(z <= Z_[k_])) ++k_;
    return k_;
  }

 private:
  const NodalArray& Z_;
  int NN_;
  int k_ = 2;
  double last_ = -std::numeric_limits<double>::infinity();
};

}  // namespace

void regrid_column(int NNI, const ColumnGeometry& geometry, SoilColumn& col, RegridWork& work) {
  const int M = 10 * NNI - 9;
  assert(M >= 2 && M <= MAXNODE);
  const int NN = col.NN;
  const auto& Z = col.Z;
  const auto& EN = col.EN;
  auto& Zn = work.Z;
  auto& En = work.EN;
  auto& Dn = work.DXI;

  Zn[1] = geometry.ZBOT;
  Zn[M] = Z[NN];
  En[1] = EN[1];
  En[M] = EN[NN];
  const double dz = (Z[NN] - geometry.ZBOT) / static_cast<double>(M - 1);

  RisingBracket bracket(Z, NN);
  for (int j = 2; j <= M - 1; ++j) {
    Zn[j] = Zn[j - 1] + dz;
    const int k = bracket.find(Zn[j]);
    if (k <= NN) {
      En[j] = ((Z[k] - Zn[j]) * EN[k - 1] + (Zn[j] - Z[k - 1]) * EN[k]) / (Z[k] - Z[k - 1]);
    }
    Dn[j - 1] = element_length(geometry, dz, En[j - 1], En[j]);
  }
  Dn[M - 1] = element_length(geometry, dz, En[M - 1], En[M]);

  col.DXI.copy_from(Dn, M);
  col.EN.copy_from(En, M);
  col.Z.copy_from(Zn, M);
  col.NN = M;
}

}  // namespace slurry1d
