// The settings window's dialog: passes the player's choices and commands into the form, and
// opens, reloads, saves and mends the file.
#include "game/diagnosis.h"
#include "settings/settings.h"
#include "settings_file/whole_files.h"
#include "window/control_ids.h"
#include "window/default_repair.h"
#include "window/window_state_win32.h"

#include <commdlg.h>

#include <memory>
#include <vector>

namespace {

constexpr const wchar_t* kCaption = L"Ostrevane settings";

void EnableChoices(SettingsWindow& window, bool enable) {
    HWND dialog = window.dialog;
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        ::EnableWindow(Control(dialog, kSettingControl + int(key)), enable);
    // A file the plug-in reads nothing from is offered the default file too, the old one kept.
    const bool useless = enable && FileIsUseless(window.form);
    SetText(dialog, kWriteDefaultButton,
            useless ? "Replace with the de&fault file" : "Write the de&fault file");
    ::EnableWindow(Control(dialog, kWriteDefaultButton), TRUE);
    ::ShowWindow(Control(dialog, kWriteDefaultButton), enable && !useless ? SW_HIDE : SW_SHOW);
    ::ShowWindow(Control(dialog, kDefaultsButton), enable && !useless ? SW_SHOW : SW_HIDE);
    LayOut(window);
}

void ShowOpened(SettingsWindow& window, OpenOutcome outcome, const std::string& problem) {
    window.fileOpen = outcome == OpenOutcome::kOpened;
    window.changedOnDisk = false;
    if (!window.fileOpen) {
        const std::string path = window.form.path;
        window.form = SettingsForm{};
        window.form.path = path;
        EnableChoices(window, false);
        ShowForm(window);
        Status(window, problem);
        ::EnableWindow(Control(window.dialog, kWriteDefaultButton),
                       outcome == OpenOutcome::kMissing);
        // The next step, under Enter: write the default file, or open another.
        Focus(window.dialog, outcome == OpenOutcome::kMissing ? kWriteDefaultButton : kOpenButton);
        return;
    }
    ShowForm(window);
    EnableChoices(window, true);
}

void OpenFile(SettingsWindow& window, const std::string& path) {
    std::string problem;
    window.form.path = path;
    const OpenOutcome outcome = OpenSettingsFile(path, window.form, problem);
    window.statusText.clear();
    ShowOpened(window, outcome, problem);
    if (window.fileOpen) Status(window, "Opened " + path + ".");
}

// Reads the file again. Unsaved choices are kept and applied over it when the player says so,
// or unasked after Save found the file changed on disk.
void Reload(SettingsWindow& window) {
    bool keep = window.changedOnDisk;
    if (window.fileOpen && FormChanged(window.form) && !keep) {
        const int answer = ::MessageBoxW(
            window.dialog,
            L"Keep your unsaved choices?\n\nYes: read the file again and apply your choices "
            L"over it.\nNo: read the file again as it is, dropping your choices.",
            kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return;
        keep = answer == IDYES;
    }
    if (!keep || !window.fileOpen) {
        OpenFile(window, window.form.path);
        return;
    }
    std::string problem;
    std::vector<std::string_view> kept;
    const OpenOutcome outcome = ReloadSettingsFile(window.form, problem, kept);
    window.statusText.clear();
    ShowOpened(window, outcome, problem);
    if (!window.fileOpen) return;
    Status(window, ReloadedText(window.form, kept));
}

// True when the file as saved would make the swap corrupt the game and the player, asked,
// chose not to save.
bool CorruptionDeclined(SettingsWindow& window) {
    const std::string question = SaveQuestion(window.reading);
    return !question.empty() && ::MessageBoxW(window.dialog, Wide(question).c_str(), kCaption,
                                              MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES;
}

void Save(SettingsWindow& window) {
    if (FormChanged(window.form) && window.reading.refusal.empty() && CorruptionDeclined(window)) {
        Status(window, "Not saved: the choices stay as they are, for you to change.");
        return;
    }
    std::string message;
    const SaveOutcome outcome = SaveSettingsFile(window.form, message);
    window.changedOnDisk = outcome == SaveOutcome::kChangedOnDisk;
    if (window.changedOnDisk) {
        message += " Press Reload (Alt+R).";
        Focus(window.dialog, kReloadButton);
    }
    window.statusText = message;
    if (outcome == SaveOutcome::kSaved) ShowForm(window);
    Status(window, message);
    ShowConsequences(window);
}

void ChoiceTyped(SettingsWindow& window, size_t key) {
    HWND combo = Control(window.dialog, kSettingControl + int(key));
    const std::string typed = TextOf(combo);
    window.form.chosen[key] = NameOfEntry(typed);
    // Dropping the list selects the whole edit text, so the next letter typed would replace
    // what was typed so far: drop it first, then put back the text and the caret.
    if (!::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0))
        ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    OfferNames(window, key, typed, true);
    ShowConsequences(window);
}

void ChoicePicked(SettingsWindow& window, size_t key) {
    HWND combo = Control(window.dialog, kSettingControl + int(key));
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    std::wstring entry(size_t(::SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0)) + 1, L'\0');
    entry.resize(size_t(::SendMessageW(combo, CB_GETLBTEXT, WPARAM(index),
                                       reinterpret_cast<LPARAM>(entry.data()))));
    window.form.chosen[key] = NameOfEntry(Narrow(entry));
    ShowConsequences(window);
}

// A drop-down reached by its Alt letter or Tab: its whole text selected, so typing replaces it.
void ChoiceEntered(SettingsWindow& window, size_t key) {
    window.rowInUse = IsPairSetting(key) ? key / 2 : kKeyRow;
    if (IsPairSetting(key))
        ::SendMessageW(Control(window.dialog, kSettingControl + int(key)), CB_SETEDITSEL, 0,
                       MAKELPARAM(0, -1));
    ShowDetails(window);
}

void OpenAnother(SettingsWindow& window) {
    wchar_t file[MAX_PATH * 4] = L"";
    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = window.dialog;
    choice.lpstrFilter = L"Settings files (*.ini)\0*.ini\0All files\0*.*\0";
    choice.lpstrFile = file;
    choice.nMaxFile = DWORD(std::size(file));
    choice.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (::GetOpenFileNameW(&choice)) OpenFile(window, Narrow(file));
}

void About(HWND dialog) {
    const std::wstring text =
        L"Ostrevane " + Wide(OSTREVANE_VERSION) +
        L"\n\nChooses the items the plug-in swaps and its toggle key, with the same rules and "
        L"the same edits as the ostrevane command, and reads the running game as "
        L"\"ostrevane scan\" does.";
    ::MessageBoxW(dialog, text.c_str(), L"About Ostrevane settings", MB_OK | MB_ICONINFORMATION);
}

// True when the window may close: nothing unsaved, or the player chose what becomes of it.
bool MayClose(SettingsWindow& window) {
    if (!window.fileOpen || !FormChanged(window.form)) return true;
    const int answer = ::MessageBoxW(window.dialog, L"Save your changes to the settings file?",
                                     kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO) return true;
    if (answer != IDYES) return false;
    Save(window);
    return !FormChanged(window.form);
}

void ChooseDefaults(SettingsWindow& window) {
    std::vector<std::wstring> entries = {L"Every pair and the toggle key"};
    for (size_t row = 0; row <= kKeyRow; ++row)
        entries.push_back(Wide(RowLabel(row)));
    const INT_PTR picked = ChooseFromList(window.dialog, kDefaultsDialog, kDefaultsList, entries);
    if (picked < 0) return;
    const auto row = size_t(picked - 1);
    if (picked == 0) {
        RestoreDefaults(window.form, DefaultsFor::kAll);
    } else if (row == kKeyRow) {
        RestoreDefaults(window.form, DefaultsFor::kKey);
    } else {
        RestoreDefaults(window.form, DefaultsFor::kPair, row);
    }
    ShowForm(window);
    Status(window,
           "Restored the default choices for " +
               (picked == 0 ? std::string("every pair and the toggle key") : RowLabel(row)) +
               "; Save writes them.");
}

// Writes the default file where there is none, or, asked first, in place of a file the
// plug-in reads nothing from.
void WriteDefault(SettingsWindow& window) {
    std::string message;
    if (!window.fileOpen) {
        if (WriteDefaultSettingsFile(window.form.path, message)) {
            OpenFile(window, window.form.path);
        } else {
            Status(window, message);
        }
        return;
    }
    if (::MessageBoxW(window.dialog, Wide(ReplaceQuestion(window.form)).c_str(), kCaption,
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        Status(window, "Not replaced: the file stays as it is.");
        return;
    }
    if (ReplaceWithDefault(window.form, message)) ShowOpened(window, OpenOutcome::kOpened, "");
    Status(window, message);
}

bool Command(SettingsWindow& window, int id, int notification) {
    if (id >= kSettingControl && id < kSettingControl + int(kSettingKeyCount)) {
        if (window.filling) return true;
        const auto key = size_t(id - kSettingControl);
        if (notification == CBN_EDITCHANGE && IsPairSetting(key)) ChoiceTyped(window, key);
        if (notification == CBN_SELCHANGE) ChoicePicked(window, key);
        if (notification == CBN_SETFOCUS) ChoiceEntered(window, key);
        return true;
    }
    switch (id) {
    case IDOK:
        if (::IsWindowEnabled(Control(window.dialog, IDOK))) Save(window);
        return true;
    case kReloadButton:
        Reload(window);
        return true;
    case kOpenButton:
        if (MayClose(window)) OpenAnother(window);
        return true;
    case kWriteDefaultButton:
        WriteDefault(window);
        return true;
    case kDefaultsButton:
        ChooseDefaults(window);
        return true;
    case kScanButton:
        AskIsItWorking(window);
        return true;
    case kAboutButton:
        About(window.dialog);
        return true;
    case IDCANCEL:
        if (MayClose(window)) ::EndDialog(window.dialog, 0);
        return true;
    }
    return false;
}

SettingsWindow* WindowOf(HWND dialog) {
    return reinterpret_cast<SettingsWindow*>(::GetWindowLongPtrW(dialog, DWLP_USER));
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* window = new SettingsWindow;
        window->dialog = dialog;
        ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(window));
        window->font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
        MakeRows(*window);
        TakeEnterInDropDowns(*window);
        FirstLayout(*window);
        const auto* named = reinterpret_cast<const std::string*>(lParam);
        OpenFile(*window, named ? *named : ProgramFolder() + "\\" + kSettingsFileName);
        return window->fileOpen; // else OpenFile has put the focus on the next step
    }
    SettingsWindow* window = WindowOf(dialog);
    if (window == nullptr) return FALSE;
    switch (message) {
    case WM_SIZE:
        LayOut(*window);
        return TRUE;
    case WM_GETMINMAXINFO:
        KeepMinimumSize(*window, *reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_DPICHANGED:
        FollowDpi(*window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kGameTimer) CheckGameRuns(*window);
        return TRUE;
    case WM_COMMAND:
        return Command(*window, LOWORD(wParam), HIWORD(wParam));
    case kScanDoneMessage:
        ShowDiagnosis(*window, std::unique_ptr<Diagnosis>(reinterpret_cast<Diagnosis*>(lParam)));
        return TRUE;
    case WM_NCDESTROY:
        if (window->ownFont != nullptr) ::DeleteObject(window->ownFont);
        ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
        delete window;
        return FALSE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // An exception must not cross into Windows' dispatch: the window says what failed and
    // stays usable, and nothing half-done is written (a save writes in one step or not at all).
    try {
        return HandleMessage(dialog, message, wParam, lParam);
    } catch (const std::exception& failure) {
        if (SettingsWindow* window = WindowOf(dialog))
            Status(*window, std::string("Something went wrong: ") + failure.what());
    } catch (...) {
        if (SettingsWindow* window = WindowOf(dialog)) Status(*window, "Something went wrong.");
    }
    return TRUE;
}
