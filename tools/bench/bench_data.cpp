#include "bench_data.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace {

constexpr size_t kPage = 4096;

SubstitutionChain ChainOf(std::initializer_list<HashPair> pairs) {
    SubstitutionChain chain;
    for (const HashPair& pair : pairs)
        chain.pairs[chain.count++] = pair;
    return chain;
}

template <class T>
void FillWith(uint8_t* page, size_t bytes, T (*next)(std::mt19937_64&), std::mt19937_64& random) {
    for (size_t at = 0; at + sizeof(T) <= bytes; at += sizeof(T)) {
        const T value = next(random);
        std::memcpy(page + at, &value, sizeof(T));
    }
}

uint64_t RandomWord(std::mt19937_64& random) {
    return random();
}
uint32_t SmallInteger(std::mt19937_64& random) {
    return static_cast<uint32_t>(random() % 1000);
}
float EverydayFloat(std::mt19937_64& random) {
    static constexpr float kCommon[] = {0.0f, 1.0f, 0.5f, 2.0f, -1.0f, 100.0f};
    const uint64_t pick = random();
    if (pick % 3 == 0) return kCommon[(pick >> 8) % 6];
    return static_cast<float>(static_cast<int64_t>(pick >> 11) % 2000000) / 1000.0f - 1000.0f;
}
uint64_t Pointer(std::mt19937_64& random) {
    return 0x00007FF600000000ull + ((random() & 0xFFFFFFFull) << 3);
}
uint32_t Text(std::mt19937_64& random) {
    uint32_t letters = 0;
    for (int k = 0; k < 4; ++k)
        letters |= static_cast<uint32_t>(" etaoinshr"[random() % 10]) << (8 * k);
    return letters;
}

// Plants `count` copies of the chain's old hashes at random offsets, any alignment.
void Plant(std::vector<uint8_t>& memory, const SubstitutionChain& chain, size_t count,
           std::mt19937_64& random) {
    if (memory.size() < 4) return;
    for (size_t k = 0; k < count; ++k) {
        const uint32_t hash = chain.pairs[k % chain.count].from;
        std::memcpy(memory.data() + random() % (memory.size() - 3), &hash, 4);
    }
}

size_t PlantedFor(size_t bytes) {
    return bytes / (256 * 1024) + 16;
} // 4096 per GiB

} // namespace

void FillLikeHeap(uint8_t* memory, size_t bytes, std::mt19937_64& random) {
    for (size_t at = 0; at < bytes; at += kPage) {
        uint8_t* page = memory + at;
        const size_t length = std::min(kPage, bytes - at);
        // Out of 20 pages: 4 random, 5 zero, 4 small integers, 3 floats, 3 pointers, 1 text.
        const uint64_t pick = random() % 20;
        if (pick < 4)
            FillWith(page, length, RandomWord, random);
        else if (pick < 9)
            std::memset(page, 0, length);
        else if (pick < 13)
            FillWith(page, length, SmallInteger, random);
        else if (pick < 16)
            FillWith(page, length, EverydayFloat, random);
        else if (pick < 19)
            FillWith(page, length, Pointer, random);
        else
            FillWith(page, length, Text, random);
    }
}

BenchCase RealisticCase(size_t bytes) {
    BenchCase c{"realistic",
                "heap-like pages (random, zero runs, small integers, floats, pointers, text)",
                std::vector<uint8_t>(bytes),
                {}};
    c.chain = ChainOf({{0x7DC36678, 0x2C9A8F43},
                       {0xB1E2C05D, 0x5F0E3A9C},
                       {0x9A4D27E1, 0xE3176B58},
                       {0x43F8D1A6, 0x18B6F274}});
    std::mt19937_64 random(1);
    FillLikeHeap(c.memory.data(), bytes, random);
    Plant(c.memory, c.chain, PlantedFor(bytes), random);
    return c;
}

BenchCase ZeroHeavyCase(size_t bytes) {
    BenchCase c{"zero-heavy",
                "mostly zeros; needles with 00 and FF bytes",
                std::vector<uint8_t>(bytes),
                {}};
    c.chain = ChainOf({{0x7DC30000, 0x2C9A8F43},
                       {0x0000C05D, 0x5F0E3A9C},
                       {0xFF00D2E1, 0xE3176B58},
                       {0x43FF00A6, 0x18B6F274}});
    std::mt19937_64 random(2);
    for (size_t at = 0; at + 8 <= bytes; at += 8) {
        const uint64_t pick = random() % 100;
        uint64_t word = 0;
        if (pick < 10)
            word = random() % 256; // small integer
        else if (pick < 13)
            word = Pointer(random);
        else if (pick < 15)
            word = random();
        else if (pick < 16)
            word = ~uint64_t{0}; // fill
        std::memcpy(c.memory.data() + at, &word, 8);
    }
    Plant(c.memory, c.chain, PlantedFor(bytes), random);
    return c;
}

BenchCase DenseCandidatesCase(size_t bytes) {
    BenchCase c{"dense candidates",
                "floats, many 1.0; a needle one unit above 1.0f",
                std::vector<uint8_t>(bytes),
                {}};
    c.chain = ChainOf({{0x7DC36678, 0x2C9A8F43},
                       {0x3F800001, 0x5F0E3A9C},
                       {0x9A4D27E1, 0xE3176B58},
                       {0x43F8D1A6, 0x18B6F274}});
    std::mt19937_64 random(3);
    FillWith(c.memory.data(), bytes, EverydayFloat, random);
    Plant(c.memory, c.chain, PlantedFor(bytes), random);
    return c;
}
