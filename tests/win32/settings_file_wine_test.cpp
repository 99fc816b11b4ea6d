// The settings file on a real Windows file system, in the game's current folder: the
// plug-in reads a player's file without ever writing it, and writes the default file
// only where there is none.
#include "settings_file/whole_files.h"
#include "tests/win32/game_test.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

constexpr const char* kPlayersFile = "; my own camera choices\r\n"
                                     "[Settings]\r\n"
                                     "modactivatekey=F8      ; the key\r\n"
                                     "oldshake=sky_diving_shake\r\n"
                                     "newshake=drunk_shake\r\n"
                                     "olddof=DOF05\r\n"
                                     "newdof=DOF10\r\n"
                                     "\r\n"
                                     "[Shake]\r\n"
                                     "sky_diving_shake=0x7DC36678\r\n"
                                     "drunk_shake=0x38208C89\r\n"
                                     "[DOF]\r\n"
                                     "DOF05=0x30348053\r\n"
                                     "DOF10=0x5C8A08F7\r\n"
                                     "DOF11=0x11111111\r\n";

std::vector<std::string> SubtitleTexts() {
    std::vector<std::string> texts;
    for (const host::Subtitle& subtitle : host::Subtitles())
        texts.push_back(subtitle.text);
    return texts;
}

class SettingsFileWineTest : public GameTest {
  protected:
    // Enables, disables and enables again: the start and each enable read the file.
    static void ToggleThreeTimes() {
        for (int press = 0; press < 3; ++press) {
            Press();
            host::RunFor(12000 + host::kFrameMs); // and one poll with the key up
        }
    }
};

} // namespace

TEST_F(SettingsFileWineTest, APlayersFileIsReadAndNeverWritten) {
    host::WriteBytes("Ostrevane.ini", kPlayersFile);
    // An old time stamp, so that even a write of the same bytes would show.
    fs::last_write_time("Ostrevane.ini",
                        fs::file_time_type::clock::now() - std::chrono::hours(24 * 365));
    const auto stamp = fs::last_write_time("Ostrevane.ini"); // as the file system keeps it

    StartPlugin();
    ToggleThreeTimes();
    ASSERT_TRUE(host::UnloadPlugin(plugin_));
    plugin_ = nullptr;

    EXPECT_EQ(SubtitleTexts(),
              (std::vector<std::string>{
                  "hashIndex: 5", "Old: 7DC36678 | Loop: 00000000 | DOF: 30348053 | Cam: 00000000",
                  "New: 38208C89 | Loop: 00000000 | DOF: 5C8A08F7 | Cam: 00000000",
                  "Mod Disabled - Default Shake Restored", "hashIndex: 5",
                  "Old: 7DC36678 | Loop: 00000000 | DOF: 30348053 | Cam: 00000000",
                  "New: 38208C89 | Loop: 00000000 | DOF: 5C8A08F7 | Cam: 00000000"}));
    EXPECT_EQ(host::ReadBytes("Ostrevane.ini"), kPlayersFile);
    EXPECT_TRUE(fs::last_write_time("Ostrevane.ini") == stamp);
    const auto entries = std::distance(fs::directory_iterator("."), fs::directory_iterator());
    EXPECT_EQ(entries, 1) << "the plug-in left a file of its own in the game folder";
}

TEST_F(SettingsFileWineTest, AMissingFileIsWrittenWithTheDefaultsAndThenRead) {
    StartPlugin();
    const std::string file = host::ReadBytes("Ostrevane.ini");
    EXPECT_EQ(file.size(), 154881u);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 254);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 254);
    for (size_t i = file.find('\n'); i != std::string::npos; i = file.find('\n', i + 1)) {
        ASSERT_EQ(file[i - 1], '\r') << "a line ending without CR LF at byte " << i;
    }
    EXPECT_EQ(file.substr(0, 31), "[Settings]\r\nmodactivatekey=F8\r\n");

    host::KeyDown(host::kF8);
    host::RunFrames(1);
    host::KeyUp(host::kF8);
    host::RunFor(12000);
    EXPECT_EQ(
        SubtitleTexts(),
        (std::vector<std::string>{
            "hashIndex: 227", "Old: 7DC36678 | Loop: C1028541 | DOF: 30348053 | Cam: F8160EE8",
            "New: 643E2FFB | Loop: B911BBC5 | DOF: 5C8A08F7 | Cam: 2F0AACD0"}));
    EXPECT_EQ(host::ReadBytes("Ostrevane.ini"), file) << "the defaults were written twice";
}

TEST_F(SettingsFileWineTest, AFileHeldOpenWithoutSharingKeepsTheLastSettings) {
    host::WriteBytes("Ostrevane.ini", kPlayersFile);
    StartPlugin();
    const std::string edited = "[Settings]\r\nmodactivatekey=F8\r\n";
    host::WriteBytes("Ostrevane.ini", edited);

    // An editor or a backup tool holds the file and lets nobody else open it.
    const HANDLE held = CreateFileA("Ostrevane.ini", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Press();
    host::RunFor(12000);
    CloseHandle(held);

    // The enable could not read the edited file: the settings read at the start stand.
    EXPECT_EQ(SubtitleTexts(),
              (std::vector<std::string>{
                  "hashIndex: 5", "Old: 7DC36678 | Loop: 00000000 | DOF: 30348053 | Cam: 00000000",
                  "New: 38208C89 | Loop: 00000000 | DOF: 5C8A08F7 | Cam: 00000000"}));
    EXPECT_EQ(host::ReadBytes("Ostrevane.ini"), edited);
}

// Runs a Linux program, as Wine runs any program it is given, until `Ostrevane.ini` is there
// or not as `present` says: Wine's handle to a Linux process does not wait for its end.
static void RunUnixCommand(const char* program, std::string commandLine, bool present) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
    for (int tries = 0; tries < 200; ++tries) {
        if ((GetFileAttributesA("Ostrevane.ini") != INVALID_FILE_ATTRIBUTES) == present) break;
        Sleep(25);
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

// A file that opens and then fails to read, as on a failing disk: a link to the memory of
// the Wine process that reads it, which the system's `ln` makes (Wine runs it like any
// program) and which Windows' ReadFile then fails on. Read as an empty file, it would clear
// every setting, and the command would offer to write the default file over it.
TEST_F(SettingsFileWineTest, AFileThatFailsToReadKeepsTheLastSettings) {
    host::WriteBytes("Ostrevane.ini", kPlayersFile);
    StartPlugin();
    fs::remove("Ostrevane.ini");
    RunUnixCommand("Z:\\bin\\ln", "ln -s /proc/self/mem Ostrevane.ini", true);
    std::string bytes;
    FileProblem problem;
    ASSERT_FALSE(ReadWholeFile("Ostrevane.ini", bytes, problem));
    EXPECT_EQ(problem.kind, FileProblem::kUnreadable);

    Press();
    host::RunFor(12000);
    EXPECT_EQ(SubtitleTexts(),
              (std::vector<std::string>{
                  "hashIndex: 5", "Old: 7DC36678 | Loop: 00000000 | DOF: 30348053 | Cam: 00000000",
                  "New: 38208C89 | Loop: 00000000 | DOF: 5C8A08F7 | Cam: 00000000"}));
    EXPECT_FALSE(ReadWholeFile("Ostrevane.ini", bytes, problem)) << "written over";
    // Windows' own delete opens what the link names, which it cannot.
    RunUnixCommand("Z:\\bin\\rm", "rm Ostrevane.ini", false);
}
