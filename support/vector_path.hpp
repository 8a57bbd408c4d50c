#pragma once
// The instruction sets the vector loops may use, chosen when the program runs:
// the build never assumes the processor it runs on.

namespace kesta {

// Which instruction set adds the lanes; every path gives the same bits. Best is
// the widest the processor has; a path the processor lacks falls back to the
// next narrower one.
enum class VectorPath { Best, Avx512, Avx2, Baseline };

// The widest path, no wider than asked, that this processor has: never Best.
VectorPath available_path(VectorPath asked);

}  // namespace kesta
