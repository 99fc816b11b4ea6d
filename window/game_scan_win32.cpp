// "Is it working?": the diagnosis of the window's own folder and of the game running from it,
// made on a thread of its own, so the window keeps answering while the game's memory is read.
#include "game/diagnosis.h"
#include "platform/process_memory.h"
#include "window/control_ids.h"
#include "window/settings_window_win32.h"

#include <exception>
#include <thread>
#include <vector>

namespace {

// Programs from the game folder that are not the game: this window, and the command.
bool IsOurs(const platform::RunningProgram& program) {
    return program.pid == ::GetCurrentProcessId() ||
           ::lstrcmpiA(program.file.c_str(), "OstrevaneSettings.exe") == 0 ||
           ::lstrcmpiA(program.file.c_str(), "ostrevane.exe") == 0;
}

} // namespace

bool StartDiagnosis(HWND dialog, std::string& status) {
    const std::string folder = ProgramFolder();
    std::vector<platform::RunningProgram> games;
    for (const platform::RunningProgram& program : platform::ProgramsInFolder(folder))
        if (!IsOurs(program)) games.push_back(program);
    size_t chosen = 0;
    if (games.size() > 1) {
        std::vector<std::wstring> entries;
        for (const platform::RunningProgram& game : games)
            entries.push_back(Wide(game.file) + L"  (process " + std::to_wstring(game.pid) + L")");
        const INT_PTR answer = ChooseFromList(dialog, kChooseGameDialog, kGameList, entries);
        if (answer < 0 || size_t(answer) >= games.size()) {
            status = "Is it working? No game chosen: nothing was read.";
            return false;
        }
        chosen = size_t(answer);
    }
    // No game running is a finding too: the files beside it are looked at all the same.
    const uint32_t pid = games.empty() ? 0 : games[chosen].pid;
    status = games.empty() ? std::string("Looking at the game's folder...")
                           : "Reading " + games[chosen].file + " (process " + std::to_string(pid) +
                                 "): this takes a few seconds...";
    std::thread([dialog, folder, pid] {
        auto* diagnosis = new Diagnosis;
        try {
            // The game is read with the settings file it reads itself: its current folder's,
            // which need not be the one open in this window.
            *diagnosis = Diagnose({folder, ProcessToScan{pid, ""}}, OSTREVANE_VERSION,
                                  {"ostrevane.exe", "OstrevaneSettings.exe"});
        } catch (const std::exception& failure) {
            diagnosis->facts.pid = pid;
            diagnosis->facts.gameNamed = true;
            diagnosis->facts.scan.problem = ScanProblem::kFailed;
            diagnosis->facts.scan.failure = failure.what();
            *diagnosis = Judge(std::move(diagnosis->facts));
        }
        if (!::PostMessageW(dialog, kScanDoneMessage, 0, reinterpret_cast<LPARAM>(diagnosis)))
            delete diagnosis; // the window closed meanwhile
    }).detach();
    return true;
}
