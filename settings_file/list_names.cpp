#include "settings_file/list_names.h"

#include "settings_file/suggest.h"

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ContainsIgnoringCase(a, b);
}

} // namespace

std::vector<std::string_view> SectionWords() {
    std::vector<std::string_view> words;
    for (const SwapPair& pair : SwapPairs)
        words.push_back(pair.word);
    return words;
}

size_t NamedSection(std::string_view typed) {
    if (typed.starts_with('[') && typed.ends_with(']') && typed.size() >= 2) {
        typed = typed.substr(1, typed.size() - 2);
    }
    for (size_t section = 0; section < kPairCount; ++section) {
        const std::string_view header = SwapPairs[section].header;
        if (SameIgnoringCase(typed, SwapPairs[section].word) ||
            SameIgnoringCase(typed, header.substr(1, header.size() - 2))) {
            return section;
        }
    }
    return kPairCount;
}

NameList ListNames(const SettingsDocument& document, size_t section, std::string_view text) {
    NameList list;
    list.section = section;
    if (section >= kPairCount) return list;
    const ParsedSettings& parsed = document.parsed;
    const SwapPair& pair = SwapPairs[section];
    for (const DictionaryName& entry : document.names) {
        if (entry.section != section) continue;
        ++list.inSection;
        if (!ContainsIgnoringCase(entry.name, text)) continue;
        // The names the settings choose now, so a player sees what a change replaces.
        const bool chosenAsOld = parsed.values[pair.oldSetting.key] == entry.name;
        const bool chosenAsNew = parsed.values[pair.newSetting.key] == entry.name;
        list.names.push_back(
            {entry.name, entry.hash, entry.comment, entry.line, chosenAsOld, chosenAsNew});
    }
    return list;
}
