#pragma once
// The results of a simulation: one entry per time step, indexed from 0; entry k
// belongs to time TINIT + k·DELT. The same numbers the report and plot file print.
#include <vector>

namespace kesta {

struct Results {
  std::vector<double> time;           // T
  std::vector<double> head;           // head at the observation well (L)
  std::vector<double> seepage;        // per unit length of stream, positive into the stream (L²/T)
  std::vector<double> total_seepage;  // both banks over the reach (L³/T)
  std::vector<double> bank_storage;   // per unit length of stream (L²)
  std::vector<double> bank_volume;    // both banks over the reach (L³)
};

}  // namespace kesta
