#include "cli/check.h"

#include "cli/bytes_text.h"
#include "cli/dictionary_names.h"
#include "cli/report_text.h"
#include "cli/suggest.h"
#include "settings/key_names.h"
#include "settings/swap_pairs.h"
#include "swap/byte_rarity.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\n\v\f\r";

std::string Quoted(std::string_view bytes) {
    std::string quoted;
    quoted.reserve(bytes.size() + 2);
    quoted.append(1, '"').append(bytes).append(1, '"');
    return quoted;
}

// "F5": the toggle key when the settings name none the plug-in knows.
std::string FallbackKeyName() {
    return KeyCodeName(kFallbackActivationKey);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
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
// Blanks before the number are no trap: the loader skips them as the writer expects.
std::string NumberTrap(std::string_view value) {
    const HashReading reading = ReadHash(value);
    const std::string read = HexHash(reading.value);
    if (reading.digitsEnd == reading.digitsBegin)
        return "holds no number, so it is read as " + read;
    if (reading.digitsEnd < value.size()) return "is read only as far as it parses: " + read;
    if (reading.base == 8 && reading.digitsEnd - reading.digitsBegin > 1) {
        return "starts with 0, so it is read as octal: " + read;
    }
    if (reading.saturated) return "does not fit in 32 bits, so it is read as " + read;
    if (reading.negative) return "is negative, so it is read as " + read;
    return "";
}

// A header the plug-in misses, where the writer meant to open a section of the other kind,
// and the lines the plug-in then reads in the wrong kind of section.
struct MissedSection {
    size_t line;
    std::string problem;
    bool meantDictionary; // else a settings header, missed inside a dictionary section
    size_t ignoredLines = 0;
    std::vector<std::string_view> settingsLost; // settings that are lost because of it
};

struct Checker {
    bool startsWithByteOrderMark = false;
    bool byteOrderMarkReported = false;
    bool inDictionary = false;
    bool inMissedSection = false;
    std::vector<CheckWarning> warnings;
    std::vector<MissedSection> missedSections;
    // Keys of the ignored lines under a missed header, with its index: the names a player
    // meant to define, or the settings a player meant to make.
    std::unordered_map<std::string, size_t> missedKeys;
    std::unordered_map<std::string, size_t> dictionaryLines;
    std::unordered_map<std::string, uint32_t> dictionaryValues;
    // The section and line of each name's last definition, the one the plug-in keeps.
    struct Definition {
        size_t section;
        size_t line;
    };
    std::unordered_map<std::string, Definition> definitions;
    size_t currentSection = 0; // of the last dictionary header
    std::array<size_t, kSettingKeyCount> settingLines{};
    // Settings that a Ctrl-Z byte hides from the plug-in: told about at the Ctrl-Z.
    std::array<bool, kSettingKeyCount> lostToCtrlZ{};
    std::vector<std::string_view> settingsLostToCtrlZ;

    void Warn(size_t line, std::string message) { warnings.push_back({line, std::move(message)}); }

    void MissHeader(size_t line, std::string problem, bool meantDictionary) {
        missedSections.push_back({line, std::move(problem), meantDictionary, 0, {}});
        inMissedSection = true;
    }

    // A line read in the wrong kind of section because of the last missed header.
    void MissLine(const SettingsLine& line) {
        missedSections.back().ignoredLines++;
        missedKeys.emplace(std::string(line.key), missedSections.size() - 1);
    }

    // The missed section of this kind with a line for `key` under it, or null.
    MissedSection* MissedWith(const std::string& key, bool meantDictionary) {
        const auto found = missedKeys.find(key);
        if (found == missedKeys.end()) return nullptr;
        MissedSection& section = missedSections[found->second];
        return section.meantDictionary == meantDictionary ? &section : nullptr;
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

    // Any header that opens no dictionary opens a settings section, which is what the writer
    // meant unless it looks like a dictionary header spelt in the wrong case.
    void ObserveHeader(const SettingsLine& line) {
        inDictionary = line.opensDictionary;
        inMissedSection = false;
        if (line.opensDictionary) {
            currentSection = DictionarySectionOf(line.text);
            return;
        }
        const auto similar = std::find_if(
            DictionaryHeaders.begin(), DictionaryHeaders.end(),
            [&](std::string_view header) { return ContainsIgnoringCase(line.text, header); });
        if (similar == DictionaryHeaders.end()) return;
        const std::string hint = "headers are case-sensitive: write " + Quoted(*similar);
        MissHeader(line.number, Quoted(line.text) + " opens no dictionary section (" + hint + ")",
                   true);
    }

    void ObserveSkippedLine(const SettingsLine& line) {
        std::string_view text = line.text;
        const bool byteOrderMark = line.number == 1 && startsWithByteOrderMark;
        if (byteOrderMark) text.remove_prefix(kUtf8ByteOrderMark.size());
        const size_t first = text.find_first_not_of(kBlanks);
        if (first == std::string_view::npos) return;
        text.remove_prefix(first);

        if (text.front() == '[') {
            // Missing a header loses nothing when it would open the kind of section the
            // plug-in is reading anyway: the dictionary is one, and so are the settings.
            const bool meantDictionary = OpensDictionary(text);
            if (meantDictionary == inDictionary) return;
            if (byteOrderMark) {
                byteOrderMarkReported = true;
                MissHeader(line.number,
                           "the file starts with a byte-order mark (saved as \"UTF-8 with "
                           "BOM\"), so the plug-in does not read " +
                               Quoted(text) +
                               " as a header; save the file as UTF-8 without BOM, or as ANSI",
                           meantDictionary);
            } else {
                MissHeader(line.number,
                           Quoted(line.text) + " is indented, so the plug-in does not read it "
                                               "as a header: remove the blanks before \"[\"",
                           meantDictionary);
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
            MissLine(line);
            return;
        }
        if (IsNumberLiteral(line.value) && line.value.size() > 2 && (line.value[1] | 0x20) == 'x') {
            Warn(line.number, Quoted(line.text) +
                                  " looks like a dictionary entry, but it stands in a settings "
                                  "section, so the plug-in ignores it");
            return;
        }
        std::string message = Quoted(line.key) + " is not one of the " +
                              NumberWord(kSettingKeyCount) +
                              " settings, so the plug-in ignores this line";
        const std::string_view closest = ClosestName(line.key, SettingKeyNames);
        if (!closest.empty()) {
            message += "; did you mean " + Quoted(closest) + "?";
        } else {
            for (size_t key = 0; key < SettingKeyNames.size(); ++key)
                message += (key == 0 ? " (" : ", ") + std::string(SettingKeyNames[key]);
            message += ")";
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
        if (inMissedSection) MissLine(line);
        std::string trap = inMissedSection ? "" : NumberTrap(line.value);
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
        definitions[key] = {currentSection, line.number};
    }
};

// Text two bytes in, half of them zero: what a "Unicode" save of a settings file looks like.
// Only a guess from the bytes: the plug-in's reading decides (see CheckSettings).
bool LooksLikeUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
    const std::string_view head = bytes.substr(0, 256);
    const auto zeros = std::count(head.begin(), head.end(), '\0');
    return head.size() >= 2 && size_t(zeros) * 4 >= head.size();
}

std::vector<std::string_view> SortedNames(const NameToHash& dictionary) {
    std::vector<std::string_view> names;
    names.reserve(dictionary.size());
    for (const auto& entry : dictionary)
        names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    return names;
}

bool SameReading(const ParsedSettings& a, const ParsedSettings& b) {
    return a.dictionary == b.dictionary && a.values == b.values && a.swap == b.swap;
}

// Why a name setting of `pair` resolves to 0; a name lost under a missed header is told
// about at that header instead.
void CheckName(Checker& checker, const ParsedSettings& parsed,
               const std::vector<std::string_view>& names, const SwapPair& pair,
               const PairSetting& nameSetting) {
    if (parsed.swap.*nameSetting.resolved != 0) return;
    const SettingKey key = nameSetting.key;
    if (checker.lostToCtrlZ[key]) {
        checker.settingsLostToCtrlZ.push_back(SettingKeyNames[key]);
        return;
    }
    const std::string& name = parsed.values[key];
    const std::string setting(SettingKeyNames[key]);
    const std::string skipped = "the " + std::string(pair.name) + " pair is skipped";
    const size_t line = checker.settingLines[key];

    if (parsed.dictionary.count(name) != 0) {
        checker.Warn(line, Quoted(name) + " has the hash 0 in the dictionary, so " + skipped);
    } else if (MissedSection* lostName = checker.MissedWith(name, true)) {
        lostName->settingsLost.push_back(SettingKeyNames[key]);
    } else if (MissedSection* lostSetting =
                   line == 0 ? checker.MissedWith(setting, false) : nullptr) {
        lostSetting->settingsLost.push_back(SettingKeyNames[key]);
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
        for (std::string_view candidate : names) {
            if (parsed.dictionary.at(std::string(candidate)) != hash) continue;
            message += "; the dictionary calls " + HexHash(hash) + " " + Quoted(candidate);
            break;
        }
        checker.Warn(line, std::move(message));
    } else {
        std::string message = Quoted(name) + " is not in the dictionary, so " + setting +
                              " resolves to 0 and " + skipped;
        const std::string_view closest = ClosestName(name, names);
        if (!closest.empty()) message += "; did you mean " + Quoted(closest) + "?";
        checker.Warn(line, std::move(message));
    }
}

void CheckPairs(Checker& checker, const ParsedSettings& parsed) {
    for (const SwapPair& pair : SwapPairs) {
        const SettingKey oldKey = pair.oldSetting.key, newKey = pair.newSetting.key;
        const uint32_t from = parsed.swap.*pair.oldSetting.resolved;
        if (from == 0 || from != parsed.swap.*pair.newSetting.resolved) continue;
        checker.Warn(std::max(checker.settingLines[oldKey], checker.settingLines[newKey]),
                     std::string(SettingKeyNames[oldKey]) + " and " +
                         std::string(SettingKeyNames[newKey]) + " both resolve to " +
                         HexHash(from) + ", so the " + std::string(pair.name) +
                         " pair changes nothing");
    }
}

// A pair whose two items come from different dictionary sections, such as a camera in the
// shake pair, makes the game read one kind of item where it expects another.
void CheckCrossedPairs(Checker& checker, const ParsedSettings& parsed) {
    for (size_t index = 0; index < SwapPairs.size(); ++index) {
        const SwapPair& pair = SwapPairs[index];
        const SettingKey oldKey = pair.oldSetting.key, newKey = pair.newSetting.key;
        const auto oldName = checker.definitions.find(parsed.values[oldKey]);
        const auto newName = checker.definitions.find(parsed.values[newKey]);
        if (parsed.swap.*pair.oldSetting.resolved == 0 ||
            parsed.swap.*pair.newSetting.resolved == 0 || oldName == checker.definitions.end() ||
            newName == checker.definitions.end() ||
            oldName->second.section == newName->second.section) {
            continue;
        }
        // The setting whose item is not of the pair's own kind is the slip.
        const bool newIsOdd = newName->second.section != index;
        const bool oldIsOdd = oldName->second.section != index;
        const bool newSlips =
            newIsOdd && (!oldIsOdd || checker.settingLines[newKey] > checker.settingLines[oldKey]);
        const SettingKey slip = newSlips ? newKey : oldKey;
        const SettingKey other = newSlips ? oldKey : newKey;
        const auto describe = [&](SettingKey key, const Checker::Definition& definition) {
            return std::string(SettingKeyNames[key]) + " " + Quoted(parsed.values[key]) + " is " +
                   std::string(SwapPairs[definition.section].items) + " (under " +
                   std::string(DictionaryHeaders[definition.section]) + ", line " +
                   std::to_string(definition.line) + ")";
        };
        const Checker::Definition odd = newSlips ? newName->second : oldName->second;
        const Checker::Definition kept = newSlips ? oldName->second : newName->second;
        CheckWarning warning{
            checker.settingLines[slip],
            describe(slip, odd) + " but " + describe(other, kept) + ", so the " +
                std::string(pair.name) + " pair would put " +
                std::string(SwapPairs[odd.section].items) + " where the game expects " +
                std::string(SwapPairs[kept.section].items) +
                " and corrupt its data; take both names of a pair from one section (" +
                std::string(DictionaryHeaders[index]) + " for this pair)",
            true};
        checker.warnings.push_back(std::move(warning));
    }
}

// A hash that ordinary memory is full of is found in countless places that are not the
// item: applying rewrites every old one, restoring every new one.
void CheckCommonHashes(Checker& checker, const ParsedSettings& parsed) {
    for (const SwapPair& pair : SwapPairs) {
        // A pair of one hash changes nothing, as CheckPairs says.
        if (parsed.swap.*pair.oldSetting.resolved == parsed.swap.*pair.newSetting.resolved) {
            continue;
        }
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            const uint32_t hash = parsed.swap.*setting.resolved;
            if (hash == 0 || !IsCommonInMemory(hash)) continue;
            const std::string& name = parsed.values[setting.key];
            const auto definition = checker.definitions.find(name);
            std::string where;
            if (definition != checker.definitions.end()) {
                where = " (line " + std::to_string(definition->second.line) + ")";
            }
            checker.warnings.push_back(
                {checker.settingLines[setting.key],
                 std::string(setting.name) + " " + Quoted(name) + " resolves to " + HexHash(hash) +
                     where +
                     ", a value ordinary memory is full of (mostly 0x00 and 0xFF bytes: small "
                     "numbers, floats such as 1.0), so the swap would rewrite it in countless "
                     "places that are not the item and corrupt the game's data; give the item's "
                     "own hash",
                 true});
        }
    }
}

void CheckActivationKey(Checker& checker, const ParsedSettings& parsed) {
    const std::string& name = parsed.values[kModActivateKey];
    if (KnownKeyCode(name)) return;
    if (checker.lostToCtrlZ[kModActivateKey]) {
        checker.settingsLostToCtrlZ.push_back(SettingKeyNames[kModActivateKey]);
        return;
    }
    const size_t line = checker.settingLines[kModActivateKey];
    const std::string setting(SettingKeyNames[kModActivateKey]);
    MissedSection* const lost = line == 0 ? checker.MissedWith(setting, false) : nullptr;
    if (lost != nullptr) {
        lost->settingsLost.push_back(SettingKeyNames[kModActivateKey]);
        return;
    }
    if (line == 0) {
        checker.Warn(0, setting + " is not set, so the toggle key is " + FallbackKeyName());
        return;
    }
    std::string message = setting + " " + Quoted(name) +
                          " is not a key name the plug-in knows, so the toggle key falls back "
                          "to " +
                          FallbackKeyName() + "; use F1 to F12, one letter or one digit";
    std::string upper = name;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (KnownKeyCode(upper)) message += " (names are case-sensitive: " + Quoted(upper) + ")";
    checker.Warn(line, std::move(message));
}

void ReportMissedSections(Checker& checker) {
    for (const MissedSection& section : checker.missedSections) {
        if (section.ignoredLines == 0) continue; // read as meant after all
        std::string message = section.problem;
        message += "; the " + CountOf(section.ignoredLines, "line", "lines") + " under it " +
                   (section.ignoredLines == 1 ? "is" : "are") +
                   (section.meantDictionary ? " read as settings and ignored"
                                            : " read as dictionary entries");
        for (size_t i = 0; i < section.settingsLost.size(); ++i) {
            message += i == 0 ? ", so " : " and ";
            message += section.settingsLost[i];
        }
        if (!section.settingsLost.empty()) {
            const bool one = section.settingsLost.size() == 1;
            message += section.meantDictionary ? (one ? " resolves to 0" : " resolve to 0")
                                               : (one ? " is not set" : " are not set");
        }
        checker.Warn(section.line, std::move(message));
    }
}

// Whatever follows the bytes the plug-in reads is lost, unless it is blank.
void CheckEndOfData(Checker& checker, std::string_view bytes, size_t stop) {
    if (bytes.find_first_not_of(" \t\r\n\x1A", stop) == std::string_view::npos) return;
    const size_t line = size_t(std::count(bytes.begin(), bytes.begin() + long(stop), '\n')) + 1;
    std::string message = "a Ctrl-Z byte (0x1A) ends the file for the plug-in: nothing after it "
                          "is read";
    std::vector<std::string_view> names = checker.settingsLostToCtrlZ;
    const bool keyLost = std::erase(names, SettingKeyNames[kModActivateKey]) != 0;
    for (size_t i = 0; i < names.size(); ++i) {
        message += i == 0 ? ", so " : i + 1 == names.size() ? " and " : ", ";
        message += names[i];
    }
    if (!names.empty()) message += names.size() == 1 ? " resolves to 0" : " resolve to 0";
    if (keyLost) {
        message += names.empty() ? ", so" : " and";
        message += " the toggle key is " + FallbackKeyName();
    }
    checker.Warn(line, message + "; remove the Ctrl-Z");
}

// The settings that the part after a Ctrl-Z byte would give, and the part before does not.
void FindSettingsLostToCtrlZ(Checker& checker, const ParsedSettings& parsed,
                             std::string_view bytes) {
    if (parsed.bytesRead == bytes.size()) return;
    std::string whole(bytes);
    std::erase(whole, '\x1A');
    std::array<bool, kSettingKeyCount> meantSet{};
    const ParsedSettings meant = ParseSettings(whole, [&](const SettingsLine& line) {
        for (size_t key = 0; key < kSettingKeyCount && line.kind == LineKind::Setting; ++key)
            meantSet[key] = meantSet[key] || line.key == SettingKeyNames[key];
    });
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        checker.lostToCtrlZ[key] = checker.settingLines[key] == 0 && meantSet[key];
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            checker.lostToCtrlZ[setting.key] |=
                parsed.swap.*setting.resolved == 0 && meant.swap.*setting.resolved != 0;
        }
    }
    checker.lostToCtrlZ[kModActivateKey] |= !KnownKeyCode(parsed.values[kModActivateKey]) &&
                                            KnownKeyCode(meant.values[kModActivateKey]);
}

} // namespace

CheckReport CheckSettings(std::string_view fileBytes) {
    Checker checker;
    checker.startsWithByteOrderMark = fileBytes.starts_with(kUtf8ByteOrderMark);
    CheckReport report;
    report.parsed =
        ParseSettings(fileBytes, [&](const SettingsLine& line) { checker.Observe(line); });
    const ParsedSettings& parsed = report.parsed;

    const std::vector<std::string_view> names = SortedNames(parsed.dictionary);
    FindSettingsLostToCtrlZ(checker, parsed, fileBytes);
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting})
            CheckName(checker, parsed, names, pair, setting);
    }
    CheckPairs(checker, parsed);
    CheckCrossedPairs(checker, parsed);
    CheckCommonHashes(checker, parsed);
    CheckActivationKey(checker, parsed);
    ReportMissedSections(checker);
    CheckEndOfData(checker, fileBytes, parsed.bytesRead);
    if (checker.startsWithByteOrderMark && !checker.byteOrderMarkReported &&
        !SameReading(parsed, ParseSettings(fileBytes.substr(kUtf8ByteOrderMark.size())))) {
        checker.Warn(1, "the file starts with a byte-order mark (saved as \"UTF-8 with BOM\"), "
                        "which the plug-in reads as part of line 1; save the file as UTF-8 "
                        "without BOM, or as ANSI");
    }
    // A file saved as UTF-16 gives the plug-in neither a dictionary entry nor a setting;
    // every other finding would only be an echo of that.
    const bool readNothing = parsed.dictionary.empty() &&
                             std::all_of(checker.settingLines.begin(), checker.settingLines.end(),
                                         [](size_t line) { return line == 0; });
    if (fileBytes.find_first_not_of(" \t\r\n\v\f\x1A") == std::string_view::npos) {
        checker.warnings = {{0, "the file is empty, so the plug-in swaps nothing and the toggle "
                                "key is " +
                                    FallbackKeyName() +
                                    "; the plug-in writes a fresh default file only where none "
                                    "exists: delete this one and start the game"}};
    } else if (readNothing && LooksLikeUtf16(fileBytes)) {
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
