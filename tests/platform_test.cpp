// The seam's calls the command relies on, as the native build makes them.
#include "platform/keyboard.h"
#include "platform/process_memory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

// The native command reads key names on a US layout: a letter in either case is the key of
// its capital, a digit its own key.
TEST(KeyForCharacter, TheNativeCommandsLayoutTypesEveryLetterAndDigit) {
    for (char c = 'A'; c <= 'Z'; ++c) {
        EXPECT_EQ(platform::KeyForCharacter(c), c);
        EXPECT_EQ(platform::KeyForCharacter(char(c - 'A' + 'a')), c);
    }
    for (char c = '0'; c <= '9'; ++c)
        EXPECT_EQ(platform::KeyForCharacter(c), c);
    for (const char beside : {'@', '[', '`', '{', '/', ':'})
        EXPECT_EQ(platform::KeyForCharacter(beside), std::nullopt) << beside;
}

// Wine names a game's process after its loader, and the system cuts the short name to 15
// bytes: only the command line holds the game's own name.
TEST(FindProcesses, FindsAWineGameWhoseNameIsLongerThanFifteenBytes) {
    const std::string name = "a_game_named_at_length_" + std::to_string(getpid()) + ".exe";
    const std::string windowsPath = "Z:\\games\\" + name;
    char* argv[] = {const_cast<char*>(windowsPath.c_str()), const_cast<char*>("60"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, "/bin/sleep", nullptr, nullptr, argv, environ), 0);
    std::vector<uint32_t> found;
    // The child takes its command line at exec, a moment after the spawn returns.
    for (int tries = 0; tries < 200 && found.empty(); ++tries, usleep(10000))
        found = platform::FindProcesses(name);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(found, std::vector<uint32_t>{uint32_t(pid)});
}

// Each listing starts afresh: the scan lists a game's regions into the vector it used before.
TEST(ProcessRegions, ListsTheRegionsAfreshEachTime) {
    platform::ProcessReader reader;
    ASSERT_EQ(platform::OpenProcessForReading(uint32_t(getpid()), reader),
              platform::ProcessOpening::kOpened);
    std::vector<platform::Region> regions;
    ASSERT_EQ(platform::ProcessRegions(reader, regions), platform::RegionListing::kComplete);
    const size_t first = regions.size();
    ASSERT_GT(first, 0u);
    ASSERT_EQ(platform::ProcessRegions(reader, regions), platform::RegionListing::kComplete);
    EXPECT_LT(regions.size(), first + first / 2) << "the second listing holds the first";
    platform::CloseProcessReader(reader);
}
