#include "cli/bytes_text.h"
#include "cli/commands.h"
#include "cli/dictionary_names.h"
#include "cli/files.h"
#include "cli/report_text.h"
#include "cli/suggest.h"
#include "settings/parse_settings.h"
#include "settings/swap_pairs.h"

#include <algorithm>
#include <ostream>

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ContainsIgnoringCase(a, b);
}

// The section `typed` names, as a word or as its header with or without brackets, in any
// case; kPairCount when none.
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

} // namespace

int RunList(const std::string& sectionName, const std::string& text,
            const std::string& settingsPath, std::ostream& out, std::ostream& err) {
    const size_t section = NamedSection(sectionName);
    if (section == kPairCount) {
        err << "ostrevane list: \"" << Printable(sectionName) << "\" is not a section";
        const std::vector<std::string_view> words = SectionWords();
        const std::string_view closest = ClosestName(sectionName, words);
        if (!closest.empty()) err << "; did you mean \"" << closest << "\"?";
        err << "\nSections: " << Listed(words) << "; for example `ostrevane list " << words.back()
            << "`.\n";
        return kExitFailed;
    }
    std::string bytes;
    if (!ReadSettingsFile("ostrevane list: ", settingsPath, bytes, err)) return kExitFailed;
    const ParsedSettings parsed = ParseSettings(bytes);
    const SwapPair& pair = SwapPairs[section];

    std::vector<DictionaryName> shown;
    size_t inSection = 0;
    for (DictionaryName& entry : DictionaryNames(bytes)) {
        if (entry.section != section) continue;
        ++inSection;
        if (ContainsIgnoringCase(entry.name, text)) shown.push_back(std::move(entry));
    }
    size_t width = 0;
    for (const DictionaryName& entry : shown)
        width = std::max(width, Printable(entry.name).size());

    const std::string header(pair.header);
    out << "Settings file: " << FullPath(settingsPath) << "\n";
    for (const DictionaryName& entry : shown) {
        out << "  " << Padded(Printable(entry.name), width + 2) << HexHash(entry.hash);
        // The names the settings choose now, so a player sees what a change replaces.
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            if (parsed.values[setting.key] == entry.name) out << "  " << setting.name;
        }
        out << "\n";
    }
    if (text.empty()) {
        out << CountOf(inSection, "name", "names") << " under " << header << ".\n";
    } else {
        out << shown.size() << " of " << CountOf(inSection, "name", "names") << " under " << header
            << " hold \"" << Printable(text) << "\".\n";
    }
    if (!shown.empty()) {
        out << "Choose one with `ostrevane set " << pair.oldSetting.name
            << " NAME` (the item to replace) or `ostrevane set " << pair.newSetting.name
            << " NAME` (the item to use instead).\n";
    }
    return kExitOk;
}
