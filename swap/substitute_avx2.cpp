// The AVX2 engine: 32 windows per vector compare. Only this file's marked functions use
// AVX2, so the module still loads and runs on a CPU without it.
#include "swap/vector_engine.h"

#include <immintrin.h>

#include <algorithm>

#define OSTREVANE_AVX2 __attribute__((target("avx2")))

namespace {

// The old hashes, spread across vectors once per call.
template <size_t N> struct Avx2Needles {
    __m256i first[N];  // the needle's first filter byte, in every byte
    __m256i second[N]; // its second filter byte
    __m256i whole[N];  // the needle, in every 32-bit lane
    size_t firstAt[N]; // where the first filter byte sits in the window
    size_t gap[N];     // how far the second one follows it
};

OSTREVANE_AVX2 inline __m256i Load(const uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

template <size_t N> OSTREVANE_AVX2 Avx2Needles<N> Spread(const ChainCopy& chain) {
    Avx2Needles<N> needles;
    for (size_t n = 0; n < N; ++n) {
        const FilterBytes bytes = ChooseFilterBytes(chain.from[n]);
        needles.firstAt[n] = bytes.first;
        needles.gap[n] = bytes.second - bytes.first;
        needles.first[n] = _mm256_set1_epi8(static_cast<char>(chain.from[n] >> (8 * bytes.first)));
        needles.second[n] =
            _mm256_set1_epi8(static_cast<char>(chain.from[n] >> (8 * bytes.second)));
        needles.whole[n] = _mm256_set1_epi32(static_cast<int>(chain.from[n]));
    }
    return needles;
}

// Byte k set: needle n's first filter byte is at `at` + k and its second `gap` bytes on.
// `anchors` holds the 32 bytes at `at`.
template <size_t N>
OSTREVANE_AVX2 inline __m256i PairHits(__m256i anchors, const uint8_t* at,
                                       const Avx2Needles<N>& needles, size_t n) {
    return _mm256_and_si256(_mm256_cmpeq_epi8(anchors, needles.first[n]),
                            _mm256_cmpeq_epi8(Load(at + needles.gap[n]), needles.second[n]));
}

// Lane l of the result set: the window at `at` + 4l equals some needle.
template <size_t N>
OSTREVANE_AVX2 inline __m256i LaneHits(const uint8_t* at, const Avx2Needles<N>& needles) {
    const __m256i windows = Load(at);
    __m256i hits = _mm256_setzero_si256();
#pragma GCC unroll 4
    for (size_t n = 0; n < N; ++n) {
        hits = _mm256_or_si256(hits, _mm256_cmpeq_epi32(windows, needles.whole[n]));
    }
    return hits;
}

// Byte k set: the window at `at` + k equals some needle. Each 32-bit lane compare covers
// every fourth window, so four loads one byte apart cover them all.
template <size_t N>
OSTREVANE_AVX2 inline __m256i ExactHits(const uint8_t* at, const Avx2Needles<N>& needles) {
    const __m256i byte0 = _mm256_set1_epi32(0x000000FF);
    __m256i hits = _mm256_and_si256(LaneHits(at, needles), byte0);
    hits = _mm256_or_si256(
        hits, _mm256_and_si256(LaneHits(at + 1, needles), _mm256_slli_epi32(byte0, 8)));
    hits = _mm256_or_si256(
        hits, _mm256_and_si256(LaneHits(at + 2, needles), _mm256_slli_epi32(byte0, 16)));
    return _mm256_or_si256(
        hits, _mm256_and_si256(LaneHits(at + 3, needles), _mm256_slli_epi32(byte0, 24)));
}

OSTREVANE_AVX2 inline uint64_t BitsOf(__m256i low, __m256i high) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(low)) |
           static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

// Whether some needle's two filter bytes sit in place for a first filter byte at one of
// the 64 offsets from `at`. Loading those 64 bytes once serves every needle.
template <size_t N>
OSTREVANE_AVX2 inline bool PairAny(const uint8_t* at, const Avx2Needles<N>& needles) {
    const __m256i low = Load(at);
    const __m256i high = Load(at + 32);
    __m256i any = _mm256_setzero_si256();
#pragma GCC unroll 4
    for (size_t n = 0; n < N; ++n) {
        any = _mm256_or_si256(any, _mm256_or_si256(PairHits(low, at, needles, n),
                                                   PairHits(high, at + 32, needles, n)));
    }
    return !_mm256_testz_si256(any, any);
}

// Bit k: the window at `at` + k may match, for k below kPairWindows. Out of line, like
// ExactCandidates: sharing the quiet loop's loads would cost that loop its registers.
template <size_t N>
OSTREVANE_AVX2 __attribute__((noinline)) uint64_t PairCandidates(const uint8_t* at,
                                                                 const Avx2Needles<N>& needles) {
    const __m256i low = Load(at);
    const __m256i high = Load(at + 32);
    uint64_t windows = 0;
    for (size_t n = 0; n < N; ++n) {
        windows |= BitsOf(PairHits(low, at, needles, n), PairHits(high, at + 32, needles, n)) >>
                   needles.firstAt[n];
    }
    return windows & ((uint64_t{1} << kPairWindows) - 1);
}

// Whether the window at `at` + k equals some needle, for some k below 64.
template <size_t N>
OSTREVANE_AVX2 inline bool ExactAny(const uint8_t* at, const Avx2Needles<N>& needles) {
    __m256i any = _mm256_setzero_si256();
#pragma GCC unroll 4
    for (size_t offset = 0; offset < 4; ++offset) {
        any = _mm256_or_si256(any, LaneHits(at + offset, needles));
        any = _mm256_or_si256(any, LaneHits(at + 32 + offset, needles));
    }
    return !_mm256_testz_si256(any, any);
}

// Bit k: the window at `at` + k matches, for k below kExactWindows.
template <size_t N>
OSTREVANE_AVX2 __attribute__((noinline)) uint64_t ExactCandidates(const uint8_t* at,
                                                                  const Avx2Needles<N>& needles) {
    return BitsOf(ExactHits(at, needles), ExactHits(at + 32, needles));
}

// The first filter step from `i` on, below `end`, where the filter finds something; or `end` or
// past it. The loop holds little besides the needles, so they stay in registers.
template <size_t N, bool exact>
OSTREVANE_AVX2 inline size_t SkipQuiet(const uint8_t* begin, size_t i, size_t end,
                                       size_t prefetchLast, const Avx2Needles<N>& needles) {
    constexpr size_t step = exact ? kExactWindows : kPairWindows;
    for (; i < end; i += step) {
        _mm_prefetch(reinterpret_cast<const char*>(begin) +
                         std::min(i + kPrefetchDistance, prefetchLast),
                     _MM_HINT_T0);
        if (exact ? ExactAny(begin + i, needles) : PairAny(begin + i, needles)) break;
    }
    return i;
}

template <size_t N>
OSTREVANE_AVX2 size_t Scan(uint8_t* begin, size_t size, const ChainCopy& chain) {
    const Avx2Needles<N> needles = Spread<N>(chain);
    // A step at i reads [i, i + kBlockBytes): the last one must end inside the range, for
    // the next page may be a guard page or not mapped at all.
    const size_t stepsEnd = size >= kBlockBytes ? size - kBlockBytes + 1 : 0;
    const size_t prefetchLast = size == 0 ? 0 : size - 1;
    size_t rewritten = 0;
    size_t i = 0;
    while (i < stepsEnd) {
        unsigned misses = 0;
        const size_t probeEnd = StretchEnd(i, kProbeStretch, stepsEnd);
        while (misses < kDenseMisses) {
            i = SkipQuiet<N, false>(begin, i, probeEnd, prefetchLast, needles);
            if (i >= probeEnd) break;
            i += RewriteCandidates(begin + i, PairCandidates(begin + i, needles), kPairWindows,
                                   chain, rewritten, misses);
        }
        if (misses < kDenseMisses) continue;

        const size_t exactEnd = StretchEnd(i, kExactStretch, stepsEnd);
        for (;;) {
            i = SkipQuiet<N, true>(begin, i, exactEnd, prefetchLast, needles);
            if (i >= exactEnd) break;
            i += RewriteCandidates(begin + i, ExactCandidates(begin + i, needles), kExactWindows,
                                   chain, rewritten, misses);
        }
    }
    return rewritten + RewriteTail(begin, i, size, chain);
}

} // namespace

size_t SubstituteAvx2(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    const ChainCopy pairs = CopyChain(chain);
    switch (pairs.count) {
    case 1:
        return Scan<1>(begin, size, pairs);
    case 2:
        return Scan<2>(begin, size, pairs);
    case 3:
        return Scan<3>(begin, size, pairs);
    case 4:
        return Scan<4>(begin, size, pairs);
    default:
        return 0;
    }
}
