#pragma once
// `ostrevane hash NAME...`: dictionary lines for names, with the game's hash of each.

#include "cli/command.h"

void AddHashCommand(CLI::App& app, CommandLine& line);
