#include "platform/process_memory.h"
#include "settings/settings.h"
#include "tools/ostrevane/commands.h"
#include "tools/ostrevane/files.h"
#include "tools/ostrevane/scan.h"
#include "tools/ostrevane/scan_report.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <ostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Progress on the player's terminal once a scan has run a second, never into a pipe or a
// file, where it would only be noise in the report.
ScanProgressFunction TerminalProgress(std::ostream& err, Clock::time_point start, bool& shown) {
    if (&err != &std::cerr || !isatty(2)) return nullptr;
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

bool FindTarget(const ScanTarget& target, uint32_t& pid, std::ostream& err) {
    if (target.process.empty()) {
        pid = target.pid;
        return true;
    }
    const std::vector<uint32_t> found = platform::FindProcesses(target.process);
    if (found.size() == 1) {
        pid = found[0];
        return true;
    }
    err << "ostrevane scan: ";
    if (found.empty()) {
        err << "no process named " << target.process << " is running\n";
        return false;
    }
    err << found.size() << " processes are named " << target.process << " (ids";
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

} // namespace

int RunScan(const ScanTarget& target, const std::string& settingsPath, bool all, bool json,
            std::ostream& out, std::ostream& err) {
    std::string settingsBytes;
    if (!ReadSettingsFile("ostrevane scan: settings file ", settingsPath, settingsBytes, err)) {
        return kExitFailed;
    }
    uint32_t pid = 0;
    platform::ProcessReader reader;
    if (!FindTarget(target, pid, err) || !Open(pid, reader, err)) return kExitFailed;

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

    const ScanReport report = MakeScanReport(settings, counter, result, all);
    if (json) {
        PrintScanJson(pid, FullPath(settingsPath), report, result, out);
    } else {
        PrintScanText(pid, FullPath(settingsPath), report, result, seconds, out);
    }
    return report.warnings.empty() ? kExitOk : kExitWarnings;
}
