#pragma once
// The instruction sets the vector loops may use.

namespace kesta {

// Which instruction set adds the lanes; every path gives the same bits. Best is
// the widest the processor has, chosen when the program runs; a path the
// processor lacks falls back to the next narrower one.
enum class VectorPath { Best, Avx512, Avx2, Baseline };

}  // namespace kesta
