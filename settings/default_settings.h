#pragma once
// The settings file that a first run writes: the default choices and the whole dictionary.

#include <array>
#include <string>
#include <string_view>

constexpr size_t kDefaultSettingsLineCount = 254;

// The default file's lines, without their line feeds. Fixed text: nothing is computed.
extern const std::array<std::string_view, kDefaultSettingsLineCount> DefaultSettingsLines;

std::string DefaultSettingsText(std::string_view lineEnd = "\n");

// Writes the default file to `path` in text mode, so on Windows each line ends with CR LF.
// Silent on failure: the load that follows then finds no file. Script thread only.
void WriteDefaultSettings(const std::string& path);
