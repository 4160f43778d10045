#pragma once

#include <cstddef>
#include <new>

/// Memory for large arrays and text blocks, which a big result fills once
/// and from the start. Two megabytes and more are mapped from the system
/// in whole huge pages where it offers them, so the first write faults once
/// per two megabytes rather than once per page, and go straight back to
/// the system when released, so one large result after another does not
/// leave the process holding the sum of them.
namespace LargeMemory {

/// Null when there is no memory.
void *allocate(std::size_t bytes);
/// Gives back memory of allocate; bytes as asked for there.
void release(void *memory, std::size_t bytes) noexcept;

/// A standard allocator on allocate(), for std::vector.
template <typename T>
struct Allocator
{
    using value_type = T;
    Allocator() = default;
    template <typename U>
    Allocator(const Allocator<U> &) noexcept
    {
    }
    T *allocate(std::size_t n)
    {
        if (void *memory = LargeMemory::allocate(n * sizeof(T)))
            return static_cast<T *>(memory);
        throw std::bad_alloc();
    }
    void deallocate(T *memory, std::size_t n) noexcept { LargeMemory::release(memory, n * sizeof(T)); }
    friend bool operator==(const Allocator &, const Allocator &) { return true; }
};

} // namespace LargeMemory
