#include "settings/parse_settings.h"

#include "settings/key_names.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string_view>

bool OpensDictionary(std::string_view line) {
    for (std::string_view header : DictionaryHeaders) {
        if (line.find(header) != std::string_view::npos) return true;
    }
    return false;
}

size_t DictionarySectionOf(std::string_view line) {
    for (size_t section = 0; section < DictionaryHeaders.size(); ++section) {
        if (line.find(DictionaryHeaders[section]) != std::string_view::npos) return section;
    }
    return 0;
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kTrimmedBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kTrimmedBlanks) - first + 1);
}

// Applied everywhere so every build reads a file alike.
std::string TextModeText(std::string_view fileBytes) {
    const std::string_view bytes = fileBytes.substr(0, TextModeLength(fileBytes));
    std::string text;
    text.reserve(bytes.size());
    for (size_t start = 0;;) {
        const size_t crlf = bytes.find("\r\n", start);
        text.append(bytes.substr(start, crlf - start));
        if (crlf == std::string_view::npos) return text;
        start = crlf + 1; // the line feed stays
    }
}

size_t TextModeLength(std::string_view fileBytes) {
    return std::min(fileBytes.find('\x1A'), fileBytes.size());
}

SettingsLine ClassifyLine(std::string_view line, size_t number, bool& inDictionary) {
    SettingsLine parsed{number, LineKind::Empty, line, {}, {}, false, 0};
    if (line.empty()) return parsed;
    if (line.front() == '[') {
        parsed.kind = LineKind::Header;
        parsed.opensDictionary = OpensDictionary(line);
        inDictionary = parsed.opensDictionary;
        return parsed;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        parsed.kind = LineKind::NoEquals;
        return parsed;
    }
    // The key keeps any ";": only the value carries a comment.
    std::string_view value = line.substr(equals + 1);
    value = value.substr(0, value.find(';'));
    parsed.key = Trim(line.substr(0, equals));
    parsed.value = Trim(value);
    if (inDictionary) {
        parsed.kind = LineKind::DictionaryEntry;
        parsed.hash = ParseHash(parsed.value);
        return parsed;
    }
    parsed.kind = LineKind::UnknownSetting;
    for (std::string_view name : SettingKeyNames) {
        if (parsed.key == name) parsed.kind = LineKind::Setting;
    }
    return parsed;
}

namespace {

// How many settings files this program has parsed.
std::atomic<size_t> settingsParsed{0};

uint32_t Lookup(const NameToHash& dictionary, const std::string& name) {
    const auto found = dictionary.find(name);
    return found == dictionary.end() ? 0 : found->second;
}

} // namespace

ParsedSettings ParseSettings(std::string_view fileBytes, const SettingsLineObserver& observe) {
    return ParseSettingsText(TextModeText(fileBytes), TextModeLength(fileBytes), observe);
}

ParsedSettings ParseSettingsText(std::string_view text, size_t bytesRead,
                                 const SettingsLineObserver& observe) {
    ++settingsParsed;
    ParsedSettings result;
    result.bytesRead = bytesRead;
    bool inDictionary = false; // lines before the first header are settings
    size_t number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const SettingsLine line =
            ClassifyLine(text.substr(start, end - start), ++number, inDictionary);
        start = end + 1;

        if (line.kind == LineKind::DictionaryEntry) {
            result.dictionary[std::string(line.key)] = line.hash;
        } else if (line.kind == LineKind::Setting) {
            for (size_t k = 0; k < kSettingKeyCount; ++k) {
                if (line.key == SettingKeyNames[k]) result.values[k] = line.value;
            }
        }
        if (observe) observe(line);
    }

    result.swap.activationKey = ParseActivationKey(result.values[kActivationKey]);
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting})
            result.swap.*setting.resolved = Lookup(result.dictionary, result.values[setting.key]);
    }
    return result;
}

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

uint32_t ParseHash(std::string_view text) {
    return ReadHash(text).value;
}

HashReading ReadHash(std::string_view text) {
    size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    auto digitValue = [](char c) -> unsigned {
        if (c >= '0' && c <= '9') return unsigned(c - '0');
        if (c >= 'a' && c <= 'z') return unsigned(c - 'a' + 10);
        if (c >= 'A' && c <= 'Z') return unsigned(c - 'A' + 10);
        return 99;
    };
    unsigned base = 10;
    if (i < text.size() && text[i] == '0') {
        base = 8;
        // "0x" counts as a prefix only when a hex digit follows; "0x" alone reads as 0.
        if (i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
            digitValue(text[i + 2]) < 16) {
            base = 16;
            i += 2;
        }
    }

    HashReading reading{0, i, i, base, negative, false};
    uint64_t value = 0;
    for (; i < text.size() && digitValue(text[i]) < base; ++i) {
        value = value * base + digitValue(text[i]);
        if (value > 0xFFFFFFFFu) {
            reading.saturated = true;
            value = 0xFFFFFFFFu; // keep consuming digits without wrapping
        }
    }
    reading.digitsEnd = i;
    if (reading.saturated) {
        reading.value = 0xFFFFFFFFu;
    } else {
        reading.value = negative ? uint32_t(0u - uint32_t(value)) : uint32_t(value);
    }
    return reading;
}

size_t SettingsParsed() {
    return settingsParsed;
}
