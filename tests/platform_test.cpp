// The seam's calls the command relies on, as the native build makes them.
#include "platform/fault_recovery.h"
#include "platform/keyboard.h"
#include "platform/memory_regions.h"
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

namespace {

volatile sig_atomic_t handledBy = 0;
void PlainHandler(int signal) {
    handledBy = signal;
}
void InfoHandler(int signal, siginfo_t*, void*) {
    handledBy = -signal;
}

} // namespace

// A fault that is not the walk's own, elsewhere in the game, goes on to the handler the game
// (or its crash reporter) installed before the walk began, of either kind; swallowed, the
// handler's work would be lost and a real fault would repeat for ever.
TEST(FaultRecovery, AFaultNotTheWalksReachesTheHandlerInstalledBefore) {
    for (const int signal : {SIGSEGV, SIGBUS}) {
        for (const bool withInfo : {false, true}) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << ", info " << withInfo);
            struct sigaction mine = {}, before = {};
            if (withInfo) {
                mine.sa_sigaction = InfoHandler;
                mine.sa_flags = SA_SIGINFO;
            } else {
                mine.sa_handler = PlainHandler;
            }
            sigemptyset(&mine.sa_mask);
            ASSERT_EQ(sigaction(signal, &mine, &before), 0);
            ASSERT_TRUE(platform::BeginFaultRecovery());
            handledBy = 0;
            raise(signal);
            platform::EndFaultRecovery();
            sigaction(signal, &before, nullptr);
            EXPECT_EQ(handledBy, withInfo ? -signal : signal);
        }
    }
}

// Regions come lowest first, each asked for where the last ended or where the visit asks
// again; a listing that reached its end is whole, one cut short by a query is not.
TEST(ForEachRegion, TakesTheRegionsInOrderAndSaysWhetherTheListingIsWhole) {
    // [0x1000, 0x4000) in three regions of a page each; above it every query fails.
    const auto query = [](uintptr_t address, platform::Region& region) {
        const uintptr_t base = address < 0x2000 ? 0x1000 : address < 0x3000 ? 0x2000 : 0x3000;
        if (address >= 0x4000) return false;
        region = {address, base + 0x1000 - address, {}};
        return true;
    };
    std::vector<uintptr_t> visited;
    const auto visit = [&visited](const platform::Region& region) {
        visited.push_back(region.base);
        // Asks once more about the second half of 0x2000's region, as the walk does after
        // stopping early.
        return region.base == 0x2000 ? uintptr_t(0x2800) : platform::RegionEnd(region);
    };
    EXPECT_TRUE(platform::ForEachRegion(0x1000, 0x4000, query, visit));
    EXPECT_EQ(visited, (std::vector<uintptr_t>{0x1000, 0x2000, 0x2800, 0x3000}));

    visited.clear();
    EXPECT_FALSE(platform::ForEachRegion(0x1000, 0x5000, query, visit));
    EXPECT_EQ(visited.size(), 4u);
    const auto empty = [](uintptr_t address, platform::Region& region) {
        region = {address, 0, {}};
        return true;
    };
    EXPECT_FALSE(platform::ForEachRegion(0x1000, 0x4000, empty, visit));
    EXPECT_TRUE(platform::ForEachRegion(0x4000, 0x4000, empty, visit)) << "nothing to list";
}
