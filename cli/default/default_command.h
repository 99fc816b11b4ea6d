#pragma once
// `ostrevane default`: the default settings file, as the plug-in writes it.

#include "cli/command.h"

void AddDefaultCommand(CLI::App& app, CommandLine& line);
