#include "inspect/scan_report.h"

#include "inspect/bytes_text.h"
#include "inspect/report_text.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

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

void Judge(ScannedPair& pair) {
    if (pair.before.hash == 0 || pair.after.hash == 0) {
        const PairSetting& unknown =
            pair.before.hash == 0 ? pair.pair->oldSetting : pair.pair->newSetting;
        pair.verdict = "skipped";
        pair.text = "not swapped: " + std::string(SettingKeyNames[unknown.key]) +
                    " names no item in the dictionary (`ostrevane check` tells why)";
    } else if (pair.before.count > 0) {
        pair.verdict = "wouldSwap";
        pair.text = "would swap " + CountOf(pair.before.count, "place", "places");
        if (pair.after.count > 0)
            pair.text += "; the new item is in " + CountOf(pair.after.count, "place", "places");
    } else if (pair.after.count > 0) {
        pair.verdict = "onlyNew";
        pair.text = "only the new item occurs (the swap is on, or the game uses only the new "
                    "item now)";
    } else {
        pair.verdict = "neither";
        pair.text = "neither item is in memory now: the game has not loaded it in this scene";
    }
}

// Check's findings on corrupting pairs first, then the scan's own.
std::vector<std::string> AllWarnings(const ScanReport& report) {
    std::vector<std::string> warnings;
    for (const CheckWarning& warning : report.corruptions)
        warnings.push_back("line " + std::to_string(warning.line) + ": " + warning.message);
    warnings.insert(warnings.end(), report.warnings.begin(), report.warnings.end());
    return warnings;
}

std::string CountText(const ScannedItem& item) {
    return item.hash == 0 ? "-" : std::to_string(item.count);
}

void PrintItemJson(const ScannedItem& item, std::ostream& out) {
    out << "{\"name\": " << JsonString(item.name) << ", \"hash\": " << item.hash
        << ", \"count\": " << (item.hash == 0 ? std::string("null") : std::to_string(item.count))
        << "}";
}

} // namespace

std::string VerdictText(const ScannedPair& pair) {
    if (pair.corruptingLine == 0) return pair.text;
    return "WARNING: would corrupt the game's data (line " + std::to_string(pair.corruptingLine) +
           ", below); " + pair.text;
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
        Judge(pair);
        if (pair.verdict == std::string_view("skipped")) {
            report.warnings.push_back("the " + std::string(SwapPairs[i].name) + " pair is " +
                                      pair.text);
        }
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
    if (result.listingFailed) {
        char upTo[24];
        std::snprintf(upTo, sizeof upTo, "0x%llX",
                      static_cast<unsigned long long>(result.listedUpTo));
        report.warnings.push_back("the system refused to describe the game's memory above " +
                                  std::string(upTo) + "; only the " +
                                  std::to_string(result.regions) +
                                  " regions below it were scanned, and the counts cover those");
    }
    if (result.bytesSkipped > 0) {
        report.warnings.push_back(std::to_string(result.bytesSkipped) +
                                  " bytes were freed or protected while the scan ran and were "
                                  "skipped; the counts cover what could be read");
    }
    return report;
}

void PrintScanText(uint32_t pid, const std::string& settingsPath, const ScanReport& report,
                   const ScanResult& result, double seconds, std::ostream& out) {
    char scanned[128];
    std::snprintf(scanned, sizeof scanned,
                  ", %.1f MB of private writable memory, in %.2f s (%.2f GB/s)\n",
                  double(result.bytesRead) / 1e6, seconds,
                  seconds > 0 ? double(result.bytesRead) / 1e9 / seconds : 0.0);
    out << "Process: " << pid << "\n"
        << "Settings file: " << settingsPath << "\n"
        << "Scanned " << CountOf(result.regions, "region", "regions") << scanned;
    size_t pairWidth = 0, nameWidth = 9;
    for (const ScannedPair& pair : report.pairs) {
        pairWidth = std::max(pairWidth, pair.pair->name.size() + 2);
        nameWidth = std::max(
            {nameWidth, Printable(pair.before.name).size(), Printable(pair.after.name).size()});
    }
    for (const ScannedPair& pair : report.pairs) {
        for (const ScannedItem* item : {&pair.before, &pair.after}) {
            out << "  "
                << Padded(std::string(item == &pair.before ? pair.pair->name : ""), pairWidth)
                << (item == &pair.before ? "old  " : "new  ")
                << Padded(Printable(item->name), nameWidth + 2) << HexHash(item->hash) << "  "
                << CountText(*item) << "\n";
        }
        out << "  " << Padded("", pairWidth) << VerdictText(pair) << "\n";
    }
    // The toggle key restores instead while the swap is on, and only the game knows which
    // it is.
    out << "Turning the swap on would rewrite " << CountOf(result.wouldRewrite, "window", "windows")
        << " now (the plug-in's own engine, all pairs in order).\n";
    if (!report.dictionary.empty()) {
        out << "Dictionary names in memory (" << report.dictionary.size() << "):\n";
        for (const ScannedItem& item : report.dictionary) {
            out << "  " << Padded(std::to_string(item.count), 10) << HexHash(item.hash) << "  "
                << Printable(item.name) << "\n";
        }
    }
    PrintWarnings(AllWarnings(report), out);
}

void PrintScanJson(uint32_t pid, const std::string& settingsPath, const ScanReport& report,
                   const ScanResult& result, std::ostream& out) {
    out << "{\n"
        << "  \"pid\": " << pid << ",\n"
        << "  \"settingsFile\": " << JsonString(settingsPath) << ",\n"
        << "  \"engine\": \"" << SubstituteEngineName() << "\",\n"
        << "  \"regions\": " << result.regions << ",\n"
        << "  \"bytesScanned\": " << result.bytesRead << ",\n"
        << "  \"bytesSkipped\": " << result.bytesSkipped << ",\n"
        << "  \"wouldRewrite\": " << result.wouldRewrite << ",\n";
    PrintJsonList(out, "pairs", report.pairs.size(), [&](size_t i) {
        const ScannedPair& pair = report.pairs[i];
        out << "{\"pair\": \"" << pair.pair->jsonName << "\", \"old\": ";
        PrintItemJson(pair.before, out);
        out << ", \"new\": ";
        PrintItemJson(pair.after, out);
        out << ", \"verdict\": \"" << pair.verdict
            << "\", \"text\": " << JsonString(VerdictText(pair)) << "}";
    });
    out << ",\n";
    PrintJsonList(out, "dictionary", report.dictionary.size(),
                  [&](size_t i) { PrintItemJson(report.dictionary[i], out); });
    out << ",\n";
    const std::vector<std::string> warnings = AllWarnings(report);
    PrintJsonList(out, "warnings", warnings.size(),
                  [&](size_t i) { out << JsonString(warnings[i]); });
    out << "\n}\n";
}
