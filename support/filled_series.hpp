#pragma once
// Series that a loop on every core fills whole. Growing one leaves its values
// unset, so each page is first touched by the thread that writes it: a fresh
// page costs a fault at its first touch, and faults on two cores take half the
// time of faults on one. Every entry must be written before it is read.
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace kesta {

template <typename T>
struct UnsetAllocator : std::allocator<T> {
  UnsetAllocator() = default;
  template <typename U>
  UnsetAllocator(const UnsetAllocator<U>&) noexcept {}
  // Growing default-initializes: nothing is written to a double or a float.
  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  friend bool operator==(const UnsetAllocator&, const UnsetAllocator&) { return true; }
};

template <typename T>
using FilledSeries = std::vector<T, UnsetAllocator<T>>;

}  // namespace kesta
