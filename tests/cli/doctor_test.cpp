// `ostrevane doctor`: the findings a player's folder and game give, each with what to do, and
// the sentence that sums them up.
#include "cli/doctor/doctor_command.h"
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
            return (finding.ok ? "OK " : "PROBLEM ") + DoctorFindingWords(diagnosis, finding);
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
    std::vector<Finding> found;
    for (const DiagnosisFinding& finding : diagnosis.findings)
        found.push_back(finding.what);
    EXPECT_EQ(found, (std::vector<Finding>{
                         Finding::kPluginSound, Finding::kImportBesideGame, Finding::kImportWindows,
                         Finding::kLoaderNeeded, Finding::kSettingsClean, Finding::kPluginLoaded,
                         Finding::kPairVerdict, Finding::kPairVerdict, Finding::kPairVerdict,
                         Finding::kPairVerdict, Finding::kWinePrefix}));
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
         Finding::kPluginBroken, "64-bit DLLs only", "is damaged"},
        {"cut short", [](DiagnosisFacts& f) { f.plugin.kind = PeKind::kTruncated; },
         Finding::kPluginBroken, "extract it again", "is damaged"},
        {"no hook", [](DiagnosisFacts& f) { f.imports[0].place = ImportPlace::kMissing; },
         Finding::kImportMissing, "install the script hook's ScriptHookV.dll", "is missing"},
        {"no Windows folder", [](DiagnosisFacts& f) { f.imports[1].place = ImportPlace::kUnknown; },
         Finding::kImportUnknown, "KERNEL32.dll", ""},
        {"game unreadable",
         [](DiagnosisFacts& f) {
             f.scan.problem = ScanProblem::kFailed;
             f.scan.failure = "a read error";
         },
         Finding::kScanFailed, "The game could not be read: the reading failed: a read error",
         "could not be read"},
        {"not loaded", [](DiagnosisFacts& f) { f.modules = {"Game.exe"}; },
         Finding::kPluginNotLoaded, "WINEDLLOVERRIDES=\"LOADER=n,b\" %command%",
         "has not loaded Ostrevane.asi"},
        {"two games",
         [](DiagnosisFacts& f) {
             f.games.push_back({77, "Launcher.exe"});
             f.pid = 0;
         },
         Finding::kSeveralGames, "Game.exe (4242), Launcher.exe (77); name the game with --pid",
         "name the game"},
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
         "the settings file stops the swap"},
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
        EXPECT_EQ(words.rfind(problem ? "PROBLEM " : "OK ", 0), 0u) << words;
        if (problem) {
            EXPECT_NE(DoctorSummary(diagnosis).find(c.summary), std::string::npos)
                << DoctorSummary(diagnosis);
        }
        // Nothing after a slip is left out: the Wine finding always closes the list.
        EXPECT_EQ(GroupOf(diagnosis.findings.back().what), FindingGroup::kWine);
        // Each DLL a sound plug-in needs is said once, wherever it was found.
        const bool sound = facts.pluginPresent && facts.plugin.kind == PeKind::kDll64;
        for (const ImportFact& import : facts.imports) {
            EXPECT_EQ(std::count_if(diagnosis.findings.begin(), diagnosis.findings.end(),
                                    [&](const DiagnosisFinding& finding) {
                                        return GroupOf(finding.what) == FindingGroup::kFiles &&
                                               finding.text == import.name;
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
    };
    for (const Case& c : cases) {
        DiagnosisFacts facts = WorkingGame();
        c.slip(facts);
        const std::string summary = WindowSummary(Judge(facts));
        EXPECT_EQ(summary.rfind(c.says, 0), 0u) << summary;
    }
}

// A copy of sleep named `name`, run from `folder` as a game runs from its own; killed at the
// end of the test.
class RunningProgram {
  public:
    RunningProgram(const fs::path& folder, const std::string& name) {
        const fs::path program = folder / name;
        fs::copy_file("/bin/sleep", program);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = 0;
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

// The player's folder as the game would find things: each DLL the plug-in needs beside the
// game, in Windows' own folder above it in the prefix, nowhere, or where no Windows folder
// can be looked in; and the program running there that is the game, not this one.
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
        return ImportPlace::kUnknown;
    };
    EXPECT_EQ(placeOf(facts, "ScriptHookV.dll"), ImportPlace::kBesideGame);
    EXPECT_EQ(placeOf(facts, "KERNEL32.dll"), ImportPlace::kWindows);
    EXPECT_EQ(placeOf(facts, "dinput8.dll"), ImportPlace::kMissing);
    ASSERT_EQ(facts.games.size(), 1u);
    EXPECT_EQ(facts.games[0].file, "game12345");
    EXPECT_EQ(facts.pid, sleeper.pid());
    EXPECT_FALSE(facts.scanned) << "a game without the plug-in is not read";

    // With no Windows folder above the game, only what is beside it is known.
    fs::remove_all("drive_c/windows");
    const Diagnosis elsewhere = Diagnose({game.string(), {}}, "1.1.0", ourNames);
    EXPECT_EQ(placeOf(elsewhere.facts, "ScriptHookV.dll"), ImportPlace::kBesideGame);
    EXPECT_EQ(placeOf(elsewhere.facts, "KERNEL32.dll"), ImportPlace::kUnknown);
    EXPECT_EQ(placeOf(elsewhere.facts, "dinput8.dll"), ImportPlace::kUnknown);
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
    EXPECT_NE(text.out.find("\nF5 does nothing yet: Ostrevane.asi is damaged."), std::string::npos)
        << text.out;
    EXPECT_EQ(Read("Ostrevane.ini"), "") << "the diagnosis only reads";

    const Outcome json = Ostrevane({"doctor", "--json"});
    const nlohmann::json parsed = nlohmann::json::parse(json.out);
    EXPECT_FALSE(parsed["ok"]);
    EXPECT_EQ(parsed["findings"][0]["group"], "files");
    EXPECT_FALSE(parsed["findings"][0]["ok"]);
    EXPECT_EQ(json.status, 1);

    EXPECT_EQ(Ostrevane({"doctor", "--pid", "1", "--process", "x"}).status, 2);
    EXPECT_EQ(Ostrevane({"doctor", "--folder"}).status, 2);
}

} // namespace
