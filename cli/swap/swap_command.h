#pragma once
// `ostrevane swap`: the plug-in's substitution over a file's bytes, as over a memory dump.

#include "cli/command.h"

void AddSwapCommand(CLI::App& app, CommandLine& line);
