#include "inspect/checker.h"

#include "inspect/bytes_text.h"
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
        checker.Warn(line, Quoted(name) + " has the hash 0 in the dictionary, so " + skipped,
                     FindingKind::kSetting, key);
    } else if (MissedSection* lostName = checker.MissedWith(name, true)) {
        lostName->settingsLost.push_back(SettingKeyNames[key]);
    } else if (MissedSection* lostSetting =
                   line == 0 ? checker.MissedWith(setting, false) : nullptr) {
        lostSetting->settingsLost.push_back(SettingKeyNames[key]);
    } else if (line == 0) {
        checker.Warn(0, setting + " is not set, so it resolves to 0 and " + skipped,
                     FindingKind::kSetting, key);
    } else if (name.empty()) {
        checker.Warn(line, setting + " is empty, so it resolves to 0 and " + skipped,
                     FindingKind::kSetting, key);
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
        checker.Warn(line, std::move(message), FindingKind::kSetting, key);
    } else {
        std::string message = Quoted(name) + " is not in the dictionary, so " + setting +
                              " resolves to 0 and " + skipped;
        const std::string_view closest = ClosestName(name, names);
        if (!closest.empty()) message += "; did you mean " + Quoted(closest) + "?";
        checker.Warn(line, std::move(message), FindingKind::kSetting, key);
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
                         " pair changes nothing",
                     FindingKind::kSetting, newKey);
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
            FindingKind::kCorrupts, slip};
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
                 FindingKind::kCorrupts, setting.key});
        }
    }
}

} // namespace

void CheckPairSettings(Checker& checker, const ParsedSettings& parsed) {
    const std::vector<std::string_view> names = SortedNames(parsed.dictionary);
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting})
            CheckName(checker, parsed, names, pair, setting);
    }
    CheckPairs(checker, parsed);
    CheckCrossedPairs(checker, parsed);
    CheckCommonHashes(checker, parsed);
}
