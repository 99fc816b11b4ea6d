// ostrevane.exe scan under Wine: it reads another process through VirtualQueryEx and
// ReadProcessMemory and counts only what the plug-in's walk would rewrite; and what it says
// F8 would rewrite is what the real plug-in's walk then rewrites in the same process.
#include "tests/scan_target.h"
#include "tests/win32/game_test.h"

#include "game/scan.h"
#include "swap/engines.h"
#include "swap/swap.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using host::Ran;

// Runs ostrevane.exe with `arguments`.
Ran Ostrevane(const std::string& arguments) {
    return host::RunProgram(OSTREVANE_EXE, arguments);
}

// The number after the `occurrence`th `"key": ` from `from` on in ostrevane's JSON report.
uint64_t Member(const std::string& json, const std::string& key, const std::string& from = "{",
                int occurrence = 1) {
    size_t at = json.find(from);
    for (int i = 0; i < occurrence && at != std::string::npos; ++i)
        at = json.find("\"" + key + "\": ", at + 1);
    return at == std::string::npos ? UINT64_MAX
                                   : std::strtoull(json.c_str() + at + key.size() + 4, nullptr, 10);
}

struct PairCounts {
    uint64_t before, after;
};
PairCounts Counts(const std::string& json, const std::string& pair) {
    const std::string from = "{\"pair\": \"" + pair + "\"";
    return {Member(json, "count", from, 1), Member(json, "count", from, 2)};
}

// The stand-in game of scan_target.cpp, running until the test ends.
class ScanWineTest : public testing::Test {
  protected:
    void SetUp() override {
        host::EnterFreshFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
        host::WriteBytes("scan.ini", scan_target::kSettings);
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        ASSERT_TRUE(CreatePipe(&childIn, &toTarget_, &inherit, 0));
        ASSERT_TRUE(CreatePipe(&fromTarget_, &childOut, &inherit, 0));
        SetHandleInformation(toTarget_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(fromTarget_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = startup.hStdError = childOut;
        std::wstring line = L"\"" + (host::ProgramFolder() / "scan_target.exe").wstring() + L"\"";
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &startup, &target_));
        CloseHandle(childIn);
        CloseHandle(childOut);
        char ready[6] = {};
        DWORD count = 0;
        ASSERT_TRUE(ReadFile(fromTarget_, ready, 6, &count, nullptr));
        ASSERT_EQ(std::string(ready, count), "ready\n");
    }
    void TearDown() override {
        CloseHandle(toTarget_);
        CloseHandle(fromTarget_);
        WaitForSingleObject(target_.hProcess, 10000);
        CloseHandle(target_.hThread);
        CloseHandle(target_.hProcess);
    }
    std::string Pid() const { return std::to_string(target_.dwProcessId); }

    HANDLE toTarget_ = nullptr, fromTarget_ = nullptr;
    PROCESS_INFORMATION target_{};
};

} // namespace

TEST_F(ScanWineTest, CountsExactlyWhatThePlugInsWalkWouldSeeAndJudgesEachPair) {
    const SwapSettingsRecord swap = scan_target::kSwap;
    std::vector<uint8_t> dense(scan_target::kDenseSize);
    scan_target::FillDense(dense.data());
    const uint64_t a = scan_target::Count(dense, swap.oldShake),
                   b = scan_target::Count(dense, swap.newShake);
    const size_t rewritten = SubstituteReference(dense.data(), dense.size(), ApplyChain(swap));

    const Ran scan = Ostrevane("scan --pid " + Pid() + " --settings scan.ini --json");
    ASSERT_EQ(scan.status, 1u) << scan.output; // the camera pair is skipped
    EXPECT_EQ(Member(scan.output, "wouldRewrite"), rewritten);
    EXPECT_EQ(Member(scan.output, "bytesSkipped"), 0u);
    const PairCounts shake = Counts(scan.output, "shake"), loop = Counts(scan.output, "shakeLoop");
    EXPECT_EQ(shake.before, a);
    EXPECT_EQ(shake.after, b);
    EXPECT_EQ(loop.before, 0u);
    EXPECT_EQ(loop.after, 1u) << "d counted outside private read-write memory";
    for (const char* verdict : {"wouldSwap", "onlyNew", "neither", "skipped"})
        EXPECT_NE(scan.output.find(std::string("\"verdict\": \"") + verdict), std::string::npos);
}

TEST_F(ScanWineTest, AGameThatCannotBeListedExitsMidScanOrIsNotRunningIsAFailure) {
    // A handle without the query right, as some anti-cheat drivers hand out: no region can
    // be listed, and the scan says so instead of reporting an empty game.
    HANDLE filtered = OpenProcess(PROCESS_VM_READ | SYNCHRONIZE, FALSE, target_.dwProcessId);
    ASSERT_NE(filtered, nullptr);
    const platform::ProcessReader unlisted{target_.dwProcessId, intptr_t(filtered)};
    const ScanResult blind = ScanProcess(unlisted, MakeHashCounter({scan_target::kSwap.oldShake}),
                                         ApplyChain(scan_target::kSwap), nullptr);
    CloseHandle(filtered);
    EXPECT_TRUE(blind.listingFailed);
    EXPECT_FALSE(blind.processExited);
    EXPECT_EQ(blind.regions, 0u);

    platform::ProcessReader reader;
    ASSERT_EQ(platform::OpenProcessForReading(target_.dwProcessId, reader),
              platform::ProcessOpening::kOpened);
    bool terminated = false;
    const ScanResult result = ScanProcess(reader, MakeHashCounter({scan_target::kSwap.oldShake}),
                                          ApplyChain(scan_target::kSwap), [&](const ScanProgress&) {
                                              if (std::exchange(terminated, true)) return;
                                              TerminateProcess(target_.hProcess, 3);
                                              WaitForSingleObject(target_.hProcess, 10000);
                                          });
    platform::CloseProcessReader(reader);
    EXPECT_TRUE(result.processExited);

    const Ran gone = Ostrevane("scan --pid " + Pid() + " --settings scan.ini");
    EXPECT_EQ(gone.status, 2u);
    EXPECT_NE(gone.output.find("no process with id"), std::string::npos) << gone.output;
    const Ran never = Ostrevane("scan --pid 67108860 --settings scan.ini");
    EXPECT_EQ(never.status, 2u);
    EXPECT_NE(never.output.find("no process with id 67108860"), std::string::npos) << never.output;
}

// The host is the game here: the real plug-in loaded, a few hashes planted apart, F8
// pressed, the way the README's "Is it working?" goes. Scanned after the plug-in has read
// its settings and before its walk, again after the walk, and again after the restore, the
// counts are exact: the walk leaves no copy of an old hash behind, not even in the stack
// below the script's frames, where its own pairs and needles were.
class ScanPluginWineTest : public GameTest {
  protected:
    static Ran Scan() {
        return Ostrevane("scan --pid " + std::to_string(GetCurrentProcessId()) +
                         " --json --settings Ostrevane.ini");
    }
};

// The verdict of `pair` in ostrevane's JSON report.
std::string Verdict(const std::string& json, const std::string& pair) {
    const size_t at = json.find("\"verdict\": \"", json.find("{\"pair\": \"" + pair + "\""));
    return at == std::string::npos ? "" : json.substr(at + 12, json.find('"', at + 12) - at - 12);
}

TEST_F(ScanPluginWineTest, IsItWorkingGivesExactCountsBeforeAndAfterTheSwapAndTheRestore) {
    host::WriteBytes("Ostrevane.ini", scan_target::kSettings);
    constexpr size_t kRegion = 64 * 1024;
    auto* planted = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, kRegion, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    constexpr uint8_t kA[4] = {0x22, 0x11, 0x22, 0x11};
    const size_t places[] = {0x100, 0x201, 0x302, 0x403, kRegion - 4};
    for (const size_t at : places)
        std::memcpy(planted + at, kA, 4);
    std::memcpy(planted + 0x800, scan_target::kLoneHash, 4);

    StartPlugin();
    Press();
    host::RunFor(1000); // the plug-in has read its settings and shows its first message
    const Ran before = Scan();
    host::RunFor(12000);
    const Ran swapped = Scan();
    Press(); // the restore comes first, then its message
    host::RunFor(100);
    const Ran restored = Scan();
    for (const Ran* ran : {&before, &swapped, &restored})
        ASSERT_EQ(ran->status, 1u) << ran->output; // the camera pair is skipped

    // Before: the planted copies and the dictionary's entries, and for the loop and the
    // depth of field also what the settings load left in the script's stack (the walk
    // rewrites those too). After the walk not one old copy is left, anywhere; the new ones
    // are all those, and the copies of the pairs its callers hold. The restore turns every
    // new copy back, those that were new before the swap too. (Copies the script's later
    // calls leave in its stack come and go: only the zeros are exact beyond the planted.)
    const char* const pairs[] = {"shake", "shakeLoop", "dof"};
    const PairCounts atLeast[] = {{std::size(places) + 1, 1}, {1, 2}, {1, 1}};
    uint64_t oldTotal = 0, oldBack = 0;
    for (size_t p = 0; p < std::size(pairs); ++p) {
        SCOPED_TRACE(pairs[p]);
        const PairCounts was = Counts(before.output, pairs[p]),
                         is = Counts(swapped.output, pairs[p]),
                         back = Counts(restored.output, pairs[p]);
        std::printf("%-9s before %llu old %llu new; swapped %llu old %llu new; restored %llu old "
                    "%llu new\n",
                    pairs[p], (unsigned long long)was.before, (unsigned long long)was.after,
                    (unsigned long long)is.before, (unsigned long long)is.after,
                    (unsigned long long)back.before, (unsigned long long)back.after);
        EXPECT_GE(was.before, atLeast[p].before);
        EXPECT_GE(was.after, atLeast[p].after);
        EXPECT_EQ(Verdict(before.output, pairs[p]), "wouldSwap");
        oldTotal += was.before;
        EXPECT_EQ(is.before, 0u);
        EXPECT_GE(is.after, atLeast[p].before + atLeast[p].after);
        EXPECT_EQ(Verdict(swapped.output, pairs[p]), "onlyNew");
        EXPECT_GE(back.before, atLeast[p].before + atLeast[p].after);
        EXPECT_EQ(back.after, 0u);
        EXPECT_EQ(Verdict(restored.output, pairs[p]), "wouldSwap");
        oldBack += back.before;
    }
    EXPECT_EQ(Member(before.output, "wouldRewrite"), oldTotal);
    EXPECT_EQ(Member(swapped.output, "wouldRewrite"), 0u);
    EXPECT_EQ(Member(restored.output, "wouldRewrite"), oldBack);
    for (const size_t at : places) {
        uint32_t value;
        std::memcpy(&value, planted + at, 4);
        EXPECT_EQ(value, scan_target::kSwap.oldShake) << at;
    }
}
