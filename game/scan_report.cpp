#include "game/scan_report.h"

#include "settings_file/plugin_reading.h"

#include <algorithm>

namespace {

ScannedItem Item(const std::string& name, uint32_t hash, const HashCounter& counter,
                 const ScanResult& result) {
    const size_t slot = SlotOf(counter, hash);
    return {name, hash, hash != 0 && slot < result.counts.size() ? result.counts[slot] : 0};
}

ScannedItem SettingItem(const SettingReading& setting, const HashCounter& counter,
                        const ScanResult& result) {
    return Item(setting.value, setting.hash, counter, result);
}

// What the toggle key would do in the game: the plug-in's reading says whether the pair swaps
// at all, the counts what it would find.
Verdict VerdictOf(const ScannedPair& pair, PairOutcome outcome) {
    if (outcome == PairOutcome::kSkipped) return Verdict::kSkipped;
    if (outcome == PairOutcome::kUnchanged) return Verdict::kUnchanged;
    if (pair.before.count > 0) return Verdict::kWouldSwap;
    if (pair.after.count > 0) return Verdict::kOnlyNew;
    return Verdict::kNeither;
}

} // namespace

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::kWouldSwap:
        return "wouldSwap";
    case Verdict::kOnlyNew:
        return "onlyNew";
    case Verdict::kNeither:
        return "neither";
    case Verdict::kUnchanged:
        return "unchanged";
    case Verdict::kSkipped:
        break;
    }
    return "skipped";
}

HashCounter ScanCounter(const ParsedSettings& settings, bool all) {
    std::vector<uint32_t> hashes;
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting})
            hashes.push_back(settings.swap.*setting.resolved);
    }
    if (all) {
        for (const auto& entry : settings.dictionary)
            hashes.push_back(entry.second);
    }
    // 0 stands for a missing name; zero bytes fill memory and mean nothing.
    std::erase(hashes, 0u);
    return MakeHashCounter(std::move(hashes));
}

ScanReport MakeScanReport(const SettingsDocument& document, const HashCounter& counter,
                          const ScanResult& result, bool all) {
    ScanReport report;
    const PluginReading reading = ReadAsPlugin(document);
    for (size_t i = 0; i < SwapPairs.size(); ++i) {
        ScannedPair& pair = report.pairs[i];
        pair.pair = &SwapPairs[i];
        pair.before = SettingItem(reading[i].before, counter, result);
        pair.after = SettingItem(reading[i].after, counter, result);
        pair.verdict = VerdictOf(pair, reading[i].outcome);
    }
    if (all) {
        for (const auto& [name, hash] : document.parsed.dictionary) {
            ScannedItem item = Item(name, hash, counter, result);
            if (item.count > 0) report.dictionary.push_back(std::move(item));
        }
        std::sort(report.dictionary.begin(), report.dictionary.end(),
                  [](const ScannedItem& a, const ScannedItem& b) {
                      return a.count != b.count ? a.count > b.count : a.name < b.name;
                  });
    }
    return report;
}
