#include "tools/ostrevane/check.h"

#include "tools/ostrevane/bytes_text.h"
#include "tools/ostrevane/suggest.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <unordered_map>

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\n\v\f\r";
constexpr std::array<std::string_view, 4> kPairNames = {"shake", "shake-loop", "depth-of-field",
                                                        "camera"};
constexpr std::array<std::string_view, 5> kKnownHeaders = {"[Settings]", "[Shake]",
                                                           "[NewShakeLoop]", "[DOF]", "[Camera]"};

std::string Quoted(std::string_view bytes) {
    std::string quoted;
    quoted.reserve(bytes.size() + 2);
    quoted.append(1, '"').append(bytes).append(1, '"');
    return quoted;
}

std::string CountOf(size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsDigitIn(char c, unsigned base) {
    if (base == 16) return IsHexDigit(c);
    return c >= '0' && c < char('0' + base);
}

// A value someone wrote as a number: "0x643E2FFB" or "1681797115".
bool IsNumberLiteral(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return std::all_of(text.begin() + 2, text.end(), IsHexDigit);
    }
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Why a dictionary value is not a plain hexadecimal or decimal number, or "" when it is.
// `hash` is what the loader made of it; this only explains how it got there.
std::string NumberTrap(std::string_view value, uint32_t hash) {
    std::string_view digits = value;
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    unsigned base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X') &&
        IsHexDigit(digits[2])) {
        base = 16;
        digits.remove_prefix(2);
    } else if (!digits.empty() && digits[0] == '0') {
        base = 8;
    }
    size_t span = 0;
    uint64_t number = 0;
    bool tooBig = false;
    for (; span < digits.size() && IsDigitIn(digits[span], base); ++span) {
        number =
            number * base + std::string_view("0123456789abcdef").find(char(digits[span] | 0x20));
        tooBig = tooBig || number > 0xFFFFFFFFu;
        if (tooBig) number = 0xFFFFFFFFu;
    }
    const std::string read = HexHash(hash);
    if (span == 0) return "holds no number, so it is read as " + read;
    if (span < digits.size()) return "is read only as far as it parses: " + read;
    if (base == 8 && span > 1) return "starts with 0, so it is read as octal: " + read;
    if (tooBig) return "does not fit in 32 bits, so it is read as " + read;
    if (negative) return "is negative, so it is read as " + read;
    return "";
}

// A header line the plug-in misses, and the lines it then reads as settings and ignores.
struct MissedSection {
    size_t line;
    std::string problem;
    size_t ignoredLines = 0;
    std::vector<std::string_view> settingsLost; // name settings that resolve to 0 because of it
};

struct Checker {
    bool startsWithByteOrderMark = false;
    bool byteOrderMarkReported = false;
    bool inDictionary = false;
    bool inMissedSection = false;
    std::vector<CheckWarning> warnings;
    std::vector<MissedSection> missedSections;
    // Keys of the ignored lines under a missed header: the names a player meant to define.
    std::unordered_map<std::string, size_t> missedKeys;
    std::unordered_map<std::string, size_t> dictionaryLines;
    std::unordered_map<std::string, uint32_t> dictionaryValues;
    std::array<size_t, kSettingKeyCount> settingLines{};

    void Warn(size_t line, std::string message) { warnings.push_back({line, std::move(message)}); }

    void MissHeader(size_t line, std::string problem) {
        missedSections.push_back({line, std::move(problem), 0, {}});
        inMissedSection = true;
    }

    void Observe(const SettingsLine& line) {
        switch (line.kind) {
        case LineKind::Empty:
            break;
        case LineKind::Header:
            ObserveHeader(line);
            break;
        case LineKind::NoEquals:
            ObserveSkippedLine(line);
            break;
        case LineKind::UnknownSetting:
            ObserveUnknownSetting(line);
            break;
        case LineKind::Setting:
            ObserveSetting(line);
            break;
        case LineKind::DictionaryEntry:
            ObserveDictionaryEntry(line);
            break;
        }
    }

    void ObserveHeader(const SettingsLine& line) {
        inDictionary = line.opensDictionary;
        inMissedSection = false;
        if (line.opensDictionary || line.text.find("[Settings]") != std::string_view::npos) {
            return;
        }
        std::string problem = Quoted(line.text) + " is not a header the plug-in knows";
        const auto similar =
            std::find_if(kKnownHeaders.begin(), kKnownHeaders.end(), [&](std::string_view known) {
                return ContainsIgnoringCase(line.text, known);
            });
        if (similar != kKnownHeaders.end()) {
            problem += " (headers are case-sensitive: write " + Quoted(*similar) + ")";
        } else {
            problem += " ([Settings], [Shake], [NewShakeLoop], [DOF], [Camera])";
        }
        MissHeader(line.number, std::move(problem));
    }

    void ObserveSkippedLine(const SettingsLine& line) {
        std::string_view text = line.text;
        const bool byteOrderMark = line.number == 1 && startsWithByteOrderMark;
        if (byteOrderMark) text.remove_prefix(kUtf8ByteOrderMark.size());
        const size_t first = text.find_first_not_of(kBlanks);
        if (first == std::string_view::npos) return;
        text.remove_prefix(first);

        if (text.front() == '[') {
            if (byteOrderMark) {
                byteOrderMarkReported = true;
                MissHeader(line.number, "the file starts with a byte-order mark (saved as "
                                        "\"UTF-8 with BOM\"), so the plug-in does not read " +
                                            Quoted(text) +
                                            " as a header; save the file as UTF-8 without "
                                            "BOM, or as ANSI");
            } else {
                MissHeader(line.number, Quoted(line.text) +
                                            " is indented, so the plug-in does not read it as "
                                            "a header: remove the blanks before \"[\"");
            }
            return;
        }
        if (inDictionary) return;
        // "oldshake sky_diving_shake": meant as a setting, skipped like a comment.
        for (std::string_view key : SettingKeyNames) {
            const bool startsWithKey =
                text.substr(0, key.size()) == key &&
                (text.size() == key.size() ||
                 !std::isalnum(static_cast<unsigned char>(text[key.size()])));
            if (startsWithKey) {
                Warn(line.number,
                     Quoted(line.text) + " has no \"=\", so the plug-in skips it like a comment");
                return;
            }
        }
    }

    void ObserveUnknownSetting(const SettingsLine& line) {
        if (inMissedSection) {
            missedSections.back().ignoredLines++;
            missedKeys.emplace(std::string(line.key), missedSections.size() - 1);
            return;
        }
        if (IsNumberLiteral(line.value) && line.value.size() > 2 && (line.value[1] | 0x20) == 'x') {
            Warn(line.number, Quoted(line.text) +
                                  " looks like a dictionary entry, but it stands in a settings "
                                  "section, so the plug-in ignores it");
            return;
        }
        std::string message =
            Quoted(line.key) + " is not one of the nine settings, so the plug-in ignores this line";
        const std::string_view closest =
            ClosestName(line.key, {SettingKeyNames.begin(), SettingKeyNames.end()});
        if (!closest.empty()) {
            message += "; did you mean " + Quoted(closest) + "?";
        } else {
            message += " (oldshake, newshake, oldshakeloop, newshakeloop, olddof, newdof, "
                       "oldcamera, newcamera, modactivatekey)";
        }
        Warn(line.number, std::move(message));
    }

    void ObserveSetting(const SettingsLine& line) {
        for (size_t k = 0; k < kSettingKeyCount; ++k) {
            if (line.key != SettingKeyNames[k]) continue;
            if (settingLines[k] != 0) {
                Warn(line.number, std::string(line.key) + " is set again (first on line " +
                                      std::to_string(settingLines[k]) +
                                      "): only this later value is used");
            }
            settingLines[k] = line.number;
        }
    }

    void ObserveDictionaryEntry(const SettingsLine& line) {
        const std::string key(line.key);
        std::string trap = NumberTrap(line.value, line.hash);
        if (!trap.empty()) {
            std::string message =
                "the value " + Quoted(line.value) + " of " + Quoted(key) + " " + trap;
            if (!key.empty() && key.front() == ';') {
                message += " (a comment line that holds \"=\" is read as a dictionary entry)";
            }
            Warn(line.number, std::move(message));
        }
        const auto [earlier, isNew] = dictionaryLines.emplace(key, line.number);
        if (!isNew) {
            const uint32_t before = dictionaryValues[key];
            Warn(line.number,
                 Quoted(key) + " is defined twice (first on line " +
                     std::to_string(earlier->second) + "): " +
                     (before == line.hash
                          ? std::string("both give ") + HexHash(line.hash)
                          : "this later " + HexHash(line.hash) + " replaces " + HexHash(before)));
        }
        dictionaryValues[key] = line.hash;
    }
};

// Text two bytes in, half of them zero: what a "Unicode" save of a settings file looks like.
bool LooksLikeUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
    const std::string_view head = bytes.substr(0, 256);
    const auto zeros = std::count(head.begin(), head.end(), '\0');
    return head.size() >= 2 && size_t(zeros) * 4 >= head.size();
}

uint32_t ResolvedHash(const SwapSettingsRecord& swap, size_t key) {
    const std::array<uint32_t, 8> hashes = {swap.oldShake,     swap.newShake, swap.oldShakeLoop,
                                            swap.newShakeLoop, swap.oldDof,   swap.newDof,
                                            swap.oldCamera,    swap.newCamera};
    return hashes[key];
}

std::vector<std::string_view> SortedNames(const NameToHash& dictionary) {
    std::vector<std::string_view> names;
    names.reserve(dictionary.size());
    for (const auto& entry : dictionary)
        names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    return names;
}

// Why one of the eight names resolves to 0; a name lost under a missed header is told
// about at that header instead.
void CheckName(Checker& checker, const ParsedSettings& parsed, size_t key) {
    if (ResolvedHash(parsed.swap, key) != 0) return;
    const std::string& name = parsed.values[key];
    const std::string setting(SettingKeyNames[key]);
    const std::string skipped = "the " + std::string(kPairNames[key / 2]) + " pair is skipped";
    const size_t line = checker.settingLines[key];

    if (parsed.dictionary.count(name) != 0) {
        checker.Warn(line, Quoted(name) + " has the hash 0 in the dictionary, so " + skipped);
    } else if (const auto missed = checker.missedKeys.find(name);
               missed != checker.missedKeys.end()) {
        checker.missedSections[missed->second].settingsLost.push_back(SettingKeyNames[key]);
    } else if (line == 0) {
        checker.Warn(0, setting + " is not set, so it resolves to 0 and " + skipped);
    } else if (name.empty()) {
        checker.Warn(line, setting + " is empty, so it resolves to 0 and " + skipped);
    } else if (IsNumberLiteral(name)) {
        std::string message = setting + " holds the number " + Quoted(name) +
                              " instead of a name; settings are looked up by name, so it "
                              "resolves to 0 and " +
                              skipped;
        const uint32_t hash = ParseHash(name);
        for (std::string_view candidate : SortedNames(parsed.dictionary)) {
            if (parsed.dictionary.at(std::string(candidate)) != hash) continue;
            message += "; the dictionary calls " + HexHash(hash) + " " + Quoted(candidate);
            break;
        }
        checker.Warn(line, std::move(message));
    } else {
        std::string message = Quoted(name) + " is not in the dictionary, so " + setting +
                              " resolves to 0 and " + skipped;
        const std::string_view closest = ClosestName(name, SortedNames(parsed.dictionary));
        if (!closest.empty()) message += "; did you mean " + Quoted(closest) + "?";
        checker.Warn(line, std::move(message));
    }
}

void CheckPairs(Checker& checker, const ParsedSettings& parsed) {
    for (size_t pair = 0; pair < 4; ++pair) {
        const uint32_t from = ResolvedHash(parsed.swap, 2 * pair);
        const uint32_t to = ResolvedHash(parsed.swap, 2 * pair + 1);
        if (from == 0 || from != to) continue;
        checker.Warn(std::max(checker.settingLines[2 * pair], checker.settingLines[2 * pair + 1]),
                     std::string(SettingKeyNames[2 * pair]) + " and " +
                         std::string(SettingKeyNames[2 * pair + 1]) + " both resolve to " +
                         HexHash(from) + ", so the " + std::string(kPairNames[pair]) +
                         " pair changes nothing");
    }
}

void CheckActivationKey(Checker& checker, const ParsedSettings& parsed) {
    const std::string& name = parsed.values[kModActivateKey];
    if (IsKnownKeyName(name)) return;
    const size_t line = checker.settingLines[kModActivateKey];
    if (line == 0) {
        checker.Warn(0, "modactivatekey is not set, so the toggle key is F5");
        return;
    }
    std::string message = "modactivatekey " + Quoted(name) +
                          " is not a key name the plug-in knows, so the toggle key falls back "
                          "to F5; use F1 to F12, one letter or one digit";
    std::string upper = name;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (IsKnownKeyName(upper)) message += " (names are case-sensitive: " + Quoted(upper) + ")";
    checker.Warn(line, std::move(message));
}

void ReportMissedSections(Checker& checker) {
    for (const MissedSection& section : checker.missedSections) {
        std::string message = section.problem;
        if (section.ignoredLines > 0) {
            message += "; the " + CountOf(section.ignoredLines, "line", "lines") + " under it " +
                       (section.ignoredLines == 1 ? "is" : "are") + " read as settings and ignored";
        }
        for (size_t i = 0; i < section.settingsLost.size(); ++i) {
            message += i == 0 ? ", so " : " and ";
            message += section.settingsLost[i];
        }
        if (!section.settingsLost.empty()) {
            message += section.settingsLost.size() == 1 ? " resolves to 0" : " resolve to 0";
        }
        checker.Warn(section.line, std::move(message));
    }
}

// The C runtime's text mode stops at a Ctrl-Z byte, so whatever follows it is never read.
void CheckEndOfData(Checker& checker, std::string_view bytes) {
    const size_t stop = bytes.find('\x1A');
    if (stop == std::string_view::npos) return;
    if (bytes.find_first_not_of(" \t\r\n\x1A", stop) == std::string_view::npos) return;
    const size_t line = size_t(std::count(bytes.begin(), bytes.begin() + long(stop), '\n')) + 1;
    checker.Warn(line, "a Ctrl-Z byte (0x1A) ends the file for the plug-in: nothing after it "
                       "is read");
}

} // namespace

bool IsKnownKeyName(std::string_view name) {
    std::string bare(name);
    std::erase_if(bare, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
    if (bare.size() == 1) return std::isalnum(static_cast<unsigned char>(bare[0])) != 0;
    if (bare.size() < 2 || bare[0] != 'F') return false;
    for (int f = 1; f <= 12; ++f) {
        if (std::string_view(bare).substr(1) == std::to_string(f)) return true;
    }
    return false;
}

std::string KeyCodeName(int virtualKey) {
    char text[16];
    if (virtualKey >= 0x70 && virtualKey <= 0x7B) {
        std::snprintf(text, sizeof text, "F%d", virtualKey - 0x6F);
    } else if ((virtualKey >= '0' && virtualKey <= '9') ||
               (virtualKey >= 'A' && virtualKey <= 'Z')) {
        std::snprintf(text, sizeof text, "%c", char(virtualKey));
    } else {
        std::snprintf(text, sizeof text, "key 0x%02X", unsigned(virtualKey));
    }
    return text;
}

CheckReport CheckSettings(std::string_view fileBytes) {
    Checker checker;
    checker.startsWithByteOrderMark = fileBytes.starts_with(kUtf8ByteOrderMark);
    CheckReport report;
    report.parsed =
        ParseSettings(fileBytes, [&](const SettingsLine& line) { checker.Observe(line); });
    const ParsedSettings& parsed = report.parsed;

    for (size_t key = 0; key < kModActivateKey; ++key)
        CheckName(checker, parsed, key);
    CheckPairs(checker, parsed);
    CheckActivationKey(checker, parsed);
    ReportMissedSections(checker);
    CheckEndOfData(checker, fileBytes);
    if (checker.startsWithByteOrderMark && !checker.byteOrderMarkReported) {
        checker.Warn(1, "the file starts with a byte-order mark (saved as \"UTF-8 with BOM\"), "
                        "which the plug-in reads as part of line 1; save the file as UTF-8 "
                        "without BOM, or as ANSI");
    }
    // Every other finding would only be an echo of this one.
    if (LooksLikeUtf16(fileBytes)) {
        checker.warnings = {{1, "the file is saved as UTF-16 (what some editors call "
                                "\"Unicode\"): the plug-in reads nothing usable from it; save "
                                "it as ANSI or UTF-8"}};
    }

    std::stable_sort(checker.warnings.begin(), checker.warnings.end(),
                     [](const CheckWarning& a, const CheckWarning& b) { return a.line < b.line; });
    report.settingLines = checker.settingLines;
    report.warnings = std::move(checker.warnings);
    return report;
}
