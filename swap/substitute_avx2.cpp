// The AVX2 engine: 32 windows per vector compare.
#include <immintrin.h>

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
