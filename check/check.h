#pragma once
// What `ostrevane check` finds in a settings file: the plug-in's own reading of it, and
// the traps behind that reading that the plug-in, silent by design, never reports.

#include "settings/parse_settings.h"
#include "settings_file/settings_document.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What a finding is about, so a face can place it beside what it concerns.
enum class FindingKind {
    kUnreadable,  // empty, or saved as UTF-16: the plug-in reads nothing usable, and says so alone
    kWholeFile,   // a byte-order mark, a Ctrl-Z that ends the file early
    kHeader,      // a header the plug-in misses, and what that costs
    kSkippedLine, // a line the plug-in skips or ignores
    kDictionary,  // a dictionary value that does not read as written, a name defined twice
    kSetting,     // a setting that resolves to nothing usable, or is set twice
    kCorrupts,    // the swap would rewrite what is not the item: scan repeats it
};

// What exactly the plug-in does not read as written. Each face words it.
enum class Trap {
    // The file as a whole.
    kEmptyFile,     // the plug-in swaps nothing and falls back to its toggle key
    kUtf16File,     // saved as UTF-16: nothing usable is read
    kCtrlZ,         // a Ctrl-Z ends the file early: `lost` are the settings it hides
    kByteOrderMark, // a UTF-8 byte-order mark changes what line 1 reads as
    // A header the plug-in misses; `ignoredLines` under it are read as the other kind of
    // section and `lost` are the settings that costs.
    kHeaderCase,          // `text` spelt in another case than `suggestion`
    kHeaderByteOrderMark, // `text`, after the byte-order mark that hides it
    kHeaderIndented,      // `text`, indented
    // Lines the plug-in skips or ignores.
    kNoEquals,        // `text` starts with a setting's name but has no "="
    kEntryInSettings, // `text` looks like a dictionary entry in a settings section
    kUnknownSetting,  // key `name`; `suggestion` the closest setting, if any
    kSetAgain,        // `setting` set again; `firstLine` the first time
    kDictionaryValue, // `name`'s value `text` does not read as written: `number`
    kDefinedTwice,    // `name` defined again; `firstLine`, `earlierHash`, `hash`
    // The pairs' name settings and the toggle key.
    kHashZero,        // `name` is defined with the hash 0: the pair is skipped
    kNotSet,          // `setting` is not set
    kEmptyValue,      // `setting` is empty
    kNumber,          // `setting` holds a number: `hash`, which the dictionary calls `suggestion`
    kNotInDictionary, // `name` is no dictionary name; `suggestion` the closest
    kPairUnchanged,   // both settings of pair `pair` resolve to `hash`
    kCrossedPair,     // pair `pair`: `setting` names `name`, of section `section` (line
                      // `firstLine`), where `otherSetting` names `otherName` of `otherSection`
                      // (line `otherLine`)
    kCommonHash,      // `setting` `name` resolves to `hash` (defined on `firstLine`), a value
                      // memory is full of
    kUnknownKey,      // the toggle key `name` is no key the plug-in knows; `suggestion` the same
                      // in capitals, when that is one
};

// How a dictionary value is misread (kDictionaryValue).
enum class NumberTrap { kNone, kNoNumber, kReadInPart, kOctal, kTooLarge, kNegative };

struct CheckWarning {
    size_t line; // 1-based, as the plug-in counts lines; 0 for the file as a whole
    FindingKind kind;
    Trap trap;
    SettingKey setting = SettingKey(kSettingKeyCount); // the setting it concerns, if one
    std::string text{};       // raw bytes: a whole line, a header or a value, as the trap says
    std::string name{};       // raw bytes: a key or a name, as the trap says
    std::string suggestion{}; // raw bytes: what the player likely meant, or ""
    uint32_t hash = 0;
    uint32_t earlierHash = 0;
    size_t firstLine = 0;
    size_t pair = 0;
    size_t section = 0;
    size_t otherSection = 0;
    SettingKey otherSetting = SettingKey(kSettingKeyCount);
    std::string otherName{};
    size_t otherLine = 0;
    NumberTrap number = NumberTrap::kNone;
    bool meantDictionary = false; // headers: the missed one meant a dictionary section
    bool commentLine = false;     // kDictionaryValue: the key starts with ";"
    size_t ignoredLines = 0;
    std::vector<SettingKey> lost{}; // kCtrlZ and headers: the settings it hides
};

struct CheckReport {
    ParsedSettings parsed; // exactly what the plug-in would use
    // The line whose value each setting holds, the last one for its key; 0 when never set.
    std::array<size_t, kSettingKeyCount> settingLines{};
    std::vector<CheckWarning> warnings; // by line, file-wide ones first
};

// Every trap found in a settings file read as the plug-in reads it.
CheckReport CheckSettings(const SettingsDocument& document);

// "F5": the toggle key when the settings name none the plug-in knows.
std::string FallbackKeyName();

// The finding that the plug-in reads nothing usable from the file, or null: then no list of
// names or edit of a setting means anything.
const CheckWarning* UnreadableFinding(const CheckReport& report);
