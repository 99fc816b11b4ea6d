#pragma once
// How a settings file is read, line by line: the rules behind LoadSettings.

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

// The blanks the loader trims from both ends of a key and of a value.
inline constexpr std::string_view kTrimmedBlanks = " \t\r\n";
// `text` without the loader's blanks at either end.
std::string_view Trim(std::string_view text);

// True when the header line `line` (starting with "[") opens a dictionary section.
bool OpensDictionary(std::string_view line);
// Index in DictionaryHeaders of the first header a line holds, searched as the loader does, or 0.
size_t DictionarySectionOf(std::string_view line);

enum class LineKind {
    Empty,
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

// One line, numbered `number`, as the loader classifies it in a section of the kind
// `inDictionary` says; a header sets `inDictionary` for the lines after it.
SettingsLine ClassifyLine(std::string_view line, size_t number, bool& inDictionary);

struct ParsedSettings {
    NameToHash dictionary;
    std::array<std::string, kSettingKeyCount> values; // as read; empty when missing
    SwapSettingsRecord swap;
    size_t bytesRead = 0; // the file's bytes up to its first Ctrl-Z, or all of them
};

// How many settings files this program has parsed: what an answer costs, for the tests that
// hold each answer to one reading.
size_t SettingsParsed();

// Reads a whole file as bytes; false when it does not open or cannot be read to the end.
bool ReadFileBytes(const std::string& path, std::string& bytes);

// Parses a settings file's raw bytes exactly as LoadSettings does, text-mode rules included.
ParsedSettings ParseSettings(std::string_view fileBytes,
                             const SettingsLineObserver& observe = nullptr);

// What Windows text mode hands the loader from a file's raw bytes: they end at the first
// Ctrl-Z, and each CR LF becomes LF. TextModeLength is how many raw bytes that takes in.
std::string TextModeText(std::string_view fileBytes);
size_t TextModeLength(std::string_view fileBytes);
// ParseSettings on text already in text mode, read from the first `bytesRead` raw bytes.
ParsedSettings ParseSettingsText(std::string_view text, size_t bytesRead,
                                 const SettingsLineObserver& observe = nullptr);

struct HashReading {
    uint32_t value;
    size_t digitsBegin; // the digits read, after blanks, sign and any "0x"
    size_t digitsEnd;   // equal to digitsBegin when no digit was read
    unsigned base;      // 8 when the digits start with 0, 16 after "0x", 10 otherwise
    bool negative;      // a "-" before the digits: the value wraps around
    bool saturated;     // the digits exceed 32 bits: the value is 0xFFFFFFFF
};

// Reads a number as strtoul with base 0 does where unsigned long is 32 bits: blanks skipped,
// decimal, 0x hex or 0 octal, optional sign, saturating at 0xFFFFFFFF, stopping at a non-digit.
HashReading ReadHash(std::string_view text);
// ReadHash's value alone: what the dictionary holds for `text`.
uint32_t ParseHash(std::string_view text);
