#pragma once
// The settings the plug-in runs on: a dictionary from item names to their 32-bit hashes,
// the four pairs of hashes to swap and the toggle key, loaded from the settings file.

#include <cstdint>
#include <string>
#include <unordered_map>

// The four pairs of hashes to swap and the toggle key, resolved from the settings file.
struct SwapSettingsRecord {
    uint32_t oldShake = 0;
    uint32_t newShake = 0;
    uint32_t oldShakeLoop = 0;
    uint32_t newShakeLoop = 0;
    uint32_t oldDof = 0;
    uint32_t newDof = 0;
    uint32_t oldCamera = 0;
    uint32_t newCamera = 0;
    int32_t activationKey = 0;

    bool operator==(const SwapSettingsRecord&) const = default;
};

// Item name (bytes, compared exactly) to hash.
using NameToHash = std::unordered_map<std::string, uint32_t>;

// The settings file's name: the plug-in reads the file of this name in the game's current
// folder.
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
