#pragma once
// The loop every vector engine runs. An engine's source file defines OSTREVANE_TARGET and
// `VectorOps`, then includes this file: each engine gets a private copy compiled for its own
// CPU, so the module still runs on a CPU that lacks the wider ones.
// VectorOps: `Vec` (kWidth bytes), `Hits` (a flag per byte), `WordHits` (a flag per 16-bit
// word); LoadStep (a step's own bytes) and Load (any bytes), Splat and SplatWord; EqualWords,
// OrWords and AnyWord for the filter; Pair and Quad (byte k flagged where two or four vectors
// equal as many others), Or, None, Any and Bits for exact compares.
//
// The filter reads only the words at even offsets from the range's start, one load per vector:
// a window at an even offset holds its needle's low and high words there, one at an odd offset
// its middle word. So each needle is looked for by two words: its middle one, and the low or
// the high one, whichever this memory holds less often.

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
// Vectors per filter step: every step reads the 64 bytes its 32 words cover.
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

// The old hashes spread across vectors; a needle's outer word may change mid-run.
template <size_t N> struct Needles {
    Vec word[2 * N]; // needle n's outer word at 2n, its middle word at 2n + 1, in every lane
    Vec bytes[N][4]; // each of its bytes, for exact compares
    uint32_t hash[N];
    unsigned rank[N]; // which outer word the filter uses, best first
    uint16_t filterWord[2 * N];
    TableOf<VectorOps>::Type table; // every filter word, where `tabled`
    bool tabled;
};

enum class Filter { kCompareWords, kLookUpLowBits, kLookUpHashed, kCompareExact };

inline uint8_t ByteOf(uint32_t hash, size_t at) {
    return static_cast<uint8_t>(hash >> (8 * at));
}

template <size_t N> OSTREVANE_TARGET void UseWord(Needles<N>& needles, size_t n, unsigned rank) {
    needles.rank[n] = rank;
    const uint32_t hash = needles.hash[n];
    const uint16_t words[2] = {static_cast<uint16_t>(hash >> (8 * ChooseOuterWord(hash, rank))),
                               static_cast<uint16_t>(hash >> 8)};
    for (size_t k = 0; k < 2; ++k) {
        needles.filterWord[2 * n + k] = words[k];
        needles.word[2 * n + k] = VectorOps::SplatWord(words[k]);
    }
}

// Every needle's word must have its own slot, or the table could not flag them all; where
// two words share one, the filter compares them instead. Ops is VectorOps, a parameter only so
// that engines without a table skip this.
template <size_t N, class Ops = VectorOps> OSTREVANE_TARGET void FillTable(Needles<N>& needles) {
    if constexpr (kWordTable)
        needles.tabled = Ops::FillTable(needles.filterWord, 2 * N, needles.table);
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

// Word k of `words` flagged where it is one of needle n's filter words.
template <size_t N>
OSTREVANE_TARGET inline WordHits WordsAt(Vec words, const Needles<N>& needles, size_t n) {
    return VectorOps::OrWords(VectorOps::EqualWords(words, needles.word[2 * n]),
                              VectorOps::EqualWords(words, needles.word[2 * n + 1]));
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

// Whether one of the 32 words of the step at `at` is a filter word.
template <size_t N>
OSTREVANE_TARGET inline bool WordAny(const uint8_t* at, const Needles<N>& needles) {
    WordHits hits[N * kVectors];
#pragma GCC unroll 4
    for (size_t v = 0; v < kVectors; ++v) {
        const Vec words = VectorOps::LoadStep(at + v * kWidth);
#pragma GCC unroll 4
        for (size_t n = 0; n < N; ++n)
            hits[v * N + n] = WordsAt(words, needles, n);
    }
    return VectorOps::AnyWord(OrAll<N * kVectors>(hits));
}

// Whether one of the words of `steps` steps from `at` is a filter word, with one lookup for every
// needle.
template <size_t N, bool hashed, size_t steps = 1, class Ops = VectorOps>
OSTREVANE_TARGET inline bool WordLookedUp(const uint8_t* at, const Needles<N>& needles) {
    if constexpr (kWordTable) {
        WordHits hits[steps * kVectors];
#pragma GCC unroll 4
        for (size_t v = 0; v < steps * kVectors; ++v)
            hits[v] =
                Ops::template LookUpWords<hashed>(Ops::LoadStep(at + v * kWidth), needles.table);
        return VectorOps::AnyWord(OrAll<steps * kVectors>(hits));
    }
    return WordAny(at, needles);
}

// Bit n: one of needle n's filter words is among the step's words.
template <size_t N>
OSTREVANE_TARGET __attribute__((noinline)) unsigned WordsRaised(const uint8_t* at,
                                                                const Needles<N>& needles) {
    unsigned raised = 0;
    for (size_t n = 0; n < N; ++n) {
        for (size_t v = 0; v < kVectors; ++v) {
            if (VectorOps::AnyWord(WordsAt(VectorOps::LoadStep(at + v * kWidth), needles, n)))
                raised |= 1u << n;
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
    if constexpr (filter == Filter::kLookUpHashed || filter == Filter::kLookUpLowBits) {
        // Two steps a test: a lookup is cheap enough that the test and the branch weigh. From
        // a pair that raised, the loop below finds which step did.
        for (; i + kStep < end; i += 2 * kStep) {
            if (WordLookedUp<N, filter == Filter::kLookUpHashed, 2>(begin + i, needles)) break;
        }
    }
    for (; i < end; i += kStep) {
        if constexpr (filter == Filter::kCompareWords || filter == Filter::kCompareExact) {
            _mm_prefetch(reinterpret_cast<const char*>(begin) +
                             std::min(i + kPrefetchDistance, prefetchLast),
                         _MM_HINT_T0);
        }
        const uint8_t* at = begin + i;
        if (filter == Filter::kCompareExact    ? ExactAny(at, needles)
            : filter == Filter::kLookUpHashed  ? WordLookedUp<N, true>(at, needles)
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
        if (needles.tabled && !Ops::Hashed(needles.table))
            return SkipQuiet<N, Filter::kLookUpLowBits>(begin, i, end, prefetchLast, needles);
        if (needles.tabled)
            return SkipQuiet<N, Filter::kLookUpHashed>(begin, i, end, prefetchLast, needles);
    }
    return SkipQuiet<N, Filter::kCompareWords>(begin, i, end, prefetchLast, needles);
}

// Steps the filter raised in one probe stretch that held no match.
struct Misses {
    unsigned total = 0;
    size_t at[kDenseMisses];
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

// The needle whose filter words raised most of the missed steps. Asked only once they fill up:
// a step raised in vain costs no more than its settle.
template <size_t N>
OSTREVANE_TARGET size_t MostMissed(const uint8_t* begin, const Misses& misses,
                                   const Needles<N>& needles) {
    unsigned byNeedle[N] = {};
    for (size_t k = 0; k < misses.total; ++k) {
        const unsigned by = WordsRaised(begin + misses.at[k], needles);
        for (size_t n = 0; n < N; ++n)
            byNeedle[n] += (by >> n) & 1;
    }
    return static_cast<size_t>(std::max_element(byNeedle, byNeedle + N) - byNeedle);
}

// A window holds one of its needle's filter words at most two bytes on, at an even offset, so a
// quiet step at `i` leaves every window before i + 62 decided if the windows before i - 2 were;
// the last two wait for the next step, which holds their words. So the steps keep to one grid.
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
    Misses misses;
    size_t probeStart = 0; // misses count from here, for kProbeStretch bytes
    unsigned denseInARow = 0;
    while (i < stepsEnd) {
        // The filter runs on to the range's end unless it raises a step: a quiet loop that
        // stopped every few pages to take stock cost a tenth of its speed.
        const size_t raised = SkipQuietWords(begin, i, stepsEnd, prefetchLast, needles);
        if (raised > i) decided = raised - 2;
        i = raised;
        if (i >= stepsEnd) break;
        if (i - probeStart >= kProbeStretch) {
            denseInARow = 0; // the last probe ran its length without filling up
            misses = {};
            probeStart = i;
        }
        const size_t before = rewritten;
        Settle(begin, decided, i + kStep, size, chain, needles, rewritten);
        if (rewritten == before) misses.at[misses.total++] = i;
        decided = i += kStep;
        if (misses.total < kDenseMisses) continue;
        // This memory is full of one needle's filter word (floats near 1.0 share two bytes with a
        // needle one unit above 1.0f): that needle moves to its other outer word, which this
        // memory may lack. Where every word keeps failing, exact compares take over for a stretch.
        if (++denseInARow <= kDenseRepicks) {
            const size_t n = MostMissed(begin, misses, needles);
            UseWord(needles, n, needles.rank[n] + 1);
            FillTable(needles);
        } else {
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
        misses = {};
        probeStart = i;
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
