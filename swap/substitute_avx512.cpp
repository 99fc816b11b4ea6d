// The AVX-512BW engine: 64 windows per vector compare. A flag is a zero byte, the bytes'
// difference: one ternary-logic instruction tests two byte pairs and a bytewise minimum joins
// flags, where mask-register compares would queue on the one port that runs them.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#define OSTREVANE_TARGET __attribute__((target("avx512f,avx512bw")))

namespace {

struct VectorOps {
    using Vec = __m512i;
    using Hits = __m512i;
    static constexpr size_t kWidth = 64;

    // Two 32-byte loads joined, not one 64-byte load: the filter steps 62 bytes, so nearly
    // every 64-byte load would straddle two cache lines, which some CPUs (AMD Zen 5) serve
    // at half speed from memory, though at full speed from cache.
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
