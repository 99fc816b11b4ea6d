#pragma once
// The loop every vector engine runs. An engine's source file defines OSTREVANE_TARGET and
// `VectorOps`, then includes this file: each engine gets a private copy compiled for its own
// CPU, so the module still runs on a CPU that lacks the wider ones.
// VectorOps: `Vec` (kWidth bytes), `Hits` (a flag per byte), Load (unaligned), Splat, Pair and
// Quad (byte k flagged where two or four vectors equal as many others), Or, None, Any, Bits.

#include "swap/vector_engine.h"

#include <xmmintrin.h>

#include <algorithm>
#include <bit>

namespace {

using Vec = VectorOps::Vec;
using Hits = VectorOps::Hits;
constexpr size_t kWidth = VectorOps::kWidth;
// Vectors per filter step: every step reads the 64 bytes its windows start in.
constexpr size_t kVectors = 64 / kWidth;

// The old hashes spread across vectors; a needle's filter pair may change mid-run.
template <size_t N> struct Needles {
    Vec first[N]; // the needle's first filter byte, in every byte
    Vec second[N];
    Vec bytes[N][4]; // each of its bytes, for exact compares
    uint32_t hash[N];
    unsigned rank[N]; // which of its byte pairs the filter uses, best first
    size_t firstAt[N];
    size_t gap[N]; // how far the second filter byte follows the first
    uint8_t firstByte[N];
    uint8_t secondByte[N];
};

inline uint8_t ByteOf(uint32_t hash, size_t at) {
    return static_cast<uint8_t>(hash >> (8 * at));
}

template <size_t N> OSTREVANE_TARGET void UsePair(Needles<N>& needles, size_t n, unsigned rank) {
    const FilterBytes bytes = ChooseFilterBytes(needles.hash[n], rank);
    needles.rank[n] = rank;
    needles.firstAt[n] = bytes.first;
    needles.gap[n] = bytes.second - bytes.first;
    needles.firstByte[n] = ByteOf(needles.hash[n], bytes.first);
    needles.secondByte[n] = ByteOf(needles.hash[n], bytes.second);
    needles.first[n] = VectorOps::Splat(needles.firstByte[n]);
    needles.second[n] = VectorOps::Splat(needles.secondByte[n]);
}

template <size_t N> OSTREVANE_TARGET Needles<N> Spread(const ChainCopy& chain) {
    Needles<N> needles;
    for (size_t n = 0; n < N; ++n) {
        needles.hash[n] = chain.from[n];
        for (size_t b = 0; b < 4; ++b)
            needles.bytes[n][b] = VectorOps::Splat(ByteOf(chain.from[n], b));
        UsePair(needles, n, 0);
    }
    return needles;
}

// Byte k set: needle n's filter pair starts at `at` + k; `anchors` holds the bytes at `at`.
template <size_t N>
OSTREVANE_TARGET inline Hits PairHits(Vec anchors, const uint8_t* at, const Needles<N>& needles,
                                      size_t n) {
    return VectorOps::Pair(anchors, needles.first[n], VectorOps::Load(at + needles.gap[n]),
                           needles.second[n]);
}

OSTREVANE_TARGET inline void LoadShifted(const uint8_t* at, Vec (&shifted)[4]) {
#pragma GCC unroll 4
    for (size_t b = 0; b < 4; ++b)
        shifted[b] = VectorOps::Load(at + b);
}

// Whether a needle's filter pair starts within 64 bytes of `at`; one load serves every needle.
template <size_t N>
OSTREVANE_TARGET inline bool PairAny(const uint8_t* at, const Needles<N>& needles) {
    Vec anchors[kVectors];
#pragma GCC unroll 4
    for (size_t v = 0; v < kVectors; ++v)
        anchors[v] = VectorOps::Load(at + v * kWidth);
    Hits any = VectorOps::None();
#pragma GCC unroll 4
    for (size_t n = 0; n < N; ++n) {
#pragma GCC unroll 4
        for (size_t v = 0; v < kVectors; ++v)
            any = VectorOps::Or(any, PairHits(anchors[v], at + v * kWidth, needles, n));
    }
    return VectorOps::Any(any);
}

// Bit k: the window at `at` + k may match, for k below kPairWindows. Out of line, like
// ExactCandidates: sharing the quiet loop's loads would cost that loop its registers.
template <size_t N>
OSTREVANE_TARGET __attribute__((noinline)) uint64_t PairCandidates(const uint8_t* at,
                                                                   const Needles<N>& needles) {
    uint64_t windows = 0;
    for (size_t n = 0; n < N; ++n) {
        uint64_t flags = 0;
#pragma GCC unroll 4
        for (size_t v = 0; v < kVectors; ++v) {
            const uint8_t* part = at + v * kWidth;
            flags |= VectorOps::Bits(PairHits(VectorOps::Load(part), part, needles, n))
                     << (v * kWidth);
        }
        windows |= flags >> needles.firstAt[n];
    }
    return windows & ((uint64_t{1} << kPairWindows) - 1);
}

// Whether the window at `at` + k equals some needle, for some k below 64.
template <size_t N>
OSTREVANE_TARGET inline bool ExactAny(const uint8_t* at, const Needles<N>& needles) {
    Hits any = VectorOps::None();
#pragma GCC unroll 4
    for (size_t v = 0; v < kVectors; ++v) {
        Vec shifted[4];
        LoadShifted(at + v * kWidth, shifted);
#pragma GCC unroll 4
        for (size_t n = 0; n < N; ++n)
            any = VectorOps::Or(any, VectorOps::Quad(shifted, needles.bytes[n]));
    }
    return VectorOps::Any(any);
}

// Bit k: the window at `at` + k matches, for k below kExactWindows.
template <size_t N>
OSTREVANE_TARGET __attribute__((noinline)) uint64_t ExactCandidates(const uint8_t* at,
                                                                    const Needles<N>& needles) {
    uint64_t windows = 0;
#pragma GCC unroll 4
    for (size_t v = 0; v < kVectors; ++v) {
        Vec shifted[4];
        LoadShifted(at + v * kWidth, shifted);
        Hits hits = VectorOps::None();
        for (size_t n = 0; n < N; ++n)
            hits = VectorOps::Or(hits, VectorOps::Quad(shifted, needles.bytes[n]));
        windows |= VectorOps::Bits(hits) << (v * kWidth);
    }
    return windows;
}

// The first filter step from `i` on, below `end`, where the filter finds something; or
// `end` or past it. The loop holds little besides the needles, so they stay in registers.
template <size_t N, bool exact>
OSTREVANE_TARGET inline size_t SkipQuiet(const uint8_t* begin, size_t i, size_t end,
                                         size_t prefetchLast, const Needles<N>& needles) {
    constexpr size_t step = exact ? kExactWindows : kPairWindows;
    for (; i < end; i += step) {
        _mm_prefetch(reinterpret_cast<const char*>(begin) +
                         std::min(i + kPrefetchDistance, prefetchLast),
                     _MM_HINT_T0);
        if (exact ? ExactAny(begin + i, needles) : PairAny(begin + i, needles)) break;
    }
    return i;
}

// False alarms of the byte-pair filter in one probe stretch, by the needle that raised them.
template <size_t N> struct Misses {
    unsigned total = 0;
    unsigned byNeedle[N] = {};
};

template <size_t N> size_t PairOwner(const uint8_t* window, const Needles<N>& needles) {
    for (size_t n = 0; n < N; ++n) {
        if (window[needles.firstAt[n]] == needles.firstByte[n] &&
            window[needles.firstAt[n] + needles.gap[n]] == needles.secondByte[n]) {
            return n;
        }
    }
    return 0;
}

// Confirms candidates (bit k: the window at `block` + k) in order; resumes past the first one
// rewritten (its store made the filter's verdict on the next three stale), else at `windows`.
template <size_t N>
size_t RewriteCandidates(uint8_t* block, uint64_t candidates, size_t windows,
                         const ChainCopy& chain, const Needles<N>& needles, size_t& rewritten,
                         Misses<N>& misses) {
    while (candidates != 0) {
        const size_t k = static_cast<size_t>(std::countr_zero(candidates));
        if (RewriteWindow(block + k, chain)) {
            ++rewritten;
            return k + 1;
        }
        ++misses.total;
        ++misses.byNeedle[PairOwner(block + k, needles)];
        candidates &= candidates - 1;
    }
    return windows;
}

template <size_t N> size_t MostMissed(const Misses<N>& misses) {
    return static_cast<size_t>(std::max_element(misses.byNeedle, misses.byNeedle + N) -
                               misses.byNeedle);
}

template <size_t N>
OSTREVANE_TARGET size_t Substitute(uint8_t* begin, size_t size, const ChainCopy& chain) {
    Needles<N> needles = Spread<N>(chain);
    // A step at i reads [i, i + kBlockBytes): the last one must end inside the range, for
    // the next page may be a guard page or not mapped at all.
    const size_t stepsEnd = size >= kBlockBytes ? size - kBlockBytes + 1 : 0;
    const size_t prefetchLast = size == 0 ? 0 : size - 1;
    size_t rewritten = 0;
    size_t i = 0;
    unsigned denseInARow = 0;
    while (i < stepsEnd) {
        Misses<N> misses;
        const size_t probeEnd = StretchEnd(i, kProbeStretch, stepsEnd);
        while (misses.total < kDenseMisses) {
            i = SkipQuiet<N, false>(begin, i, probeEnd, prefetchLast, needles);
            if (i >= probeEnd) break;
            i += RewriteCandidates(begin + i, PairCandidates(begin + i, needles), kPairWindows,
                                   chain, needles, rewritten, misses);
        }
        if (misses.total < kDenseMisses) {
            denseInARow = 0;
            continue;
        }
        // This memory is full of one needle's filter pair (floats near 1.0 share two bytes with a
        // needle one unit above 1.0f): that needle moves to its next pair, which this memory may
        // lack. Where every pair keeps failing, exact compares take over for a stretch.
        if (++denseInARow <= kDenseRepicks) {
            const size_t n = MostMissed(misses);
            UsePair(needles, n, needles.rank[n] + 1);
            continue;
        }
        denseInARow = 0;
        const size_t exactEnd = StretchEnd(i, kExactStretch, stepsEnd);
        for (;;) {
            i = SkipQuiet<N, true>(begin, i, exactEnd, prefetchLast, needles);
            if (i >= exactEnd) break;
            i += RewriteCandidates(begin + i, ExactCandidates(begin + i, needles), kExactWindows,
                                   chain, needles, rewritten, misses);
        }
    }
    return rewritten + RewriteTail(begin, i, size, chain);
}

// The needle count is fixed per instantiation, so the loops over needles unroll.
OSTREVANE_TARGET size_t VectorSubstitute(uint8_t* begin, size_t size,
                                         const SubstitutionChain& chain) {
    const ChainCopy pairs = CopyChain(chain);
    switch (pairs.count) {
    case 1:
        return Substitute<1>(begin, size, pairs);
    case 2:
        return Substitute<2>(begin, size, pairs);
    case 3:
        return Substitute<3>(begin, size, pairs);
    case 4:
        return Substitute<4>(begin, size, pairs);
    default:
        return 0;
    }
}

} // namespace
