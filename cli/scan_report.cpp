#include "cli/scan_report.h"

#include "cli/bytes_text.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace {

// Pair i is settings 2i (old) and 2i + 1 (new), in the order the walk tests them.
constexpr std::array<const char*, 4> kPairNames = {"shake", "shakeLoop", "dof", "camera"};

SettingKey OldKey(size_t pair) {
    return SettingKey(2 * pair);
}

SettingKey NewKey(size_t pair) {
    return SettingKey(2 * pair + 1);
}

ScannedItem Item(const std::string& name, uint32_t hash, const WindowCounter& counter,
                 const ScanResult& result) {
    const size_t slot = SlotOf(counter, hash);
    return {name, hash, hash != 0 && slot < result.counts.size() ? result.counts[slot] : 0};
}

std::string Places(uint64_t count) {
    return std::to_string(count) + (count == 1 ? " place" : " places");
}

void Judge(ScannedPair& pair, size_t index) {
    if (pair.before.hash == 0 || pair.after.hash == 0) {
        pair.verdict = "skipped";
        pair.text =
            std::string("not swapped: ") +
            std::string(SettingKeyNames[pair.before.hash == 0 ? OldKey(index) : NewKey(index)]) +
            " names no item in the dictionary (`ostrevane check` tells why)";
    } else if (pair.before.count > 0) {
        pair.verdict = "wouldSwap";
        pair.text = "would swap " + Places(pair.before.count);
        if (pair.after.count > 0) pair.text += "; the new item is in " + Places(pair.after.count);
    } else if (pair.after.count > 0) {
        pair.verdict = "onlyNew";
        pair.text = "only the new item occurs (the swap is on, or the game uses only the new "
                    "item now)";
    } else {
        pair.verdict = "neither";
        pair.text = "neither item is in memory now: the game has not loaded it in this scene";
    }
}

std::string Padded(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
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

WindowCounter ScanCounter(const ParsedSettings& settings, bool all) {
    std::vector<uint32_t> hashes;
    for (size_t key = 0; key < 2 * kPairNames.size(); ++key)
        hashes.push_back(settings.swap.*ResolvedHashFields[key]);
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
    for (size_t i = 0; i < kPairNames.size(); ++i) {
        ScannedPair& pair = report.pairs[i];
        pair.pair = kPairNames[i];
        pair.before = Item(settings.values[OldKey(i)], settings.swap.*ResolvedHashFields[OldKey(i)],
                           counter, result);
        pair.after = Item(settings.values[NewKey(i)], settings.swap.*ResolvedHashFields[NewKey(i)],
                          counter, result);
        Judge(pair, i);
        if (pair.verdict == std::string_view("skipped")) {
            report.warnings.push_back("the " + std::string(kPairNames[i]) + " pair is " +
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
    char scanned[160];
    std::snprintf(scanned, sizeof scanned,
                  "Scanned %zu regions, %.1f MB of private writable memory, in %.2f s (%.2f "
                  "GB/s)\n",
                  result.regions, double(result.bytesRead) / 1e6, seconds,
                  seconds > 0 ? double(result.bytesRead) / 1e9 / seconds : 0.0);
    out << "Process: " << pid << "\n"
        << "Settings file: " << settingsPath << "\n"
        << scanned;
    size_t nameWidth = 9;
    for (const ScannedPair& pair : report.pairs) {
        nameWidth = std::max(
            {nameWidth, Printable(pair.before.name).size(), Printable(pair.after.name).size()});
    }
    for (const ScannedPair& pair : report.pairs) {
        for (const ScannedItem* item : {&pair.before, &pair.after}) {
            out << "  " << Padded(item == &pair.before ? pair.pair : "", 11)
                << (item == &pair.before ? "old  " : "new  ")
                << Padded(Printable(item->name), nameWidth + 2) << HexHash(item->hash) << "  "
                << CountText(*item) << "\n";
        }
        out << "  " << Padded("", 11) << pair.text << "\n";
    }
    // F8 restores instead while the swap is on, and only the game knows which it is.
    out << "Turning the swap on would rewrite " << result.wouldRewrite
        << (result.wouldRewrite == 1 ? " window" : " windows")
        << " now (the plug-in's own engine, all pairs in order).\n";
    if (!report.dictionary.empty()) {
        out << "Dictionary names in memory (" << report.dictionary.size() << "):\n";
        for (const ScannedItem& item : report.dictionary) {
            out << "  " << Padded(std::to_string(item.count), 10) << HexHash(item.hash) << "  "
                << Printable(item.name) << "\n";
        }
    }
    if (report.warnings.empty()) {
        out << "No warnings.\n";
        return;
    }
    out << report.warnings.size() << (report.warnings.size() == 1 ? " warning:" : " warnings:")
        << "\n";
    for (const std::string& warning : report.warnings)
        out << "  " << Printable(warning) << "\n";
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
        << "  \"wouldRewrite\": " << result.wouldRewrite << ",\n"
        << "  \"pairs\": [";
    for (size_t i = 0; i < report.pairs.size(); ++i) {
        const ScannedPair& pair = report.pairs[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"pair\": \"" << pair.pair << "\", \"old\": ";
        PrintItemJson(pair.before, out);
        out << ", \"new\": ";
        PrintItemJson(pair.after, out);
        out << ", \"verdict\": \"" << pair.verdict << "\", \"text\": " << JsonString(pair.text)
            << "}";
    }
    out << "\n  ],\n  \"dictionary\": [";
    for (size_t i = 0; i < report.dictionary.size(); ++i) {
        out << (i == 0 ? "\n    " : ",\n    ");
        PrintItemJson(report.dictionary[i], out);
    }
    out << (report.dictionary.empty() ? "],\n" : "\n  ],\n") << "  \"warnings\": [";
    for (size_t i = 0; i < report.warnings.size(); ++i) {
        out << (i == 0 ? "\n    " : ",\n    ") << JsonString(report.warnings[i]);
    }
    out << (report.warnings.empty() ? "]\n" : "\n  ]\n") << "}\n";
}
