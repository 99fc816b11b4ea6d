// The AVX-512BW engine: 64 windows per vector compare. A flag is a zero byte or word, the
// difference: one ternary-logic instruction tests two byte pairs and a minimum joins flags,
// where mask-register compares would queue on the one port that runs them.
#include <immintrin.h>

#include "swap/vector_engine.h"

#include <cstddef>
#include <cstdint>

#define OSTREVANE_TARGET __attribute__((target("avx512f,avx512bw")))

namespace {

struct VectorOps {
    using Vec = __m512i;
    using Hits = __m512i;
    using WordHits = __m512i;
    static constexpr size_t kWidth = 64;

    // Steps keep to the range's 64-byte grid, so where the range starts on a cache line (every
    // region does) a step's own bytes lie on one.
    OSTREVANE_TARGET static Vec LoadStep(const uint8_t* at) { return _mm512_loadu_si512(at); }
    // Other bytes in two 32-byte loads joined: a 64-byte load that straddles two cache lines is
    // served at half speed from memory on some CPUs (AMD Zen 5), though at full speed from cache.
    OSTREVANE_TARGET static Vec Load(const uint8_t* at) {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32));
        // The mask form, with every lane taken, is the plain insert without GCC's
        // undefined-register placeholder, which -Wuninitialized flags.
        const __m512i wide = _mm512_castsi256_si512(low);
        return _mm512_mask_inserti64x4(wide, 0xFF, wide, high, 1);
    }
    OSTREVANE_TARGET static Vec Splat(uint8_t byte) {
        return _mm512_set1_epi8(static_cast<char>(byte));
    }
    OSTREVANE_TARGET static Vec SplatWord(uint16_t word) {
        return _mm512_set1_epi16(static_cast<short>(word));
    }
    OSTREVANE_TARGET static WordHits EqualWords(Vec a, Vec b) { return _mm512_xor_si512(a, b); }
    OSTREVANE_TARGET static WordHits OrWords(WordHits a, WordHits b) {
        return _mm512_min_epu16(a, b);
    }
    OSTREVANE_TARGET static bool AnyWord(WordHits hits) {
        return _mm512_testn_epi16_mask(hits, hits) != 0;
    }

    // The filter's words by slot: one permute looks up 32 words at once.
    struct WordTable {
        __m512i words;
        __m512i multiplier;
        bool hashed;
    };
    OSTREVANE_TARGET static bool FillTable(const uint16_t* words, size_t count, WordTable& table) {
        WordSlots<32> slots;
        if (!FitWordSlots(words, count, 16, slots)) return false;
        table.words = _mm512_loadu_si512(slots.words);
        table.multiplier = _mm512_set1_epi16(static_cast<short>(slots.multiplier));
        table.hashed = slots.multiplier != 0;
        return true;
    }
    // Zero where a word is in the table. The permute reads a slot from the 5 low bits of each
    // word, so where those serve, the words themselves do.
    template <bool hashed>
    OSTREVANE_TARGET static WordHits LookUpWords(Vec v, const WordTable& table) {
        const Vec slots =
            hashed ? _mm512_srli_epi16(_mm512_mullo_epi16(v, table.multiplier), 11) : v;
        return _mm512_xor_si512(v, _mm512_permutexvar_epi16(slots, table.words));
    }
    static bool Hashed(const WordTable& table) { return table.hashed; }
    // (a ^ b) | (c ^ d): 0xF6 is x | (y ^ z) as a ternary-logic truth table.
    OSTREVANE_TARGET static Hits Pair(Vec a, Vec b, Vec c, Vec d) {
        return _mm512_ternarylogic_epi64(_mm512_xor_si512(a, b), c, d, 0xF6);
    }
    OSTREVANE_TARGET static Hits Quad(const Vec (&a)[4], const Vec (&b)[4]) {
        return _mm512_or_si512(Pair(a[0], b[0], a[1], b[1]), Pair(a[2], b[2], a[3], b[3]));
    }
    OSTREVANE_TARGET static Hits Or(Hits a, Hits b) { return _mm512_min_epu8(a, b); }
    OSTREVANE_TARGET static Hits None() { return _mm512_set1_epi8(-1); }
    OSTREVANE_TARGET static bool Any(Hits hits) { return Bits(hits) != 0; }
    OSTREVANE_TARGET static uint64_t Bits(Hits hits) { return _mm512_testn_epi8_mask(hits, hits); }
};

} // namespace

#include "swap/vector_loop.h"

size_t SubstituteAvx512(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    return VectorSubstitute(begin, size, chain);
}
