// The AVX2 engine: 32 windows per vector compare.
#include <immintrin.h>

#include "swap/vector_engine.h"

#include <cstddef>
#include <cstdint>

#define OSTREVANE_TARGET __attribute__((target("avx2")))

namespace {

struct VectorOps {
    using Vec = __m256i;
    using Hits = __m256i;
    using WordHits = __m256i;
    static constexpr size_t kWidth = 32;

    OSTREVANE_TARGET static Vec Load(const uint8_t* at) {
        return _mm256_loadu_si256(reinterpret_cast<const Vec*>(at));
    }
    OSTREVANE_TARGET static Vec LoadStep(const uint8_t* at) { return Load(at); }
    OSTREVANE_TARGET static Vec Splat(uint8_t byte) {
        return _mm256_set1_epi8(static_cast<char>(byte));
    }
    OSTREVANE_TARGET static Vec SplatWord(uint16_t word) {
        return _mm256_set1_epi16(static_cast<short>(word));
    }
    OSTREVANE_TARGET static WordHits EqualWords(Vec a, Vec b) { return _mm256_cmpeq_epi16(a, b); }
    OSTREVANE_TARGET static WordHits OrWords(WordHits a, WordHits b) {
        return _mm256_or_si256(a, b);
    }
    OSTREVANE_TARGET static bool AnyWord(WordHits hits) { return !_mm256_testz_si256(hits, hits); }

    // The filter's words by slot, their low bytes and their high bytes in two tables of 16, each
    // in both halves of a vector: one byte shuffle looks up a byte of 16 words at once.
    struct WordTable {
        __m256i low;
        __m256i high;
        __m256i multiplier;
        bool hashed;
    };
    OSTREVANE_TARGET static bool FillTable(const uint16_t* words, size_t count, WordTable& table) {
        // Eight words in 16 slots: about one multiplier in eight places random words apart, so
        // 64 are tried, and about one chain in 4,000 fits none.
        WordSlots<16> slots;
        if (!FitWordSlots(words, count, 64, slots)) return false;
        uint8_t low[16], high[16];
        for (unsigned j = 0; j < 16; ++j) {
            low[j] = static_cast<uint8_t>(slots.words[j]);
            high[j] = static_cast<uint8_t>(slots.words[j] >> 8);
        }
        table.low =
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low)));
        table.high =
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(high)));
        table.multiplier = _mm256_set1_epi16(static_cast<short>(slots.multiplier));
        table.hashed = slots.multiplier != 0;
        return true;
    }
    // Set where a word is in the table. A byte shuffle reads a slot from each byte's own low
    // bits: the slot lies in each word's low byte, so the low bytes read it there and the high
    // bytes from a copy shifted up; each half keeps its own bytes.
    template <bool hashed>
    OSTREVANE_TARGET static WordHits LookUpWords(Vec v, const WordTable& table) {
        const Vec slots = hashed ? _mm256_srli_epi16(_mm256_mullo_epi16(v, table.multiplier), 12)
                                 : _mm256_and_si256(v, _mm256_set1_epi16(0x000F));
        const Vec word =
            _mm256_blendv_epi8(_mm256_shuffle_epi8(table.low, slots),
                               _mm256_shuffle_epi8(table.high, _mm256_slli_epi16(slots, 8)),
                               _mm256_set1_epi16(static_cast<short>(0xFF00)));
        return _mm256_cmpeq_epi16(v, word);
    }
    static bool Hashed(const WordTable& table) { return table.hashed; }

    OSTREVANE_TARGET static Hits Pair(Vec a, Vec b, Vec c, Vec d) {
        return _mm256_and_si256(_mm256_cmpeq_epi8(a, b), _mm256_cmpeq_epi8(c, d));
    }
    OSTREVANE_TARGET static Hits Quad(const Vec (&a)[4], const Vec (&b)[4]) {
        return _mm256_and_si256(Pair(a[0], b[0], a[1], b[1]), Pair(a[2], b[2], a[3], b[3]));
    }
    OSTREVANE_TARGET static Hits Or(Hits a, Hits b) { return _mm256_or_si256(a, b); }
    OSTREVANE_TARGET static Hits None() { return _mm256_setzero_si256(); }
    OSTREVANE_TARGET static bool Any(Hits hits) { return !_mm256_testz_si256(hits, hits); }
    OSTREVANE_TARGET static uint64_t Bits(Hits hits) {
        return static_cast<uint32_t>(_mm256_movemask_epi8(hits));
    }
};

} // namespace

#include "swap/vector_loop.h"

size_t SubstituteAvx2(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    return VectorSubstitute(begin, size, chain);
}
