#pragma once
// What `ostrevane list` and the settings window show of one dictionary section: the names a
// pair's settings can take, with their hashes, their comments and which ones are chosen now.

#include "settings/swap_pairs.h"
#include "settings_file/settings_document.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ListedName {
    std::string name;
    uint32_t hash;
    std::string comment; // the text after ";" on its line, blanks trimmed; "" when none
    size_t line;         // 1-based line of its definition, the one the plug-in keeps
    bool chosenAsOld;    // the pair's old setting names it now
    bool chosenAsNew;    // the pair's new setting names it now
};

struct NameList {
    size_t section = kPairCount;   // index in SwapPairs
    size_t inSection = 0;          // names under the section, whatever `text`
    std::vector<ListedName> names; // those holding `text` in any case, in the file's order
};

// How a player names each dictionary section on the command line, in the pairs' order.
std::vector<std::string_view> SectionWords();

// The section `typed` names, as a word ("camera") or its header with or without brackets, in
// any case; kPairCount when none.
size_t NamedSection(std::string_view typed);

// The names under SwapPairs[section]'s dictionary section of a settings file that hold `text`
// in any case.
NameList ListNames(const SettingsDocument& document, size_t section, std::string_view text = {});
