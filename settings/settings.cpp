#include "settings/settings.h"

#include "platform/files.h"
#include "settings/default_settings.h"

#include <exception>

const std::string SettingsPath = platform::InCurrentFolder(kSettingsFileName);
NameToHash HashDictionary;
SwapSettingsRecord SwapSettings;

void LoadSettings() {
    // Anything at the path, even a folder, is left alone: only a missing file is written.
    if (!platform::PathExists(SettingsPath.c_str())) WriteDefaultSettings(SettingsPath);
    // The game must never see an exception from us: a file too large for memory is
    // treated like one that does not open, and the last settings stand.
    try {
        std::string bytes;
        if (!ReadFileBytes(SettingsPath, bytes)) return;
        ParsedSettings parsed = ParseSettings(bytes);
        HashDictionary = std::move(parsed.dictionary);
        SwapSettings = parsed.swap;
    } catch (const std::exception&) {
    }
}
