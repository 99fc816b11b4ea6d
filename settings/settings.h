#pragma once
// The settings the plug-in runs on, loaded from the settings file.

#include "settings/parse_settings.h"
#include "settings/swap_pairs.h"

#include <string>

inline constexpr char kSettingsFileName[] = "Ostrevane.ini";
// The settings file, relative to the game's current folder.
extern const std::string SettingsPath;
// Rebuilt by every load that opens the file; the memory walk may rewrite its values.
extern NameToHash HashDictionary;
// Lives in the module's own image, where the memory walk never looks.
extern SwapSettingsRecord SwapSettings;

// Reads SettingsPath into HashDictionary and SwapSettings. A file that does not open
// leaves both as they were. Script thread only.
void LoadSettings();
