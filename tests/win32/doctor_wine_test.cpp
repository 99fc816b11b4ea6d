// ostrevane.exe doctor under Wine, with this test as the game: its program's folder holds the
// real plug-in beside the stand-in hook, as a game folder does, and the plug-in is loaded the
// way a plug-in loader loads it, or not at all.
#include "tools/standin_game/host.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

host::Ran Doctor(const std::string& arguments) {
    return host::RunProgram(OSTREVANE_EXE, "doctor " + arguments);
}

std::string QuotedArgument(const fs::path& path) {
    return "\"" + path.string() + "\"";
}

fs::path ProgramFolder() {
    wchar_t path[MAX_PATH * 2] = L"";
    ::GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
    return fs::path(path).parent_path();
}

// The findings of a game that has not loaded the plug-in, then of the same game once it has:
// the first says what usually causes it, the second says the key should work.
TEST(Doctor, TellsAGameThatNeverLoadedThePluginFromOneThatDid) {
    host::Start();
    const std::string game = "--folder " + QuotedArgument(ProgramFolder()) + " --pid " +
                             std::to_string(::GetCurrentProcessId());
    const host::Ran before = Doctor(game);
    EXPECT_EQ(before.status, 1) << before.output;
    EXPECT_NE(
        before.output.find("OK       Ostrevane.asi is a 64-bit DLL, version " OSTREVANE_VERSION
                           ".0, as this ostrevane"),
        std::string::npos)
        << before.output;
    EXPECT_NE(before.output.find("OK       ScriptHookV.dll, which Ostrevane.asi needs, is beside"),
              std::string::npos)
        << before.output;
    EXPECT_NE(before.output.find("OK       KERNEL32.dll, which Ostrevane.asi needs, is one of "
                                 "Windows' own"),
              std::string::npos)
        << before.output;
    EXPECT_NE(before.output.find("PROBLEM  The game (process"), std::string::npos);
    EXPECT_NE(before.output.find("has not loaded Ostrevane.asi. Usually the plug-in loader"),
              std::string::npos)
        << before.output;
    EXPECT_NE(before.output.find("WINEDLLOVERRIDES=\"LOADER=n,b\""), std::string::npos);
    EXPECT_NE(before.output.find("F8 does nothing yet: the game has not loaded Ostrevane.asi ("),
              std::string::npos)
        << before.output;

    HMODULE plugin = ::LoadLibraryW((ProgramFolder() / OSTREVANE_PLUGIN_FILE).c_str());
    ASSERT_NE(plugin, nullptr) << "error " << ::GetLastError();
    host::RunFrames(1); // its first frame writes and reads the settings file
    const host::Ran after = Doctor(game);
    EXPECT_NE(after.output.find("OK       The game (process"), std::string::npos) << after.output;
    EXPECT_NE(after.output.find("has loaded Ostrevane.asi"), std::string::npos) << after.output;
    EXPECT_NE(after.output.find("The shake pair: "), std::string::npos) << after.output;
    EXPECT_EQ(after.output.find("has not loaded"), std::string::npos) << after.output;
    EXPECT_TRUE(host::UnloadPlugin(plugin));
}

// A folder without the plug-in, and one with the plug-in but without the hook's DLL: each its
// own PROBLEM, and nothing written to either.
TEST(Doctor, NamesAMissingPluginAndAMissingHook) {
    host::Start();
    const fs::path empty = fs::current_path() / "empty";
    const fs::path noHook = fs::current_path() / "no_hook";
    for (const fs::path& folder : {empty, noHook}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    fs::copy_file(ProgramFolder() / OSTREVANE_PLUGIN_FILE, noHook / OSTREVANE_PLUGIN_FILE);

    const host::Ran missing = Doctor("--folder " + QuotedArgument(empty));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("PROBLEM  Ostrevane.asi is not in"), std::string::npos)
        << missing.output;
    EXPECT_NE(missing.output.find("F8 does nothing yet: Ostrevane.asi is not beside the game's"),
              std::string::npos)
        << missing.output;

    const host::Ran hookless = Doctor("--folder " + QuotedArgument(noHook));
    EXPECT_EQ(hookless.status, 1);
    EXPECT_NE(hookless.output.find("PROBLEM  ScriptHookV.dll, which Ostrevane.asi needs, is "
                                   "neither beside it nor one of Windows' own"),
              std::string::npos)
        << hookless.output;
    EXPECT_NE(hookless.output.find("OK       KERNEL32.dll, which Ostrevane.asi needs, is one of "
                                   "Windows' own"),
              std::string::npos)
        << hookless.output;

    // A game named that is not running is told as scan tells it, each line whole.
    const host::Ran noSuch = Doctor("--process NoSuch.exe");
    EXPECT_NE(noSuch.output.find("no process named NoSuch.exe is running"), std::string::npos)
        << noSuch.output;
    EXPECT_EQ(noSuch.output.find("\\x0A"), std::string::npos) << noSuch.output;
    EXPECT_TRUE(fs::is_empty(empty)) << "the diagnosis only reads";
    EXPECT_FALSE(fs::exists(noHook / "Ostrevane.ini"));
}

// After F8, the old items are gone and the new ones stand in their places: the swap is on.
TEST(Doctor, SaysTheSwapIsOnAfterTheKey) {
    host::Start();
    host::EnterFreshFolder("swap_on"); // where the plug-in writes its default settings
    constexpr uint32_t kOldShake = 0x7DC36678, kNewShake = 0x643E2FFB;
    std::vector<uint32_t> heap(16, kOldShake); // the game's memory naming the old shake
    void* plugin = host::LoadPlugin();
    ASSERT_NE(plugin, nullptr);
    host::RunFrames(1);
    const std::string game = "--folder " + QuotedArgument(ProgramFolder()) + " --pid " +
                             std::to_string(::GetCurrentProcessId());
    const host::Ran before = Doctor(game);
    EXPECT_NE(before.output.find("F8 should work: the game has loaded Ostrevane.asi and the pairs "
                                 "would swap"),
              std::string::npos)
        << before.output;

    host::KeyDown(host::kF8);
    host::RunFrames(1);
    host::KeyUp(host::kF8);
    for (int frame = 0; frame < 3000 && heap[0] != kNewShake; ++frame)
        host::RunFrames(1);
    ASSERT_EQ(heap[0], kNewShake);
    const host::Ran after = Doctor(game);
    EXPECT_EQ(after.status, 0) << after.output;
    EXPECT_NE(after.output.find("F8 should work: the game has loaded Ostrevane.asi, and the swap "
                                "is on now: the new items are in "),
              std::string::npos)
        << after.output;
    EXPECT_TRUE(host::UnloadPlugin(plugin));
}

} // namespace
