// `ostrevane doctor`: the findings a player's folder and game give, each with what to do, and
// the sentence that sums them up.
#include "cli/doctor/doctor_command.h"
#include "platform/process_modules.h"
#include "tests/cli/command_test.h"
#include "tests/pe_image.h"
#include "window/diagnosis_text.h"

namespace {

// A game whose folder holds a sound plug-in beside the hook, running with both loaded, and
// the default pairs found in its memory.
DiagnosisFacts WorkingGame() {
    DiagnosisFacts facts;
    facts.folder = "C:\\Games\\Game";
    facts.folderIsReadable = true;
    facts.pluginPresent = true;
    facts.plugin = {PeKind::kDll64, {"ScriptHookV.dll", "KERNEL32.dll"}, "1.1.0.0"};
    facts.ourVersion = "1.1.0";
    facts.imports = {{"ScriptHookV.dll", ImportPlace::kBesideGame},
                     {"KERNEL32.dll", ImportPlace::kWindows}};
    facts.settingsPresent = true;
    facts.settings = CheckSettings(ReadDocument(DefaultFile("\r\n")));
    facts.games = {{4242, "Game.exe"}};
    facts.pid = 4242;
    facts.modulesListed = true;
    facts.modules = {"Game.exe", "ostrevane.ASI", "ScriptHookV.dll", "KERNEL32.dll"};
    facts.scanned = true;
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        facts.scan.report.pairs[pair] = {
            &SwapPairs[pair], {"a", 1, 10}, {"b", 2, 0}, Verdict::kWouldSwap};
    }
    facts.underWine = true;
    return facts;
}

std::string Words(const Diagnosis& diagnosis, Finding what) {
    for (const DiagnosisFinding& finding : diagnosis.findings)
        if (finding.what == what)
            return (finding.mark == Mark::kOk        ? "OK "
                    : finding.mark == Mark::kProblem ? "PROBLEM "
                                                     : "NOTE ") +
                   DoctorFindingWords(diagnosis, finding);
    return "";
}

TEST(Doctor, AWorkingGameIsSaidToWorkWithThePlacesItWouldSwap) {
    const Diagnosis diagnosis = Judge(WorkingGame());
    EXPECT_TRUE(diagnosis.allOk);
    EXPECT_EQ(DoctorSummary(diagnosis),
              "F8 should work: the game has loaded Ostrevane.asi and the pairs would swap 40 "
              "places.");
    EXPECT_EQ(Words(diagnosis, Finding::kPluginSound).rfind("OK ", 0), 0u);
    EXPECT_NE(Words(diagnosis, Finding::kPluginSound).find("as this ostrevane"), std::string::npos);
    EXPECT_EQ(Words(diagnosis, Finding::kImportBesideGame),
              "OK ScriptHookV.dll, which Ostrevane.asi needs, is beside it");
    EXPECT_EQ(Words(diagnosis, Finding::kImportWindows),
              "OK KERNEL32.dll, which Ostrevane.asi needs, is one of Windows' own");
    EXPECT_EQ(Words(diagnosis, Finding::kLoaderNeeded).rfind("NOTE ", 0), 0u);
    std::vector<Finding> found;
    for (const DiagnosisFinding& finding : diagnosis.findings)
        found.push_back(finding.what);
    EXPECT_EQ(found, (std::vector<Finding>{
                         Finding::kPluginSound, Finding::kImportBesideGame, Finding::kImportWindows,
                         Finding::kLoaderNeeded, Finding::kSettingsClean, Finding::kPluginLoaded,
                         Finding::kPairVerdict, Finding::kPairVerdict, Finding::kPairVerdict,
                         Finding::kPairVerdict, Finding::kWinePrefix}));

    // After the key, the old items are gone and the new ones are found: the swap is on.
    DiagnosisFacts on = WorkingGame();
    for (ScannedPair& pair : on.scan.report.pairs)
        pair = {pair.pair, {"a", 1, 0}, {"b", 2, 3}, Verdict::kOnlyNew};
    EXPECT_EQ(DoctorSummary(Judge(on)), "F8 should work: the game has loaded Ostrevane.asi, and "
                                        "the swap is on now: the new items are in 12 places.");
    EXPECT_NE(WindowSummary(Judge(on)).find("the swap is on: the new items are in 12 places."),
              std::string::npos);
    // Neither item of any pair in memory: nothing to swap in this scene.
    for (ScannedPair& pair : on.scan.report.pairs)
        pair = {pair.pair, {"a", 1, 0}, {"b", 2, 0}, Verdict::kNeither};
    EXPECT_NE(DoctorSummary(Judge(on)).find("neither item of any pair is in its memory now"),
              std::string::npos);
    // Each finding under its heading, in the order a player checks them.
    std::vector<FindingGroup> groups;
    for (const DiagnosisFinding& finding : diagnosis.findings) {
        if (groups.empty() || groups.back() != GroupOf(finding.what))
            groups.push_back(GroupOf(finding.what));
        if (finding.what == Finding::kPairVerdict) {
            EXPECT_EQ(GroupOf(finding.what), FindingGroup::kGame) << "a verdict is the game's";
        }
    }
    EXPECT_EQ(groups, (std::vector<FindingGroup>{FindingGroup::kFiles, FindingGroup::kSettings,
                                                 FindingGroup::kGame, FindingGroup::kWine}));
}

// Each thing a player gets wrong is its own PROBLEM, found whatever else is wrong, and the
// summary names the first.
TEST(Doctor, EachSlipIsAProblemWithItsNextStepAndTheFirstSumsUp) {
    struct Case {
        const char* name;
        void (*slip)(DiagnosisFacts&);
        Finding finding;
        const char* says;
        const char* summary;
    };
    const Case cases[] = {
        {"no plug-in", [](DiagnosisFacts& f) { f.pluginPresent = false; }, Finding::kPluginMissing,
         "beside the game's program", "is not beside the game's"},
        {"32 bits", [](DiagnosisFacts& f) { f.plugin.kind = PeKind::kNot64Bit; },
         Finding::kPluginBroken, "64-bit DLLs only", "64-bit DLLs only: take the one from"},
        {"a program", [](DiagnosisFacts& f) { f.plugin.kind = PeKind::kNotDll; },
         Finding::kPluginBroken, "a program, not a DLL", "a program, not a DLL: take the one"},
        {"cut short", [](DiagnosisFacts& f) { f.plugin.kind = PeKind::kTruncated; },
         Finding::kPluginBroken, "extract it again", "cut short: its download or copy broke off"},
        {"a folder",
         [](DiagnosisFacts& f) {
             f.pluginProblem = {FileProblem::kFolder, ""};
         },
         Finding::kPluginUnreadable, "is a folder, not a file: put the Ostrevane.asi of the",
         "is a folder, not a file (put the Ostrevane.asi of the release zip there"},
        {"no hook", [](DiagnosisFacts& f) { f.imports[0].place = ImportPlace::kMissing; },
         Finding::kImportMissing, "install the script hook's ScriptHookV.dll",
         "ScriptHookV.dll, which Ostrevane.asi needs, is missing (install"},
        {"game unreadable",
         [](DiagnosisFacts& f) {
             f.scan.problem = ScanProblem::kFailed;
             f.scan.failure = "a read error";
         },
         Finding::kScanFailed, "The game could not be read: the reading failed: a read error",
         "could not be read: the reading failed: a read error."},
        {"the Linux command, beside a game Wine runs",
         [](DiagnosisFacts& f) {
             f.windowsHere = false;
             f.scan.problem = ScanProblem::kCannotOpen;
             f.scan.opening = platform::ProcessOpening::kRunByWine;
         },
         Finding::kMemoryUnseen, "NOTE Wine or Proton runs the game", ""},
        {"a named game that is not running",
         [](DiagnosisFacts& f) {
             f.pid = 0;
             f.gameNamed = true;
             f.scan = {};
             f.scan.pid = 999999;
             f.scan.problem = ScanProblem::kCannotOpen;
             f.scan.opening = platform::ProcessOpening::kNoSuchProcess;
         },
         Finding::kGameNotFound, "no process with id 999999 is running: start the game",
         "the game named is not running (no process with id 999999"},
        {"not loaded", [](DiagnosisFacts& f) { f.modules = {"Game.exe"}; },
         Finding::kPluginNotLoaded, "WINEDLLOVERRIDES=\"LOADER=n,b\" %command%",
         "has not loaded Ostrevane.asi (install the plug-in loader"},
        {"two games with the plug-in",
         [](DiagnosisFacts& f) {
             f.withPlugin = {{4242, "Game.exe"}, {77, "Launcher.exe"}};
             f.pid = 0;
         },
         Finding::kSeveralGames, "Game.exe (4242), Launcher.exe (77); name the game with --pid",
         "name the game with --pid"},
        {"two programs, neither with the plug-in",
         [](DiagnosisFacts& f) {
             f.games.push_back({77, "Launcher.exe"});
             f.pid = 0;
         },
         Finding::kPluginNotLoaded,
         "None of the programs running from the folder, Game.exe (4242), Launcher.exe (77), "
         "has loaded Ostrevane.asi.",
         "has not loaded Ostrevane.asi"},
        {"none running",
         [](DiagnosisFacts& f) {
             f.games.clear();
             f.pid = 0;
         },
         Finding::kNoGame, "WINEPREFIX=/path/to/prefix wine ostrevane.exe doctor",
         "start it and run the diagnosis again"},
        {"skipped pair",
         [](DiagnosisFacts& f) {
             f.scan.report.pairs[0].verdict = Verdict::kSkipped;
             f.scan.report.pairs[0].after.hash = 0;
         },
         Finding::kPairVerdict, "not swapped: newshake names no item", "would be skipped"},
        {"a name the dictionary lacks",
         [](DiagnosisFacts& f) {
             std::string file = DefaultFile("\r\n");
             file.replace(file.find("newcamera=Camera15"), 18, "newcamera=Camera99");
             f.settings = CheckSettings(ReadDocument(file));
         },
         Finding::kSettingsWarned, "1 warning: `ostrevane check` names each",
         "the settings file stops the swap (`ostrevane check` says how"},
        {"a harmless warning",
         [](DiagnosisFacts& f) {
             f.settings = CheckSettings(ReadDocument(DefaultFile("\r\n") + "oldshak=x\r\n"));
         },
         Finding::kSettingsWarned, "1 warning, none of which stops the swap", ""},
        {"no settings", [](DiagnosisFacts& f) { f.settingsPresent = false; },
         Finding::kSettingsMissing, "the plug-in writes it", ""},
        {"other version", [](DiagnosisFacts& f) { f.plugin.version = "1.0.0.0"; },
         Finding::kPluginSound, "this ostrevane is version 1.1.0.0: take both from one release",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiagnosisFacts facts = WorkingGame();
        c.slip(facts);
        const Diagnosis diagnosis = Judge(facts);
        const std::string words = Words(diagnosis, c.finding);
        EXPECT_NE(words.find(c.says), std::string::npos) << words;
        const bool problem = *c.summary != '\0';
        EXPECT_EQ(diagnosis.allOk, !problem);
        EXPECT_EQ(words.rfind("PROBLEM ", 0) == 0, problem) << words;
        if (problem) {
            EXPECT_NE(DoctorSummary(diagnosis).find(c.summary), std::string::npos)
                << DoctorSummary(diagnosis);
        }
        EXPECT_EQ(DoctorSummary(diagnosis).find("Each PROBLEM"), std::string::npos);
        // Nothing after a slip is left out: the Wine finding always closes the list.
        EXPECT_EQ(GroupOf(diagnosis.findings.back().what), FindingGroup::kWine);
        // Each DLL a sound plug-in needs is said once, wherever it was found.
        const bool sound = facts.pluginPresent && facts.pluginProblem.kind == FileProblem::kNone &&
                           facts.plugin.kind == PeKind::kDll64;
        for (const ImportFact& import : facts.imports) {
            EXPECT_EQ(std::count_if(diagnosis.findings.begin(), diagnosis.findings.end(),
                                    [&](const DiagnosisFinding& finding) {
                                        return GroupOf(finding.what) == FindingGroup::kFiles &&
                                               finding.name == import.name;
                                    }),
                      sound ? 1 : 0)
                << import.name;
        }
    }
}

// "Is it working?" in the window sums up the same diagnosis in the window's own words.
TEST(Doctor, TheWindowSumsUpTheSameFindings) {
    EXPECT_EQ(WindowSummary(Judge(WorkingGame())),
              "F8 should work: the game has loaded Ostrevane.asi and the pairs would swap 40 "
              "places.");
    struct Case {
        void (*slip)(DiagnosisFacts&);
        const char* says;
    };
    const Case cases[] = {
        {[](DiagnosisFacts& f) { f.plugin.kind = PeKind::kNot64Bit; },
         "F8 does nothing yet. Ostrevane.asi is built for another machine than 64-bit Windows"},
        {[](DiagnosisFacts& f) { f.plugin.kind = PeKind::kTruncated; },
         "F8 does nothing yet. Ostrevane.asi is damaged or cut short"},
        {[](DiagnosisFacts& f) {
             f.games.push_back({77, "Launcher.exe"});
             f.pid = 0;
         },
         "F8 does nothing yet. None of the programs running from this folder, Game.exe (4242), "
         "Launcher.exe (77), has loaded Ostrevane.asi."},
    };
    for (const Case& c : cases) {
        DiagnosisFacts facts = WorkingGame();
        c.slip(facts);
        const std::string summary = WindowSummary(Judge(facts));
        EXPECT_EQ(summary.rfind(c.says, 0), 0u) << summary;
    }
}

// A copy of sleep named `name`, run from `folder` as a game runs from its own, with the
// library `loaded` mapped as a game maps the plug-in; killed at the end of the test.
class RunningProgram {
  public:
    RunningProgram(const fs::path& folder, const std::string& name, const fs::path& loaded = {}) {
        const fs::path program = folder / name;
        fs::copy_file("/bin/sleep", program);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
        std::string preload = "LD_PRELOAD=" + loaded.string();
        char* withPlugin[] = {preload.data(), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv,
                        loaded.empty() ? environ : withPlugin) != 0) {
            pid_ = 0;
        }
    }
    ~RunningProgram() {
        if (pid_ == 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    uint32_t pid() const { return uint32_t(pid_); }

  private:
    pid_t pid_ = 0;
};

// The file of a shared library this test has loaded, whose name begins with `name`.
fs::path LoadedLibrary(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const size_t path = line.find('/');
        if (path != std::string::npos &&
            fs::path(line.substr(path)).filename().string().starts_with(name))
            return line.substr(path);
    }
    return {};
}

bool Mapped(uint32_t pid, const std::string& file) {
    std::vector<std::string> modules;
    return platform::LoadedModules(pid, modules) &&
           std::find(modules.begin(), modules.end(), file) != modules.end();
}

// Waits up to ten seconds for `ready`.
template <typename Ready> bool WaitFor(Ready ready) {
    for (int tries = 0; tries < 1000; ++tries) {
        if (ready()) return true;
        usleep(10000);
    }
    return false;
}

// The player's folder as the game would find things: each DLL the plug-in needs beside the
// game, one of Windows' own, known without looking, or nowhere; and the program running there
// that is the game, not this one, nor a launcher beside the one that has loaded the plug-in.
TEST_F(OstrevaneCommand, DiagnoseFindsWhatThePlugInNeedsAndTheGameRunningBesideIt) {
    const fs::path game = fs::current_path() / "drive_c" / "Game";
    fs::create_directories(game);
    fs::create_directories("drive_c/windows/system32");
    Write("drive_c/windows/system32/KERNEL32.dll", "");
    Write("drive_c/Game/scripthookv.dll", "");
    pe_image::Image image;
    image.imports = {"ScriptHookV.dll", "KERNEL32.dll", "dinput8.dll"};
    Write("drive_c/Game/Ostrevane.asi", pe_image::BuildPe(image));
    // Ours is left out, and a game whose name is as long as ours is still the game.
    const RunningProgram ours(game, "ostrevane");
    const RunningProgram sleeper(game, "game12345");
    ASSERT_NE(sleeper.pid(), 0u);
    const std::vector<std::string> ourNames = {"ostrevane", "ostrevane.exe"};

    const Diagnosis diagnosis = Diagnose({game.string(), {}}, "1.1.0", ourNames);
    const DiagnosisFacts& facts = diagnosis.facts;
    EXPECT_EQ(facts.plugin.kind, PeKind::kDll64);
    const auto placeOf = [](const DiagnosisFacts& f, const std::string& name) {
        for (const ImportFact& import : f.imports)
            if (import.name == name) return import.place;
        ADD_FAILURE() << name << " is not among the imports";
        return ImportPlace::kMissing;
    };
    EXPECT_EQ(placeOf(facts, "ScriptHookV.dll"), ImportPlace::kBesideGame);
    EXPECT_EQ(placeOf(facts, "KERNEL32.dll"), ImportPlace::kWindows);
    EXPECT_EQ(placeOf(facts, "dinput8.dll"), ImportPlace::kMissing);
    ASSERT_EQ(facts.games.size(), 1u);
    EXPECT_EQ(facts.games[0].file, "game12345");
    EXPECT_EQ(facts.pid, sleeper.pid());
    EXPECT_FALSE(facts.scanned) << "a game without the plug-in is not read";
    // Named by its id, it is read all the same, and nothing it was read through stays open.
    const auto descriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    // The settings file the game reads is read once, for the scan and the findings alike.
    Write("Ostrevane.ini", DefaultFile("\r\n")); // in the game's current folder
    const auto open = descriptors();
    const size_t read = DocumentsRead();
    const Diagnosis named = Diagnose({game.string(), {sleeper.pid(), ""}}, "1.1.0", ourNames);
    EXPECT_TRUE(named.facts.scanned);
    EXPECT_TRUE(named.facts.settingsPresent);
    EXPECT_EQ(DocumentsRead() - read, 1u);
    EXPECT_EQ(descriptors(), open);

    // Where no Windows folder is, as for the Linux command, the verdicts stand.
    fs::remove_all("drive_c/windows");
    const Diagnosis elsewhere = Diagnose({game.string(), {}}, "1.1.0", ourNames);
    EXPECT_EQ(placeOf(elsewhere.facts, "KERNEL32.dll"), ImportPlace::kWindows);
    EXPECT_EQ(placeOf(elsewhere.facts, "dinput8.dll"), ImportPlace::kMissing);

    // A second program that has loaded the plug-in is the game; the first is its launcher.
    const fs::path library = fs::current_path() / kPluginFileName;
    fs::copy_file(LoadedLibrary("libm.so"), library);
    const RunningProgram withPlugin(game, "game2", library);
    ASSERT_NE(withPlugin.pid(), 0u);
    ASSERT_TRUE(WaitFor([&] { return Mapped(withPlugin.pid(), kPluginFileName); }));
    const Diagnosis launched = Diagnose({game.string(), {}}, "1.1.0", ourNames);
    EXPECT_EQ(launched.facts.games.size(), 2u);
    EXPECT_EQ(launched.facts.pid, withPlugin.pid());
    EXPECT_TRUE(launched.facts.scanned);
    const auto loaded = std::find_if(
        launched.findings.begin(), launched.findings.end(),
        [](const DiagnosisFinding& finding) { return finding.what == Finding::kPluginLoaded; });
    EXPECT_NE(loaded, launched.findings.end()) << DoctorSummary(launched);
}

// In a folder of the player's: a damaged plug-in, an empty settings file, one command run.
TEST_F(OstrevaneCommand, DoctorReadsAFolderAndExitsOneOnAProblemTwoOnABadOption) {
    Write("Ostrevane.asi", "MZ not really");
    Write("Ostrevane.ini", "");
    const Outcome text = Ostrevane({"doctor"});
    EXPECT_EQ(text.status, 1) << text.err;
    EXPECT_NE(text.out.find("PROBLEM  Ostrevane.asi is cut short"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("PROBLEM  Ostrevane.ini: the file is empty"), std::string::npos);
    // The key is the one the plug-in reads from that file: an empty one gives F5.
    EXPECT_NE(text.out.find("\nF5 does nothing yet: Ostrevane.asi is cut short"), std::string::npos)
        << text.out;
    EXPECT_EQ(Read("Ostrevane.ini"), "") << "the diagnosis only reads";
    EXPECT_EQ(text.out.find("Files beside the game's program", 1), std::string::npos)
        << "each heading once: " << text.out;

    const Outcome json = Ostrevane({"doctor", "--json"});
    const nlohmann::json parsed = nlohmann::json::parse(json.out);
    EXPECT_FALSE(parsed["ok"]);
    EXPECT_EQ(parsed["findings"][0]["group"], "files");
    EXPECT_FALSE(parsed["findings"][0]["ok"]);
    EXPECT_EQ(json.status, 1);

    EXPECT_EQ(Ostrevane({"doctor", "--pid", "1", "--process", "x"}).status, 2);
    EXPECT_EQ(Ostrevane({"doctor", "--pid", "0"}).status, 2);
    const Outcome gone = Ostrevane({"doctor", "--pid", "999999999"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(gone.out.find("PROBLEM  The game named is not running: no process with id 999999999"),
              std::string::npos)
        << gone.out;
    EXPECT_EQ(Ostrevane({"doctor", "--folder"}).status, 2);
}

} // namespace
