#pragma once
// `ostrevane set SETTING VALUE`: one setting changed, nothing else in the file.

#include "cli/command.h"

void AddSetCommand(CLI::App& app, CommandLine& line);
