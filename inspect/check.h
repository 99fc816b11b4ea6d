#pragma once
// What `ostrevane check` finds in a settings file: the plug-in's own reading of it, and
// the traps behind that reading that the plug-in, silent by design, never reports.

#include "inspect/settings_document.h"
#include "settings/parse_settings.h"

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

struct CheckWarning {
    size_t line;         // 1-based, as the plug-in counts lines; 0 for the file as a whole
    std::string message; // one line; names appear as their raw bytes
    FindingKind kind;
    SettingKey setting = SettingKey(kSettingKeyCount); // the setting it concerns, if one
};

struct CheckReport {
    ParsedSettings parsed; // exactly what the plug-in would use
    // The line whose value each setting holds, the last one for its key; 0 when never set.
    std::array<size_t, kSettingKeyCount> settingLines{};
    std::vector<CheckWarning> warnings; // by line, file-wide ones first
};

// Every trap found in a settings file read as the plug-in reads it.
CheckReport CheckSettings(const SettingsDocument& document);

// The finding that the plug-in reads nothing usable from the file, or null: then no list of
// names or edit of a setting means anything.
const CheckWarning* UnreadableFinding(const CheckReport& report);
