#pragma once
// What `ostrevane scan` tells a player about a running game: for each pair,
// how often each item occurs in the memory the walk rewrites, and what the toggle key would
// do there.

#include "check/check.h"
#include "game/scan.h"
#include "settings/parse_settings.h"
#include "settings/swap_pairs.h"
#include "settings_file/settings_document.h"

#include <array>
#include <string>
#include <vector>

struct ScannedItem {
    std::string name; // as the settings file spells it
    uint32_t hash;    // 0 when the name is not in the dictionary
    uint64_t count;   // windows equal to the hash; 0 for hash 0, which is never counted
};

enum class Verdict {
    kWouldSwap, // the old item is in memory: the toggle key would swap it
    kOnlyNew,   // only the new item is: the swap is on, or the game uses only that one now
    kNeither,   // neither is: the game has not loaded it in this scene
    kSkipped,   // a side names no item: the plug-in skips the pair
    kUnchanged, // both sides name one hash: the swap changes nothing
};

struct ScannedPair {
    const SwapPair* pair = nullptr; // of SwapPairs
    ScannedItem before;             // the old item, which the swap replaces
    ScannedItem after;              // the new item
    Verdict verdict;
    size_t corruptingLine = 0; // a check finding on that line says the pair corrupts the game
};

// The verdict's name in `ostrevane scan --json`: "wouldSwap", "onlyNew", "neither", "skipped",
// "unchanged".
const char* VerdictName(Verdict verdict);

struct ScanReport {
    std::array<ScannedPair, kPairCount> pairs;
    std::vector<ScannedItem> dictionary;   // with --all: names that occur, most first
    std::vector<CheckWarning> corruptions; // check's findings that hold in the game too
};

// A counter for the settings' pairs' hashes and, when `all`, every dictionary hash.
HashCounter ScanCounter(const ParsedSettings& settings, bool all);

// The report on `result`, a scan made with ScanCounter(document.parsed, all).
ScanReport MakeScanReport(const SettingsDocument& document, const HashCounter& counter,
                          const ScanResult& result, bool all);
