#pragma once
// The dictionary's names by section, for choosing an item: `ostrevane list` shows them and
// `ostrevane set` takes only a name from its pair's own section.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How a player names each dictionary section on the command line, in the pairs' order.
std::vector<std::string_view> SectionWords();

struct DictionaryName {
    std::string name;
    uint32_t hash;       // the value of its last definition, the one the plug-in keeps
    size_t section;      // index in DictionaryHeaders of that definition's section
    size_t line;         // 1-based line of that definition
    std::string comment; // what follows ";" on that line, blanks trimmed; "" when none
};

// Every name of a settings file's dictionary once, in the order of first definition, as
// the plug-in reads the file.
std::vector<DictionaryName> DictionaryNames(std::string_view fileBytes);

// The entry of `names` for `name`, or null.
const DictionaryName* FindName(const std::vector<DictionaryName>& names, std::string_view name);
