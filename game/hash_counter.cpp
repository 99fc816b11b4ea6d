#include "game/hash_counter.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t KeyAt(const uint8_t* bytes) {
    uint16_t key;
    std::memcpy(&key, bytes, 2);
    return key;
}

} // namespace

HashCounter MakeHashCounter(std::vector<uint32_t> hashes) {
    HashCounter counter;
    std::sort(hashes.begin(), hashes.end());
    hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
    counter.hashes = std::move(hashes);
    // Zero and all-ones runs fill much of a game's memory: key on the two bytes of the
    // hashes that are least often 0000 or FFFF, or nearly every window there passes.
    size_t fewestCommon = SIZE_MAX;
    for (size_t offset = 0; offset < 3; ++offset) {
        size_t common = 0;
        for (const uint32_t hash : counter.hashes) {
            const auto key = uint16_t(hash >> (8 * offset));
            common += key == 0x0000 || key == 0xFFFF;
        }
        if (common < fewestCommon) {
            fewestCommon = common;
            counter.filterOffset = offset;
        }
    }
    counter.filter.assign(65536, 0);
    for (const uint32_t hash : counter.hashes)
        counter.filter[uint16_t(hash >> (8 * counter.filterOffset))] = 1;
    return counter;
}

size_t SlotOf(const HashCounter& counter, uint32_t hash) {
    const auto found = std::lower_bound(counter.hashes.begin(), counter.hashes.end(), hash);
    return found != counter.hashes.end() && *found == hash ? size_t(found - counter.hashes.begin())
                                                           : counter.hashes.size();
}

void CountWindows(const HashCounter& counter, const uint8_t* begin, size_t size, uint64_t* counts) {
    if (size < 4 || counter.hashes.empty()) return;
    const uint8_t* filter = counter.filter.data();
    const uint8_t* keys = begin + counter.filterOffset;
    const size_t windows = size - 3;
    const auto confirm = [&](size_t i) {
        uint32_t window;
        std::memcpy(&window, begin + i, 4);
        const size_t slot = SlotOf(counter, window);
        if (slot < counter.hashes.size()) ++counts[slot];
    };
    size_t i = 0;
    // Eight windows per test: one in a few hundred passes the filter, so the branch is
    // almost never taken and the loads run unhindered.
    for (; i + 8 <= windows; i += 8) {
        const uint8_t* k = keys + i;
        if ((filter[KeyAt(k)] | filter[KeyAt(k + 1)] | filter[KeyAt(k + 2)] | filter[KeyAt(k + 3)] |
             filter[KeyAt(k + 4)] | filter[KeyAt(k + 5)] | filter[KeyAt(k + 6)] |
             filter[KeyAt(k + 7)]) == 0) {
            continue;
        }
        for (size_t j = i; j < i + 8; ++j) {
            if (filter[KeyAt(keys + j)]) confirm(j);
        }
    }
    for (; i < windows; ++i) {
        if (filter[KeyAt(keys + i)]) confirm(i);
    }
}
