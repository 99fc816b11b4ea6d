// `ostrevane scan` as a player runs it: the game found by name, its settings in its folder.
#include "cli/scan/scan_print.h"
#include "tests/cli/command_test.h"

// The game is a copy of sleep named like a Windows program, started in a folder of its own,
// not its program's: the settings file is the one in the game's current folder, never the
// one beside its program or where the command runs.
TEST_F(OstrevaneCommand, ScanReadsTheSettingsInTheGamesFolderAndFindsTheGameByAnyName) {
    const std::string name = "Game-" + std::to_string(getpid());
    const fs::path program = fs::current_path() / "bin" / (name + ".exe");
    fs::create_directory("game");
    fs::create_directory("bin");
    fs::copy_file("/bin/sleep", program);
    Write("game/Ostrevane.ini", CleanWithLine(4, "newshake=Camera15"));
    Write("bin/Ostrevane.ini", Clean());
    Write("Ostrevane.ini", Clean());
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, "game");
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    const Outcome byPath = Ostrevane({"scan", "--process", program.string()});
    fs::remove("game/Ostrevane.ini");
    const Outcome withoutExe = Ostrevane({"scan", "--process", name});
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(byPath.status, 1) << byPath.err;
    EXPECT_NE(
        byPath.out.find("Settings file: " + (fs::current_path() / "game/Ostrevane.ini").string() +
                        " (the game's current folder)\n"),
        std::string::npos)
        << byPath.out;
    EXPECT_NE(byPath.out.find("  line 4: newshake \"Camera15\" is a camera"), std::string::npos);
    EXPECT_NE(byPath.out.find("\n                  WARNING: would corrupt the game's data (line 4, "
                              "below); "),
              std::string::npos)
        << byPath.out;
    // Only the pair the finding concerns is marked.
    size_t marked = 0;
    for (size_t at = 0; (at = byPath.out.find("WARNING: would corrupt", at)) != std::string::npos;
         ++at)
        ++marked;
    EXPECT_EQ(marked, 1u) << byPath.out;
    EXPECT_EQ(withoutExe.status, 2);
    EXPECT_NE(withoutExe.err.find("game/Ostrevane.ini: no such file\nThe plug-in writes it there "
                                  "when the game starts with the plug-in installed; run the game "
                                  "once with it, or name the settings file with --settings"),
              std::string::npos)
        << withoutExe.err;
}

// Off Wine, every program is in sight: no word of prefixes.
TEST(OstrevaneScan, AGameNotRunningIsToldWithNoWordOfWinePrefixes) {
    const std::string name = "no_game_named_so_" + std::to_string(getpid()) + ".exe";
    EXPECT_EQ(Ostrevane({"scan", "--process", name}).err, "ostrevane scan: no process named " +
                                                              name +
                                                              " is running; start the game, or "
                                                              "give its process id with --pid\n");
}

// Each verdict in its own words, the count of places where there is one.
TEST(ScanWords, EachVerdictIsSaidInItsOwnWords) {
    const struct {
        Verdict verdict;
        const char* words;
    } cases[] = {
        {Verdict::kWouldSwap, "would swap 10 places; the new item is in 1 place"},
        {Verdict::kOnlyNew, "only the new item occurs (the swap is on, or the game uses only the "
                            "new item now)"},
        {Verdict::kNeither, "neither item is in memory now: the game has not loaded it in this "
                            "scene"},
        {Verdict::kSkipped, "not swapped: newshake names no item in the dictionary (`ostrevane "
                            "check` tells why)"},
    };
    for (const auto& c : cases) {
        const ScannedPair pair{&SwapPairs[0], {"a", 1, 10}, {"b", 0, 1}, c.verdict};
        EXPECT_EQ(VerdictText(pair), c.words);
    }
}
