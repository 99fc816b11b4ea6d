#include "tools/ostrevane/window_counter.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t KeyAt(const uint8_t* bytes) {
    uint16_t key;
    std::memcpy(&key, bytes, 2);
    return key;
}

} // namespace

WindowCounter MakeWindowCounter(std::vector<uint32_t> hashes) {
    WindowCounter counter;
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
    counter.filter.assign(65536 / 64, 0);
    for (const uint32_t hash : counter.hashes) {
        const auto key = uint16_t(hash >> (8 * counter.filterOffset));
        counter.filter[key / 64] |= uint64_t(1) << (key % 64);
    }
    return counter;
}

size_t SlotOf(const WindowCounter& counter, uint32_t hash) {
    const auto found = std::lower_bound(counter.hashes.begin(), counter.hashes.end(), hash);
    return found != counter.hashes.end() && *found == hash ? size_t(found - counter.hashes.begin())
                                                           : counter.hashes.size();
}

void CountWindows(const WindowCounter& counter, const uint8_t* begin, size_t size,
                  uint64_t* counts) {
    if (size < 4 || counter.hashes.empty()) return;
    const uint64_t* filter = counter.filter.data();
    const uint8_t* keys = begin + counter.filterOffset;
    for (size_t i = 0; i + 4 <= size; ++i) {
        const uint16_t key = KeyAt(keys + i);
        if (((filter[key / 64] >> (key % 64)) & 1) == 0) continue;
        uint32_t window;
        std::memcpy(&window, begin + i, 4);
        const size_t slot = SlotOf(counter, window);
        if (slot < counter.hashes.size()) ++counts[slot];
    }
}
