#include "inspect/checker.h"

#include "inspect/bytes_text.h"
#include "inspect/plugin_reading.h"
#include "inspect/suggest.h"

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

// Why a name setting of pair `index` reads as 0, when that is not told elsewhere.
void CheckName(std::vector<CheckWarning>& findings, const SettingsDocument& document,
               const std::vector<std::string_view>& names, size_t index,
               const PairSetting& nameSetting, const SettingReading& reading) {
    const SettingKey key = nameSetting.key;
    const std::string& name = reading.value;
    const std::string setting(SettingKeyNames[key]);
    const std::string skipped = "the " + std::string(SwapPairs[index].name) + " pair is skipped";
    const size_t line = document.settingLines[key];
    const auto warn = [&](size_t at, std::string message) {
        findings.push_back({at, std::move(message), FindingKind::kSetting, key});
    };

    switch (reading.source) {
    case NameSource::kOwnSection:
    case NameSource::kOtherSection:
        warn(line, Quoted(name) + " has the hash 0 in the dictionary, so " + skipped);
        return;
    case NameSource::kNotSet:
        if (line == 0) {
            warn(0, setting + " is not set, so it resolves to 0 and " + skipped);
        } else {
            warn(line, setting + " is empty, so it resolves to 0 and " + skipped);
        }
        return;
    case NameSource::kNumber: {
        std::string message = setting + " holds the number " + Quoted(name) +
                              " instead of a name; settings are looked up by name, so it "
                              "resolves to 0 and " +
                              skipped;
        if (!reading.nameOfNumber.empty()) {
            message += "; the dictionary calls " + HexHash(ParseHash(name)) + " " +
                       Quoted(reading.nameOfNumber);
        }
        warn(line, std::move(message));
        return;
    }
    case NameSource::kNotFound:
        break;
    }
    std::string message =
        Quoted(name) + " is not in the dictionary, so " + setting + " resolves to 0 and " + skipped;
    const std::string_view closest = ClosestName(name, names);
    if (!closest.empty()) message += "; did you mean " + Quoted(closest) + "?";
    warn(line, std::move(message));
}

void CheckUnchangedPair(std::vector<CheckWarning>& findings, const SettingsDocument& document,
                        size_t index, const PairReading& reading) {
    const SwapPair& pair = SwapPairs[index];
    const SettingKey oldKey = pair.oldSetting.key, newKey = pair.newSetting.key;
    findings.push_back({std::max(document.settingLines[oldKey], document.settingLines[newKey]),
                        std::string(SettingKeyNames[oldKey]) + " and " +
                            std::string(SettingKeyNames[newKey]) + " both resolve to " +
                            HexHash(reading.before.hash) + ", so the " + std::string(pair.name) +
                            " pair changes nothing",
                        FindingKind::kSetting, newKey});
}

// A pair whose two items come from different dictionary sections, such as a camera in the
// shake pair, makes the game read one kind of item where it expects another.
void CheckCrossedPair(std::vector<CheckWarning>& findings, const SettingsDocument& document,
                      size_t index, const PairReading& read) {
    const ParsedSettings& parsed = document.parsed;
    const SwapPair& pair = SwapPairs[index];
    const SettingKey oldKey = pair.oldSetting.key, newKey = pair.newSetting.key;
    // The setting whose item is not of the pair's own kind is the slip.
    const bool newIsOdd = read.after.section != index;
    const bool oldIsOdd = read.before.section != index;
    const bool newSlips =
        newIsOdd && (!oldIsOdd || document.settingLines[newKey] > document.settingLines[oldKey]);
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
    findings.push_back({document.settingLines[slip],
                        describe(slip, odd) + " but " + describe(other, kept) + ", so the " +
                            std::string(pair.name) + " pair would put " +
                            std::string(SwapPairs[odd.section].items) + " where the game expects " +
                            std::string(SwapPairs[kept.section].items) +
                            " and corrupt its data; take both names of a pair from one section (" +
                            std::string(DictionaryHeaders[index]) + " for this pair)",
                        FindingKind::kCorrupts, slip});
}

// A hash that ordinary memory is full of is found in countless places that are not the
// item: applying rewrites every old one, restoring every new one.
void CheckCommonHashes(std::vector<CheckWarning>& findings, const SettingsDocument& document,
                       size_t index, const PairReading& read) {
    const SwapPair& pair = SwapPairs[index];
    for (const auto& [setting, side] :
         {std::pair{pair.oldSetting, &read.before}, std::pair{pair.newSetting, &read.after}}) {
        if (!side->commonInMemory) continue;
        findings.push_back(
            {document.settingLines[setting.key],
             std::string(setting.name) + " " + Quoted(side->value) + " resolves to " +
                 HexHash(side->hash) + " (line " + std::to_string(side->line) +
                 "), a value ordinary memory is full of (mostly 0x00 and 0xFF bytes: small "
                 "numbers, floats such as 1.0), so the swap would rewrite it in countless "
                 "places that are not the item and corrupt the game's data; give the item's "
                 "own hash",
             FindingKind::kCorrupts, setting.key});
    }
}

} // namespace

std::vector<CheckWarning> PairFindings(const SettingsDocument& document,
                                       const SettingFates& fates) {
    std::vector<CheckWarning> findings;
    const std::vector<std::string_view> names = SortedNames(document.parsed.dictionary);
    const PluginReading reading = ReadAsPlugin(document);
    for (size_t index = 0; index < kPairCount; ++index) {
        const SwapPair& pair = SwapPairs[index];
        const PairReading& read = reading[index];
        for (const auto& [setting, side] :
             {std::pair{pair.oldSetting, &read.before}, std::pair{pair.newSetting, &read.after}}) {
            if (fates.fate[setting.key] == Fate::kOwnWarning)
                CheckName(findings, document, names, index, setting, *side);
        }
    }
    // Told pair by pair, each kind of finding in turn, so the findings of one line keep the
    // order they always had.
    for (size_t index = 0; index < kPairCount; ++index)
        if (reading[index].outcome == PairOutcome::kUnchanged)
            CheckUnchangedPair(findings, document, index, reading[index]);
    for (size_t index = 0; index < kPairCount; ++index)
        if (reading[index].crossesSections)
            CheckCrossedPair(findings, document, index, reading[index]);
    for (size_t index = 0; index < kPairCount; ++index)
        if (reading[index].outcome == PairOutcome::kCorrupts && reading[index].commonHash)
            CheckCommonHashes(findings, document, index, reading[index]);
    return findings;
}
