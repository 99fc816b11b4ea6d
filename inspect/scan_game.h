#pragma once
// Reading a running game as `ostrevane scan` and the settings window's "Is it working?" do:
// finding it, opening it for reading only, reading the settings file the plug-in reads there,
// scanning its memory and judging each pair.

#include "inspect/scan.h"
#include "inspect/scan_report.h"
#include "inspect/whole_files.h"

#include <cstdint>
#include <string>

// The game to scan: by process id, or by program file name when `process` is not empty.
struct ProcessToScan {
    uint32_t pid = 0;
    std::string process;
};

// Why a game could not be scanned, for each face to word.
enum class ScanProblem {
    kNone,
    kNoSuchProcess,     // it ended before it could be opened
    kAccessRefused,     // another user's, or a protected process
    kCannotOpen,        // opening failed otherwise
    kFoldersUnreadable, // its current folder, so the settings file it reads, is unknown
    kSettingsUnread,    // the settings file it reads could not be read: see settingsProblem
    kExited,            // it ended during the scan
    kNothingToScan,     // the system described none of its memory the walk would rewrite
    kOther,             // what only the command meets (a name, the kernel's rules, Wine)
};

struct GameScan {
    // Why nothing could be scanned, in the command's words after "ostrevane scan: ", with
    // the next step; "" when the scan ran.
    std::string problem;
    ScanProblem problemKind = ScanProblem::kNone;
    FileProblem settingsProblem; // kSettingsUnread: why
    uint32_t pid = 0;
    std::string settingsPath;   // the file read, made absolute
    std::string settingsSource; // where it was looked for, when not named: "the game's ..."
    ScanResult result;
    ScanReport report; // its pairs' verdicts carry check's findings on corrupting pairs
    double seconds = 0;
};

// Finds the game, reads the settings file at `settingsPath` (empty: the one in the game's
// current folder, where the plug-in reads it) and scans the game's memory, reading only.
// `all`: every dictionary name is counted too. `progress` may be null.
GameScan ScanGame(const ProcessToScan& target, const std::string& settingsPath, bool all,
                  const ScanProgressFunction& progress);
