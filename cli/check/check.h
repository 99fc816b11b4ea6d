#pragma once
// What `ostrevane check` finds in a settings file: the plug-in's own reading of it, and
// the traps behind that reading that the plug-in, silent by design, never reports.

#include "settings/parse_settings.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CheckWarning {
    size_t line;           // 1-based, as the plug-in counts lines; 0 for the file as a whole
    std::string message;   // one line; names appear as their raw bytes
    bool corrupts = false; // the swap would rewrite what is not the item: scan repeats it
};

struct CheckReport {
    ParsedSettings parsed; // exactly what the plug-in would use
    // The line whose value each setting holds, the last one for its key; 0 when never set.
    std::array<size_t, kSettingKeyCount> settingLines{};
    std::vector<CheckWarning> warnings; // by line, file-wide ones first
};

// Reads the raw bytes of a settings file as the plug-in does and lists every trap found.
CheckReport CheckSettings(std::string_view fileBytes);
