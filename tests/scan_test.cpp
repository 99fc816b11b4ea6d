// `ostrevane scan` against a real child process, the stand-in game of scan_target_posix.cpp,
// so that reading another process, and the counting, run under the sanitizers.
#include "tests/scan_target.h"

#include "cli/scan/scan_command.h"
#include "cli/scan/scan_print.h"
#include "game/scan.h"
#include "game/scan_report.h"
#include "platform/proc_file_posix.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "swap/engines.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

extern char** environ;

namespace {

class ScanTest : public GameFolderTest {
  protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        WriteSettings(scan_target::kSettings);
        Start(nullptr);
        settings_ = ParseSettings(scan_target::kSettings);
        ASSERT_EQ(settings_.swap, scan_target::kSwap);
    }
    // Starts the stand-in game, mapping `library` when given.
    void Start(const char* library) {
        int in[2], out[2];
        ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);
        ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        char* argv[] = {const_cast<char*>(SCAN_TARGET), const_cast<char*>(library), nullptr};
        ASSERT_EQ(posix_spawn(&pid_, SCAN_TARGET, &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        toTarget_ = in[1];
        fromTarget_ = out[0];
        char ready[6] = {};
        ASSERT_EQ(read(fromTarget_, ready, 6), 6);
        ASSERT_EQ(std::string(ready, 6), "ready\n");
    }
    void TearDown() override {
        close(toTarget_);
        close(fromTarget_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
        GameFolderTest::TearDown();
    }
    // Runs the scan in-process, as the command does, calling `afterFirstChunk` once.
    ScanResult Scan(const std::function<void()>& afterFirstChunk) {
        platform::ProcessReader reader;
        EXPECT_EQ(platform::OpenProcessForReading(uint32_t(pid_), reader),
                  platform::ProcessOpening::kOpened);
        bool called = false;
        ScanResult result = ScanProcess(reader, ScanCounter(settings_, false),
                                        ApplyChain(settings_.swap), [&](const ScanProgress&) {
                                            if (!std::exchange(called, true)) afterFirstChunk();
                                        });
        platform::CloseProcessReader(reader);
        return result;
    }

    pid_t pid_ = 0;
    int toTarget_ = -1, fromTarget_ = -1;
    ParsedSettings settings_;
};

struct Outcome {
    int status;
    std::string out, err;
};

// The command as main() runs it, but for its command line: that is ostrevane.exe's, under Wine.
Outcome RunCommand(const ProcessToScan& target, bool all = false) {
    std::ostringstream out, err;
    const int status = RunScan(target, SettingsPath, all, true, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST_F(ScanTest, CountsAndJudgesWhatTheWalkWouldRewriteAndNothingElse) {
    std::vector<uint8_t> dense(scan_target::kDenseSize);
    scan_target::FillDense(dense.data());
    const uint64_t a = scan_target::Count(dense, settings_.swap.oldShake);
    const uint64_t b = scan_target::Count(dense, settings_.swap.newShake);
    std::vector<uint8_t> swapped = dense;
    const size_t rewritten =
        SubstituteReference(swapped.data(), swapped.size(), ApplyChain(settings_.swap));
    ASSERT_NE(rewritten, a) << "the stores must change what later windows read";

    const HashCounter counter = ScanCounter(settings_, true);
    EXPECT_EQ(SlotOf(counter, 0), counter.hashes.size())
        << "the missing camera's 0 is looked for: every zero window of the game passes the filter";
    const Outcome scan = RunCommand({uint32_t(pid_), ""}, true);
    ASSERT_EQ(scan.status, 1) << scan.err; // the camera pair is skipped
    const auto report = nlohmann::json::parse(scan.out);
    EXPECT_EQ(report["wouldRewrite"], rewritten);
    EXPECT_EQ(report["bytesSkipped"], 0);
    struct Expected {
        uint64_t before, after;
        const char* verdict;
    };
    const Expected expected[] = {
        {a, b, "wouldSwap"}, {0, 1, "onlyNew"}, {0, 0, "neither"}, {0, 0, "skipped"}};
    for (size_t i = 0; i < 4; ++i) {
        const auto& pair = report["pairs"][i];
        SCOPED_TRACE(pair.dump());
        EXPECT_EQ(pair["old"]["count"],
                  i == 3 ? nlohmann::json() : nlohmann::json(expected[i].before));
        EXPECT_EQ(pair["new"]["count"], expected[i].after);
        EXPECT_EQ(pair["verdict"], expected[i].verdict);
    }
    const auto& dictionary = report["dictionary"];
    ASSERT_EQ(dictionary.size(), 3u) << dictionary.dump();
    EXPECT_EQ(dictionary[0]["count"], std::max(a, b));
    EXPECT_EQ(dictionary[1]["count"], std::min(a, b));
    EXPECT_EQ(dictionary[2]["name"], "d");
    EXPECT_EQ(dictionary[2]["count"], 1);
}

TEST_F(ScanTest, MemoryFreedMidScanIsSkippedAndCounted) {
    const ScanResult result = Scan([&] {
        char answer = 0;
        ASSERT_EQ(write(toTarget_, "u", 1), 1);
        ASSERT_EQ(read(fromTarget_, &answer, 1), 1);
    });
    EXPECT_FALSE(result.processExited);
    EXPECT_EQ(result.bytesSkipped, uint64_t(2) << 20);
    const ScanReport report = MakeScanReport(ReadDocument(std::string(scan_target::kSettings)),
                                             ScanCounter(settings_, false), result, false);
    const std::vector<std::string> warnings = ScanWarnings(report, result);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[1].find("2097152 bytes"), std::string::npos);
}

TEST_F(ScanTest, AGameThatExitsMidScanOrIsNotRunningIsAFailure) {
    const ScanResult result = Scan([&] {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    });
    EXPECT_TRUE(result.processExited);
    const Outcome gone = RunCommand({uint32_t(pid_), ""});
    EXPECT_EQ(gone.status, 2);
    EXPECT_EQ(gone.err,
              "ostrevane scan: no process with id " + std::to_string(pid_) + " is running\n");
    pid_ = 0;
    const Outcome unnamed = RunCommand({0, "no-such-game.exe"});
    EXPECT_EQ(unnamed.status, 2);
    EXPECT_NE(unnamed.err.find("no process named no-such-game.exe"), std::string::npos);

    // A game Wine runs maps the Unix half of Wine's ntdll: its anonymous memory is not the
    // memory the walk sees, so the native scan refuses it rather than count it.
    close(toTarget_);
    close(fromTarget_);
    const std::string library = (std::filesystem::current_path() / "ntdll.so").string();
    std::ofstream(library) << std::string(4096, '\0');
    Start(library.c_str());
    const Outcome wine = RunCommand({uint32_t(pid_), ""});
    EXPECT_EQ(wine.status, 2);
    EXPECT_NE(wine.err.find("run by Wine or Proton"), std::string::npos) << wine.err;
    EXPECT_EQ(wine.out, "");
    // Either of Wine's loaders marks it too; a file of a native game's own never does.
    const std::pair<const char*, bool> files[] = {{"wine-preloader", true},
                                                  {"wine64-preloader", true},
                                                  {"libc.so.6", false},
                                                  {"wine_cellar.pak", false}};
    for (const auto& [file, isWine] : files)
        EXPECT_EQ(platform::IsWineRuntimeFile(file), isWine) << file;
}

namespace {

size_t OpenDescriptors() {
    return size_t(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                std::filesystem::directory_iterator()));
}

} // namespace

// The diagnosis opens the game anew each time the settings window asks, in one process
// that stays open: a refused game keeps no descriptor, and a reader closed twice leaves
// alone the file that has taken its number meanwhile.
TEST_F(ScanTest, AReaderKeepsNoDescriptorOnceRefusedOrClosed) {
    platform::ProcessReader reader;
    ASSERT_EQ(platform::OpenProcessForReading(uint32_t(pid_), reader),
              platform::ProcessOpening::kOpened);
    const intptr_t handle = reader.handle;
    platform::CloseProcessReader(reader);
    const int other = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(other, handle) << "the lowest free number is taken";
    platform::CloseProcessReader(reader);
    EXPECT_NE(fcntl(other, F_GETFD), -1) << "the second close closed another file";
    close(other);

    close(toTarget_);
    close(fromTarget_);
    waitpid(pid_, nullptr, 0);
    const std::string library = (std::filesystem::current_path() / "ntdll.so").string();
    std::ofstream(library) << std::string(4096, '\0');
    Start(library.c_str());
    const size_t before = OpenDescriptors();
    EXPECT_EQ(platform::OpenProcessForReading(uint32_t(pid_), reader),
              platform::ProcessOpening::kRunByWine);
    EXPECT_EQ(OpenDescriptors(), before);
}

// The settings window's "Is it working?" takes the program running from its own folder.
TEST_F(ScanTest, TheGameIsFoundByTheFolderItsProgramFileSitsIn) {
    const std::string folder = std::filesystem::path(SCAN_TARGET).parent_path().string();
    // Other tests run from the same folder meanwhile: only the game's own entry is certain.
    const auto gameIn = [this](const std::vector<platform::RunningProgram>& running) {
        const auto game = std::find_if(running.begin(), running.end(), [this](const auto& program) {
            return program.pid == uint32_t(pid_);
        });
        return game == running.end() ? std::string() : game->file;
    };
    EXPECT_EQ(gameIn(platform::ProgramsInFolder(folder)),
              std::filesystem::path(SCAN_TARGET).filename().string());
    // A trailing slash or a "." names the same folder; its parent is another.
    EXPECT_FALSE(gameIn(platform::ProgramsInFolder(folder + "/./")).empty());
    EXPECT_TRUE(gameIn(platform::ProgramsInFolder(folder + "/..")).empty());
    EXPECT_TRUE(platform::ProgramsInFolder(folder + "/no such folder").empty());
}

// The last window of a range is counted and none reaching past it, whatever the range's
// length leaves over after the steps of eight windows.
TEST(CountWindows, CountsTheLastWindowAndNoneBeyond) {
    const uint32_t hash = 0x5C8A08F7;
    const HashCounter counter = MakeHashCounter({hash});
    for (size_t size = 4; size <= 24; ++size) {
        for (const size_t at : {size - 4, size - 3}) {
            std::vector<uint8_t> bytes(size + 1, 0);
            std::memcpy(bytes.data() + at, &hash, 4);
            uint64_t count = 0;
            CountWindows(counter, bytes.data(), size, &count);
            EXPECT_EQ(count, at == size - 4 ? 1u : 0u) << "size " << size << ", at " << at;
        }
    }
}

TEST(CountWindows, CountsAHashAtEveryOffsetWhicheverTwoBytesTheFilterKeysOn) {
    // Hashes whose low or middle words are zero or all ones key the filter on later bytes.
    struct Case {
        std::vector<uint32_t> hashes;
        size_t filterOffset;
    };
    const Case cases[] = {
        {{0x5C8A08F7, 0x0013C4E2}, 0},
        {{0x5C8A0000, 0x3DC4FFFF}, 1},
        {{0x12000000, 0xABFFFFFF}, 2},
    };
    for (const Case& c : cases) {
        const HashCounter counter = MakeHashCounter(c.hashes);
        ASSERT_EQ(counter.filterOffset, c.filterOffset);
        // One hash at each offset, alone or followed closely by the other, so every place in
        // a group of eight windows, and the tail after the last group, holds a hit in turn.
        for (size_t at = 0; at + 4 <= 40; ++at) {
            for (const size_t gap : {0, 3, 4, 9}) {
                std::vector<uint8_t> bytes(40, 0x33);
                std::memcpy(bytes.data() + at, &c.hashes[0], 4);
                if (gap != 0 && at + gap + 4 <= bytes.size())
                    std::memcpy(bytes.data() + at + gap, &c.hashes[1], 4);
                uint64_t expected[2] = {};
                for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
                    uint32_t window;
                    std::memcpy(&window, bytes.data() + i, 4);
                    const size_t slot = SlotOf(counter, window);
                    if (slot < 2) ++expected[slot];
                }
                uint64_t counts[2] = {};
                CountWindows(counter, bytes.data(), bytes.size(), counts);
                EXPECT_TRUE(counts[0] == expected[0] && counts[1] == expected[1])
                    << std::hex << c.hashes[0] << std::dec << " at " << at << ", gap " << gap
                    << ": " << counts[0] << "+" << counts[1] << " instead of " << expected[0] << "+"
                    << expected[1];
            }
        }
    }
}
