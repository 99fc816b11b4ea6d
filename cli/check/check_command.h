#pragma once
// `ostrevane check [FILE]`: what the plug-in reads from a settings file, and every trap.

#include "check/check.h"
#include "cli/command.h"

#include <string>

void AddCheckCommand(CLI::App& app, CommandLine& line);

// Prints what the plug-in reads from `path` and every trap found, as text or as JSON; returns
// the exit status.
int RunCheck(const std::string& path, bool json, std::ostream& out, std::ostream& err);
// Prints `report`, check's findings on the file at `path`, as RunCheck does.
int PrintCheck(const std::string& path, const CheckReport& report, bool json, std::ostream& out);

// For a command that needs the file's names: says on `err`, after `context`, why the plug-in
// reads nothing usable from the file at `path` (empty, or saved as UTF-16), in check's words,
// and returns true; false when the file is readable.
bool RefuseUnreadable(const std::string& context, const std::string& path,
                      const CheckReport& report, std::ostream& err);
