// The vector engines against the byte-by-byte reference: the same bytes and the same count
// on every input, and never a read outside the range.
#include "swap/engines.h"
#include "swap/swap.h"
#include "swap/vector_engine.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Engine {
    const char* name;
    SubstituteFunction substitute;
    bool (*supported)();
};

bool Always() {
    return true;
}

std::string EngineName(const testing::TestParamInfo<Engine>& info) {
    return info.param.name;
}

SubstitutionChain Chain(std::initializer_list<HashPair> pairs) {
    SubstitutionChain chain;
    for (const HashPair& pair : pairs)
        chain.pairs[chain.count++] = pair;
    return chain;
}

void Put(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, 4);
}

// Fills `size` bytes with `hash` over and over.
void FillWithHash(uint8_t* bytes, size_t size, uint32_t hash) {
    Put(bytes, hash);
    for (size_t filled = 4; filled < size; filled *= 2) {
        std::memcpy(bytes + filled, bytes, std::min(filled, size - filled));
    }
}

// Runs the reference and `engine` on copies of `memory`, placed `misalign` bytes past a
// 64-byte boundary, and reports the first difference. Around the range lie the chain's own
// old hashes, so a window the engine should not have looked at gets rewritten and shows.
void ExpectSameAsReference(const Engine& engine, const Bytes& memory,
                           const SubstitutionChain& chain, size_t misalign = 0) {
    Bytes expected = memory;
    const size_t expectedCount = SubstituteReference(expected.data(), expected.size(), chain);

    constexpr size_t kArena = 256 * 1024;
    alignas(64) static uint8_t arena[kArena];
    alignas(64) static uint8_t around[kArena];
    ASSERT_LE(misalign + memory.size(), kArena / 2);
    FillWithHash(around, kArena, chain.count > 0 ? chain.pairs[0].from : 0xA5A5A5A5);
    std::memcpy(arena, around, kArena);
    uint8_t* actual = arena + misalign;
    if (!memory.empty()) std::memcpy(actual, memory.data(), memory.size());
    const size_t count = engine.substitute(actual, memory.size(), chain);

    EXPECT_EQ(count, expectedCount) << "size " << memory.size() << ", misaligned by " << misalign;
    for (size_t i = 0; i < memory.size(); ++i) {
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "first difference at offset " << i << " of " << memory.size() << ": "
                          << int{actual[i]} << " instead of " << int{expected[i]};
            return;
        }
    }
    const size_t end = misalign + memory.size();
    EXPECT_TRUE(std::memcmp(arena, around, misalign) == 0 &&
                std::memcmp(arena + end, around + end, kArena - end) == 0)
        << "stored outside the range";
}

// Needles of the shapes that trip filters and restarts up.
SubstitutionChain RandomChain(std::mt19937& random) {
    auto hash = [&] { return static_cast<uint32_t>(random()); };
    // Hashes whose bytes are mostly 00 and FF, the commonest bytes in game memory.
    auto plain = [&] {
        uint32_t value = 0;
        for (int k = 0; k < 4; ++k) {
            const uint32_t pick = random() % 4;
            const uint32_t byte = pick == 0 ? 0xFF : pick == 1 ? random() % 256 : 0;
            value |= byte << (8 * k);
        }
        return value == 0 ? 0x00000100u : value;
    };
    SubstitutionChain chain;
    chain.count = random() % 5;
    for (size_t p = 0; p < chain.count; ++p)
        chain.pairs[p] = {hash(), hash()};
    switch (random() % 7) {
    case 0:
        break;
    case 1: // chained: what one pair writes, the next one rewrites
        for (size_t p = 1; p < chain.count; ++p)
            chain.pairs[p].from = chain.pairs[p - 1].to;
        break;
    case 2: // a pair that writes what it found
        if (chain.count > 0) chain.pairs[random() % chain.count].to = chain.pairs[0].from;
        if (chain.count > 0) chain.pairs[0].to = chain.pairs[0].from;
        break;
    case 3: // the same old hash twice
        if (chain.count > 1) chain.pairs[chain.count - 1].from = chain.pairs[0].from;
        break;
    case 4:
        for (size_t p = 0; p < chain.count; ++p)
            chain.pairs[p] = {plain(), plain()};
        break;
    case 5: // a store that completes a match 1 to 3 bytes on
        for (size_t p = 0; p < chain.count; ++p) {
            const auto shift = static_cast<unsigned>(8 * (1 + random() % 3));
            chain.pairs[p].to = (chain.pairs[p].from << shift) | (hash() >> (32 - shift));
        }
        break;
    default: // a store that breaks a match 1 to 3 bytes on, or makes another pair's
        for (size_t p = 1; p < chain.count; ++p) {
            const auto shift = static_cast<unsigned>(8 * (1 + random() % 3));
            chain.pairs[p].from = (chain.pairs[p - 1].to >> shift) | (hash() << (32 - shift));
        }
        break;
    }
    return chain;
}

// Memory made of the needles' own bytes and hashes, zero runs and 0xFF runs, so matches,
// near misses and overlapping matches are common.
Bytes RandomMemory(std::mt19937& random, const SubstitutionChain& chain, size_t size) {
    std::vector<uint32_t> hashes = {0, 0xFFFFFFFF, static_cast<uint32_t>(random())};
    for (size_t p = 0; p < chain.count; ++p) {
        hashes.push_back(chain.pairs[p].from);
        hashes.push_back(chain.pairs[p].to);
    }
    Bytes memory(size);
    size_t i = 0;
    while (i < size) {
        const uint32_t hash = hashes[random() % hashes.size()];
        switch (random() % 4) {
        case 0: // a whole hash
            for (int k = 0; k < 4 && i < size; ++k)
                memory[i++] = static_cast<uint8_t>(hash >> (8 * k));
            break;
        case 1: // one byte of one
            memory[i++] = static_cast<uint8_t>(hash >> (8 * (random() % 4)));
            break;
        case 2: // a run
            for (size_t run = random() % 80; run > 0 && i < size; --run)
                memory[i++] = static_cast<uint8_t>(hash);
            break;
        default:
            memory[i++] = static_cast<uint8_t>(random());
            break;
        }
    }
    return memory;
}

class SubstituteEngine : public testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (!GetParam().supported()) {
            GTEST_SKIP() << "this CPU, or its operating system, has no " << GetParam().name
                         << ": the " << GetParam().name << " engine is not tested here";
        }
    }
    const Engine& engine() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Engines, SubstituteEngine,
                         testing::Values(Engine{"SSE2", SubstituteSse2, Always},
                                         Engine{"AVX2", SubstituteAvx2, CpuHasAvx2},
                                         Engine{"AVX512", SubstituteAvx512, CpuHasAvx512}),
                         EngineName);

} // namespace

TEST_P(SubstituteEngine, MatchesTheReferenceOnRandomMemoryBuiltFromTheNeedles) {
    std::mt19937 random(20240611);
    for (int run = 0; run < 4000 && !HasFailure(); ++run) {
        const SubstitutionChain chain = RandomChain(random);
        // Mostly short ranges, where every step and tail boundary is near.
        const size_t size = run % 4 == 0 ? random() % 4096 : random() % 300;
        const Bytes memory = RandomMemory(random, chain, size);
        SCOPED_TRACE("run " + std::to_string(run));
        ExpectSameAsReference(engine(), memory, chain, random() % 64);
    }
}

TEST_P(SubstituteEngine, FindsAHitAtEveryOffsetAroundStepBoundariesAndTheTail) {
    // Needles with 00 and FF bytes as well as an ordinary hash.
    const SubstitutionChain chain =
        Chain({{0x7DC36678, 0x11223344}, {0x0000C05D, 0x5F0E3A9C}, {0xFF00D2E1, 0x01020304}});
    std::mt19937 random(7);
    for (size_t size = 0; size <= 200 && !HasFailure(); ++size) {
        Bytes background(size);
        for (uint8_t& byte : background)
            byte = static_cast<uint8_t>(random() % 2 ? 0 : random());
        ExpectSameAsReference(engine(), background, chain);
        for (size_t at = 0; at + 4 <= size; ++at) {
            Bytes memory = background;
            Put(memory.data() + at, chain.pairs[at % 3].from);
            SCOPED_TRACE("size " + std::to_string(size) + ", hit at " + std::to_string(at));
            ExpectSameAsReference(engine(), memory, chain, at % 64);
            // A second hit that overlaps the first, or follows it closely.
            const size_t next = at + 1 + random() % 4;
            if (next + 4 <= size) Put(memory.data() + next, chain.pairs[(at + 1) % 3].from);
            ExpectSameAsReference(engine(), memory, chain);
        }
    }
    // No range at all.
    EXPECT_EQ(engine().substitute(nullptr, 0, chain), 0u);
}

TEST_P(SubstituteEngine, RestartsAfterEveryStoreWhenMatchesAreBackToBack) {
    // Every window matches until a store breaks the next three: one store in four bytes.
    Bytes memory(3000, 0x11);
    ExpectSameAsReference(engine(), memory, Chain({{0x11111111, 0x22111111}}));
    // A pair that writes what it found stores at every window.
    ExpectSameAsReference(engine(), memory, Chain({{0x11111111, 0x11111111}}));
    // Each store creates the next match one byte on, where the filter saw none before it:
    // 11 22 33 44 44 44 becomes 00 11 22 33 44 44, then 00 00 11 22 33 44, and so on.
    Bytes cascade = {0x11, 0x22, 0x33};
    cascade.resize(500, 0x44);
    ExpectSameAsReference(engine(), cascade, Chain({{0x44332211, 0x33221100}}));
    ExpectSameAsReference(engine(), cascade, Chain({{0x44332211, 0x33221100}}), 37);
}

TEST_P(SubstituteEngine, FindsNeedlesWhoseFilterWordsShareTableSlots) {
    // Each needle is looked for by two words. The first chain's words share their 5 low bits
    // (0xD1A6 and 0xC366), so a table must place them by a hash; no table places the eight of
    // the second (32 slots) or of the fourth (16 slots) apart by any of its hashes, so they are
    // compared one by one. Two needles of the third share their middle word, which takes one
    // slot.
    const SubstitutionChain chains[] = {
        Chain({{0x7DC36678, 0x11111111},
               {0xB1E2C05D, 0x22222222},
               {0x9A4D27E1, 0x33333333},
               {0x43F8D1A6, 0x44444444}}),
        Chain({{0x6DCF79B8, 0x11111111},
               {0xF1F50323, 0x22222222},
               {0x07F8064A, 0x33333333},
               {0x0BA16AAC, 0x44444444}}),
        Chain({{0x00ABCD00, 0x11111111}, {0x01ABCD01, 0x22222222}, {0x7DC36678, 0x33333333}}),
        Chain({{0x67547B56, 0x11111111},
               {0x387AE3A8, 0x22222222},
               {0x4085FD44, 0x33333333},
               {0x12FF2B66, 0x44444444}}),
    };
    std::mt19937 random(29);
    for (const SubstitutionChain& chain : chains) {
        Bytes memory(20000);
        for (uint8_t& byte : memory)
            byte = static_cast<uint8_t>(random());
        for (size_t hit = 0; hit < 200; ++hit) {
            Put(memory.data() + random() % (memory.size() - 3),
                chain.pairs[hit % chain.count].from);
        }
        ExpectSameAsReference(engine(), memory, chain);
    }
}

TEST_P(SubstituteEngine, ChangesFilterWordsOrComparesExactlyWhereCandidatesAreDense) {
    // Dense stretches alternate with quiet ones, and real hits of both needles lie in both.
    const uint32_t needle = 0x3F800001;
    const SubstitutionChain chain = Chain({{needle, 0x3F800000}, {0x7DC36678, needle}});
    // Every 1.0f holds the filter's first word for a needle one unit above it: the needle
    // moves to another word. Near misses with each byte wrong in turn hold every word of it:
    // only exact compares get through those.
    const std::vector<uint32_t> fills[] = {
        {0x3F800000}, {needle ^ 0xFF, needle ^ 0xFF00, needle ^ 0xFF0000, needle ^ 0xFF000000}};
    for (const std::vector<uint32_t>& dense : fills) {
        std::mt19937 random(11);
        Bytes memory(48 * 1024 + 1234);
        for (size_t i = 0; i + 4 <= memory.size(); i += 4) {
            const bool inDense = (i / 9000) % 2 == 0;
            Put(memory.data() + i,
                inDense ? dense[(i / 4) % dense.size()] : static_cast<uint32_t>(random()));
        }
        for (int hit = 0; hit < 300; ++hit) {
            Put(memory.data() + random() % (memory.size() - 3), hit % 2 ? needle : 0x7DC36678);
        }
        SCOPED_TRACE(dense.size() == 1 ? "1.0f" : "near misses");
        ExpectSameAsReference(engine(), memory, chain, 3);
    }
}

TEST_P(SubstituteEngine, DecidesEveryWindowWhereTheFilterChanges) {
    // Near misses of both needles, each byte wrong in turn, make every step the filter raises
    // a miss. In memory full of them a needle moves to its next word every eight steps (512
    // bytes), exact compares take over after nine such moves (4608) and hand back 64 KiB on.
    // Hits just before and after those points, and a probe stretch's end (4096), must be found
    // as the reference finds them, for a needle whose filter word starts at its third byte and
    // one whose word starts at its first. The second's new item is the first's old one, so a
    // window decided twice shows too.
    const SubstitutionChain chain = Chain({{0x7DC36678, 0x11223344}, {0x0000C05D, 0x7DC36678}});
    Bytes dense(80 * 1024);
    std::mt19937 random(43);
    for (size_t i = 0; i + 4 <= dense.size(); i += 4) {
        const uint32_t needle = chain.pairs[(i / 16) % 2].from;
        Put(dense.data() + i, i < 72 * 1024 ? needle ^ (0xFFu << (8 * ((i / 4) % 4)))
                                            : static_cast<uint32_t>(random()));
    }
    for (const size_t change : {512, 1024, 4096, 4608, 4608 + 64 * 1024}) {
        for (size_t at = change - 4; at <= change + 4; ++at) {
            for (const HashPair& pair : chain.pairs) {
                Bytes memory = dense;
                Put(memory.data() + at, pair.from);
                SCOPED_TRACE("hit at " + std::to_string(at));
                ExpectSameAsReference(engine(), memory, chain);
            }
        }
    }
}

TEST_P(SubstituteEngine, ReadsThePairsOnceBeforeItsFirstStore) {
    // The pairs themselves lie in the memory being rewritten, after a hit that changes them
    // if the engine read them late.
    std::vector<uint8_t> memory(4096, 0);
    const SubstitutionChain* inside = new (memory.data() + 1024)
        SubstitutionChain(Chain({{0x7DC36678, 0x3F800001}, {0x3F800001, 0x11223344}}));
    const SubstitutionChain outside = *inside;
    Put(memory.data() + 10, 0x7DC36678);
    Put(memory.data() + 3000, 0x3F800001);

    Bytes expected = memory;
    SubstituteReference(expected.data(), expected.size(), outside);
    engine().substitute(memory.data(), memory.size(), *inside);
    EXPECT_EQ(memory, expected);
}

TEST_P(SubstituteEngine, NeverReadsOutsideTheRange) {
    // The range sits right against inaccessible pages, as regions sit against guard pages.
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t usableBytes = 32 * page;
    auto* pages =
        static_cast<uint8_t*>(mmap(nullptr, usableBytes + 2 * page, PROT_READ | PROT_WRITE,
                                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages, page, PROT_NONE), 0);
    ASSERT_EQ(mprotect(pages + page + usableBytes, page, PROT_NONE), 0);
    uint8_t* const usable = pages + page;
    const auto expectSame = [&](const Bytes& memory, const SubstitutionChain& chain) {
        const size_t size = memory.size();
        Bytes expected = memory;
        const size_t expectedCount = SubstituteReference(expected.data(), size, chain);
        for (uint8_t* begin : {usable, usable + usableBytes - size}) {
            if (size > 0) std::memcpy(begin, memory.data(), size);
            EXPECT_EQ(engine().substitute(begin, size, chain), expectedCount) << size;
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), begin)) << size;
        }
    };

    std::mt19937 random(5);
    for (int run = 0; run < 600; ++run) {
        const SubstitutionChain chain = RandomChain(random);
        const size_t size = run < 300 ? static_cast<size_t>(run) : random() % (page + 1);
        Bytes memory = RandomMemory(random, chain, size);
        if (size >= 4 && chain.count > 0) Put(memory.data() + size - 4, chain.pairs[0].from);
        expectSame(memory, chain);
    }
    // Near misses with each byte wrong in turn, to the range's end, keep exact compares running
    // there; at 64k + 66 bytes their last step ends on the range's last byte.
    const uint32_t needle = 0x3F800001;
    const uint32_t nearMisses[] = {needle ^ 0xFF, needle ^ 0xFF00, needle ^ 0xFF0000,
                                   needle ^ 0xFF000000};
    for (const size_t steps : {100, 1000, 2000}) {
        for (size_t size = 64 * steps + 64; size <= 64 * steps + 68; ++size) {
            Bytes memory(size);
            for (size_t i = 0; i + 4 <= size; i += 4)
                Put(memory.data() + i, nearMisses[i / 4 % 4]);
            Put(memory.data() + size - 4, needle);
            expectSame(memory, Chain({{needle, 0x11111111}}));
        }
    }
    munmap(pages, usableBytes + 2 * page);
}

TEST(SubstituteRange, ChoosesAnEngineTheCpuRunsAndKeepsTheExactResultAcrossItsTrials) {
    // The explicit checks of CPU and system agree with the runtime's own detection.
    __builtin_cpu_init();
    EXPECT_EQ(CpuHasAvx2(), __builtin_cpu_supports("avx2") != 0);
    EXPECT_EQ(CpuHasAvx512(),
              __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0);
    // Before any trial, every engine the CPU runs is listed, widest first, with no time.
    EXPECT_STREQ(EngineTrials().back().name, "SSE2");
    EXPECT_EQ(EngineTrials().front().nanos, TrialTimes{});
    // The trials hand the range from engine to engine: chains planted across every edge
    // between two stretches must come out as one uncut scan leaves them.
    const size_t trialsEnd = 3 * kEngineTrials * kEngineTrialBytes;
    Bytes memory(trialsEnd + 4096, 0x5A);
    const SubstitutionChain chain = Chain({{0x7DC36678, 0x11223344}, {0x44112233, 0x7DC36678}});
    for (size_t edge = kEngineTrialBytes; edge < trialsEnd; edge += kEngineTrialBytes) {
        const size_t at = edge - 3 + edge / kEngineTrialBytes % 4;
        Put(memory.data() + at, 0x7DC36678);
        memory[at + 4] = 0x44;
    }
    Put(memory.data() + memory.size() - 4, 0x7DC36678);
    Bytes expected = memory;
    const size_t count = SubstituteReference(expected.data(), expected.size(), chain);
    EXPECT_EQ(SubstituteRange(memory.data(), memory.size(), chain), count);
    EXPECT_TRUE(memory == expected);
    const std::set<std::string> runnable = {CpuHasAvx512() ? "AVX-512" : "SSE2",
                                            CpuHasAvx2() ? "AVX2" : "SSE2", "SSE2"};
    const std::string walked = SubstituteEngineName();
    EXPECT_EQ(runnable.count(walked), 1u) << walked;
    // Once a walk has chosen, the tools report that choice and make no other.
    EXPECT_EQ(ChooseEngineNow(chain), walked);
    // Every engine had all its trials, and the rule chose from exactly those times.
    const std::vector<EngineTrialRecord> records = EngineTrials();
    std::vector<TrialTimes> times;
    std::printf("engines this CPU runs:");
    for (const EngineTrialRecord& record : records) {
        EXPECT_EQ(std::count(record.nanos.begin(), record.nanos.end(), 0u), 0) << record.name;
        times.push_back(record.nanos);
        std::printf(" %s", record.name);
    }
    std::printf("; the trials chose %s\n", walked.c_str());
    EXPECT_EQ(records[FastestEngine(times)].name, walked);
}

TEST(FastestEngine, ANarrowerEngineWinsOnlyWhenClearlyFasterInAllRoundsButOne) {
    const TrialTimes steady = {100, 100, 100, 100, 100, 100, 100};
    const TrialTimes clearlyFaster = {80, 80, 80, 80, 80, 80, 80};
    const TrialTimes fasterButOnce = {80, 80, 80, 200, 80, 80, 80};
    const TrialTimes fasterButTwice = {80, 80, 200, 200, 80, 80, 80};
    const TrialTimes barelyFaster = {90, 90, 90, 90, 90, 90, 90};
    const TrialTimes slower = {150, 150, 150, 150, 150, 150, 150};
    struct Case {
        std::vector<TrialTimes> times; // widest engine first
        size_t chosen;
    };
    const Case cases[] = {
        {{steady}, 0},
        {{steady, steady, steady}, 0}, // ties keep the widest
        {{steady, clearlyFaster}, 1},
        {{steady, fasterButOnce}, 1},
        {{steady, fasterButTwice}, 0},
        {{steady, barelyFaster}, 0}, // a tenth, not more: a tie
        {{steady, slower}, 0},
        {{clearlyFaster, steady}, 0},         // the wider one faster
        {{steady, clearlyFaster, steady}, 1}, // the narrowest must beat the best, not the widest
        {{slower, steady, clearlyFaster}, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FastestEngine(c.times), c.chosen) << &c - cases;
}

TEST(ChooseOuterWord, AvoidsTheBytesCommonInGameMemory) {
    struct Case {
        uint32_t needle;
        unsigned first; // the word's low byte
    };
    const Case cases[] = {
        {0x7DC30000, 2}, // low half zero
        {0x0000C05D, 0}, // high half zero
        {0xFF00D2E1, 0}, // FF and 00 above
        {0xA6FF00E7, 2}, // 00 below, FF above
        {0x0100FF02, 0}, // FF beats zero
        {0x3F800001, 2}, // the exponent bytes of 1.0f: rarer than zero, though floats hold them
        {0x9A9B9C9D, 0}, // four equally rare bytes: the low word wins the tie
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseOuterWord(c.needle), c.first) << std::hex << c.needle;
        // Moving on when memory is full of one word takes the other, then the first again.
        EXPECT_EQ(ChooseOuterWord(c.needle, 1), 2 - c.first) << std::hex << c.needle;
        EXPECT_EQ(ChooseOuterWord(c.needle, 2), c.first) << std::hex << c.needle;
    }
}

// Every word must be read back from the slot its lookup reads, and no slot may hold a word
// that looks itself up there unless it is one of them: a lookup would flag memory no needle
// holds. Words of random hashes, as the needles' are, for both sizes of table.
template <unsigned kSlots> void ExpectWordSlotsHold(unsigned multipliers, std::mt19937& random) {
    size_t fitted = 0;
    for (int set = 0; set < 2000; ++set) {
        uint16_t words[8];
        for (uint16_t& word : words)
            word = static_cast<uint16_t>(random() % 4 == 0 ? random() % 64 : random());
        WordSlots<kSlots> table;
        if (!FitWordSlots(words, 8, multipliers, table)) continue;
        ++fitted;
        for (uint16_t word : words)
            ASSERT_EQ(table.words[SlotOfWord<kSlots>(word, table.multiplier)], word);
        for (unsigned j = 0; j < kSlots; ++j) {
            const uint16_t held = table.words[j];
            if (std::find(words, words + 8, held) == words + 8) {
                ASSERT_NE(SlotOfWord<kSlots>(held, table.multiplier), j);
            }
        }
    }
    EXPECT_GT(fitted, 1990u); // all but about one set in 1,000
}

TEST(FitWordSlots, ReadsEachWordBackFromItsSlotAndNothingElse) {
    std::mt19937 random(17);
    ExpectWordSlotsHold<32>(16, random);
    ExpectWordSlotsHold<16>(64, random);
    // The fourth chain of FindsNeedlesWhoseFilterWordsShareTableSlots: each needle's outer and
    // middle word, as the engines pick them.
    const uint32_t needles[4] = {0x67547B56, 0x387AE3A8, 0x4085FD44, 0x12FF2B66};
    uint16_t crowded[8];
    for (size_t n = 0; n < 4; ++n) {
        crowded[2 * n] = static_cast<uint16_t>(needles[n] >> (8 * ChooseOuterWord(needles[n])));
        crowded[2 * n + 1] = static_cast<uint16_t>(needles[n] >> 8);
    }
    WordSlots<16> table;
    EXPECT_FALSE(FitWordSlots(crowded, 8, 64, table));
    // Its first chain fits the 32-slot table only by a hash, so the engines' hashed lookup
    // is what finds those needles.
    const uint32_t sharing[4] = {0x7DC36678, 0xB1E2C05D, 0x9A4D27E1, 0x43F8D1A6};
    uint16_t words[8];
    for (size_t n = 0; n < 4; ++n) {
        words[2 * n] = static_cast<uint16_t>(sharing[n] >> (8 * ChooseOuterWord(sharing[n])));
        words[2 * n + 1] = static_cast<uint16_t>(sharing[n] >> 8);
    }
    WordSlots<32> wide;
    ASSERT_TRUE(FitWordSlots(words, 8, 16, wide));
    EXPECT_NE(wide.multiplier, 0);
}
