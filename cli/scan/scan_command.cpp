#include "cli/check/check.h"
#include "cli/commands.h"
#include "cli/files.h"
#include "cli/scan/scan.h"
#include "cli/scan/scan_report.h"
#include "cli/suggest.h"
#include "platform/command_host.h"
#include "platform/process_folder.h"
#include "platform/process_memory.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <ostream>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Progress on the player's terminal once a scan has run a second, never into a pipe or a
// file, where it would only be noise in the report.
ScanProgressFunction TerminalProgress(std::ostream& err, Clock::time_point start, bool& shown) {
    if (&err != &std::cerr || !platform::ErrorIsTerminal()) return nullptr;
    return [&err, start, &shown, last = Clock::time_point()](const ScanProgress& p) mutable {
        const Clock::time_point now = Clock::now();
        if (now - start < std::chrono::seconds(1) || now - last < std::chrono::milliseconds(100)) {
            return;
        }
        last = now;
        char line[128];
        std::snprintf(line, sizeof line, "\r  %.2f of %.2f GB, %zu of %zu regions, %.2f GB/s  ",
                      double(p.bytesDone) / 1e9, double(p.bytesTotal) / 1e9, p.regionsDone,
                      p.regionsTotal, double(p.bytesDone) / 1e9 / SecondsSince(start));
        err << line << std::flush;
        shown = true;
    };
}

bool FindTarget(const ProcessToScan& target, uint32_t& pid, std::ostream& err) {
    if (target.process.empty()) {
        pid = target.pid;
        return true;
    }
    // The system lists a program by its file name: a full path is cut to that, and the
    // ".exe" a player leaves out is tried too.
    std::string name = target.process.substr(target.process.find_last_of("/\\") + 1);
    std::vector<uint32_t> found = platform::FindProcesses(name);
    const bool hasExe =
        name.size() > 4 && ContainsIgnoringCase(name.substr(name.size() - 4), ".exe");
    if (found.empty() && !hasExe && !platform::FindProcesses(name + ".exe").empty()) {
        name += ".exe";
        found = platform::FindProcesses(name);
    }
    if (found.size() == 1) {
        pid = found[0];
        return true;
    }
    err << "ostrevane scan: ";
    if (found.empty()) {
        err << "no process named " << name << " is running; start the game, or give its "
            << "process id with --pid\n";
        if (platform::RunsUnderWine()) {
            err << "Under Wine or Proton, ostrevane.exe sees only the programs of its own Wine "
                   "prefix: run it in the game's, WINEPREFIX=/path/to/prefix wine ostrevane.exe "
                   "(Proton's is steamapps/compatdata/APPID/pfx).\n";
        }
        return false;
    }
    err << found.size() << " processes are named " << name << " (ids";
    for (const uint32_t id : found)
        err << " " << id;
    err << "): choose one with --pid\n";
    return false;
}

bool Open(uint32_t pid, platform::ProcessReader& reader, std::ostream& err) {
    switch (platform::OpenProcessForReading(pid, reader)) {
    case platform::ProcessOpening::kOpened:
        return true;
    case platform::ProcessOpening::kNoSuchProcess:
        err << "ostrevane scan: no process with id " << pid << " is running\n";
        return false;
    case platform::ProcessOpening::kAccessRefused:
        err << "ostrevane scan: process " << pid
            << ": access refused; run ostrevane as the same user as the game (or as "
               "administrator)\n";
        return false;
    case platform::ProcessOpening::kKernelRestricts: {
        const int scope = platform::TraceRestriction();
        err << "ostrevane scan: process " << pid
            << ": access refused by the kernel: /proc/sys/kernel/yama/ptrace_scope is " << scope;
        if (scope >= 3) {
            err << ", so no program may read another until the next restart\n";
        } else {
            err << (scope == 1 ? ", so a program may read only the processes it started"
                               : ", so only a program with the right to trace may read another")
                << "; run this one scan with the right to trace the game: sudo ostrevane scan "
                   "--pid "
                << pid << "\n";
        }
        return false;
    }
    case platform::ProcessOpening::kRunByWine:
        err << "ostrevane scan: process " << pid
            << " is a Windows program run by Wine or Proton: this ostrevane cannot tell its"
               " memory apart as the plug-in's walk does, and would count wrong. Run"
               " ostrevane.exe scan in the game's Wine prefix instead (see \"Linux and Proton\""
               " in the README)\n";
        return false;
    case platform::ProcessOpening::kFailed:
        break;
    }
    err << "ostrevane scan: process " << pid << " could not be opened for reading\n";
    return false;
}

// Reads the settings file the plug-in in the game reads, unless the player named one: the
// game's current folder, not this command's, holds it.
bool ReadGameSettings(const platform::ProcessReader& reader, std::string& path, std::string& source,
                      std::string& bytes, std::ostream& err) {
    std::string hint = "Without --settings, scan reads the settings file in the game's current "
                       "folder, as the plug-in does.\n";
    if (path.empty()) {
        std::string folder;
        platform::FolderSource from;
        if (!platform::ProcessFolder(reader, folder, from)) {
            err << "ostrevane scan: process " << reader.pid
                << ": its folders cannot be read, so the settings file the plug-in reads there "
                   "is unknown; name it with --settings\n";
            return false;
        }
        path = (std::filesystem::path(folder) / kSettingsFileName).string();
        source = from == platform::FolderSource::kCurrentFolder
                     ? "the game's current folder"
                     : "the game's program folder: its current folder could not be read";
        hint = "The plug-in writes it there when the game starts with the plug-in installed; "
               "run the game once with it, or name the settings file with --settings.\n";
    }
    return ReadSettingsFile("ostrevane scan: settings file ", path, bytes, err, hint);
}

} // namespace

int RunScan(const ProcessToScan& target, const std::string& settingsPath, bool all, bool json,
            std::ostream& out, std::ostream& err) {
    uint32_t pid = 0;
    platform::ProcessReader reader;
    if (!FindTarget(target, pid, err) || !Open(pid, reader, err)) return kExitFailed;
    std::string settingsBytes, path = settingsPath, source;
    if (!ReadGameSettings(reader, path, source, settingsBytes, err)) {
        platform::CloseProcessReader(reader);
        return kExitFailed;
    }

    const ParsedSettings settings = ParseSettings(settingsBytes);
    const WindowCounter counter = ScanCounter(settings, all);
    const Clock::time_point start = Clock::now();
    bool progressShown = false;
    const ScanResult result = ScanProcess(reader, counter, ApplyChain(settings.swap),
                                          TerminalProgress(err, start, progressShown));
    const double seconds = SecondsSince(start);
    platform::CloseProcessReader(reader);
    if (progressShown) err << "\r" << std::string(70, ' ') << "\r" << std::flush;
    if (result.processExited) {
        err << "ostrevane scan: process " << pid
            << " exited during the scan; start the game again and scan it while it runs\n";
        return kExitFailed;
    }
    if (result.regions == 0) {
        err << "ostrevane scan: process " << pid << ": "
            << (result.listingFailed ? "the system refused to describe its memory"
                                     : "none of its memory is memory the swap would walk")
            << "; nothing was scanned\n";
        return kExitFailed;
    }

    ScanReport report = MakeScanReport(settings, counter, result, all);
    // The check's rules on pairs that would corrupt the game hold in the game too, and a
    // count beside such a pair is no good news: its row says so.
    const CheckReport check = CheckSettings(settingsBytes);
    auto next = report.warnings.begin();
    for (const CheckWarning& warning : check.warnings) {
        if (warning.kind != FindingKind::kCorrupts) continue;
        const std::string line = "line " + std::to_string(warning.line);
        next = report.warnings.insert(next, line + ": " + warning.message) + 1;
        for (ScannedPair& pair : report.pairs) {
            const SwapPair& swap = *pair.pair;
            if (check.settingLines[swap.oldSetting.key] != warning.line &&
                check.settingLines[swap.newSetting.key] != warning.line) {
                continue;
            }
            if (!pair.text.starts_with("WARNING")) {
                pair.text =
                    "WARNING: would corrupt the game's data (" + line + ", below); " + pair.text;
            }
        }
    }
    if (json) {
        PrintScanJson(pid, FullPath(path), report, result, out);
    } else {
        PrintScanText(pid, FullPath(path) + (source.empty() ? "" : " (" + source + ")"), report,
                      result, seconds, out);
    }
    return report.warnings.empty() ? kExitOk : kExitWarnings;
}
