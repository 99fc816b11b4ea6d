#pragma once
// `ostrevane check [FILE]`: what the plug-in reads from a settings file, and every trap.

#include "cli/command.h"

#include <string>

void AddCheckCommand(CLI::App& app, CommandLine& line);

// Prints what the plug-in reads from `path` and every trap found, as text or as JSON; returns
// the exit status.
int RunCheck(const std::string& path, bool json, std::ostream& out, std::ostream& err);
