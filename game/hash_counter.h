#pragma once
// Counts the 4-byte windows, at every byte offset, that equal any of a set of hashes, fast
// enough for the whole dictionary: a table over two bytes of each hash turns almost every
// window away with one load, and only the rest are looked up.

#include <cstddef>
#include <cstdint>
#include <vector>

struct HashCounter {
    std::vector<uint32_t> hashes; // sorted, each once
    std::vector<uint8_t> filter;  // filter[k] is 1 when some hash has k at filterOffset
    size_t filterOffset = 0;      // which two adjacent bytes of a window the filter keys on
};

// A counter for `hashes`; repeats are counted once, in one slot.
HashCounter MakeHashCounter(std::vector<uint32_t> hashes);

// The slot of `hash` in counter.hashes; counter.hashes.size() when it is not there.
size_t SlotOf(const HashCounter& counter, uint32_t hash);

// Adds to counts[slot] the windows of [begin, begin + size) equal to counter.hashes[slot].
void CountWindows(const HashCounter& counter, const uint8_t* begin, size_t size, uint64_t* counts);
