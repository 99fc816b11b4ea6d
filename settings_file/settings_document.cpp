#include "settings_file/settings_document.h"

#include <atomic>
#include <unordered_map>

namespace {

std::string CommentOf(std::string_view line) {
    const size_t equals = line.find('=');
    const size_t semicolon = line.find(';', equals == std::string_view::npos ? 0 : equals);
    if (semicolon == std::string_view::npos) return "";
    return std::string(Trim(line.substr(semicolon + 1)));
}

} // namespace

namespace {
std::atomic<size_t> documentsRead{0};
} // namespace

size_t DocumentsRead() {
    return documentsRead;
}

SettingsDocument ReadDocument(std::string bytes) {
    ++documentsRead;
    SettingsDocument document;
    document.text = std::make_shared<const std::string>(TextModeText(bytes));
    std::unordered_map<std::string_view, size_t> index; // views into *document.text
    size_t section = 0;
    document.parsed =
        ParseSettingsText(*document.text, TextModeLength(bytes), [&](const SettingsLine& line) {
            document.lines.push_back(line);
            if (line.kind == LineKind::Header) section = DictionarySectionOf(line.text);
            if (line.kind == LineKind::Setting) {
                for (size_t k = 0; k < kSettingKeyCount; ++k)
                    if (line.key == SettingKeyNames[k]) document.settingLines[k] = line.number;
            }
            if (line.kind != LineKind::DictionaryEntry) return;
            DictionaryName entry{std::string(line.key), line.hash, section, line.number,
                                 CommentOf(line.text)};
            // A name defined again keeps its first place, with the definition the loader keeps.
            const auto [at, isNew] = index.emplace(line.key, document.names.size());
            if (isNew) {
                document.names.push_back(std::move(entry));
            } else {
                document.names[at->second] = std::move(entry);
            }
        });
    document.bytes = std::move(bytes);
    return document;
}

const DictionaryName* FindName(const SettingsDocument& document, std::string_view name) {
    for (const DictionaryName& entry : document.names) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}
