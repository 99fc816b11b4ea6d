#pragma once
// What `ostrevane scan` tells a player about a running game: for each pair,
// how often each item occurs in the memory the walk rewrites, and what the toggle key would
// do there.

#include "inspect/check.h"
#include "inspect/scan.h"
#include "settings/parse_settings.h"
#include "settings/swap_pairs.h"

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

struct ScannedItem {
    std::string name; // as the settings file spells it
    uint32_t hash;    // 0 when the name is not in the dictionary
    uint64_t count;   // windows equal to the hash; 0 for hash 0, which is never counted
};

struct ScannedPair {
    const SwapPair* pair;      // of SwapPairs
    ScannedItem before;        // the old item, which the swap replaces
    ScannedItem after;         // the new item
    const char* verdict;       // "wouldSwap", "onlyNew", "neither" or "skipped"
    std::string text;          // the verdict in words
    size_t corruptingLine = 0; // a check finding on that line says the pair corrupts the game
};

struct ScanReport {
    std::array<ScannedPair, kPairCount> pairs;
    std::vector<ScannedItem> dictionary;   // with --all: names that occur, most first
    std::vector<CheckWarning> corruptions; // check's findings that hold in the game too
    std::vector<std::string> warnings;     // the scan's own
};

// A counter for the settings' pairs' hashes and, when `all`, every dictionary hash.
WindowCounter ScanCounter(const ParsedSettings& settings, bool all);

// The report on `result`, a scan made with ScanCounter(settings, all).
ScanReport MakeScanReport(const ParsedSettings& settings, const WindowCounter& counter,
                          const ScanResult& result, bool all);

// A pair's verdict as a player reads it: one that would corrupt the game says so first.
std::string VerdictText(const ScannedPair& pair);

// The report for a person.
void PrintScanText(uint32_t pid, const std::string& settingsPath, const ScanReport& report,
                   const ScanResult& result, double seconds, std::ostream& out);
// The report as one JSON object; its shape is documented in the README.
void PrintScanJson(uint32_t pid, const std::string& settingsPath, const ScanReport& report,
                   const ScanResult& result, std::ostream& out);
