// The SSE2 engine: 16 windows per vector compare; every 64-bit x86 CPU has SSE2.
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#define OSTREVANE_TARGET

namespace {

struct VectorOps {
    using Vec = __m128i;
    using Hits = __m128i;
    using WordHits = __m128i;
    static constexpr size_t kWidth = 16;

    static Vec Load(const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const Vec*>(at)); }
    static Vec LoadStep(const uint8_t* at) { return Load(at); }
    static Vec Splat(uint8_t byte) { return _mm_set1_epi8(static_cast<char>(byte)); }
    static Vec SplatWord(uint16_t word) { return _mm_set1_epi16(static_cast<short>(word)); }
    static WordHits EqualWords(Vec a, Vec b) { return _mm_cmpeq_epi16(a, b); }
    static WordHits OrWords(WordHits a, WordHits b) { return _mm_or_si128(a, b); }
    static bool AnyWord(WordHits hits) { return _mm_movemask_epi8(hits) != 0; }
    static Hits Pair(Vec a, Vec b, Vec c, Vec d) {
        return _mm_and_si128(_mm_cmpeq_epi8(a, b), _mm_cmpeq_epi8(c, d));
    }
    static Hits Quad(const Vec (&a)[4], const Vec (&b)[4]) {
        return _mm_and_si128(Pair(a[0], b[0], a[1], b[1]), Pair(a[2], b[2], a[3], b[3]));
    }
    static Hits Or(Hits a, Hits b) { return _mm_or_si128(a, b); }
    static Hits None() { return _mm_setzero_si128(); }
    static bool Any(Hits hits) { return _mm_movemask_epi8(hits) != 0; }
    static uint64_t Bits(Hits hits) { return static_cast<uint32_t>(_mm_movemask_epi8(hits)); }
};

} // namespace

#include "swap/vector_loop.h"

size_t SubstituteSse2(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    return VectorSubstitute(begin, size, chain);
}
