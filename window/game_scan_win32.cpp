// "Is it working?": the diagnosis of the window's own folder and of the game running from it,
// made on a thread of its own, so the window keeps answering while the game's memory is read.
#include "inspect/diagnosis.h"
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

// The chooser's lParam at its start is the list of games to offer.
INT_PTR CALLBACK ChooseGameProc(HWND chooser, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND list = ::GetDlgItem(chooser, kGameList);
    switch (message) {
    case WM_INITDIALOG:
        for (const platform::RunningProgram& game :
             *reinterpret_cast<const std::vector<platform::RunningProgram>*>(lParam)) {
            const std::wstring entry =
                Wide(game.file) + L"  (process " + std::to_wstring(game.pid) + L")";
            ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        }
        ::SendMessageW(list, LB_SETCURSEL, 0, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK ||
            (LOWORD(wParam) == kGameList && HIWORD(wParam) == LBN_DBLCLK)) {
            ::EndDialog(chooser, ::SendMessageW(list, LB_GETCURSEL, 0, 0));
        } else if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(chooser, -1);
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool StartDiagnosis(HWND dialog, std::string& status) {
    const std::string folder = ProgramFolder();
    std::vector<platform::RunningProgram> games;
    for (const platform::RunningProgram& program : platform::ProgramsInFolder(folder))
        if (!IsOurs(program)) games.push_back(program);
    size_t chosen = 0;
    if (games.size() > 1) {
        const INT_PTR answer =
            ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kChooseGameDialog),
                              dialog, ChooseGameProc, reinterpret_cast<LPARAM>(&games));
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
