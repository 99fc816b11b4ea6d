#pragma once
// `ostrevane list SECTION [TEXT]`: the names a pair's settings can take.

#include "cli/command.h"

void AddListCommand(CLI::App& app, CommandLine& line);
