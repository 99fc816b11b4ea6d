// The AVX-512BW engine: 64 windows per vector compare, the flags in mask registers. Only on
// a CPU where CpuHasAvx512() holds.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#define OSTREVANE_TARGET __attribute__((target("avx512f,avx512bw")))

namespace {

struct VectorOps {
    using Vec = __m512i;
    using Hits = __mmask64;
    static constexpr size_t kWidth = 64;

    OSTREVANE_TARGET static Vec Load(const uint8_t* at) { return _mm512_loadu_si512(at); }
    OSTREVANE_TARGET static Vec Splat(uint8_t byte) {
        return _mm512_set1_epi8(static_cast<char>(byte));
    }
    OSTREVANE_TARGET static Hits Equal(Vec a, Vec b) { return _mm512_cmpeq_epi8_mask(a, b); }
    OSTREVANE_TARGET static Hits And(Hits a, Hits b) { return _kand_mask64(a, b); }
    OSTREVANE_TARGET static Hits Or(Hits a, Hits b) { return _kor_mask64(a, b); }
    OSTREVANE_TARGET static Hits None() { return 0; }
    OSTREVANE_TARGET static bool Any(Hits hits) { return hits != 0; }
    OSTREVANE_TARGET static uint64_t Bits(Hits hits) { return hits; }
};

} // namespace

#include "swap/scan_loop.h"

size_t SubstituteAvx512(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    return ScanChain(begin, size, chain);
}
