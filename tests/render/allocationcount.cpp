#include "allocationcount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> allocations{0};

}  // namespace

std::size_t AllocationCount() { return allocations.load(); }

// AddressSanitizer replaces the allocation functions itself (GCC and clang say so differently).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HELIOTROPIC_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(HELIOTROPIC_ASAN)

bool AllocationCounting() { return false; }

#else

bool AllocationCounting() { return true; }

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

#endif
