#include "check/check_rules.h"

#include "settings_file/bytes_text.h"
#include "settings_file/plugin_reading.h"
#include "settings_file/suggest.h"

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
CheckWarning NameFinding(const SettingsDocument& document,
                         const std::vector<std::string_view>& names, size_t index,
                         const PairSetting& nameSetting, const SettingReading& reading) {
    const SettingKey key = nameSetting.key;
    const size_t line = document.settingLines[key];
    CheckWarning finding{line, FindingKind::kSetting, Trap::kNotInDictionary, key};
    finding.pair = index;
    finding.name = reading.value;
    switch (reading.source) {
    case NameSource::kOwnSection:
    case NameSource::kOtherSection:
        finding.trap = Trap::kHashZero;
        break;
    case NameSource::kNotSet:
        finding.trap = line == 0 ? Trap::kNotSet : Trap::kEmptyValue;
        break;
    case NameSource::kNumber:
        finding.trap = Trap::kNumber;
        finding.hash = ParseHash(reading.value);
        finding.suggestion = reading.nameOfNumber;
        break;
    case NameSource::kNotFound:
        finding.suggestion = ClosestName(reading.value, names);
        break;
    }
    return finding;
}

CheckWarning UnchangedPairFinding(const SettingsDocument& document, size_t index,
                                  const PairReading& reading) {
    const SwapPair& pair = SwapPairs[index];
    const SettingKey oldKey = pair.oldSetting.key, newKey = pair.newSetting.key;
    CheckWarning finding{std::max(document.settingLines[oldKey], document.settingLines[newKey]),
                         FindingKind::kSetting, Trap::kPairUnchanged, newKey};
    finding.pair = index;
    finding.hash = reading.before.hash;
    return finding;
}

// A pair whose two items come from different dictionary sections, such as a camera in the
// shake pair, makes the game read one kind of item where it expects another.
CheckWarning CrossedPairFinding(const SettingsDocument& document, size_t index,
                                const PairReading& read) {
    const SwapPair& pair = SwapPairs[index];
    const SettingKey oldKey = pair.oldSetting.key, newKey = pair.newSetting.key;
    // The setting whose item is not of the pair's own kind is the slip.
    const bool newIsOdd = read.after.section != index;
    const bool oldIsOdd = read.before.section != index;
    const bool newSlips =
        newIsOdd && (!oldIsOdd || document.settingLines[newKey] > document.settingLines[oldKey]);
    const SettingReading& odd = newSlips ? read.after : read.before;
    const SettingReading& kept = newSlips ? read.before : read.after;
    CheckWarning finding{document.settingLines[newSlips ? newKey : oldKey], FindingKind::kCorrupts,
                         Trap::kCrossedPair, newSlips ? newKey : oldKey};
    finding.pair = index;
    finding.name = odd.value;
    finding.section = odd.section;
    finding.firstLine = odd.line;
    finding.otherSetting = newSlips ? oldKey : newKey;
    finding.otherName = kept.value;
    finding.otherSection = kept.section;
    finding.otherLine = kept.line;
    return finding;
}

// A hash that ordinary memory is full of is found in countless places that are not the
// item: applying rewrites every old one, restoring every new one.
void CommonHashFindings(std::vector<CheckWarning>& findings, const SettingsDocument& document,
                        size_t index, const PairReading& read) {
    const SwapPair& pair = SwapPairs[index];
    for (const auto& [setting, side] :
         {std::pair{pair.oldSetting, &read.before}, std::pair{pair.newSetting, &read.after}}) {
        if (!side->commonInMemory) continue;
        CheckWarning finding{document.settingLines[setting.key], FindingKind::kCorrupts,
                             Trap::kCommonHash, setting.key};
        finding.pair = index;
        finding.name = side->value;
        finding.hash = side->hash;
        finding.firstLine = side->line;
        findings.push_back(std::move(finding));
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
                findings.push_back(NameFinding(document, names, index, setting, *side));
        }
    }
    // Told pair by pair, each kind of finding in turn, so the findings of one line keep the
    // order they always had.
    for (size_t index = 0; index < kPairCount; ++index)
        if (reading[index].outcome == PairOutcome::kUnchanged)
            findings.push_back(UnchangedPairFinding(document, index, reading[index]));
    for (size_t index = 0; index < kPairCount; ++index)
        if (reading[index].crossesSections)
            findings.push_back(CrossedPairFinding(document, index, reading[index]));
    for (size_t index = 0; index < kPairCount; ++index)
        if (reading[index].commonHash)
            CommonHashFindings(findings, document, index, reading[index]);
    return findings;
}
