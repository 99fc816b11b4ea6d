// ostrevane.exe scan under Wine: it reads another process through VirtualQueryEx and
// ReadProcessMemory and counts only what the plug-in's walk would rewrite; and what it says
// F8 would rewrite is what the real plug-in's walk then rewrites in the same process.
#include "tests/scan_target.h"
#include "tests/win32/game_test.h"

#include "swap/swap.h"
#include "tools/ostrevane/scan.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Ran {
    DWORD status;
    std::string output; // stdout and stderr together
};

// Runs ostrevane.exe with `arguments`, its output into a file, and waits for it.
Ran Ostrevane(const std::string& arguments) {
    std::string program = "Z:" OSTREVANE_EXE;
    std::replace(program.begin(), program.end(), '/', '\\');
    std::string line = "\"" + program + "\" " + arguments;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA("ostrevane-output.txt", GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out;
    PROCESS_INFORMATION process{};
    DWORD status = 0xDEAD;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    return {status, host::ReadBytes("ostrevane-output.txt")};
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

TEST_F(ScanWineTest, AGameThatExitsMidScanOrIsNotRunningIsAFailure) {
    platform::ProcessReader reader;
    ASSERT_EQ(platform::OpenProcessForReading(target_.dwProcessId, reader),
              platform::ProcessOpening::kOpened);
    bool terminated = false;
    const ScanResult result = ScanProcess(reader, MakeWindowCounter({scan_target::kSwap.oldShake}),
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
// pressed. Scanned after the plug-in has read its settings and before its walk, and again
// after, every old hash ostrevane said F8 would rewrite has become a new one. The counts
// after the walk are not compared exactly: the walk leaves copies of the pairs in stack
// memory below the script's frames (its own, and the engine's vectors of needles, where the
// two shakes' overlapping bytes make more old windows than one walk would rewrite), and how
// many survive there depends on the calls the game makes afterwards.
class ScanPluginWineTest : public GameTest {};

TEST_F(ScanPluginWineTest, WhatScanSaysF8WouldRewriteIsWhatThePlugInRewrites) {
    host::WriteBytes("Ostrevane.ini", scan_target::kSettings);
    constexpr size_t kRegion = 64 * 1024;
    auto* planted = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, kRegion, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    constexpr uint8_t kA[4] = {0x22, 0x11, 0x22, 0x11};
    for (const size_t at :
         {size_t(0x100), size_t(0x201), size_t(0x302), size_t(0x403), kRegion - 4}) {
        std::memcpy(planted + at, kA, 4);
    }
    std::memcpy(planted + 0x800, scan_target::kLoneHash, 4);

    StartPlugin();
    Press();
    host::RunFor(1000); // the plug-in has read its settings and shows its first message
    const Ran before = Ostrevane("scan --pid " + std::to_string(GetCurrentProcessId()) +
                                 " --json --settings Ostrevane.ini");
    host::RunFor(12000);
    const Ran after = Ostrevane("scan --pid " + std::to_string(GetCurrentProcessId()) +
                                " --json --settings Ostrevane.ini");
    ASSERT_EQ(before.status, 1u) << before.output;
    ASSERT_EQ(after.status, 1u) << after.output;

    uint64_t oldBefore = 0, newGained = 0;
    for (const char* pair : {"shake", "shakeLoop", "dof"}) {
        const PairCounts was = Counts(before.output, pair), is = Counts(after.output, pair);
        oldBefore += was.before;
        newGained += is.after - was.after;
    }
    EXPECT_GE(Counts(before.output, "shake").before, 5u);
    EXPECT_EQ(Member(before.output, "wouldRewrite"), oldBefore);
    EXPECT_GE(newGained, oldBefore);
    for (const size_t at :
         {size_t(0x100), size_t(0x201), size_t(0x302), size_t(0x403), kRegion - 4}) {
        uint32_t value;
        std::memcpy(&value, planted + at, 4);
        EXPECT_EQ(value, scan_target::kSwap.newShake) << at;
    }
}
