// The SSE2 engine: 16 windows per vector compare. Every 64-bit x86 CPU has SSE2, so this is
// the engine where AVX2 is missing.
#include "swap/vector_engine.h"

#include <emmintrin.h>

#include <algorithm>

namespace {

// The old hashes, spread across vectors once per call.
template <size_t N> struct Sse2Needles {
    __m128i first[N];  // the needle's first filter byte, in every byte
    __m128i second[N]; // its second filter byte
    __m128i whole[N];  // the needle, in every 32-bit lane
    size_t firstAt[N]; // where the first filter byte sits in the window
    size_t gap[N];     // how far the second one follows it
};

inline __m128i Load(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

template <size_t N> Sse2Needles<N> Spread(const ChainCopy& chain) {
    Sse2Needles<N> needles;
    for (size_t n = 0; n < N; ++n) {
        const FilterBytes bytes = ChooseFilterBytes(chain.from[n]);
        needles.firstAt[n] = bytes.first;
        needles.gap[n] = bytes.second - bytes.first;
        needles.first[n] = _mm_set1_epi8(static_cast<char>(chain.from[n] >> (8 * bytes.first)));
        needles.second[n] = _mm_set1_epi8(static_cast<char>(chain.from[n] >> (8 * bytes.second)));
        needles.whole[n] = _mm_set1_epi32(static_cast<int>(chain.from[n]));
    }
    return needles;
}

inline uint64_t BitsOf(__m128i q0, __m128i q1, __m128i q2, __m128i q3) {
    return static_cast<uint64_t>(_mm_movemask_epi8(q0)) |
           static_cast<uint64_t>(_mm_movemask_epi8(q1)) << 16 |
           static_cast<uint64_t>(_mm_movemask_epi8(q2)) << 32 |
           static_cast<uint64_t>(_mm_movemask_epi8(q3)) << 48;
}

// Byte k set: needle n's first filter byte is at `at` + k and its second `gap` bytes on.
// `anchors` holds the 16 bytes at `at`.
template <size_t N>
inline __m128i PairHits(__m128i anchors, const uint8_t* at, const Sse2Needles<N>& needles,
                        size_t n) {
    return _mm_and_si128(_mm_cmpeq_epi8(anchors, needles.first[n]),
                         _mm_cmpeq_epi8(Load(at + needles.gap[n]), needles.second[n]));
}

// Lane l of the result set: the window at `at` + 4l equals some needle.
template <size_t N> inline __m128i LaneHits(const uint8_t* at, const Sse2Needles<N>& needles) {
    const __m128i windows = Load(at);
    __m128i hits = _mm_setzero_si128();
#pragma GCC unroll 4
    for (size_t n = 0; n < N; ++n) {
        hits = _mm_or_si128(hits, _mm_cmpeq_epi32(windows, needles.whole[n]));
    }
    return hits;
}

// Byte k set: the window at `at` + k equals some needle. Each 32-bit lane compare covers
// every fourth window, so four loads one byte apart cover them all.
template <size_t N> inline __m128i ExactHits(const uint8_t* at, const Sse2Needles<N>& needles) {
    const __m128i byte0 = _mm_set1_epi32(0x000000FF);
    __m128i hits = _mm_and_si128(LaneHits(at, needles), byte0);
    hits = _mm_or_si128(hits, _mm_and_si128(LaneHits(at + 1, needles), _mm_slli_epi32(byte0, 8)));
    hits = _mm_or_si128(hits, _mm_and_si128(LaneHits(at + 2, needles), _mm_slli_epi32(byte0, 16)));
    return _mm_or_si128(hits, _mm_and_si128(LaneHits(at + 3, needles), _mm_slli_epi32(byte0, 24)));
}

// Whether some needle's two filter bytes sit in place for a first filter byte at one of
// the 64 offsets from `at`. Loading those 64 bytes once serves every needle.
template <size_t N> inline bool PairAny(const uint8_t* at, const Sse2Needles<N>& needles) {
    const __m128i q0 = Load(at);
    const __m128i q1 = Load(at + 16);
    const __m128i q2 = Load(at + 32);
    const __m128i q3 = Load(at + 48);
    __m128i any = _mm_setzero_si128();
#pragma GCC unroll 4
    for (size_t n = 0; n < N; ++n) {
        any = _mm_or_si128(any, _mm_or_si128(_mm_or_si128(PairHits(q0, at, needles, n),
                                                          PairHits(q1, at + 16, needles, n)),
                                             _mm_or_si128(PairHits(q2, at + 32, needles, n),
                                                          PairHits(q3, at + 48, needles, n))));
    }
    return _mm_movemask_epi8(any) != 0;
}

// Bit k: the window at `at` + k may match, for k below kPairWindows. Out of line, like
// ExactCandidates: sharing the quiet loop's loads would cost that loop its registers.
template <size_t N>
__attribute__((noinline)) uint64_t PairCandidates(const uint8_t* at,
                                                  const Sse2Needles<N>& needles) {
    const __m128i q0 = Load(at);
    const __m128i q1 = Load(at + 16);
    const __m128i q2 = Load(at + 32);
    const __m128i q3 = Load(at + 48);
    uint64_t windows = 0;
    for (size_t n = 0; n < N; ++n) {
        windows |= BitsOf(PairHits(q0, at, needles, n), PairHits(q1, at + 16, needles, n),
                          PairHits(q2, at + 32, needles, n), PairHits(q3, at + 48, needles, n)) >>
                   needles.firstAt[n];
    }
    return windows & ((uint64_t{1} << kPairWindows) - 1);
}

// Whether the window at `at` + k equals some needle, for some k below 64.
template <size_t N> inline bool ExactAny(const uint8_t* at, const Sse2Needles<N>& needles) {
    __m128i any = _mm_setzero_si128();
#pragma GCC unroll 4
    for (size_t offset = 0; offset < 4; ++offset) {
        any = _mm_or_si128(
            any, _mm_or_si128(LaneHits(at + offset, needles), LaneHits(at + 16 + offset, needles)));
        any = _mm_or_si128(any, _mm_or_si128(LaneHits(at + 32 + offset, needles),
                                             LaneHits(at + 48 + offset, needles)));
    }
    return _mm_movemask_epi8(any) != 0;
}

// Bit k: the window at `at` + k matches, for k below kExactWindows.
template <size_t N>
__attribute__((noinline)) uint64_t ExactCandidates(const uint8_t* at,
                                                   const Sse2Needles<N>& needles) {
    return BitsOf(ExactHits(at, needles), ExactHits(at + 16, needles), ExactHits(at + 32, needles),
                  ExactHits(at + 48, needles));
}

// The first filter step from `i` on, below `end`, where the filter finds something; or
// `end` or past it. The loop holds little besides the needles, so they stay in registers.
template <size_t N, bool exact>
inline size_t SkipQuiet(const uint8_t* begin, size_t i, size_t end, size_t prefetchLast,
                        const Sse2Needles<N>& needles) {
    constexpr size_t step = exact ? kExactWindows : kPairWindows;
    for (; i < end; i += step) {
        _mm_prefetch(reinterpret_cast<const char*>(begin) +
                         std::min(i + kPrefetchDistance, prefetchLast),
                     _MM_HINT_T0);
        if (exact ? ExactAny(begin + i, needles) : PairAny(begin + i, needles)) break;
    }
    return i;
}

template <size_t N> size_t Scan(uint8_t* begin, size_t size, const ChainCopy& chain) {
    const Sse2Needles<N> needles = Spread<N>(chain);
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

size_t SubstituteSse2(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
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
