#pragma once
// The loop every vector engine runs. An engine's source file defines OSTREVANE_TARGET and
// `VectorOps`, then includes this file: each engine gets a private copy compiled for its own
// CPU, so the module still runs on a CPU that lacks the wider ones.
// VectorOps: `Vec` (kWidth bytes), `Hits` (a flag per byte), `WordHits` (a flag per 16-bit
// word); LoadStep (a step's own bytes) and Load (any bytes), Splat and SplatWord; EqualWords,
// OrWords and AnyWord for the filter; Pair and Quad (byte k flagged where two or four vectors
// equal as many others), Or, None, Any and Bits for exact compares.

#include "swap/vector_engine.h"

#include <xmmintrin.h>

#include <algorithm>
#include <bit>
#include <type_traits>

namespace {

using Vec = VectorOps::Vec;
using Hits = VectorOps::Hits;
using WordHits = VectorOps::WordHits;
constexpr size_t kWidth = VectorOps::kWidth;
// Vectors per filter step: every step reads the 64 bytes its offsets cover, and one more.
constexpr size_t kVectors = 64 / kWidth;
constexpr size_t kStep = 64;

// An engine whose VectorOps has a WordTable looks each word up once, whatever the number of
// needles, where the others compare it with every needle's word.
struct NoTable {};
template <class Ops> struct TableOf { using Type = NoTable; };
template <class Ops>
requires requires {
    typename Ops::WordTable;
}
struct TableOf<Ops> {
    using Type = typename Ops::WordTable;
};
constexpr bool kWordTable = !std::is_same_v<TableOf<VectorOps>::Type, NoTable>;

// The old hashes spread across vectors; a needle's filter word may change mid-run.
template <size_t N> struct Needles {
    Vec word[N];     // the needle's filter word (two neighbouring bytes), in every 16-bit lane
    Vec bytes[N][4]; // each of its bytes, for exact compares
    uint32_t hash[N];
    unsigned rank[N]; // which of its words the filter uses, best first
    uint16_t filterWord[N];
    TableOf<VectorOps>::Type table; // every needle's filter word, where `tabled`
    bool tabled;
};

enum class Filter { kCompareWords, kLookUpWords, kLookUpLowBits, kCompareExact };

inline uint8_t ByteOf(uint32_t hash, size_t at) {
    return static_cast<uint8_t>(hash >> (8 * at));
}

template <size_t N> OSTREVANE_TARGET void UseWord(Needles<N>& needles, size_t n, unsigned rank) {
    needles.rank[n] = rank;
    const unsigned first = ChooseFilterWord(needles.hash[n], rank);
    needles.filterWord[n] = static_cast<uint16_t>(needles.hash[n] >> (8 * first));
    needles.word[n] = VectorOps::SplatWord(needles.filterWord[n]);
}

// Every needle's word must have its own slot, or the table could not flag them all; where
// two words share one, the filter compares them instead. Ops is VectorOps, a parameter only so
// that engines without a table skip this.
template <size_t N, class Ops = VectorOps> OSTREVANE_TARGET void FillTable(Needles<N>& needles) {
    if constexpr (kWordTable) needles.tabled = Ops::FillTable(needles.filterWord, N, needles.table);
}

template <size_t N> OSTREVANE_TARGET Needles<N> Spread(const ChainCopy& chain) {
    Needles<N> needles;
    for (size_t n = 0; n < N; ++n) {
        needles.hash[n] = chain.from[n];
        for (size_t b = 0; b < 4; ++b)
            needles.bytes[n][b] = VectorOps::Splat(ByteOf(chain.from[n], b));
    }
    for (size_t n = 0; n < N; ++n)
        UseWord(needles, n, 0);
    FillTable(needles);
    return needles;
}

// Word k flagged where needle n's filter word sits at offset 2k of `even` or of `odd`, the same
// bytes read one on: together they hold the word at every offset.
template <size_t N>
OSTREVANE_TARGET inline WordHits WordsAt(Vec even, Vec odd, const Needles<N>& needles, size_t n) {
    return VectorOps::OrWords(VectorOps::EqualWords(even, needles.word[n]),
                              VectorOps::EqualWords(odd, needles.word[n]));
}

// Joins `count` flags from `hits` pairwise, so no chain of joins waits on the one before.
template <size_t count>
OSTREVANE_TARGET __attribute__((always_inline)) inline WordHits OrAll(const WordHits* hits) {
    if constexpr (count == 1) {
        return hits[0];
    } else {
        return VectorOps::OrWords(OrAll<count / 2>(hits),
                                  OrAll<count - count / 2>(hits + count / 2));
    }
}

// Whether a needle's filter word starts at one of the 64 offsets from `at`, the step's start.
// The step's own bytes take one load each: steps keep to the range's 64-byte grid.
template <size_t N>
OSTREVANE_TARGET inline bool WordAny(const uint8_t* at, const Needles<N>& needles) {
    WordHits hits[N * kVectors];
#pragma GCC unroll 4
    for (size_t v = 0; v < kVectors; ++v) {
        const Vec even = VectorOps::LoadStep(at + v * kWidth);
        const Vec odd = VectorOps::Load(at + v * kWidth + 1);
#pragma GCC unroll 4
        for (size_t n = 0; n < N; ++n)
            hits[v * N + n] = WordsAt(even, odd, needles, n);
    }
    return VectorOps::AnyWord(OrAll<N * kVectors>(hits));
}

// The same, with one lookup for every needle.
template <size_t N, bool shifted, class Ops = VectorOps>
OSTREVANE_TARGET inline bool WordLookedUp(const uint8_t* at, const Needles<N>& needles) {
    if constexpr (kWordTable) {
        WordHits hits[2 * kVectors];
#pragma GCC unroll 4
        for (size_t v = 0; v < kVectors; ++v) {
            hits[2 * v] =
                Ops::template LookUpWords<shifted>(Ops::LoadStep(at + v * kWidth), needles.table);
            hits[2 * v + 1] =
                Ops::template LookUpWords<shifted>(Ops::Load(at + v * kWidth + 1), needles.table);
        }
        return VectorOps::AnyWord(OrAll<2 * kVectors>(hits));
    }
    return WordAny(at, needles);
}

// Bit n: needle n's filter word starts at one of the 64 offsets from `at`.
template <size_t N>
OSTREVANE_TARGET __attribute__((noinline)) unsigned WordsRaised(const uint8_t* at,
                                                                const Needles<N>& needles) {
    unsigned raised = 0;
    for (size_t n = 0; n < N; ++n) {
        for (size_t v = 0; v < kVectors; ++v) {
            const Vec even = VectorOps::LoadStep(at + v * kWidth);
            const Vec odd = VectorOps::Load(at + v * kWidth + 1);
            if (VectorOps::AnyWord(WordsAt(even, odd, needles, n))) raised |= 1u << n;
        }
    }
    return raised;
}

OSTREVANE_TARGET inline void LoadShifted(const uint8_t* at, Vec (&shifted)[4]) {
#pragma GCC unroll 4
    for (size_t b = 0; b < 4; ++b)
        shifted[b] = VectorOps::Load(at + b);
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

// Bit k: the window at `at` + k matches, for k below kExactWindows. Out of line: sharing the
// quiet loop's loads would cost that loop its registers.
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

// The first step from `i` on, below `end`, where the filter finds something; or `end` or past
// it. The loop holds little besides the needles, so they stay in registers.
template <size_t N, Filter filter>
OSTREVANE_TARGET inline size_t SkipQuiet(const uint8_t* begin, size_t i, size_t end,
                                         size_t prefetchLast, const Needles<N>& needles) {
    for (; i < end; i += kStep) {
        if constexpr (filter == Filter::kCompareWords || filter == Filter::kCompareExact) {
            _mm_prefetch(reinterpret_cast<const char*>(begin) +
                             std::min(i + kPrefetchDistance, prefetchLast),
                         _MM_HINT_T0);
        }
        const uint8_t* at = begin + i;
        if (filter == Filter::kCompareExact    ? ExactAny(at, needles)
            : filter == Filter::kLookUpWords   ? WordLookedUp<N, true>(at, needles)
            : filter == Filter::kLookUpLowBits ? WordLookedUp<N, false>(at, needles)
                                               : WordAny(at, needles))
            break;
    }
    return i;
}

template <size_t N, class Ops = VectorOps>
OSTREVANE_TARGET size_t SkipQuietWords(const uint8_t* begin, size_t i, size_t end,
                                       size_t prefetchLast, const Needles<N>& needles) {
    if constexpr (kWordTable) {
        if (needles.tabled && !Ops::Shifted(needles.table))
            return SkipQuiet<N, Filter::kLookUpLowBits>(begin, i, end, prefetchLast, needles);
        if (needles.tabled)
            return SkipQuiet<N, Filter::kLookUpWords>(begin, i, end, prefetchLast, needles);
    }
    return SkipQuiet<N, Filter::kCompareWords>(begin, i, end, prefetchLast, needles);
}

// Steps the filter raised in one probe stretch that held no match, by the needles raised.
template <size_t N> struct Misses {
    unsigned total = 0;
    unsigned byNeedle[N] = {};
};

// Rewrites the windows flagged in `matches` (bit k: the window at `block` + k, below
// `windows`) in order. A store changes the next three windows, so they are decided afresh one by
// one, as the reference would; the verdicts on those beyond still stand.
inline void RewriteMatches(uint8_t* block, uint64_t matches, size_t windows, const ChainCopy& chain,
                           size_t& rewritten) {
    size_t fresh = 0; // windows before it were decided after the last store
    while (matches != 0) {
        const size_t k = static_cast<size_t>(std::countr_zero(matches));
        matches &= matches - 1;
        if (k < fresh || !RewriteWindow(block + k, chain)) continue;
        ++rewritten;
        fresh = k + 1;
        for (size_t staleEnd = std::min(k + 4, windows); fresh < staleEnd; ++fresh) {
            if (RewriteWindow(block + fresh, chain)) {
                ++rewritten;
                staleEnd = std::min(fresh + 4, windows);
            }
        }
    }
}

// Decides the windows from `from` to `to` exactly, in order: the last 64 with one block of
// exact compares, any before them one by one. Near the range's end the block starts early
// enough to end inside it, the windows already decided masked off.
template <size_t N>
OSTREVANE_TARGET void Settle(uint8_t* begin, size_t from, size_t to, size_t size,
                             const ChainCopy& chain, const Needles<N>& needles, size_t& rewritten) {
    while (from < to && (to - from > kExactWindows || size < kBlockBytes))
        rewritten += RewriteWindow(begin + from++, chain);
    if (from == to) return;
    const size_t at = std::min(from, size - kBlockBytes);
    const auto below = [](size_t windows) {
        return windows == 64 ? ~uint64_t{0} : (uint64_t{1} << windows) - 1;
    };
    RewriteMatches(begin + at,
                   ExactCandidates(begin + at, needles) & below(to - at) & ~below(from - at),
                   to - at, chain, rewritten);
}

template <size_t N> size_t MostMissed(const Misses<N>& misses) {
    return static_cast<size_t>(std::max_element(misses.byNeedle, misses.byNeedle + N) -
                               misses.byNeedle);
}

// A window holds its needle's filter word at most two bytes on, so a quiet step at `i` leaves
// every window before i + 62 decided if the windows before i - 2 were; the last two wait for
// the next step, which holds the rest of their words. So the steps keep to one 64-byte grid.
// The filter changes only right after a raised step, which leaves no window waiting.
template <size_t N>
OSTREVANE_TARGET size_t Substitute(uint8_t* begin, size_t size, const ChainCopy& chain) {
    Needles<N> needles = Spread<N>(chain);
    // A step at i reads [i, i + kBlockBytes): the last one must end inside the range, for
    // the next page may be a guard page or not mapped at all.
    const size_t stepsEnd = size >= kBlockBytes ? size - kBlockBytes + 1 : 0;
    const size_t prefetchLast = size == 0 ? 0 : size - 1;
    size_t rewritten = 0;
    size_t i = 0;       // the next step
    size_t decided = 0; // every window before it is final; i - 2 at the least
    unsigned denseInARow = 0;
    while (i < stepsEnd) {
        Misses<N> misses;
        const size_t probeEnd = StretchEnd(i, kProbeStretch, stepsEnd);
        while (misses.total < kDenseMisses) {
            const size_t raised = SkipQuietWords(begin, i, probeEnd, prefetchLast, needles);
            if (raised > i) decided = raised - 2;
            i = raised;
            if (i >= probeEnd) break;
            const size_t before = rewritten;
            Settle(begin, decided, i + kStep, size, chain, needles, rewritten);
            if (rewritten == before) {
                ++misses.total;
                const unsigned by = WordsRaised(begin + i, needles);
                for (size_t n = 0; n < N; ++n)
                    misses.byNeedle[n] += (by >> n) & 1;
            }
            decided = i += kStep;
        }
        if (misses.total < kDenseMisses) {
            denseInARow = 0;
            continue;
        }
        // This memory is full of one needle's filter word (floats near 1.0 share two bytes with a
        // needle one unit above 1.0f): that needle moves to its next word, which this memory may
        // lack. Where every word keeps failing, exact compares take over for a stretch.
        if (++denseInARow <= kDenseRepicks) {
            const size_t n = MostMissed(misses);
            UseWord(needles, n, needles.rank[n] + 1);
            FillTable(needles);
            continue;
        }
        denseInARow = 0;
        const size_t exactEnd = StretchEnd(i, kExactStretch, stepsEnd);
        for (;;) {
            i = SkipQuiet<N, Filter::kCompareExact>(begin, i, exactEnd, prefetchLast, needles);
            if (i >= exactEnd) break;
            Settle(begin, i, i + kStep, size, chain, needles, rewritten);
            i += kStep;
        }
        decided = i;
    }
    const size_t windowsEnd = size >= 3 ? size - 3 : 0; // a window needs four bytes
    if (decided < windowsEnd) Settle(begin, decided, windowsEnd, size, chain, needles, rewritten);
    return rewritten;
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
