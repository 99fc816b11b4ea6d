#include "cli/scan/scan_print.h"
#include "cli/printable.h"

#include "cli/check/check_words.h"
#include "cli/print_report.h"
#include "cli/report_text.h"
#include "platform/wine.h"
#include "settings_file/bytes_text.h"
#include "swap/swap.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace {

std::string OpeningWords(uint32_t pid, platform::ProcessOpening opening) {
    const std::string process = "process " + std::to_string(pid);
    switch (opening) {
    case platform::ProcessOpening::kOpened:
        return "";
    case platform::ProcessOpening::kNoSuchProcess:
        return "no process with id " + std::to_string(pid) + " is running\n";
    case platform::ProcessOpening::kAccessRefused:
        return process + ": access refused; run ostrevane as the same user as the game (or as "
                         "administrator)\n";
    case platform::ProcessOpening::kKernelAllowsNone:
        return process + ": access refused by the kernel: /proc/sys/kernel/yama/ptrace_scope is "
                         "3, so no program may read another until the next restart\n";
    case platform::ProcessOpening::kKernelAllowsOnlyDescendants:
    case platform::ProcessOpening::kKernelAllowsOnlyTracers: {
        const bool descendants = opening == platform::ProcessOpening::kKernelAllowsOnlyDescendants;
        return process + ": access refused by the kernel: /proc/sys/kernel/yama/ptrace_scope is " +
               (descendants ? "1, so a program may read only the processes it started"
                            : "2, so only a program with the right to trace may read another") +
               "; run this one scan with the right to trace the game: sudo ostrevane scan --pid " +
               std::to_string(pid) + "\n";
    }
    case platform::ProcessOpening::kRunByWine:
        return process + " is a Windows program run by Wine or Proton: this ostrevane cannot tell "
                         "its memory apart as the plug-in's walk does, and would count wrong. Run "
                         "ostrevane.exe scan in the game's Wine prefix instead (see \"Linux and "
                         "Proton\" in the README)\n";
    case platform::ProcessOpening::kFailed:
        break;
    }
    return process + " could not be opened for reading\n";
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

std::string ScanProblemWords(const GameScan& scan) {
    const std::string process = "process " + std::to_string(scan.pid);
    switch (scan.problem) {
    case ScanProblem::kNone:
        return "";
    case ScanProblem::kNoProcessNamed: {
        std::string words = "no process named " + scan.processName +
                            " is running; start the game, or give its process id with --pid\n";
        if (platform::RunsUnderWine()) {
            words += "Under Wine or Proton, ostrevane.exe sees only the programs of its own Wine "
                     "prefix: run it in the game's, with the game's Wine. Wine: "
                     "WINEPREFIX=/path/to/prefix wine ostrevane.exe. Proton: Proton's own Wine, "
                     "steamapps/common/Proton VERSION/files/bin/wine64, with "
                     "WINEPREFIX=steamapps/compatdata/APPID/pfx (see \"Linux and Proton\" in "
                     "the README).\n";
        }
        return words;
    }
    case ScanProblem::kSeveralNamed: {
        std::string words = std::to_string(scan.pidsNamed.size()) + " processes are named " +
                            scan.processName + " (ids";
        for (const uint32_t id : scan.pidsNamed)
            words += " " + std::to_string(id);
        return words + "): choose one with --pid\n";
    }
    case ScanProblem::kCannotOpen:
        return OpeningWords(scan.pid, scan.opening);
    case ScanProblem::kFoldersUnreadable:
        return process + ": its folders cannot be read, so the settings file the plug-in reads "
                         "there is unknown; name it with --settings\n";
    case ScanProblem::kSettingsUnread: {
        const std::string hint =
            scan.settingsNamed
                ? "Without --settings, scan reads the settings file in the game's current "
                  "folder, as the plug-in does.\n"
                : "The plug-in writes it there when the game starts with the plug-in installed; "
                  "run the game once with it, or name the settings file with --settings.\n";
        return "settings file " +
               SettingsFileProblemText(scan.settingsPath, scan.settingsProblem, hint);
    }
    case ScanProblem::kExited:
        return process + " exited during the scan; start the game again and scan it while it "
                         "runs\n";
    case ScanProblem::kNothingToScan:
        return process + ": " +
               (scan.result.listingFailed ? "the system refused to describe its memory"
                                          : "none of its memory is memory the swap would walk") +
               "; nothing was scanned\n";
    case ScanProblem::kFailed:
        break;
    }
    return "the reading failed: " + scan.failure + "\n";
}

std::string VerdictText(const ScannedPair& pair) {
    std::string text;
    switch (pair.verdict) {
    case Verdict::kSkipped: {
        const PairSetting& unknown =
            pair.before.hash == 0 ? pair.pair->oldSetting : pair.pair->newSetting;
        text = "not swapped: " + std::string(SettingKeyNames[unknown.key]) +
               " names no item in the dictionary (`ostrevane check` tells why)";
        break;
    }
    case Verdict::kWouldSwap:
        text = "would swap " + CountOf(pair.before.count, "place", "places");
        if (pair.after.count > 0)
            text += "; the new item is in " + CountOf(pair.after.count, "place", "places");
        break;
    case Verdict::kOnlyNew:
        text = "only the new item occurs (the swap is on, or the game uses only the new item "
               "now)";
        break;
    case Verdict::kNeither:
        text = "neither item is in memory now: the game has not loaded it in this scene";
        break;
    case Verdict::kUnchanged:
        text = "not swapped: both settings name one item, so the pair changes nothing "
               "(`ostrevane check` tells more)";
        break;
    }
    if (pair.corruptingLine == 0) return text;
    return "WARNING: would corrupt the game's data (line " + std::to_string(pair.corruptingLine) +
           ", below); " + text;
}

std::vector<std::string> ScanWarnings(const ScanReport& report, const ScanResult& result) {
    std::vector<std::string> warnings;
    for (const CheckWarning& warning : report.corruptions)
        warnings.push_back(NumberedFindingWords(warning));
    for (ScannedPair pair : report.pairs) {
        if (pair.verdict != Verdict::kSkipped && pair.verdict != Verdict::kUnchanged) continue;
        pair.corruptingLine = 0;
        warnings.push_back("the " + std::string(pair.pair->name) + " pair is " + VerdictText(pair));
    }
    if (result.listingFailed) {
        char upTo[24];
        std::snprintf(upTo, sizeof upTo, "0x%llX",
                      static_cast<unsigned long long>(result.listedUpTo));
        warnings.push_back("the system refused to describe the game's memory above " +
                           std::string(upTo) + "; only the " + std::to_string(result.regions) +
                           " regions below it were scanned, and the counts cover those");
    }
    if (result.bytesSkipped > 0) {
        warnings.push_back(std::to_string(result.bytesSkipped) +
                           " bytes were freed or protected while the scan ran and were "
                           "skipped; the counts cover what could be read");
    }
    return warnings;
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
    out << "Turning the swap on would rewrite " << CountOf(result.wouldRewrite, "place", "places")
        << " now (the plug-in's own engine, all pairs in order).\n";
    if (!report.dictionary.empty()) {
        out << "Dictionary names in memory (" << report.dictionary.size() << "):\n";
        for (const ScannedItem& item : report.dictionary) {
            out << "  " << Padded(std::to_string(item.count), 10) << HexHash(item.hash) << "  "
                << Printable(item.name) << "\n";
        }
    }
    PrintWarnings(ScanWarnings(report, result), out);
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
        out << ", \"verdict\": \"" << VerdictName(pair.verdict)
            << "\", \"text\": " << JsonString(VerdictText(pair)) << "}";
    });
    out << ",\n";
    PrintJsonList(out, "dictionary", report.dictionary.size(),
                  [&](size_t i) { PrintItemJson(report.dictionary[i], out); });
    out << ",\n";
    const std::vector<std::string> warnings = ScanWarnings(report, result);
    PrintJsonList(out, "warnings", warnings.size(),
                  [&](size_t i) { out << JsonString(warnings[i]); });
    out << "\n}\n";
}
