#pragma once

namespace slurry1d {

// What the last boundary refinement did: a flag and a count of inserted nodes
// at each end. The state report leaves the inserted nodes out of its tables.
struct NodeAddition {
  int KTOPADD = 0;
  int KBOTADD = 0;
  int NTOPADD = 0;
  int NBOTADD = 0;
};

}  // namespace slurry1d
