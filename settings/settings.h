#pragma once
// The settings file: a dictionary from item names to their 32-bit hashes, and the
// choice of which four items to swap for which, by name, and of the toggle key.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
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
// The virtual-key code the plug-in reads `name` as, or nothing when it does not know the
// name and falls back to F5. ParseActivationKey is this with the fallback.
std::optional<int> KnownKeyCode(std::string name);
// The key name that gives `virtualKey`: "F8", "K", "7"; "key 0xNN" for any other code.
std::string KeyCodeName(int virtualKey);
// The function keys' names, F1 to F12, as the plug-in knows them.
extern const std::array<std::string_view, 12> FunctionKeyNames;

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
// Where each of the eight name settings, kOldShake to kNewCamera, resolves into.
extern const std::array<uint32_t SwapSettingsRecord::*, kModActivateKey> ResolvedHashFields;

// The headers that open a dictionary section, spelled exactly so, wherever they stand in
// a header line. Any other header opens a settings section.
extern const std::array<std::string_view, 4> DictionaryHeaders;
// True when the header line `line` (starting with "[") opens a dictionary section.
bool OpensDictionary(std::string_view line);

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
    size_t bytesRead = 0; // the file's bytes up to its first Ctrl-Z, or all of them
};

// Parses the raw bytes of a settings file exactly as LoadSettings does, including the
// Windows text-mode reading rules (CR before LF dropped, 0x1A ends the data).
ParsedSettings ParseSettings(std::string_view fileBytes,
                             const SettingsLineObserver& observe = nullptr);

// How a dictionary value was read as a number, step by step.
struct HashReading {
    uint32_t value;
    size_t digitsBegin; // the digits read, after blanks, sign and any "0x"
    size_t digitsEnd;   // equal to digitsBegin when no digit was read
    unsigned base;      // 8 when the digits start with 0, 16 after "0x", 10 otherwise
    bool negative;      // a "-" before the digits: the value wraps around
    bool saturated;     // the digits exceed 32 bits: the value is 0xFFFFFFFF
};

// Reads a number the way the C library's strtoul with base 0 does when unsigned long is
// 32 bits wide: leading blanks skipped, decimal, 0x hex or 0 octal, optional sign,
// saturating at 0xFFFFFFFF, stopping at the first byte that is no digit.
HashReading ReadHash(std::string_view text);
// ReadHash's value alone: what the dictionary holds for `text`.
uint32_t ParseHash(std::string_view text);

// Reads a whole file as bytes; false when it does not open or cannot be read to the end.
bool ReadFileBytes(const std::string& path, std::string& bytes);
