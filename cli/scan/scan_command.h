#pragma once
// `ostrevane scan`: what the toggle key would do in a running game, reading its memory only.

#include "cli/command.h"
#include "game/scan_game.h"

#include <string>

void AddScanCommand(CLI::App& app, CommandLine& line);

// Prints the scan of `target` as text or as JSON; returns the exit status. An empty
// `settingsPath` means the settings file in the game's current folder.
int RunScan(const ProcessToScan& target, const std::string& settingsPath, bool all, bool json,
            std::ostream& out, std::ostream& err);
