#include "inspect/dictionary_names.h"

#include "settings/parse_settings.h"

#include <unordered_map>

namespace {

std::string CommentOf(std::string_view line) {
    const size_t equals = line.find('=');
    const size_t semicolon = line.find(';', equals == std::string_view::npos ? 0 : equals);
    if (semicolon == std::string_view::npos) return "";
    return std::string(Trim(line.substr(semicolon + 1)));
}

} // namespace

std::vector<std::string_view> SectionWords() {
    std::vector<std::string_view> words;
    for (const SwapPair& pair : SwapPairs)
        words.push_back(pair.word);
    return words;
}

std::vector<DictionaryName> DictionaryNames(std::string_view fileBytes) {
    std::vector<DictionaryName> names;
    std::unordered_map<std::string_view, size_t> index;
    size_t section = 0;
    ParseSettings(fileBytes, [&](const SettingsLine& line) {
        if (line.kind == LineKind::Header) section = DictionarySectionOf(line.text);
        if (line.kind != LineKind::DictionaryEntry) return;
        DictionaryName entry{std::string(line.key), line.hash, section, line.number,
                             CommentOf(line.text)};
        const auto [at, isNew] = index.emplace(line.key, names.size());
        if (isNew) {
            names.push_back(std::move(entry));
        } else {
            names[at->second] = std::move(entry);
        }
    });
    return names;
}

const DictionaryName* FindName(const std::vector<DictionaryName>& names, std::string_view name) {
    for (const DictionaryName& entry : names) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}
