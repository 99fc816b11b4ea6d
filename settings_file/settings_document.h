#pragma once
// A settings file read once, as the plug-in reads it. Every answer the command and the
// settings window give about a file (its names, its findings, an edit) is taken from this one
// reading, never from a parse of their own.

#include "settings/parse_settings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One name of the dictionary, as the plug-in keeps it: its last definition.
struct DictionaryName {
    std::string name;
    uint32_t hash;       // the value of its last definition
    size_t section;      // index in DictionaryHeaders of that definition's section
    size_t line;         // 1-based line of that definition
    std::string comment; // what follows ";" on that line, blanks trimmed; "" when none
};

struct SettingsDocument {
    std::string bytes; // the file as it is on disk
    // What the loader reads: up to the first Ctrl-Z, each CR LF as LF. Shared, so a copy's
    // lines still point into it.
    std::shared_ptr<const std::string> text;
    std::vector<SettingsLine> lines; // every line as the loader classified it, in order
    ParsedSettings parsed;           // exactly what the plug-in would use
    // Every dictionary name once, in the order of first definition.
    std::vector<DictionaryName> names;
    // The line whose value each setting holds, the last one for its key; 0 when never set.
    std::array<size_t, kSettingKeyCount> settingLines{};
};

// Reads `bytes` as the plug-in does, in one pass.
SettingsDocument ReadDocument(std::string bytes);
// How many documents this program has read: what an answer costs, for the tests that hold each
// answer to the reading it was given.
size_t DocumentsRead();

// The entry of `document`'s dictionary for `name`, or null.
const DictionaryName* FindName(const SettingsDocument& document, std::string_view name);
