// SPDX-License-Identifier: Apache-2.0
#include "NuvBlockCache.h"

#include <cstdlib>
#include <deque>
#include <mutex>
#include <new>

namespace {
// Each block starts with its capacity; the caller's memory follows, aligned for any type.
constexpr size_t kHeader = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t)
                                                                      : sizeof(size_t);

struct Cache {
    std::mutex mutex;          // guards blocks
    std::deque<char*> blocks;  // starts of cached blocks, oldest first
};
Cache& cache() {
    static Cache* c = new Cache;  // never destroyed: blocks may come back during static teardown
    return *c;
}
size_t capacityOf(char* start) {
    return *reinterpret_cast<size_t*>(start);
}
}  // namespace

void* NuvBlockCache::take(size_t bytes) {
    if (bytes >= kMinCachedBytes) {
        Cache& c = cache();
        std::lock_guard<std::mutex> lock(c.mutex);
        for (auto it = c.blocks.begin(); it != c.blocks.end(); ++it) {
            const size_t capacity = capacityOf(*it);
            if (capacity >= bytes && capacity / 2 <= bytes) {
                char* start = *it;
                c.blocks.erase(it);
                return start + kHeader;
            }
        }
    }
    char* start = static_cast<char*>(std::malloc(bytes + kHeader));
    if (start == nullptr) throw std::bad_alloc();
    *reinterpret_cast<size_t*>(start) = bytes;
    return start + kHeader;
}

void NuvBlockCache::give(void* block) {
    if (block == nullptr) return;
    char* start = static_cast<char*>(block) - kHeader;
    if (capacityOf(start) < kMinCachedBytes) {
        std::free(start);
        return;
    }
    char* dropped = nullptr;
    {
        Cache& c = cache();
        std::lock_guard<std::mutex> lock(c.mutex);
        c.blocks.push_back(start);
        if (c.blocks.size() > static_cast<size_t>(kMaxBlocks)) {
            dropped = c.blocks.front();
            c.blocks.pop_front();
        }
    }
    std::free(dropped);
}

void NuvBlockCache::clear() {
    std::deque<char*> blocks;
    {
        Cache& c = cache();
        std::lock_guard<std::mutex> lock(c.mutex);
        blocks.swap(c.blocks);
    }
    for (char* start : blocks)
        std::free(start);
}
