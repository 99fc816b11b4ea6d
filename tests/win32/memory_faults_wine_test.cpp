// The game's other threads free, decommit and re-protect memory while the plug-in walks
// it. The walk must never crash the game, must leave the game's own exception handling as
// it was, and must still swap exactly the memory that stayed put.
#include "swap/engines.h"
#include "tests/win32/game_test.h"
#include "tools/standin_game/churn.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kOld = 0x7DC36678;  // oldshake, and newshakeloop
constexpr uint32_t kNew = 0x643E2FFB;  // newshake
constexpr uint32_t kLoop = 0xB911BBC5; // oldshakeloop

// An old loop becomes an old shake: a window scanned twice would go on to the new shake.
constexpr const char* kSettings = "[Settings]\n"
                                  "modactivatekey=F8\n"
                                  "oldshake=shake_a\n"
                                  "newshake=shake_b\n"
                                  "oldshakeloop=loop_c\n"
                                  "newshakeloop=loop_a\n"
                                  "[Shake]\n"
                                  "shake_a=0x7DC36678\n"
                                  "shake_b=0x643E2FFB\n"
                                  "[NewShakeLoop]\n"
                                  "loop_c=0xB911BBC5\n"
                                  "loop_a=0x7DC36678\n";
constexpr SubstitutionChain kApply{{{{kOld, kNew}, {kLoop, kOld}}}, 2};
constexpr SubstitutionChain kRestore{{{{kNew, kOld}, {kOld, kLoop}}}, 2};

constexpr size_t kPage = 4096;

// Everything below lives in the test's image, where the walk never looks.
using QueryFunction = SIZE_T(WINAPI*)(LPCVOID, PMEMORY_BASIC_INFORMATION, SIZE_T);
QueryFunction realQuery = nullptr;
// Runs on the walk's thread after each of its queries; false makes the query fail.
bool (*afterQuery)(uintptr_t address) = nullptr;
PVECTORED_EXCEPTION_HANDLER pluginHandler = nullptr;
std::atomic<long> faultsRecovered;
std::atomic<long> handlersAdded;
std::atomic<long> handlersRemoved;

SIZE_T WINAPI QueryThenAct(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T size) {
    const SIZE_T answer = realQuery(address, info, size);
    if (afterQuery && !afterQuery(reinterpret_cast<uintptr_t>(address))) return 0;
    return answer;
}

LONG CALLBACK CountRecoveries(EXCEPTION_POINTERS* exception) {
    const LONG verdict = pluginHandler(exception);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION) ++faultsRecovered;
    return verdict;
}

PVOID WINAPI AddCountingHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
    ++handlersAdded;
    pluginHandler = handler;
    return AddVectoredExceptionHandler(first, CountRecoveries);
}

ULONG WINAPI RemoveCountingHandler(PVOID handle) {
    ++handlersRemoved;
    return RemoveVectoredExceptionHandler(handle);
}

uint32_t Get(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

void Put(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, 4);
}

uint8_t* Commit(size_t size, DWORD protect = PAGE_READWRITE) {
    return static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, protect));
}

DWORD Protection(const void* at) {
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(at, &info, sizeof info);
    return info.Protect;
}

class MemoryFaultsWineTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        host::WriteBytes("Ostrevane.ini", kSettings);
        StartPlugin();
        realQuery = reinterpret_cast<QueryFunction>(
            host::PatchImport(plugin_, "VirtualQuery", reinterpret_cast<void*>(QueryThenAct)));
        ASSERT_NE(realQuery, nullptr);
        ASSERT_NE(host::PatchImport(plugin_, "AddVectoredExceptionHandler",
                                    reinterpret_cast<void*>(AddCountingHandler)),
                  nullptr);
        ASSERT_NE(host::PatchImport(plugin_, "RemoveVectoredExceptionHandler",
                                    reinterpret_cast<void*>(RemoveCountingHandler)),
                  nullptr);
        faultsRecovered = handlersAdded = handlersRemoved = 0;
        host::StartChurn(kOld, kLoop);
    }
    void TearDown() override {
        afterQuery = nullptr;
        host::StopChurn();
        GameTest::TearDown();
    }
    // Each press runs the game until the walk it starts is over.
    static void ApplyNow() {
        Press();
        host::RunFor(12000 + host::kFrameMs);
    }
    static void RestoreNow() {
        Press();
        host::RunFor(1000 + host::kFrameMs);
    }
};

// --- Another thread changes a region between the walk's query and its scan ---------

enum class Change { Freed, SecondHalfDecommitted, PageMadeReadOnly, PageMadeGuard, QueryFails };

uint8_t* changing = nullptr;
Change change;

bool ChangeAfterItsQuery(uintptr_t address) {
    if (address != reinterpret_cast<uintptr_t>(changing)) return true;
    afterQuery = nullptr;
    DWORD previous;
    switch (change) {
    case Change::Freed:
        VirtualFree(changing, 0, MEM_RELEASE);
        break;
    case Change::SecondHalfDecommitted:
        VirtualFree(changing + 2 * kPage, 2 * kPage, MEM_DECOMMIT);
        break;
    case Change::PageMadeReadOnly:
        VirtualProtect(changing + kPage, kPage, PAGE_READONLY, &previous);
        break;
    case Change::PageMadeGuard:
        VirtualProtect(changing + kPage, kPage, PAGE_READWRITE | PAGE_GUARD, &previous);
        break;
    case Change::QueryFails:
        return false;
    }
    return true;
}

} // namespace

TEST_F(MemoryFaultsWineTest, APageChangedUnderTheScanIsSkippedAndTheRestOfTheWalkHappens) {
    struct Case {
        const char* what;
        Change change;
        long faults; // at least; the churning neighbour adds its own
        bool pageSwapped[4];
    };
    const Case cases[] = {
        {"freed before its first byte is read", Change::Freed, 1, {}},
        {"second half decommitted", Change::SecondHalfDecommitted, 1, {true, true}},
        {"a page made read-only", Change::PageMadeReadOnly, 1, {true, false, true, true}},
        {"a page made a guard page", Change::PageMadeGuard, 1, {true, false, true, true}},
        // The walk ends there; the handler goes with it all the same.
        {"the query fails", Change::QueryFails, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint8_t* region = Commit(4 * kPage);
        uint8_t* stable = Commit(kPage);
        for (size_t p = 0; p < 4; ++p) {
            Put(region + p * kPage + 8, kOld);
            Put(region + p * kPage + 101, kLoop);
            Put(region + (p + 1) * kPage - 4, kOld); // its last full window
        }
        Put(stable + 3, kOld);
        changing = region;
        change = c.change;
        faultsRecovered = 0;
        afterQuery = ChangeAfterItsQuery;
        ApplyNow();

        EXPECT_EQ(afterQuery, nullptr) << "the walk never queried the region";
        EXPECT_GE(faultsRecovered, c.faults);
        EXPECT_EQ(handlersAdded, handlersRemoved);
        if (c.change != Change::QueryFails) {
            EXPECT_EQ(Get(stable + 3), kNew);
        }
        if (c.change == Change::PageMadeGuard) {
            EXPECT_NE(Protection(region + kPage) & PAGE_GUARD, 0u) << "no longer a guard page";
            DWORD previous;
            VirtualProtect(region + kPage, kPage, PAGE_READWRITE, &previous);
        }
        for (size_t p = 0; p < 4; ++p) {
            SCOPED_TRACE(p);
            if (c.change == Change::Freed ||
                (c.change == Change::SecondHalfDecommitted && p >= 2)) {
                continue;
            }
            const bool swapped = c.pageSwapped[p];
            EXPECT_EQ(Get(region + p * kPage + 8), swapped ? kNew : kOld);
            EXPECT_EQ(Get(region + p * kPage + 101), swapped ? kOld : kLoop);
            EXPECT_EQ(Get(region + (p + 1) * kPage - 4), swapped ? kNew : kOld);
        }
        RestoreNow();
        VirtualFree(region, 0, MEM_RELEASE);
        VirtualFree(stable, 0, MEM_RELEASE);
    }
    EXPECT_EQ(handlersAdded, 2 * long(std::size(cases)));
    EXPECT_EQ(handlersRemoved, handlersAdded);
}

// --- The game's own faults during a walk -------------------------------------------

namespace {

// A read the game expects to fault, at a known instruction two bytes long that the game's
// own handler steps over: a game probing memory that it keeps inaccessible.
extern "C" __attribute__((naked, noinline)) uint32_t touch_trap(const volatile void*) {
    asm("movl (%rcx), %eax\n\tret");
}

std::atomic<long> gameHandled;
std::atomic<long> gameTouches;
std::atomic<bool> touching;
uint8_t* big = nullptr;
uint8_t* trapInside = nullptr;
uint8_t* trapOutside = nullptr;
HANDLE toucher = nullptr;

LONG CALLBACK GameHandler(EXCEPTION_POINTERS* exception) {
    CONTEXT& context = *exception->ContextRecord;
    if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
        context.Rip != reinterpret_cast<DWORD64>(&touch_trap)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    context.Rip += 2;
    ++gameHandled;
    return EXCEPTION_CONTINUE_EXECUTION;
}

DWORD WINAPI TouchTrapWhileTheWalkRuns(void*) {
    while (touching) {
        touch_trap(trapInside);
        ++gameTouches;
    }
    return 0;
}

// When the walk reaches the big region, the game makes a page of it inaccessible and a
// second thread keeps reading that page; the walk's own thread reads another such page.
bool StartTouching(uintptr_t address) {
    if (address != reinterpret_cast<uintptr_t>(big)) return true;
    afterQuery = nullptr;
    DWORD previous;
    VirtualProtect(trapInside, kPage, PAGE_NOACCESS, &previous);
    touching = true;
    toucher = CreateThread(nullptr, 0, TouchTrapWhileTheWalkRuns, nullptr, 0, nullptr);
    while (gameTouches == 0)
        SwitchToThread();
    touch_trap(trapOutside);
    return true;
}

} // namespace

TEST_F(MemoryFaultsWineTest, TheGamesOwnFaultsStillReachItsOwnHandler) {
    // Big enough, and the trap far enough in, that the second thread faults many times
    // inside the range while the walk is still scanning it.
    constexpr size_t kBig = 256 << 20;
    big = Commit(kBig);
    trapInside = big + kBig - 2 * kPage;
    trapOutside = Commit(kPage, PAGE_NOACCESS);
    Put(big + 8, kOld);
    Put(trapInside - 4, kOld);
    Put(trapInside + 8, kOld);
    Put(big + kBig - 4, kOld);
    PVOID game = AddVectoredExceptionHandler(0, GameHandler);
    afterQuery = StartTouching;
    ApplyNow();
    touching = false;
    WaitForSingleObject(toucher, INFINITE);
    CloseHandle(toucher);
    RemoveVectoredExceptionHandler(game);

    EXPECT_GT(gameTouches, 0);
    EXPECT_EQ(gameHandled, gameTouches + 1) << "a fault of the game's went astray";
    EXPECT_GE(faultsRecovered, 1);
    EXPECT_EQ(Get(big + 8), kNew);
    EXPECT_EQ(Get(trapInside - 4), kNew);
    EXPECT_EQ(Get(big + kBig - 4), kNew);
    DWORD previous;
    VirtualProtect(trapInside, kPage, PAGE_READWRITE, &previous);
    EXPECT_EQ(Get(trapInside + 8), kOld);
    VirtualFree(big, 0, MEM_RELEASE);
    VirtualFree(trapOutside, 0, MEM_RELEASE);
}

// --- A thread that churns memory while the player toggles ---------------------------

namespace {

// What the stable buffer must hold after each walk, kept where the walk never looks.
constexpr size_t kStable = 1 << 20;
uint8_t model[kStable];

} // namespace

TEST_F(MemoryFaultsWineTest, AThreadChurningMemoryNeverCrashesTheGame) {
    const char* requested = std::getenv("OSTREVANE_CHURN_TOGGLES");
    const long toggles = requested ? std::atol(requested) : 200;
    uint8_t* stable = Commit(kStable);
    for (size_t i = 0; i < kStable; ++i)
        stable[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    for (size_t i = 0; i + 4 <= kStable; i += 97 + i % 50)
        Put(stable + i, (i / 97) % 3 == 0 ? kOld : (i / 97) % 3 == 1 ? kNew : kLoop);
    std::memcpy(model, stable, kStable);

    long mismatches = 0;
    long firstMismatch = -1;
    for (long t = 0; t < toggles; ++t) {
        const bool applying = t % 2 == 0;
        applying ? ApplyNow() : RestoreNow();
        SubstituteReference(model, kStable, applying ? kApply : kRestore);
        if (std::memcmp(stable, model, kStable) != 0) {
            if (firstMismatch < 0) firstMismatch = t;
            ++mismatches;
            std::memcpy(model, stable, kStable);
        }
        StandInClearEvents();
    }
    std::printf("churn: %ld walks survived, %ld faults recovered, %ld operations on memory\n",
                long(handlersAdded), long(faultsRecovered), host::StopChurn());
    EXPECT_EQ(mismatches, 0) << "first at walk " << firstMismatch;
    EXPECT_EQ(handlersAdded, toggles);
    EXPECT_EQ(handlersRemoved, toggles);
    VirtualFree(stable, 0, MEM_RELEASE);
}
