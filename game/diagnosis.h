#pragma once
// "Why doesn't the toggle key do anything?": what can stand between a player's key press and
// the swap, found out in order (the files beside the game's program, the settings file, the
// running game, Wine) and said as findings that each face words. The diagnosis only reads.

#include "check/check.h"
#include "game/pe_file.h"
#include "game/scan_game.h"
#include "platform/process_memory.h"
#include "settings_file/whole_files.h"

#include <cstdint>
#include <string>
#include <vector>

// The plug-in's file name in the game's folder, as the build names it.
inline constexpr char kPluginFileName[] = OSTREVANE_PLUGIN_FILE;

// Whether a DLL the plug-in imports can be found as the game's process would find it.
enum class ImportPlace {
    kBesideGame, // in the game's folder
    kWindows,    // in Windows' own library folder
    kMissing,    // in neither
    kUnknown,    // not beside the game, and no Windows folder could be found to look in
};
struct ImportFact {
    std::string name; // as the plug-in's import table writes it
    ImportPlace place;
};

// What was found, before anything is judged.
struct DiagnosisFacts {
    std::string folder; // the game's folder, made absolute
    bool folderIsReadable = false;
    bool pluginPresent = false;
    FileProblem pluginProblem; // when the plug-in is there but could not be read
    PeFacts plugin;
    std::string ourVersion; // this program's version, "1.1.0"
    std::vector<ImportFact> imports;

    bool settingsPresent = false;
    FileProblem settingsProblem;
    CheckReport settings; // the settings file beside the game, when read

    std::vector<platform::RunningProgram> games; // running from the folder (ours left out)
    bool gameNamed = false;                      // the player chose it: by id or name
    uint32_t pid = 0;                            // the game looked into; 0 when none
    bool modulesListed = false;
    std::vector<std::string> modules; // file names of what it has loaded
    bool scanned = false;             // the game's memory was read: `scan` holds what was found
    GameScan scan;

    bool underWine = false;
    std::string winePrefix;  // "" for the default one, or when not under Wine
    bool windowsHere = true; // false for the Linux command, which sees no Windows programs
};

enum class Finding {
    // The files beside the game's program.
    kFolderUnreadable, // the folder does not exist, or is no folder
    kPluginMissing,    // no Ostrevane.asi there
    kPluginUnreadable, // there, but it cannot be read
    kPluginBroken,     // there, but not a 64-bit DLL: `pe` says what it is
    kPluginSound,      // a 64-bit DLL; `text` its version, `differs` when not this one's
    kImportBesideGame, // `text`: a DLL it imports, found beside it
    kImportWindows,    // `text`: one Windows has
    kImportMissing,    // `text`: one nobody has: the plug-in cannot load
    kImportUnknown,    // `text`: one that may be Windows' own, which cannot be looked at
    kLoaderNeeded,     // an .asi is loaded by a plug-in loader, which is no part of Ostrevane
    // The settings file.
    kSettingsMissing,    // not there yet: the plug-in writes it at the game's start
    kSettingsUnreadable, // there, but it cannot be read: `file` says why
    kSettingsUseless,    // the plug-in reads nothing from it (empty, UTF-16)
    kSettingsWarned,     // `count` warnings, `corrupting` of them would corrupt the game
    kSettingsClean,
    // The running game.
    kNoGame,          // nothing runs from the folder
    kSeveralGames,    // `programs` run from it: the player must say which
    kModulesUnlisted, // the game's modules could not be listed
    kPluginNotLoaded, // the game runs without the plug-in
    kPluginLoaded,
    kHookNotLoaded, // `text`: a DLL beside the game that the plug-in needs, not loaded
    kScanFailed,    // the game's memory could not be read: `scan`
    kPairVerdict,   // `pair`'s verdict in the game now, from `scan`
    // Wine or Proton.
    kNativeWindows, // this program runs on Windows itself
    kWinePrefix,    // it runs under Wine, in `text` ("" the default prefix)
    kLinuxCommand,  // the Linux command, which sees no game that Wine runs
};

struct DiagnosisFinding {
    Finding what;
    bool ok;
    std::string text;
    size_t pair = 0;
};

enum class FindingGroup { kFiles, kSettings, kGame, kWine };
FindingGroup GroupOf(Finding finding);

struct Diagnosis {
    DiagnosisFacts facts;
    std::vector<DiagnosisFinding> findings; // in order, grouped
    bool allOk = false;
};

// Judges `facts`: every finding, in order; nothing is left out because an earlier one failed.
Diagnosis Judge(DiagnosisFacts facts);

// What to diagnose: the game's folder, and the game when the player names it.
struct DiagnosisTarget {
    std::string folder;
    ProcessToScan game; // pid 0 and no name: the one running from `folder`
};
// Gathers the facts about `target` (reading only) and judges them. `ourVersion` is this
// program's version; the programs named in `ours` are never taken for the game.
Diagnosis Diagnose(const DiagnosisTarget& target, const std::string& ourVersion,
                   const std::vector<std::string>& ours);
