#include "model/stehfest.hpp"

namespace kesta {

// Not built yet.
void stehfest_weights(int, std::array<double, NSMAX + 1>&) {}

}  // namespace kesta
