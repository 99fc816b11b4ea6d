#pragma once
// How the plug-in reads a settings file, line by line: the rules behind LoadSettings that
// the ostrevane command explains to a player.

#include "settings/swap_pairs.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// Item name (bytes, compared exactly) to hash.
using NameToHash = std::unordered_map<std::string, uint32_t>;

// True when the header line `line` (starting with "[") opens a dictionary section.
bool OpensDictionary(std::string_view line);
// The index in DictionaryHeaders of the section a dictionary header line opens: the first
// header it holds, searched in that order, as the loader searches; 0 for any other line.
size_t DictionarySectionOf(std::string_view line);

enum class LineKind {
    Empty,           // nothing on it
    Header,          // starts with "["; opens a dictionary or a settings section
    DictionaryEntry, // key=number in a dictionary section
    Setting,         // one of SettingKeyNames in a settings section
    UnknownSetting,  // key=value in a settings section, but not one of those
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

// Reads a whole file as bytes, as LoadSettings reads the settings file; false when it does
// not open or cannot be read to the end.
bool ReadFileBytes(const std::string& path, std::string& bytes);

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
