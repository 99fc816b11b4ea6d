#pragma once
// `ostrevane set SETTING VALUE`: one setting changed, nothing else in the file.

#include "cli/command.h"
#include "settings_file/edit_setting.h"

#include <string>

void AddSetCommand(CLI::App& app, CommandLine& line);

// Why `set` refuses a value, in the command's words: what is wrong and the command that
// shows what to choose instead.
std::string RefusalWords(const SettingRefusal& refusal);
