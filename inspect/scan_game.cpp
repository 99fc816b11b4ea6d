#include "inspect/scan_game.h"

#include "inspect/check.h"
#include "inspect/suggest.h"
#include "inspect/whole_files.h"
#include "platform/process_folder.h"
#include "platform/process_memory.h"
#include "platform/wine.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"

#include <chrono>
#include <filesystem>
#include <sstream>

namespace {

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

bool Open(uint32_t pid, platform::ProcessReader& reader, ScanProblem& kind, std::ostream& err) {
    const platform::ProcessOpening opening = platform::OpenProcessForReading(pid, reader);
    kind = opening == platform::ProcessOpening::kNoSuchProcess   ? ScanProblem::kNoSuchProcess
           : opening == platform::ProcessOpening::kAccessRefused ? ScanProblem::kAccessRefused
           : opening == platform::ProcessOpening::kFailed        ? ScanProblem::kCannotOpen
                                                                 : ScanProblem::kOther;
    switch (opening) {
    case platform::ProcessOpening::kOpened:
        kind = ScanProblem::kNone;
        return true;
    case platform::ProcessOpening::kNoSuchProcess:
        err << "no process with id " << pid << " is running\n";
        return false;
    case platform::ProcessOpening::kAccessRefused:
        err << "process " << pid
            << ": access refused; run ostrevane as the same user as the game (or as "
               "administrator)\n";
        return false;
    case platform::ProcessOpening::kKernelAllowsNone:
        err << "process " << pid
            << ": access refused by the kernel: /proc/sys/kernel/yama/ptrace_scope is 3, so no "
               "program may read another until the next restart\n";
        return false;
    case platform::ProcessOpening::kKernelAllowsOnlyDescendants:
    case platform::ProcessOpening::kKernelAllowsOnlyTracers: {
        const bool descendants = opening == platform::ProcessOpening::kKernelAllowsOnlyDescendants;
        err << "process " << pid
            << ": access refused by the kernel: /proc/sys/kernel/yama/ptrace_scope is "
            << (descendants ? "1, so a program may read only the processes it started"
                            : "2, so only a program with the right to trace may read another")
            << "; run this one scan with the right to trace the game: sudo ostrevane scan --pid "
            << pid << "\n";
        return false;
    }
    case platform::ProcessOpening::kRunByWine:
        err << "process " << pid
            << " is a Windows program run by Wine or Proton: this ostrevane cannot tell its"
               " memory apart as the plug-in's walk does, and would count wrong. Run"
               " ostrevane.exe scan in the game's Wine prefix instead (see \"Linux and Proton\""
               " in the README)\n";
        return false;
    case platform::ProcessOpening::kFailed:
        break;
    }
    err << "process " << pid << " could not be opened for reading\n";
    return false;
}

// Reads the settings file the plug-in in the game reads, unless the player named one: the
// game's current folder, not this command's, holds it.
bool ReadGameSettings(const platform::ProcessReader& reader, std::string& path, std::string& source,
                      std::string& bytes, GameScan& scan, std::ostream& err) {
    std::string hint = "Without --settings, scan reads the settings file in the game's current "
                       "folder, as the plug-in does.\n";
    if (path.empty()) {
        std::string folder;
        platform::FolderSource from;
        if (!platform::ProcessFolder(reader, folder, from)) {
            scan.problemKind = ScanProblem::kFoldersUnreadable;
            err << "process " << reader.pid
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
    if (ReadWholeFile(path, bytes, scan.settingsProblem)) return true;
    scan.problemKind = ScanProblem::kSettingsUnread;
    err << "settings file " << SettingsFileProblemText(path, scan.settingsProblem, hint);
    return false;
}

// The check's rules on pairs that would corrupt the game hold in the game too, and a count
// beside such a pair is no good news: its verdict says so.
void AddCorruptions(ScanReport& report, const CheckReport& check) {
    for (const CheckWarning& warning : check.warnings) {
        if (warning.kind != FindingKind::kCorrupts) continue;
        report.corruptions.push_back(warning);
        for (ScannedPair& pair : report.pairs) {
            const bool concerns = warning.setting == pair.pair->oldSetting.key ||
                                  warning.setting == pair.pair->newSetting.key;
            if (concerns && pair.corruptingLine == 0) pair.corruptingLine = warning.line;
        }
    }
}

} // namespace

GameScan ScanGame(const ProcessToScan& target, const std::string& settingsPath, bool all,
                  const ScanProgressFunction& progress) {
    GameScan scan;
    std::ostringstream why;
    platform::ProcessReader reader;
    if (!FindTarget(target, scan.pid, why)) {
        scan.problemKind = ScanProblem::kOther;
        scan.problem = why.str();
        return scan;
    }
    if (!Open(scan.pid, reader, scan.problemKind, why)) {
        scan.problem = why.str();
        return scan;
    }
    std::string settingsBytes, path = settingsPath;
    const bool read = ReadGameSettings(reader, path, scan.settingsSource, settingsBytes, scan, why);
    if (!path.empty()) scan.settingsPath = FullPath(path);
    if (!read) {
        platform::CloseProcessReader(reader);
        scan.problem = why.str();
        return scan;
    }

    const ParsedSettings settings = ParseSettings(settingsBytes);
    const WindowCounter counter = ScanCounter(settings, all);
    const auto start = std::chrono::steady_clock::now();
    scan.result = ScanProcess(reader, counter, ApplyChain(settings.swap), progress);
    scan.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    platform::CloseProcessReader(reader);
    if (scan.result.processExited) {
        scan.problemKind = ScanProblem::kExited;
        why << "process " << scan.pid
            << " exited during the scan; start the game again and scan it while it runs\n";
    } else if (scan.result.regions == 0) {
        scan.problemKind = ScanProblem::kNothingToScan;
        why << "process " << scan.pid << ": "
            << (scan.result.listingFailed ? "the system refused to describe its memory"
                                          : "none of its memory is memory the swap would walk")
            << "; nothing was scanned\n";
    }
    scan.problem = why.str();
    if (!scan.problem.empty()) return scan;
    scan.report = MakeScanReport(settings, counter, scan.result, all);
    AddCorruptions(scan.report, CheckSettings(ReadDocument(std::move(settingsBytes))));
    return scan;
}
