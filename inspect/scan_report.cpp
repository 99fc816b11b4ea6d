#include "inspect/scan_report.h"

#include <algorithm>

namespace {

ScannedItem Item(const std::string& name, uint32_t hash, const WindowCounter& counter,
                 const ScanResult& result) {
    const size_t slot = SlotOf(counter, hash);
    return {name, hash, hash != 0 && slot < result.counts.size() ? result.counts[slot] : 0};
}

ScannedItem SettingItem(const ParsedSettings& settings, const PairSetting& setting,
                        const WindowCounter& counter, const ScanResult& result) {
    return Item(settings.values[setting.key], settings.swap.*setting.resolved, counter, result);
}

Verdict Judge(const ScannedPair& pair) {
    if (pair.before.hash == 0 || pair.after.hash == 0) return Verdict::kSkipped;
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
    case Verdict::kSkipped:
        break;
    }
    return "skipped";
}

WindowCounter ScanCounter(const ParsedSettings& settings, bool all) {
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
    return MakeWindowCounter(std::move(hashes));
}

ScanReport MakeScanReport(const ParsedSettings& settings, const WindowCounter& counter,
                          const ScanResult& result, bool all) {
    ScanReport report;
    for (size_t i = 0; i < SwapPairs.size(); ++i) {
        ScannedPair& pair = report.pairs[i];
        pair.pair = &SwapPairs[i];
        pair.before = SettingItem(settings, SwapPairs[i].oldSetting, counter, result);
        pair.after = SettingItem(settings, SwapPairs[i].newSetting, counter, result);
        pair.verdict = Judge(pair);
    }
    if (all) {
        for (const auto& [name, hash] : settings.dictionary) {
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
