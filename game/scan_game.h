#pragma once
// Reading a running game as `ostrevane scan` and the settings window's "Is it working?" do:
// finding it, opening it for reading only, reading the settings file the plug-in reads there,
// scanning its memory and judging each pair. What goes wrong is data each face words.

#include "game/scan.h"
#include "game/scan_report.h"
#include "platform/process_folder.h"
#include "platform/process_memory.h"
#include "settings_file/whole_files.h"

#include <cstdint>
#include <string>
#include <vector>

// The game to scan: by process id, or by program file name when `process` is not empty.
struct ProcessToScan {
    uint32_t pid = 0;
    std::string process;
};

// Why a game could not be scanned.
enum class ScanProblem {
    kNone,
    kNoProcessNamed,    // no process has the program file name `processName`
    kSeveralNamed,      // several do: `pidsNamed`
    kCannotOpen,        // `opening` says why the process could not be opened for reading
    kFoldersUnreadable, // its current folder, so the settings file it reads, is unknown
    kSettingsUnread,    // the settings file at `settingsPath` could not be read: `settingsProblem`
    kExited,            // it ended during the scan
    kNothingToScan,     // none of its memory is memory the walk would rewrite; `listingFailed`
                        // in the result when the system refused to describe it
    kFailed,            // the reading itself failed: `failure`
};

struct GameScan {
    ScanProblem problem = ScanProblem::kNone;
    std::string processName;         // kNoProcessNamed, kSeveralNamed: the name looked for
    std::vector<uint32_t> pidsNamed; // kSeveralNamed
    platform::ProcessOpening opening = platform::ProcessOpening::kOpened; // kCannotOpen
    FileProblem settingsProblem;                                          // kSettingsUnread
    std::string failure;                                                  // kFailed
    uint32_t pid = 0;
    std::string settingsPath;   // the file read, or to be read, made absolute; "" when unknown
    bool settingsNamed = false; // the caller named it, rather than the game's folder
    platform::FolderSource settingsSource = platform::FolderSource::kCurrentFolder;
    ScanResult result;
    bool settingsRead = false; // the file at settingsPath was read, and checked in `settings`
    CheckReport settings;
    ScanReport report; // its pairs' verdicts carry check's findings on corrupting pairs
    double seconds = 0;
};

// Finds the game's process id by `target`'s name, or takes its id: false, with the reason in
// `scan`, when no one process has that name.
bool FindGameProcess(const ProcessToScan& target, GameScan& scan);

// Finds the game, reads the settings file at `settingsPath` (empty: the one in the game's
// current folder, where the plug-in reads it) and scans the game's memory, reading only.
// `all`: every dictionary name is counted too. `progress` may be null.
GameScan ScanGame(const ProcessToScan& target, const std::string& settingsPath, bool all,
                  const ScanProgressFunction& progress);
