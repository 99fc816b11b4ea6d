#pragma once
// The settings file: a dictionary from item names to their 32-bit hashes, and the
// choice of which four items to swap for which, by name, and of the toggle key.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

// The settings file, relative to the game's current folder.
extern const std::string SettingsPath;
// Rebuilt by every load that opens the file; the memory walk may rewrite its values.
extern NameToHash HashDictionary;
// Lives in the module's own image, where the memory walk never looks.
extern SwapSettingsRecord SwapSettings;

// Reads SettingsPath into HashDictionary and SwapSettings. A file that does not open
// leaves both as they were. Script thread only.
void LoadSettings();

// The virtual-key code for a key name such as "F8", "K" or "7"; F5 for anything else.
int ParseActivationKey(std::string name);

// --- The parser behind LoadSettings, shared with the ostrevane command ---------------

// The nine settings keys, in the order their values are resolved.
enum SettingKey {
    kOldShake,
    kNewShake,
    kOldShakeLoop,
    kNewShakeLoop,
    kOldDof,
    kNewDof,
    kOldCamera,
    kNewCamera,
    kModActivateKey,
    kSettingKeyCount
};
extern const std::array<std::string_view, kSettingKeyCount> SettingKeyNames;

enum class LineKind {
    Empty,           // nothing on it
    Header,          // starts with "["; opens a dictionary or a settings section
    DictionaryEntry, // key=number in a dictionary section
    Setting,         // one of the nine keys in a settings section
    UnknownSetting,  // key=value in a settings section, but not one of the nine keys
    NoEquals,        // anything else: skipped, as comments are
};

// One line as the loader classified it. Views point into the text being parsed.
struct SettingsLine {
    size_t number; // 1-based, counting line feeds of the text as read
    LineKind kind;
    std::string_view text;  // the whole line, without its line feed
    std::string_view key;   // trimmed; set for DictionaryEntry, Setting, UnknownSetting
    std::string_view value; // trimmed, comment cut off; same kinds as key
    bool opensDictionary;   // Header only
    uint32_t hash;          // DictionaryEntry only: the value as the loader read it
};
using SettingsLineObserver = std::function<void(const SettingsLine&)>;

struct ParsedSettings {
    NameToHash dictionary;
    std::array<std::string, kSettingKeyCount> values; // as read; empty when missing
    SwapSettingsRecord swap;
};

// Parses the raw bytes of a settings file exactly as LoadSettings does, including the
// Windows text-mode reading rules (CR before LF dropped, 0x1A ends the data).
ParsedSettings ParseSettings(std::string_view fileBytes,
                             const SettingsLineObserver& observe = nullptr);

// Reads a number the way the C library's strtoul with base 0 does when unsigned long is
// 32 bits wide: decimal, 0x hex or 0 octal, optional sign, saturating at 0xFFFFFFFF.
uint32_t ParseHash(std::string_view text);

// Reads a whole file as bytes; false when it does not open.
bool ReadFileBytes(const std::string& path, std::string& bytes);
