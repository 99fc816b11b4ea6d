// The plug-in's real memory walk, through VirtualQuery, over memory of every kind a game
// process has: private read-write memory is rewritten and rewritten back; protected,
// mapped and image memory is never touched.
#include "tests/win32/game_test.h"
#include "tools/standin_game/churn.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The walk rewrites these values wherever it finds them in heap and stack memory, so the
// test keeps them only in its own image, as constants, where the walk never looks.
constexpr uint32_t kShakeA = 0x7DC36678;  // oldshake
constexpr uint32_t kShakeB = 0x643E2FFB;  // newshake, and oldshakeloop too: the pairs chain
constexpr uint32_t kLoopC = 0xB911BBC5;   // newshakeloop
constexpr uint32_t kDofD = 0x30348053;    // olddof
constexpr uint32_t kDofE = 0x5C8A08F7;    // newdof
constexpr uint32_t kCameraG = 0x2F0AACD0; // newcamera; oldcamera names no item

constexpr const char* kSettings = "[Settings]\n"
                                  "modactivatekey=F8\n"
                                  "oldshake=shake_a\n"
                                  "newshake=shake_b\n"
                                  "oldshakeloop=shake_b_loop\n"
                                  "newshakeloop=shake_c_loop\n"
                                  "olddof=DOF01\n"
                                  "newdof=DOF02\n"
                                  "oldcamera=no_such_camera\n"
                                  "newcamera=Camera01\n"
                                  "[Shake]\n"
                                  "shake_a=0x7DC36678\n"
                                  "shake_b=0x643E2FFB\n"
                                  "[NewShakeLoop]\n"
                                  "shake_b_loop=0x643E2FFB\n"
                                  "shake_c_loop=0xB911BBC5\n"
                                  "[DOF]\n"
                                  "DOF01=0x30348053\n"
                                  "DOF02=0x5C8A08F7\n"
                                  "[Camera]\n"
                                  "Camera01=0x2F0AACD0\n";

enum Outcome { kSwapped, kLeftAlone, kChained, kAlreadyNew, kPartnerMissing };

struct Expected {
    uint32_t planted, afterApply, afterRestore;
};
constexpr Expected kExpected[] = {
    {kDofD, kDofE, kDofD},
    {kDofD, kDofD, kDofD},
    // A becomes B, which the loop pair then makes C; going back, B-to-A is tested before
    // C-to-B, so C ends as B.
    {kShakeA, kLoopC, kShakeB},
    // Restoring makes every new item old, even one that was there before the swap.
    {kDofE, kDofE, kDofD},
    // A pair with a missing name is skipped both ways.
    {kCameraG, kCameraG, kCameraG},
};

struct Placement {
    const char* where;
    uint8_t* at;
    Outcome outcome;
    bool guarded;
};

constexpr size_t kMaxPlacements = 32;
constexpr size_t kPage = 4096;
constexpr size_t kRegion = 64 * 1024;

// What each placement held before the plug-in loaded, after the swap and after the
// restore: kept in the test's own image (this is .bss), so the walks leave them be.
uint32_t before[kMaxPlacements];
uint32_t afterApply[kMaxPlacements];
uint32_t afterRestore[kMaxPlacements];
size_t nonZeroBytesAfterApply = 1;
size_t nonZeroBytesAfterRestore = 1;
bool guardSurvived = true;
// Image memory written at run time: a private copy of the page, yet still image memory.
uint32_t imageWords[4] = {1, 2, 3, 4};

std::vector<Placement> placements;
uint8_t* zeroRegion = nullptr;
uint8_t* mappedFileView = nullptr;
HANDLE mappedFile = INVALID_HANDLE_VALUE;
HANDLE mappedFileSection = nullptr;

uint8_t* Commit(size_t size, DWORD protect = PAGE_READWRITE) {
    return static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, protect));
}

void Protect(uint8_t* at, size_t size, DWORD protect) {
    DWORD previous;
    VirtualProtect(at, size, protect, &previous);
}

void Plant(const char* where, uint8_t* at, Outcome outcome, bool guarded = false) {
    std::memcpy(at, &kExpected[outcome].planted, 4);
    placements.push_back({where, at, outcome, guarded});
}

uint32_t Read(const Placement& placement) {
    DWORD previous = 0;
    if (placement.guarded) {
        VirtualProtect(placement.at, 4, PAGE_READWRITE, &previous);
        guardSurvived = guardSurvived && (previous & PAGE_GUARD) != 0;
    }
    uint32_t value;
    std::memcpy(&value, placement.at, 4);
    if (placement.guarded) Protect(placement.at, 4, previous);
    return value;
}

void Snapshot(uint32_t (&values)[kMaxPlacements]) {
    for (size_t i = 0; i < placements.size(); ++i)
        values[i] = Read(placements[i]);
}

size_t NonZeroBytes(const uint8_t* begin, size_t size) {
    size_t count = 0;
    for (size_t i = 0; i < size; ++i)
        count += begin[i] != 0;
    return count;
}

void PlantEverywhere(uint8_t* stack) {
    auto* heap = new uint8_t[256]();
    Plant("heap, aligned", heap + 16, kSwapped);
    Plant("heap, chained pairs", heap + 33, kChained);
    Plant("heap, already the new item", heap + 70, kAlreadyNew);
    Plant("heap, pair with a missing name", heap + 101, kPartnerMissing);
    Plant("the game thread's stack", stack + 4, kSwapped);

    uint8_t* region = Commit(kRegion);
    Plant("VirtualAlloc read-write, aligned", region + 0x100, kSwapped);
    Plant("VirtualAlloc read-write, offset 1", region + 0x201, kSwapped);
    Plant("VirtualAlloc read-write, offset 2", region + 0x302, kSwapped);
    Plant("VirtualAlloc read-write, offset 3", region + 0x403, kSwapped);
    Plant("VirtualAlloc read-write, last four bytes", region + kRegion - 4, kSwapped);

    // Regions that end inside an allocation: a walk that reads past the end of one would
    // find the word that crosses into the next, or fault on reserved memory.
    uint8_t* beforeReadOnly = Commit(2 * kPage);
    Plant("last four bytes before a read-only page", beforeReadOnly + kPage - 4, kSwapped);
    Protect(beforeReadOnly + kPage, kPage, PAGE_READONLY);
    uint8_t* straddling = Commit(2 * kPage);
    Plant("across into a read-only page", straddling + kPage - 2, kLeftAlone);
    Protect(straddling + kPage, kPage, PAGE_READONLY);
    auto* reserved =
        static_cast<uint8_t*>(VirtualAlloc(nullptr, kRegion, MEM_RESERVE, PAGE_NOACCESS));
    VirtualAlloc(reserved, kPage, MEM_COMMIT, PAGE_READWRITE);
    Plant("last four bytes before reserved memory", reserved + kPage - 4, kSwapped);

    uint8_t* readOnly = Commit(kRegion);
    Plant("read-only", readOnly + 0x10, kLeftAlone);
    Plant("read-only, offset 3", readOnly + 0x1FF, kLeftAlone);
    Protect(readOnly, kRegion, PAGE_READONLY);
    Plant("execute-read-write", Commit(kRegion, PAGE_EXECUTE_READWRITE) + 0x10, kLeftAlone);
    uint8_t* guard = Commit(kRegion);
    Plant("read-write guard page", guard + 0x10, kLeftAlone, true);
    Protect(guard, kRegion, PAGE_READWRITE | PAGE_GUARD);

    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        DWORD(kRegion), nullptr);
    auto* view = static_cast<uint8_t*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0));
    Plant("mapped section, read-write", view + 0x10, kLeftAlone);
    host::WriteBytes("mapped.bin", std::string(kRegion, '\0'));
    mappedFile = CreateFileW(L"mapped.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    mappedFileSection = CreateFileMappingW(mappedFile, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    mappedFileView =
        static_cast<uint8_t*>(MapViewOfFile(mappedFileSection, FILE_MAP_WRITE, 0, 0, 0));
    Plant("mapped file, read-write", mappedFileView + 0x40, kLeftAlone);

    imageWords[1] = 0; // a write: the page becomes the process's own copy
    Plant("the program's image (.data)", reinterpret_cast<uint8_t*>(&imageWords[2]), kLeftAlone);

    zeroRegion = Commit(kRegion);
}

class MemoryWalkWineTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        host::EnterFreshFolder("MemoryWalkWineTest");
        host::WriteBytes("Ostrevane.ini", kSettings);
        uint8_t stack[16] = {};
        PlantEverywhere(stack);
        Snapshot(before);

        void* plugin = host::LoadPlugin();
        if (!plugin) return;
        // Beside a thread that keeps changing memory of its own, the walk still leaves
        // every placement exactly as it would without it.
        host::StartChurn(kShakeA, kDofD);
        host::RunFrames(1);
        host::KeyDown(host::kF8);
        host::RunFrames(1);
        host::KeyUp(host::kF8);
        host::RunFor(12000 + host::kFrameMs);
        Snapshot(afterApply);
        nonZeroBytesAfterApply = NonZeroBytes(zeroRegion, kRegion);

        host::KeyDown(host::kF8);
        host::RunFrames(1);
        host::KeyUp(host::kF8);
        Snapshot(afterRestore);
        nonZeroBytesAfterRestore = NonZeroBytes(zeroRegion, kRegion);
        host::UnloadPlugin(plugin);
        host::StopChurn();
        // Closed, so the test can read back what the file holds.
        UnmapViewOfFile(mappedFileView);
        CloseHandle(mappedFileSection);
        CloseHandle(mappedFile);
    }

    static void ExpectOutcomes(std::initializer_list<Outcome> outcomes) {
        size_t checked = 0;
        for (size_t i = 0; i < placements.size(); ++i) {
            const Placement& placement = placements[i];
            if (std::find(outcomes.begin(), outcomes.end(), placement.outcome) == outcomes.end()) {
                continue;
            }
            SCOPED_TRACE(placement.where);
            const Expected& expected = kExpected[placement.outcome];
            EXPECT_EQ(before[i], expected.planted);
            EXPECT_EQ(afterApply[i], expected.afterApply);
            EXPECT_EQ(afterRestore[i], expected.afterRestore);
            ++checked;
        }
        EXPECT_GT(checked, 0u);
    }
};

} // namespace

TEST_F(MemoryWalkWineTest, ThePluginSwappedAndRestoredOnce) {
    const auto subtitles = host::Subtitles();
    ASSERT_EQ(subtitles.size(), 4u);
    EXPECT_EQ(subtitles[1].text, "Old: 7DC36678 | Loop: 643E2FFB | DOF: 30348053 | Cam: 00000000");
    EXPECT_EQ(subtitles[2].text, "New: 643E2FFB | Loop: B911BBC5 | DOF: 5C8A08F7 | Cam: 2F0AACD0");
}

TEST_F(MemoryWalkWineTest, PrivateReadWriteMemoryIsSwappedAndRestored) {
    ExpectOutcomes({kSwapped});
}

TEST_F(MemoryWalkWineTest, ProtectedMappedAndImageMemoryIsLeftAlone) {
    ExpectOutcomes({kLeftAlone});
    EXPECT_TRUE(guardSurvived) << "something touched the guard page";
    const std::string file = host::ReadBytes("mapped.bin");
    ASSERT_EQ(file.size(), kRegion);
    uint32_t stored;
    std::memcpy(&stored, file.data() + 0x40, 4);
    EXPECT_EQ(stored, kDofD);
}

TEST_F(MemoryWalkWineTest, PairsChainAndAPairMissingANameIsSkipped) {
    ExpectOutcomes({kChained, kAlreadyNew, kPartnerMissing});
    EXPECT_EQ(nonZeroBytesAfterApply, 0u) << "zeros were taken for the missing camera";
    EXPECT_EQ(nonZeroBytesAfterRestore, 0u);
}
