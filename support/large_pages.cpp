#include "support/large_pages.hpp"

#include <sys/mman.h>
#include <cstdint>
#include <new>

namespace kesta {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

std::size_t whole_pages(std::size_t bytes) { return (bytes + kLargePage - 1) / kLargePage * kLargePage; }

// At least one large page, and no more than an eighth of it left empty.
bool takes_large_pages(std::size_t bytes) { return bytes >= kLargePage / 2 && whole_pages(bytes) - bytes <= bytes / 8; }

}  // namespace

void* allocate_large(std::size_t bytes) {
  if (!takes_large_pages(bytes)) return ::operator new(bytes);
  const std::size_t span = whole_pages(bytes);
  // Mapped with a large page to spare, then cut to a boundary of one.
  void* mapped = ::mmap(nullptr, span + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  char* const first = static_cast<char*>(mapped);
  const std::size_t lead = (kLargePage - reinterpret_cast<std::uintptr_t>(first) % kLargePage) % kLargePage;
  char* const start = first + lead;
  if (lead > 0) (void)::munmap(first, lead);
  (void)::munmap(start + span, kLargePage - lead);
  // Without large pages (or with them switched off) the memory is the same,
  // only slower to touch: the advice may fail.
  (void)::madvise(start, span, MADV_HUGEPAGE);
  return start;
}

void deallocate_large(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (!takes_large_pages(bytes)) return ::operator delete(p);
  (void)::munmap(p, whole_pages(bytes));
}

}  // namespace kesta
