#pragma once
// Storage for the long transforms' series in the processor's large pages (2 MB)
// where the system offers them. Fresh memory comes one 4 KB page at a time, and
// each first touch of a page costs as much as a few thousand multiply-adds: a
// 2 MB series in large pages is touched in one step instead of 512. Only a size
// that fills its large pages nearly whole takes them, so a run holds no more
// memory than before.
#include <cstddef>
#include <vector>

namespace kesta {

void* allocate_large(std::size_t bytes);
void deallocate_large(void* p, std::size_t bytes) noexcept;

template <typename T>
struct LargePageAllocator {
  using value_type = T;
  LargePageAllocator() = default;
  template <typename U>
  LargePageAllocator(const LargePageAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(allocate_large(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { deallocate_large(p, n * sizeof(T)); }
  friend bool operator==(const LargePageAllocator&, const LargePageAllocator&) { return true; }
};

template <typename T>
using LargeVector = std::vector<T, LargePageAllocator<T>>;

}  // namespace kesta
