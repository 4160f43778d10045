#pragma once

#include "LargeMemory.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

/// An append-only array of plain values in chunks that never move: growing
/// copies nothing (past the first chunk) and asks for no more memory than
/// the next chunk. The first chunk grows from a few elements, so a short
/// array stays small; the others are 2^18 elements each (two megabytes of
/// eight-byte values, one huge page).
template <typename T>
class ChunkedArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    ChunkedArray() = default;
    ~ChunkedArray() { clear(); }
    ChunkedArray(const ChunkedArray &) = delete;
    ChunkedArray &operator=(const ChunkedArray &) = delete;
    ChunkedArray(ChunkedArray &&other) noexcept { *this = std::move(other); }
    ChunkedArray &operator=(ChunkedArray &&other) noexcept
    {
        if (this != &other) {
            clear();
            m_chunks.swap(other.m_chunks);
            std::swap(m_size, other.m_size);
            std::swap(m_capacity, other.m_capacity);
        }
        return *this;
    }

    std::size_t size() const { return m_size; }
    T &operator[](std::size_t i) { return m_chunks[i >> kShift][i & kMask]; }
    const T &operator[](std::size_t i) const { return m_chunks[i >> kShift][i & kMask]; }

    void push_back(T value)
    {
        if (m_size == m_capacity)
            grow();
        m_chunks[m_size >> kShift][m_size & kMask] = value;
        ++m_size;
    }

    void clear()
    {
        for (std::size_t i = 0; i < m_chunks.size(); ++i)
            LargeMemory::release(m_chunks[i], chunkBytes(i));
        m_chunks.clear();
        m_size = m_capacity = 0;
    }

private:
    static constexpr int kShift = 18;
    static constexpr std::size_t kChunk = std::size_t(1) << kShift;
    static constexpr std::size_t kMask = kChunk - 1;
    static constexpr std::size_t kFirstChunk = 16;

    std::size_t chunkBytes(std::size_t index) const
    {
        return (index == 0 ? std::min(m_capacity, kChunk) : kChunk) * sizeof(T);
    }

    void grow()
    {
        if (m_capacity < kChunk) {
            // The first chunk doubles until it is full size.
            const std::size_t capacity = m_capacity == 0 ? kFirstChunk : m_capacity * 2;
            T *chunk = allocate(capacity);
            if (!m_chunks.empty()) {
                std::memcpy(chunk, m_chunks[0], m_size * sizeof(T));
                LargeMemory::release(m_chunks[0], m_capacity * sizeof(T));
                m_chunks[0] = chunk;
            } else {
                m_chunks.push_back(chunk);
            }
            m_capacity = capacity;
            return;
        }
        m_chunks.push_back(allocate(kChunk));
        m_capacity += kChunk;
    }

    static T *allocate(std::size_t count)
    {
        void *memory = LargeMemory::allocate(count * sizeof(T));
        if (!memory)
            throw std::bad_alloc();
        return static_cast<T *>(memory);
    }

    std::vector<T *> m_chunks;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};
