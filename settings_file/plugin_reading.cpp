#include "settings_file/plugin_reading.h"

#include "settings_file/bytes_text.h"
#include "swap/byte_rarity.h"

SettingReading ReadSetting(const SettingsDocument& document, size_t pair, std::string_view value,
                           bool isSet) {
    SettingReading reading;
    reading.value = value;
    // The loader's own dictionary gives the hash; the names only say where it was defined.
    const auto found = document.parsed.dictionary.find(reading.value);
    if (found != document.parsed.dictionary.end()) {
        const DictionaryName* name = FindName(document, value);
        reading.hash = found->second;
        reading.section = name->section;
        reading.line = name->line;
        reading.source =
            name->section == pair ? NameSource::kOwnSection : NameSource::kOtherSection;
        reading.commonInMemory = reading.hash != 0 && IsCommonInMemory(reading.hash);
        return reading;
    }
    if (!isSet || value.empty()) return reading;
    if (!IsNumberLiteral(value)) {
        reading.source = NameSource::kNotFound;
        return reading;
    }
    reading.source = NameSource::kNumber;
    const uint32_t number = ParseHash(value);
    // A name of the pair's own section first: that is the item the player most likely meant.
    for (const bool own : {true, false}) {
        for (const DictionaryName& name : document.names) {
            if (name.hash != number || (name.section == pair) != own) continue;
            reading.nameOfNumber = name.name;
            reading.nameOfNumberSection = name.section;
            return reading;
        }
    }
    return reading;
}

PluginReading ReadAsPlugin(const SettingsDocument& document) {
    PluginReading pairs;
    for (size_t index = 0; index < kPairCount; ++index) {
        const SwapPair& pair = SwapPairs[index];
        PairReading& reading = pairs[index];
        const auto read = [&](const PairSetting& setting) {
            return ReadSetting(document, index, document.parsed.values[setting.key],
                               document.settingLines[setting.key] != 0);
        };
        reading.before = read(pair.oldSetting);
        reading.after = read(pair.newSetting);
        const uint32_t from = reading.before.hash, to = reading.after.hash;
        // A side that reads as more than 0 is a name the dictionary defines, in some section.
        reading.crossesSections =
            from != 0 && to != 0 && reading.before.section != reading.after.section;
        if (from == 0 || to == 0) {
            reading.outcome = PairOutcome::kSkipped;
        } else if (from == to) {
            reading.outcome = PairOutcome::kUnchanged;
        } else {
            reading.commonHash = reading.before.commonInMemory || reading.after.commonInMemory;
            reading.outcome = reading.crossesSections || reading.commonHash ? PairOutcome::kCorrupts
                                                                            : PairOutcome::kSwapped;
        }
    }
    return pairs;
}
