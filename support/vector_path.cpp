#include "support/vector_path.hpp"

namespace kesta {

VectorPath available_path(VectorPath asked) {
  if ((asked == VectorPath::Best || asked == VectorPath::Avx512) && __builtin_cpu_supports("avx512f"))
    return VectorPath::Avx512;
  if (asked != VectorPath::Baseline && __builtin_cpu_supports("avx2")) return VectorPath::Avx2;
  return VectorPath::Baseline;
}

}  // namespace kesta
