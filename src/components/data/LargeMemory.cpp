#include "LargeMemory.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t rounded(std::size_t bytes)
{
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

} // namespace

void *LargeMemory::allocate(std::size_t bytes)
{
#ifdef __linux__
    if (bytes >= kHugePage) {
        // Mapped with a huge page's worth to spare, then cut to a huge-page
        // boundary at both ends.
        const std::size_t size = rounded(bytes);
        void *mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return nullptr;
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
        if (aligned > start)
            munmap(mapped, aligned - start);
        const std::size_t tail = start + size + kHugePage - (aligned + size);
        if (tail > 0)
            munmap(reinterpret_cast<void *>(aligned + size), tail);
        madvise(reinterpret_cast<void *>(aligned), size, MADV_HUGEPAGE);
        return reinterpret_cast<void *>(aligned);
    }
#endif
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void LargeMemory::release(void *memory, std::size_t bytes) noexcept
{
    if (!memory)
        return;
#ifdef __linux__
    if (bytes >= kHugePage) {
        munmap(memory, rounded(bytes));
        return;
    }
#endif
    std::free(memory);
}
