#include "inspect/checker.h"

#include "inspect/bytes_text.h"
#include "inspect/plugin_reading.h"
#include "inspect/suggest.h"
#include "swap/byte_rarity.h"

#include <algorithm>

namespace {

std::vector<std::string_view> SortedNames(const NameToHash& dictionary) {
    std::vector<std::string_view> names;
    names.reserve(dictionary.size());
    for (const auto& entry : dictionary)
        names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    return names;
}

// Why a name setting of `pair` resolves to 0, when that is not told elsewhere.
void CheckName(std::vector<CheckWarning>& findings, const SettingsDocument& document,
               const std::vector<std::string_view>& names, const SwapPair& pair,
               const PairSetting& nameSetting) {
    const SettingKey key = nameSetting.key;
    const ParsedSettings& parsed = document.parsed;
    const std::string& name = parsed.values[key];
    const std::string setting(SettingKeyNames[key]);
    const std::string skipped = "the " + std::string(pair.name) + " pair is skipped";
    const size_t line = document.settingLines[key];
    const auto warn = [&](size_t at, std::string message) {
        findings.push_back({at, std::move(message), FindingKind::kSetting, key});
    };

    if (parsed.dictionary.count(name) != 0) {
        warn(line, Quoted(name) + " has the hash 0 in the dictionary, so " + skipped);
    } else if (line == 0) {
        warn(0, setting + " is not set, so it resolves to 0 and " + skipped);
    } else if (name.empty()) {
        warn(line, setting + " is empty, so it resolves to 0 and " + skipped);
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
        warn(line, std::move(message));
    } else {
        std::string message = Quoted(name) + " is not in the dictionary, so " + setting +
                              " resolves to 0 and " + skipped;
        const std::string_view closest = ClosestName(name, names);
        if (!closest.empty()) message += "; did you mean " + Quoted(closest) + "?";
        warn(line, std::move(message));
    }
}

void CheckPairs(std::vector<CheckWarning>& findings, const SettingsDocument& document) {
    const ParsedSettings& parsed = document.parsed;
    for (const SwapPair& pair : SwapPairs) {
        const SettingKey oldKey = pair.oldSetting.key, newKey = pair.newSetting.key;
        const uint32_t from = parsed.swap.*pair.oldSetting.resolved;
        if (from == 0 || from != parsed.swap.*pair.newSetting.resolved) continue;
        findings.push_back({std::max(document.settingLines[oldKey], document.settingLines[newKey]),
                            std::string(SettingKeyNames[oldKey]) + " and " +
                                std::string(SettingKeyNames[newKey]) + " both resolve to " +
                                HexHash(from) + ", so the " + std::string(pair.name) +
                                " pair changes nothing",
                            FindingKind::kSetting, newKey});
    }
}

// A pair whose two items come from different dictionary sections, such as a camera in the
// shake pair, makes the game read one kind of item where it expects another.
void CheckCrossedPairs(std::vector<CheckWarning>& findings, const SettingsDocument& document,
                       const PluginReading& reading) {
    const ParsedSettings& parsed = document.parsed;
    for (size_t index = 0; index < SwapPairs.size(); ++index) {
        const SwapPair& pair = SwapPairs[index];
        const PairReading& read = reading[index];
        if (!read.crossesSections) continue;
        const SettingKey oldKey = pair.oldSetting.key, newKey = pair.newSetting.key;
        // The setting whose item is not of the pair's own kind is the slip.
        const bool newIsOdd = read.after.section != index;
        const bool oldIsOdd = read.before.section != index;
        const bool newSlips = newIsOdd && (!oldIsOdd || document.settingLines[newKey] >
                                                            document.settingLines[oldKey]);
        const SettingKey slip = newSlips ? newKey : oldKey;
        const SettingKey other = newSlips ? oldKey : newKey;
        const auto describe = [&](SettingKey key, const SettingReading& item) {
            return std::string(SettingKeyNames[key]) + " " + Quoted(parsed.values[key]) + " is " +
                   std::string(SwapPairs[item.section].items) + " (under " +
                   std::string(DictionaryHeaders[item.section]) + ", line " +
                   std::to_string(item.line) + ")";
        };
        const SettingReading& odd = newSlips ? read.after : read.before;
        const SettingReading& kept = newSlips ? read.before : read.after;
        findings.push_back(
            {document.settingLines[slip],
             describe(slip, odd) + " but " + describe(other, kept) + ", so the " +
                 std::string(pair.name) + " pair would put " +
                 std::string(SwapPairs[odd.section].items) + " where the game expects " +
                 std::string(SwapPairs[kept.section].items) +
                 " and corrupt its data; take both names of a pair from one section (" +
                 std::string(DictionaryHeaders[index]) + " for this pair)",
             FindingKind::kCorrupts, slip});
    }
}

// A hash that ordinary memory is full of is found in countless places that are not the
// item: applying rewrites every old one, restoring every new one.
void CheckCommonHashes(std::vector<CheckWarning>& findings, const SettingsDocument& document) {
    const ParsedSettings& parsed = document.parsed;
    for (const SwapPair& pair : SwapPairs) {
        // A pair of one hash changes nothing, as CheckPairs says.
        if (parsed.swap.*pair.oldSetting.resolved == parsed.swap.*pair.newSetting.resolved) {
            continue;
        }
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            const uint32_t hash = parsed.swap.*setting.resolved;
            if (hash == 0 || !IsCommonInMemory(hash)) continue;
            const std::string& name = parsed.values[setting.key];
            const DictionaryName* definition = FindName(document, name);
            std::string where;
            if (definition != nullptr) where = " (line " + std::to_string(definition->line) + ")";
            findings.push_back(
                {document.settingLines[setting.key],
                 std::string(setting.name) + " " + Quoted(name) + " resolves to " + HexHash(hash) +
                     where +
                     ", a value ordinary memory is full of (mostly 0x00 and 0xFF bytes: small "
                     "numbers, floats such as 1.0), so the swap would rewrite it in countless "
                     "places that are not the item and corrupt the game's data; give the item's "
                     "own hash",
                 FindingKind::kCorrupts, setting.key});
        }
    }
}

} // namespace

std::vector<CheckWarning> PairFindings(const SettingsDocument& document,
                                       const SettingFates& fates) {
    std::vector<CheckWarning> findings;
    const std::vector<std::string_view> names = SortedNames(document.parsed.dictionary);
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            if (fates.fate[setting.key] == Fate::kOwnWarning)
                CheckName(findings, document, names, pair, setting);
        }
    }
    CheckPairs(findings, document);
    CheckCrossedPairs(findings, document, ReadAsPlugin(document));
    CheckCommonHashes(findings, document);
    return findings;
}
