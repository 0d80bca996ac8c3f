#include "driver/profile.hpp"

#include "model/column_geometry.hpp"

namespace slurry1d {

namespace {

// Index j >= first of the lowest pair with z <= z(j), or ND + 1 when the
// elevation lies above every pair.
int first_pair_at_or_above(const FixedArray<ProfilePair, MAXNODE>& pairs, int ND, int first,
                           double z) {
  int j = first;
  while (j <= ND && !(z <= pairs[j].z)) ++j;
  return j;
}

// Linear interpolation in elevation between pairs j-1 and j.
double interpolate_void_ratio(const ProfilePair& below, const ProfilePair& above, double z) {
  return ((z - below.z) * above.e + (above.z - z) * below.e) / (above.z - below.z);
}

// Nominal length of an element of height DZ whose end void ratios are e_low
// and e_high: its height scaled from the average void ratio to E0.
double nominal_length_between(double E0, double DZ, double e_low, double e_high) {
  const double EAVG = (e_low + e_high) * 0.5;
  return nominal_length(E0, DZ, EAVG);
}

}  // namespace

void build_profile_from_pairs(double E0, const FixedArray<ProfilePair, MAXNODE>& pairs, int ND,
                              int NN, SoilColumn& col, double& H0, double& ZBOT) {
  const ProfilePair& lowest = pairs[1];
  const ProfilePair& highest = pairs[ND];
  ZBOT = lowest.z;
  const double DZ = (highest.z - lowest.z) / (NN - 1);

  // Walk up the nodes: elevations accumulate the spacing, and each element's
  // nominal length is formed as soon as its upper node's void ratio is known.
  // The pair search resumes where the previous node's search stopped: node
  // elevations rise, so no earlier pair can be the first one above.
  double ZV = lowest.z;
  double EV = lowest.e;
  col.Z[1] = ZV;
  col.EN[1] = EV / E0;
  int j = 2;
  for (int i = 2; i <= NN - 1; ++i) {
    ZV = ZV + DZ;
    j = first_pair_at_or_above(pairs, ND, j, ZV);
    // A node above every pair (possible only with unordered input) keeps the
    // void ratio of the node below.
    const double EV_next = j <= ND ? interpolate_void_ratio(pairs[j - 1], pairs[j], ZV) : EV;
    col.DXI[i - 1] = nominal_length_between(E0, DZ, EV, EV_next);
    col.Z[i] = ZV;
    col.EN[i] = EV_next / E0;
    EV = EV_next;
  }
  col.Z[NN] = highest.z;
  col.EN[NN] = highest.e / E0;
  col.DXI[NN - 1] = nominal_length_between(E0, DZ, EV, highest.e);
  // Past the top there is no node; its void ratio counts as 0.
  col.DXI[NN] = nominal_length_between(E0, DZ, highest.e, 0.0);

  H0 = 0.0;
  for (int i = 1; i <= NN - 1; ++i) H0 = H0 + col.DXI[i];
}

}  // namespace slurry1d
