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
#include <string_view>
#include <vector>

// The plug-in's file name in the game's folder, as the build names it.
inline constexpr char kPluginFileName[] = OSTREVANE_PLUGIN_FILE;

// Where a DLL the plug-in imports is found, as the game's process would look for it.
enum class ImportPlace {
    kWindows,    // one of Windows' own libraries, which the plug-in is built against
    kBesideGame, // any other, in the game's folder
    kMissing,    // any other, not in the game's folder: the plug-in cannot load
};
struct ImportFact {
    std::string name; // as the plug-in's import table writes it
    ImportPlace place;
};

// Whether `dll` is one of the Windows libraries the plug-in is built to import, known when
// it is built: those need no looking for, on any system.
bool IsWindowsOwnLibrary(std::string_view dll);

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
    CheckReport settings; // the settings file the game reads, when read

    std::vector<platform::RunningProgram> games;      // running from the folder (ours left out)
    std::vector<platform::RunningProgram> withPlugin; // those of `games` that have loaded it
    bool gameNamed = false;                           // the player chose it: by id or name
    uint32_t pid = 0;                                 // the game looked into; 0 when none
    bool modulesListed = false;
    std::vector<std::string> modules; // file names of what it has loaded
    bool scanned = false;             // the game's memory was read: `scan` holds what was found
    GameScan scan;                    // also why a named game was not found

    bool underWine = false;
    std::string winePrefix;  // "" for the default one, or when not under Wine
    bool windowsHere = true; // false for the Linux command, which reads no Windows memory
};

enum class Finding {
    // The files beside the game's program.
    kFolderUnreadable, // the folder does not exist, or is no folder
    kPluginMissing,    // no Ostrevane.asi there
    kPluginUnreadable, // there, but it cannot be read: `pluginProblem`
    kPluginBroken,     // there, but not a 64-bit DLL: `plugin.kind` says what it is
    kPluginSound,      // a 64-bit DLL: the diagnosis's `version` says whether it is this one's
    kImportBesideGame, // `name`: a DLL it imports, found beside it
    kImportWindows,    // `name`: one of Windows' own
    kImportMissing,    // `name`: one that is not beside it: the plug-in cannot load
    kLoaderNeeded,     // an .asi is loaded by a plug-in loader, which is no part of Ostrevane
    // The settings file.
    kSettingsMissing,    // not there yet: the plug-in writes it at the game's start
    kSettingsUnreadable, // there, but it cannot be read: `settingsProblem`
    kSettingsUseless,    // the plug-in reads nothing from it (empty, UTF-16)
    kSettingsWarned,     // `count` warnings; a problem when one of them stops the swap
    kSettingsClean,
    // The running game.
    kGameNotFound,    // the game the player named is not running: `scan` says why
    kNoGame,          // nothing runs from the folder
    kSeveralGames,    // several programs that run from it have loaded the plug-in: `withPlugin`
    kModulesUnlisted, // the game's modules could not be listed
    kPluginNotLoaded, // the game runs without the plug-in; pid 0: none of `games` has it
    kPluginLoaded,
    kHookNotLoaded, // `name`: a DLL beside the game that the plug-in needs, not loaded
    kScanFailed,    // the game's memory could not be read: `scan`
    kMemoryUnseen,  // Wine runs the game, whose memory only a Windows program can read
    kPairVerdict,   // `pair`'s verdict in the game now, from `scan`
    // Wine or Proton.
    kNativeWindows, // this program runs on Windows itself
    kWinePrefix,    // it runs under Wine, in `winePrefix` ("" the default prefix)
    kLinuxCommand,  // the Linux command, which reads no Windows program's memory
};

// A check that passed or failed, or a note, which is neither.
enum class Mark { kOk, kProblem, kNote };

struct DiagnosisFinding {
    Finding what;
    Mark mark;
    std::string name = {}; // the DLL the finding is about, for the imports and the hook
    uint64_t count = 0;    // kSettingsWarned: how many warnings
    size_t pair = 0;       // kPairVerdict: of SwapPairs
};

enum class FindingGroup { kFiles, kSettings, kGame, kWine };
FindingGroup GroupOf(Finding finding);
// Whether findings[i] is the first of its group, where a listing puts the group's heading.
bool OpensGroup(const std::vector<DiagnosisFinding>& findings, size_t i);

// The plug-in's version against this program's.
enum class VersionMatch { kSame, kOther, kUnnamed };

// What the toggle key would do in the game now, when nothing stops it.
enum class SwapState {
    kUnknown,   // the game's memory was not read
    kWouldSwap, // old items are in memory: the key would swap `places`
    kOn,        // only new items are: the swap is on, and `places` hold them
    kNothing,   // neither item of any pair is in memory now
};

struct Diagnosis {
    DiagnosisFacts facts;
    std::vector<DiagnosisFinding> findings; // in order, grouped
    bool allOk = false;                     // no finding is a problem
    size_t firstProblem = 0;                // of `findings`, when not allOk: the summary's cause
    int toggleKey = 0;                      // the key the plug-in reads from the settings file
    VersionMatch version = VersionMatch::kUnnamed;
    SwapState swap = SwapState::kUnknown;
    uint64_t places = 0;
};

// Judges `facts`: every finding, in order; nothing is left out because an earlier one failed.
Diagnosis Judge(DiagnosisFacts facts);

// What to diagnose: the game's folder, and the game when the player names it.
struct DiagnosisTarget {
    std::string folder; // "": the named game's program folder, or else this one
    ProcessToScan game; // pid 0 and no name: the one running from `folder`
};
// Gathers the facts about `target` (reading only) and judges them. `ourVersion` is this
// program's version; the programs named in `ours` are never taken for the game.
Diagnosis Diagnose(const DiagnosisTarget& target, const std::string& ourVersion,
                   const std::vector<std::string>& ours);
