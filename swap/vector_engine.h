#pragma once
// What the vector engines share besides their loop (swap/vector_loop.h).

#include "swap/engines.h"

#include <bit>
#include <cstring>

// How far ahead of the filter the engines ask for memory: a page on. Without the software
// prefetch the compares ran at half the read speed over memory that is not in cache, with it
// 2 KiB ahead at 0.85 of it; a page ahead brought AVX2 and AVX-512 to about 0.9. The table
// lookup, twice as fast, asks for nothing: the hardware's own prefetch then keeps up better
// alone (a page ahead cost it a tenth of its speed on AMD Zen 4).
constexpr size_t kPrefetchDistance = 4096;

// One step reads 64 + 3 bytes: exact compares decide the 64 windows starting in it; the filter
// reads the first 64 alone.
constexpr size_t kBlockBytes = 64 + 3;
constexpr size_t kExactWindows = 64;

// When the filter keeps raising steps that hold no match (needle bytes common in this
// memory), the engines switch to exact compares for a stretch, then try it again.
constexpr unsigned kDenseMisses = 8;        // steps raised in vain within a probe stretch
constexpr size_t kProbeStretch = 4096;      // bytes the filter gets per try
constexpr size_t kExactStretch = 64 * 1024; // bytes of exact compares before the next try
// Before that, the needle raising most steps moves to its next filter word, this many times.
constexpr unsigned kDenseRepicks = 8;

constexpr size_t kVectorPairCap = 4;
static_assert(kPairCount <= kVectorPairCap,
              "the vector engines run at most kVectorPairCap (4) pairs: give VectorSubstitute "
              "(swap/vector_loop.h) a case for each count up to kPairCount, then raise the cap");

// The pairs copied into the engine's frame before the first store, since the caller's
// chain may itself lie in the memory being rewritten.
struct ChainCopy {
    uint32_t from[kVectorPairCap] = {};
    uint32_t to[kVectorPairCap] = {};
    size_t count = 0;
};

// Copies at most kVectorPairCap pairs of `chain`.
ChainCopy CopyChain(const SubstitutionChain& chain);

// Where the filter's outer word of `needle` starts: 0 (its low word) or 2 (its high word);
// rank 0 the one less likely in game memory (avoiding zero, 0xFF and small values), rank 1 the
// other, and so on alternately.
unsigned ChooseOuterWord(uint32_t needle, unsigned rank = 0);

// The filter's words by slot, for an engine that looks each word up once, whatever the number
// of needles. A word's slot is its low bits where those tell the words apart, else the top bits
// of the word times an odd constant, tried in turn: words with zero bytes share many low bits.
template <unsigned kSlots> struct WordSlots {
    uint16_t words[kSlots];
    uint16_t multiplier; // 0 where the low bits place the words
};

inline uint16_t SlotMultiplier(unsigned k) {
    return static_cast<uint16_t>((0x9E3779B1u * (k + 1)) >> 16) | 1;
}

template <unsigned kSlots> unsigned SlotOfWord(uint16_t word, uint16_t multiplier) {
    static_assert(std::has_single_bit(kSlots) && kSlots <= 256);
    // In 32 bits: two 16-bit words promoted to int could overflow it.
    return multiplier == 0 ? word % kSlots
                           : static_cast<uint16_t>(uint32_t{word} * multiplier) / (65536 / kSlots);
}

// Whether `count` words fit a table, the distinct ones in distinct slots, by their low bits or
// by one of the first `multipliers` constants. A slot no word takes holds a word of another
// slot, which nothing looked up in it can equal.
template <unsigned kSlots>
bool FitWordSlots(const uint16_t* words, size_t count, unsigned multipliers,
                  WordSlots<kSlots>& table) {
    for (unsigned k = 0; k <= multipliers; ++k) {
        const uint16_t multiplier = k == 0 ? 0 : SlotMultiplier(k - 1);
        bool taken[kSlots] = {};
        bool fits = true;
        for (size_t w = 0; w < count && fits; ++w) {
            const unsigned j = SlotOfWord<kSlots>(words[w], multiplier);
            fits = !taken[j] || table.words[j] == words[w];
            taken[j] = true;
            table.words[j] = words[w];
        }
        if (!fits) continue;
        for (unsigned j = 0; j < kSlots; ++j) {
            uint16_t other = 0;
            while (!taken[j] && SlotOfWord<kSlots>(other, multiplier) == j)
                ++other;
            if (!taken[j]) table.words[j] = other;
        }
        table.multiplier = multiplier;
        return true;
    }
    return false;
}

// Runs the chain on one window as the reference engine does; returns whether it stored.
inline bool RewriteWindow(uint8_t* at, const ChainCopy& chain) {
    uint32_t value;
    std::memcpy(&value, at, 4);
    bool stored = false;
    for (size_t p = 0; p < chain.count; ++p) {
        if (value == chain.from[p]) {
            value = chain.to[p];
            stored = true;
        }
    }
    if (stored) {
        std::memcpy(at, &value, 4);
        NoteRewrite(at);
    }
    return stored;
}

// Where a stretch of `length` bytes from `i` ends, clipped to `end`; `end` once i is past it.
inline size_t StretchEnd(size_t i, size_t length, size_t end) {
    return i < end && end - i > length ? i + length : end;
}
