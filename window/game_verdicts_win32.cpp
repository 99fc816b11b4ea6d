// "Is it working?" in the window: the verdicts read from the running game replace the file's
// own until that game ends, and the pane holds every finding of the diagnosis meanwhile.
#include "game/diagnosis.h"
#include "settings_file/whole_files.h"
#include "window/control_ids.h"
#include "window/diagnosis_text.h"
#include "window/window_state_win32.h"

namespace {

void ClearVerdicts(SettingsWindow& window) {
    window.scanShown = false;
    window.scannedPid = 0;
}

bool SamePath(const std::string& a, const std::string& b) {
    return ::lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) == 0;
}

} // namespace

void AskIsItWorking(SettingsWindow& window) {
    std::string status;
    const bool started = StartDiagnosis(window.dialog, status);
    ::EnableWindow(Control(window.dialog, kScanButton), !started);
    if (!started) {
        ClearVerdicts(window);
        ShowConsequences(window);
    }
    Status(window, status);
}

void ShowDiagnosis(SettingsWindow& window, std::unique_ptr<Diagnosis> diagnosis) {
    ::EnableWindow(Control(window.dialog, kScanButton), TRUE);
    window.diagnosisText = WindowDiagnosisText(*diagnosis);
    const GameScan& scan = diagnosis->facts.scan;
    const bool read = diagnosis->facts.scanned && scan.problem == ScanProblem::kNone;
    std::string status = WindowSummary(*diagnosis);
    if (!read) {
        ClearVerdicts(window);
        ShowConsequences(window);
        Status(window, status);
        return;
    }
    window.scanShown = true;
    window.scannedPid = scan.pid;
    for (size_t pair = 0; pair < kPairCount; ++pair)
        window.verdicts[pair] = GameVerdictText(scan.report.pairs[pair]);
    ShowConsequences(window);
    status += " Read the game (process " + std::to_string(scan.pid) + ") with " +
              scan.settingsPath + ", the file it reads";
    status += SamePath(scan.settingsPath, FullPath(window.form.path))
                  ? ", as saved."
                  : ": not the file open here, so the verdicts are for the game's file.";
    if (scan.result.processExited) status += " The game ended during the reading.";
    Status(window, status);
    ::SetTimer(window.dialog, kGameTimer, 1000, nullptr);
}

// Verdicts and findings read from a game that has since ended say nothing of the next one.
void CheckGameRuns(SettingsWindow& window) {
    if (!window.scanShown) {
        ::KillTimer(window.dialog, kGameTimer);
        return;
    }
    HANDLE game = ::OpenProcess(SYNCHRONIZE, FALSE, window.scannedPid);
    const bool ended = game == nullptr || ::WaitForSingleObject(game, 0) == WAIT_OBJECT_0;
    if (game != nullptr) ::CloseHandle(game);
    if (!ended) return;
    ::KillTimer(window.dialog, kGameTimer);
    const uint32_t pid = window.scannedPid;
    ClearVerdicts(window);
    window.diagnosisText.clear();
    ShowConsequences(window);
    Status(window, "The game (process " + std::to_string(pid) +
                       ") has ended: its verdicts and findings are cleared. Start it and press "
                       "\"Is it working?\" again.");
}
