#include "game/scan_game.h"

#include "check/check.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "settings_file/suggest.h"

#include <chrono>
#include <filesystem>

bool FindGameProcess(const ProcessToScan& target, GameScan& scan) {
    if (target.process.empty()) {
        scan.pid = target.pid;
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
        scan.pid = found[0];
        return true;
    }
    scan.processName = name;
    scan.pidsNamed = found;
    scan.problem = found.empty() ? ScanProblem::kNoProcessNamed : ScanProblem::kSeveralNamed;
    return false;
}

namespace {

// Reads the settings file the plug-in in the game reads, unless the player named one: the
// game's current folder, not this program's, holds it.
bool ReadGameSettings(const platform::ProcessReader& reader, const std::string& named,
                      std::string& bytes, GameScan& scan) {
    std::string path = named;
    scan.settingsNamed = !named.empty();
    if (path.empty()) {
        std::string folder;
        if (!platform::ProcessFolder(reader, folder, scan.settingsSource)) {
            scan.problem = ScanProblem::kFoldersUnreadable;
            return false;
        }
        path = (std::filesystem::path(folder) / kSettingsFileName).string();
    }
    scan.settingsPath = FullPath(path);
    if (ReadWholeFile(path, bytes, scan.settingsProblem)) return true;
    scan.problem = ScanProblem::kSettingsUnread;
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
    if (!FindGameProcess(target, scan)) return scan;
    platform::ProcessReader reader;
    scan.opening = platform::OpenProcessForReading(scan.pid, reader);
    if (scan.opening != platform::ProcessOpening::kOpened) {
        scan.problem = ScanProblem::kCannotOpen;
        return scan;
    }
    std::string settingsBytes;
    if (!ReadGameSettings(reader, settingsPath, settingsBytes, scan)) {
        platform::CloseProcessReader(reader);
        return scan;
    }

    const SettingsDocument document = ReadDocument(std::move(settingsBytes));
    scan.settings = CheckSettings(document);
    scan.settingsRead = true;
    const HashCounter counter = ScanCounter(document.parsed, all);
    const auto start = std::chrono::steady_clock::now();
    scan.result = ScanProcess(reader, counter, ApplyChain(document.parsed.swap), progress);
    scan.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    platform::CloseProcessReader(reader);
    if (scan.result.processExited) {
        scan.problem = ScanProblem::kExited;
    } else if (scan.result.regions == 0) {
        scan.problem = ScanProblem::kNothingToScan;
    }
    if (scan.problem != ScanProblem::kNone) return scan;
    scan.report = MakeScanReport(document, counter, scan.result, all);
    AddCorruptions(scan.report, scan.settings);
    return scan;
}
