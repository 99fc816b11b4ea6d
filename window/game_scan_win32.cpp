// "Is it working?": the game is the program running from the window's own folder; it is read
// on a thread of its own, so the window keeps answering while the game's memory is read.
#include "inspect/scan_game.h"
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

bool StartGameScan(HWND dialog, std::string& status) {
    const std::string folder = ProgramFolder();
    std::vector<platform::RunningProgram> games;
    for (const platform::RunningProgram& program : platform::ProgramsInFolder(folder))
        if (!IsOurs(program)) games.push_back(program);
    if (games.empty()) {
        status = "Is it working? No game is running from " + folder +
                 ". Start the game, then press \"Is it working?\" again.";
        return false;
    }
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
    const uint32_t pid = games[chosen].pid;
    status = "Reading " + games[chosen].file + " (process " + std::to_string(pid) +
             "): this takes a few seconds...";
    std::thread([dialog, pid] {
        auto* scan = new GameScan;
        try {
            // The file the plug-in in the game reads: its current folder's, which need not be
            // the one open in this window.
            *scan = ScanGame(ProcessToScan{pid, ""}, "", false, nullptr);
        } catch (const std::exception& failure) {
            scan->problem = ScanProblem::kFailed;
            scan->failure = failure.what();
        }
        if (!::PostMessageW(dialog, kScanDoneMessage, 0, reinterpret_cast<LPARAM>(scan)))
            delete scan; // the window closed meanwhile
    }).detach();
    return true;
}

std::string ScanProblemText(const GameScan& scan) {
    const std::string game = "The game (process " + std::to_string(scan.pid) + ")";
    switch (scan.problem) {
    case ScanProblem::kNone:
        return "";
    case ScanProblem::kCannotOpen:
        if (scan.opening == platform::ProcessOpening::kNoSuchProcess)
            return game + " ended before it could be read. Start it, then press \"Is it "
                          "working?\" again.";
        if (scan.opening == platform::ProcessOpening::kAccessRefused)
            return game + " refused to be read: start this window as the same user as the "
                          "game, or as administrator.";
        return game + " could not be opened for reading.";
    case ScanProblem::kFoldersUnreadable:
        return game + " does not say which folder it reads its settings file from, so nothing "
                      "was read.";
    case ScanProblem::kSettingsUnread:
        return "The game reads " + scan.settingsPath + ", and it " + scan.settingsProblem.words +
               (scan.settingsProblem.kind == FileProblem::kMissing
                    ? ": the plug-in writes it when the game starts with it installed. Is "
                      "Ostrevane.asi in the game's folder?"
                    : ".");
    case ScanProblem::kExited:
        return game + " ended during the reading. Start it, then press \"Is it working?\" "
                      "again while it runs.";
    case ScanProblem::kNothingToScan:
        return game + " showed none of the memory the swap rewrites, so nothing was read.";
    case ScanProblem::kNoProcessNamed:
    case ScanProblem::kSeveralNamed:
    case ScanProblem::kFailed:
        break;
    }
    return game + " could not be read" + (scan.failure.empty() ? "." : ": " + scan.failure + ".");
}
