// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstddef>

// Keeps a few large freed blocks for reuse. A point cloud of a whole scan is tens of megabytes;
// fresh pages of that size cost more to fault in than converting and writing the cloud, so the
// clouds of consecutive saves reuse the same memory. At most kMaxBlocks blocks are kept.
class NuvBlockCache {
public:
    static constexpr size_t kMinCachedBytes = size_t(1) << 20;
    static constexpr int kMaxBlocks = 2;
    // A block of at least bytes (a cached one of up to twice that size, or a new one); throws
    // std::bad_alloc like operator new.
    static void* take(size_t bytes);
    // Returns a block from take(); large blocks are kept, the oldest dropped when full.
    static void give(void* block);
    // Frees every cached block.
    static void clear();
};

// std::allocator that takes its memory from NuvBlockCache.
template <typename T>
struct NuvRecyclingAllocator {
    using value_type = T;
    NuvRecyclingAllocator() = default;
    template <typename U>
    NuvRecyclingAllocator(const NuvRecyclingAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(NuvBlockCache::take(n * sizeof(T))); }
    void deallocate(T* p, size_t) { NuvBlockCache::give(p); }
    template <typename U>
    bool operator==(const NuvRecyclingAllocator<U>&) const {
        return true;
    }
    template <typename U>
    bool operator!=(const NuvRecyclingAllocator<U>&) const {
        return false;
    }
};
