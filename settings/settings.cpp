#include "settings/settings.h"

#include "platform/files.h"
#include "settings/default_settings.h"
#include "settings/parse_settings.h"

#include <cstdio>
#include <exception>
#include <memory>

#ifdef _WIN32
const std::string SettingsPath = std::string(".\\") + kSettingsFileName;
#else
const std::string SettingsPath = std::string("./") + kSettingsFileName;
#endif
NameToHash HashDictionary;
SwapSettingsRecord SwapSettings;

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!file) return false;
    // Read straight into the string: the hook's script stacks are small.
    constexpr size_t kChunk = 64 * 1024;
    bytes.clear();
    for (size_t got = kChunk; got == kChunk;) {
        const size_t used = bytes.size();
        bytes.resize(used + kChunk);
        got = std::fread(bytes.data() + used, 1, kChunk, file.get());
        bytes.resize(used + got);
    }
    // A folder opens on some systems and then fails to read: that is no settings file, and
    // neither is half of one.
    return !std::ferror(file.get());
}

void LoadSettings() {
    // Anything at the path, even a folder, is left alone: only a missing file is written.
    if (!platform::PathExists(SettingsPath.c_str())) WriteDefaultSettings(SettingsPath);
    // The game must never see an exception from us: a file too large for memory is
    // treated like one that does not open, and the last settings stand.
    try {
        std::string bytes;
        if (!ReadFileBytes(SettingsPath, bytes)) return;
        ParsedSettings parsed = ParseSettings(bytes);
        HashDictionary = std::move(parsed.dictionary);
        SwapSettings = parsed.swap;
    } catch (const std::exception&) {
    }
}
