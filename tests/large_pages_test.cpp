// Storage in large pages holds every byte it is asked for, starts on a large
// page where it takes them, and leaves the rest to the ordinary heap.
#include "support/large_pages.hpp"

#include <cstdint>
#include <numeric>

#include <gtest/gtest.h>

namespace kesta {
namespace {

constexpr std::size_t LARGE = std::size_t{2} << 20;

TEST(LargePages, EverySizeHoldsItsBytesAndLargeOnesStartOnALargePage) {
  struct Case {
    std::size_t bytes;
    bool large;  // fills its large pages nearly whole
  };
  const Case cases[] = {
      {64, false},
      {LARGE / 2 - 8, false},
      {LARGE / 2 + LARGE / 4, false},  // too little of a page
      {LARGE - 32, true},
      {LARGE, true},
      {2 * LARGE - 8, true},
      {3 * LARGE + 8, false},  // a fourth page nearly empty
  };
  for (const Case& c : cases) {
    auto* p = static_cast<unsigned char*>(allocate_large(c.bytes));
    ASSERT_NE(p, nullptr) << c.bytes;
    if (c.large) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % LARGE, 0u) << c.bytes;
    }
    for (std::size_t k = 0; k < c.bytes; ++k) p[k] = static_cast<unsigned char>(k * 7);
    std::size_t wrong = 0;
    for (std::size_t k = 0; k < c.bytes; ++k) wrong += p[k] != static_cast<unsigned char>(k * 7) ? 1 : 0;
    EXPECT_EQ(wrong, 0u) << c.bytes;
    deallocate_large(p, c.bytes);
  }
}

// A series of 2^18 values, as the long transforms hold, grows, is copied and
// freed like any vector.
TEST(LargePages, VectorsOfTransformSizeBehaveAsVectors) {
  LargeVector<double> a(std::size_t{1} << 18);
  std::iota(a.begin(), a.end(), 0.0);
  LargeVector<double> b = a;
  b.resize(b.size() + 1, -1.0);
  EXPECT_EQ(b[(std::size_t{1} << 18) - 1], static_cast<double>((std::size_t{1} << 18) - 1));
  EXPECT_EQ(b.back(), -1.0);
  a.clear();
  a.shrink_to_fit();
  EXPECT_EQ(a.capacity(), 0u);
}

}  // namespace
}  // namespace kesta
