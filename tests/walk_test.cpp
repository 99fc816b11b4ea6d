#include "cli/scan/scan_command.h"
#include "platform/fault_recovery.h"
#include "settings/settings.h"
#include "swap/engines.h"
#include "swap/swap.h"
#include "tests/standin.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

constexpr uint32_t kOld = 0x7DC36678;
constexpr uint32_t kNew = 0x643E2FFB;

using Bytes = std::vector<uint8_t>;

void Put(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, 4);
}

uint32_t Get(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

class WalkTest : public testing::Test {
  protected:
    void SetUp() override {
        standin::Reset();
        SwapSettings = {.oldShake = kOld, .newShake = kNew};
    }
    void TearDown() override { SwapSettings = {}; }
};

} // namespace

TEST_F(WalkTest, ScansOnlyCommittedPrivateReadWriteAndWriteCopyMemory) {
    using platform::Access;
    struct Kind {
        platform::RegionKind kind;
        bool scanned;
    };
    const Kind kinds[] = {
        {{.committed = true, .isPrivate = true, .access = Access::kReadWrite}, true},
        {{.committed = true, .isPrivate = true, .access = Access::kWriteCopy}, true},
        {{.committed = true, .isPrivate = true, .access = Access::kReadOnly}, false},
        {{.committed = true, .isPrivate = true, .access = Access::kExecutable}, false},
        {{.committed = true, .isPrivate = true, .access = Access::kReadWrite, .guarded = true},
         false},
        {{.committed = true, .isPrivate = true, .access = Access::kReadWrite, .uncached = true},
         false},
        {{.committed = true, .isPrivate = false, .access = Access::kReadWrite}, false},
        {{.committed = false, .isPrivate = true, .access = Access::kReadWrite}, false},
    };
    std::vector<Bytes> buffers(std::size(kinds), Bytes(64, 0));
    for (size_t k = 0; k < std::size(kinds); ++k) {
        Put(buffers[k].data() + 7, kOld);
        Put(buffers[k].data() + 60, kOld); // the last window of the region
        standin::AddRegion(buffers[k].data(), buffers[k].size(), kinds[k].kind);
    }
    ApplySwap();
    for (size_t k = 0; k < std::size(kinds); ++k) {
        const uint32_t expected = kinds[k].scanned ? kNew : kOld;
        EXPECT_EQ(Get(buffers[k].data() + 7), expected) << "kind " << k;
        EXPECT_EQ(Get(buffers[k].data() + 60), expected) << "kind " << k;
    }
}

TEST_F(WalkTest, RestoreTurnsEveryNewHashBackIntoItsOldOne) {
    Bytes memory(256, 0x33);
    Put(memory.data() + 1, kOld);
    Put(memory.data() + 100, kNew); // held the new hash before the swap
    standin::AddRegion(memory.data(), memory.size());

    EXPECT_EQ(ApplySwap().windowsRewritten, 1u);
    EXPECT_EQ(Get(memory.data() + 1), kNew);
    EXPECT_EQ(RestoreSwap().windowsRewritten, 2u);
    EXPECT_EQ(Get(memory.data() + 1), kOld);
    EXPECT_EQ(Get(memory.data() + 100), kOld);
}

TEST_F(WalkTest, AFailedQueryEndsTheWalkAndTheScanButKeepsWhatWasDone) {
    Bytes first(32, 0), second(32, 0);
    Bytes& low = first.data() < second.data() ? first : second;
    Bytes& high = first.data() < second.data() ? second : first;
    Put(low.data(), kOld);
    Put(high.data(), kOld);
    standin::AddRegion(low.data(), low.size());
    standin::AddRegion(high.data(), high.size());
    standin::FailQueriesFrom(reinterpret_cast<uintptr_t>(high.data()));

    const WalkResult result = ApplySwap();
    EXPECT_EQ(result.regionsScanned, 1u);
    EXPECT_EQ(Get(low.data()), kNew);
    EXPECT_EQ(Get(high.data()), kOld);

    // `ostrevane scan` lists the game's memory the same way: it counts what was listed and
    // warns of the rest, and fails when nothing could be listed.
    const std::string settings = testing::TempDir() + "walk_test_scan.ini";
    std::ofstream(settings) << "oldshake=a\nnewshake=b\n[Shake]\na=0x7DC36678\nb=0x643E2FFB\n";
    std::ostringstream out, err, above;
    EXPECT_EQ(RunScan({standin::kGamePid, ""}, settings, false, true, out, err), kExitWarnings);
    const auto report = nlohmann::json::parse(out.str());
    EXPECT_EQ(report["pairs"][0]["old"]["count"], 0);
    EXPECT_EQ(report["pairs"][0]["new"]["count"], 1);
    above << "above 0x" << std::hex << std::uppercase << reinterpret_cast<uintptr_t>(high.data())
          << "; only the 1 regions below it were scanned";
    EXPECT_NE(report["warnings"].dump().find(above.str()), std::string::npos);
    standin::FailQueriesFrom(0);
    EXPECT_EQ(RunScan({standin::kGamePid, ""}, settings, false, true, out, err), kExitFailed);
    EXPECT_NE(err.str().find("the system refused to describe its memory"), std::string::npos);
    std::remove(settings.c_str());
}

TEST_F(WalkTest, AWalkBegunInsideAnotherIsRefusedAndLeavesNoHandlerBehind) {
    Bytes memory(64, 0);
    Put(memory.data() + 5, kOld);
    standin::AddRegion(memory.data(), memory.size());
    struct sigaction before = {}, after = {};
    sigaction(SIGSEGV, nullptr, &before);
    ASSERT_TRUE(platform::BeginFaultRecovery());
    EXPECT_EQ(ApplySwap().regionsScanned, 0u);
    EXPECT_EQ(Get(memory.data() + 5), kOld);
    platform::EndFaultRecovery();
    sigaction(SIGSEGV, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST_F(WalkTest, PairsWithAMissingNameAreNotSwapped) {
    Bytes memory(32, 0);
    standin::AddRegion(memory.data(), memory.size());
    SwapSettings = {.oldShake = kOld, .newShake = 0, .oldDof = 0, .newDof = kNew};
    ApplySwap();
    RestoreSwap();
    EXPECT_EQ(memory, Bytes(32, 0)); // no zero window became kNew, none was zeroed
}

namespace {

// The walk's callers, with the settings and the pairs they hold, live on the same stack
// that the walk scans.
struct StackBounds {
    uintptr_t low, high;
};

StackBounds CurrentStack() {
    pthread_attr_t attr;
    pthread_getattr_np(pthread_self(), &attr);
    void* base;
    size_t size;
    pthread_attr_getstack(&attr, &base, &size);
    pthread_attr_destroy(&attr);
    return {reinterpret_cast<uintptr_t>(base), reinterpret_cast<uintptr_t>(base) + size};
}

// The windows of [low, high) that hold the hash `masked` ^ kMask. Given only the masked
// hash, the search leaves no copy of the hash on the stack it searches.
constexpr uint32_t kMask = 0x5A5A5A5A;
size_t Occurrences(uintptr_t low, uintptr_t high, uint32_t masked) {
    size_t found = 0;
    for (auto* at = reinterpret_cast<const uint8_t*>(low);
         at + 4 <= reinterpret_cast<const uint8_t*>(high); ++at)
        found += (Get(at) ^ kMask) == masked;
    return found;
}

} // namespace

// Holds the pairs in a frame below the test's own, so that the planted hashes in the
// test's frame lie above them and are reached only after the pairs have been rewritten.
__attribute__((noinline)) WalkResult WalkWithPairsOnTheStack(uint32_t& pairAfterWalk) {
    SubstitutionChain chainOnStack = ApplyChain(SwapSettings);
    const WalkResult result = WalkPrivateWritableMemory(chainOnStack);
    pairAfterWalk = chainOnStack.pairs[0].from;
    return result;
}

TEST_F(WalkTest, RewritesItsCallersFramesButNeverItsOwnPairs) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer poisons the gaps between stack frames that the walk reads";
#endif
    // If the walk read its pairs from scanned memory, the first store into them would turn
    // "old -> new" into "new -> new" and the hashes planted above would survive.
    volatile SwapSettingsRecord settingsCopy = SwapSettings;
    volatile uint32_t planted[2] = {kOld, kOld};
    Bytes heap(64, 0);
    Put(heap.data() + 9, kOld);

    const StackBounds stack = CurrentStack();
    const uintptr_t here = reinterpret_cast<uintptr_t>(&planted);
    ASSERT_TRUE(here > stack.low && here < stack.high);
    // From well below this frame to the top of the stack; the walk skips its own part.
    const uintptr_t low = std::max(stack.low, here - 256 * 1024);
    standin::AddRegion(reinterpret_cast<void*>(low), stack.high - low);
    standin::AddRegion(heap.data(), heap.size());
    standin::SetStack(stack.low, stack.high);

    uint32_t pairAfterWalk = 0;
    const WalkResult result = WalkWithPairsOnTheStack(pairAfterWalk);
    EXPECT_EQ(pairAfterWalk, kNew); // the caller's copy of the pairs is memory like any
    EXPECT_EQ(planted[0], kNew);
    EXPECT_EQ(planted[1], kNew);
    EXPECT_EQ(settingsCopy.oldShake, kNew);
    EXPECT_EQ(Get(heap.data() + 9), kNew);
    EXPECT_GE(result.windowsRewritten, 5u);
    // Nor does any copy survive in the stack it skipped: its pairs, its needles, the
    // settings' copies left by the calls before it.
    EXPECT_EQ(Occurrences(low, stack.high, kOld ^ kMask), 0u);
}

namespace {

// Another thread of the game changes a four-page region between the walk's query and its
// scan. Every page holds an old shake hash near its start, an old loop hash further on,
// and an old shake hash in its last full window; the pairs chain so that a window scanned
// twice ends differently from one scanned once.
enum class Change { Freed, SecondHalfFreed, PageMadeReadOnly, PageMadeInaccessible };

struct FaultCase {
    const char* what;
    Change change;
    bool pageSwapped[4];
};

constexpr uint32_t kLoop = 0xB911BBC5;

} // namespace

TEST_F(WalkTest, APageChangedUnderTheScanIsSkippedAndTheRestOfTheWalkHappens) {
    const FaultCase cases[] = {
        {"freed before its first byte is read", Change::Freed, {}},
        {"second half freed", Change::SecondHalfFreed, {true, true, false, false}},
        {"a page made read-only", Change::PageMadeReadOnly, {true, false, true, true}},
        {"a page made inaccessible", Change::PageMadeInaccessible, {true, false, true, true}},
    };
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.what);
        standin::Reset();
        // An old shake becomes the new one; an old loop becomes an old shake. Scanned again,
        // a loop's window would go on to the new shake.
        SwapSettings = {
            .oldShake = kOld, .newShake = kNew, .oldShakeLoop = kLoop, .newShakeLoop = kOld};
        auto* region = static_cast<uint8_t*>(
            mmap(nullptr, 4 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        ASSERT_NE(region, MAP_FAILED);
        for (size_t p = 0; p < 4; ++p) {
            Put(region + p * page + 8, kOld);
            Put(region + p * page + 101, kLoop);
            Put(region + (p + 1) * page - 4, kOld);
        }
        Bytes stable(4096, 0);
        Put(stable.data() + 3, kOld);
        standin::AddRegion(region, 4 * page);
        standin::AddRegion(stable.data(), stable.size());

        bool changed = false;
        standin::SetQueryHook([&](uintptr_t address) {
            if (changed || address != reinterpret_cast<uintptr_t>(region)) return;
            changed = true;
            switch (c.change) {
            case Change::Freed:
                munmap(region, 4 * page);
                standin::RemoveRegion(region);
                break;
            case Change::SecondHalfFreed:
                munmap(region + 2 * page, 2 * page);
                standin::RemoveRegion(region);
                standin::AddRegion(region, 2 * page);
                break;
            case Change::PageMadeReadOnly:
                mprotect(region + page, page, PROT_READ);
                break;
            case Change::PageMadeInaccessible:
                mprotect(region + page, page, PROT_NONE);
                break;
            }
        });

        const WalkResult result = ApplySwap();
        EXPECT_EQ(result.faultsRecovered, 1u);
        EXPECT_EQ(Get(stable.data() + 3), kNew);
        if (c.change == Change::PageMadeInaccessible) mprotect(region + page, page, PROT_READ);
        for (size_t p = 0; p < 4; ++p) {
            SCOPED_TRACE(p);
            if (c.change == Change::Freed || (c.change == Change::SecondHalfFreed && p >= 2)) {
                continue;
            }
            const bool swapped = c.pageSwapped[p];
            EXPECT_EQ(Get(region + p * page + 8), swapped ? kNew : kOld);
            EXPECT_EQ(Get(region + p * page + 101), swapped ? kOld : kLoop);
            EXPECT_EQ(Get(region + (p + 1) * page - 4), swapped ? kNew : kOld);
        }
        munmap(region, 4 * page);
    }
}

// The reference model of a walk cut by a fault: the windows wholly before the faulting page
// and the pages after it, each substituted once, as the plain engine does in one pass.
TEST_F(WalkTest, AFaultMidRegionGivesTheReferenceModelsResultEvenAfterAnEarlierWalk) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    // A chain: the shake's new hash is the loop's old one, and the loop's new is the DOF's old.
    SwapSettings = {.oldShake = kOld,
                    .newShake = kLoop,
                    .oldShakeLoop = kLoop,
                    .newShakeLoop = 0xD0F0D0F0,
                    .oldDof = 0xD0F0D0F0,
                    .newDof = kNew};
    const SubstitutionChain chain = ApplyChain(SwapSettings);
    struct Layout {
        const char* what;
        size_t firstHash; // where the region's hashes begin; before it, only zeroes
    };
    // Stores before the fault, and none: then the mark of the walk before, which stored in a
    // region higher up, is all the walk has to go on unless it marks the region's start.
    const Layout layouts[] = {{"hashes from the start", 0},
                              {"hashes only near the fault", page - 40}};
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        standin::Reset();
        auto* area = static_cast<uint8_t*>(
            mmap(nullptr, 5 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        ASSERT_NE(area, MAP_FAILED);
        uint8_t* region = area;           // four pages; the second faults in the second walk
        uint8_t* above = area + 4 * page; // the first walk's last store
        const uint32_t hashes[] = {kOld, kLoop, 0xD0F0D0F0};
        for (size_t at = layout.firstHash, k = 0; at + 4 <= 4 * page; at += 7 + k % 5, ++k)
            Put(region + at, hashes[k % 3]);
        Bytes expected(region, region + 4 * page);
        SubstituteReference(expected.data(), page, chain);
        SubstituteReference(expected.data() + 2 * page, 2 * page, chain);

        Put(above + page - 4, kOld);
        standin::AddRegion(above, page);
        ASSERT_EQ(ApplySwap().windowsRewritten, 1u); // the region is not listed yet
        standin::AddRegion(region, 4 * page);
        bool changed = false;
        standin::SetQueryHook([&](uintptr_t address) {
            if (changed || address != reinterpret_cast<uintptr_t>(region)) return;
            changed = true;
            mprotect(region + page, page, PROT_NONE);
        });
        EXPECT_EQ(ApplySwap().faultsRecovered, 1u);
        mprotect(region + page, page, PROT_READ);
        for (size_t p : {0, 2, 3})
            EXPECT_EQ(0, std::memcmp(region + p * page, expected.data() + p * page, page))
                << "page " << p;
        munmap(area, 5 * page);
    }
}
