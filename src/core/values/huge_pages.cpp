#include "values/huge_pages.h"

#include <cstdint>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#endif

namespace kerfwright {

void preferHugePages(void* data, std::size_t size) {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + size) & ~(kHugePage - 1);
    // Advice only: a system that refuses it leaves the buffer as it was.
    if (first < end) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

}  // namespace kerfwright
