#pragma once
// How `ostrevane scan` words and prints what it found in a running game.

#include "game/scan_game.h"

#include <iosfwd>
#include <string>
#include <vector>

// Why the game could not be scanned, after "ostrevane scan: ", with the next step; one or more
// lines, each ending in a line feed.
std::string ScanProblemWords(const GameScan& scan);

// A pair's verdict as a player reads it: one that would corrupt the game says so first.
std::string VerdictText(const ScannedPair& pair);

// The scan's warnings: check's findings on corrupting pairs first, then the scan's own.
std::vector<std::string> ScanWarnings(const ScanReport& report, const ScanResult& result);

// The report for a person.
void PrintScanText(uint32_t pid, const std::string& settingsPath, const ScanReport& report,
                   const ScanResult& result, double seconds, std::ostream& out);
// The report as one JSON object; its shape is documented in docs/command.md.
void PrintScanJson(uint32_t pid, const std::string& settingsPath, const ScanReport& report,
                   const ScanResult& result, std::ostream& out);
