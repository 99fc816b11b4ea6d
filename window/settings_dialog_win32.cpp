// The settings window's dialog: shows the form, passes the player's choices into it, saves.
#include "inspect/scan_game.h"
#include "settings/settings.h"
#include "window/control_ids.h"
#include "window/settings_form.h"
#include "window/settings_window_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <memory>

namespace {

SettingsForm form;
bool fileOpen = false; // false while the file is missing or unreadable
bool filling = false;  // the window is setting its own controls: no choice is being made

HWND Control(HWND dialog, int id) {
    return ::GetDlgItem(dialog, id);
}

void SetText(HWND dialog, int id, std::string_view text) {
    ::SetWindowTextW(Control(dialog, id), Wide(text).c_str());
}

std::string TextOf(HWND control) {
    std::wstring text(size_t(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(control, text.data(), int(text.size()))));
    return Narrow(text);
}

// As the dialog moves the focus itself, so the button becomes the one Enter presses.
void Focus(HWND dialog, int id) {
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(dialog, id)), TRUE);
}

void Status(HWND dialog, std::string_view text) {
    SetText(dialog, kStatusControl, text);
}

bool IsPairSetting(size_t key) {
    return key < kActivationKey;
}

// What a pair's drop-down offers for `typed`, its edit text kept as the player left it.
void OfferNames(HWND dialog, size_t key, std::string_view typed, bool keepText) {
    HWND combo = Control(dialog, kSettingControl + int(key));
    const std::wstring text = Wide(keepText ? typed : std::string_view(form.chosen[key]));
    DWORD caret = 0;
    ::SendMessageW(combo, CB_GETEDITSEL, 0, reinterpret_cast<LPARAM>(&caret));
    filling = true;
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const ListedName& name : NamesToOffer(form, key / 2, typed).names)
        ::SendMessageW(combo, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(Wide(NameEntry(name)).c_str()));
    ::SetWindowTextW(combo, text.c_str());
    if (keepText) ::SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
    filling = false;
}

void OfferKeys(HWND dialog) {
    HWND combo = Control(dialog, kSettingControl + int(kActivationKey));
    filling = true;
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const std::string& chosen = form.chosen[kActivationKey];
    std::vector<std::string> keys = ToggleKeyNames();
    // A value the plug-in does not know still shows, so the player sees what the file says.
    if (std::find(keys.begin(), keys.end(), chosen) == keys.end())
        keys.insert(keys.begin(), chosen);
    for (const std::string& key : keys)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(key).c_str()));
    ::SendMessageW(combo, CB_SELECTSTRING, WPARAM(-1),
                   reinterpret_cast<LPARAM>(Wide(chosen).c_str()));
    filling = false;
}

// Everything that follows from the choices: comments, warnings, whether Save can be pressed.
void ShowConsequences(HWND dialog) {
    if (!fileOpen) {
        for (size_t key = 0; key < kActivationKey; ++key)
            SetText(dialog, kCommentControl + int(key), "");
        for (size_t row = 0; row <= kGeneralRow; ++row)
            SetText(dialog, kFindingsControl + int(row), "");
        ::EnableWindow(Control(dialog, IDOK), FALSE);
        return;
    }
    for (size_t key = 0; key < kActivationKey; ++key)
        SetText(dialog, kCommentControl + int(key), CommentFor(form, key / 2, form.chosen[key]));
    std::array<std::string, kGeneralRow + 1> rows;
    const auto add = [&rows](size_t row, const std::string& text) {
        rows[row] += (rows[row].empty() ? "" : "\n") + text;
    };
    const PendingFile pending = PendingBytes(form);
    if (!pending.refusal.empty()) add(kGeneralRow, "Cannot save: " + pending.refusal);
    for (const CheckWarning& warning : CheckSettings(pending.bytes).warnings)
        add(RowOf(warning), FindingText(warning));
    if (std::all_of(rows.begin(), rows.end(), [](const std::string& row) { return row.empty(); }))
        rows[kGeneralRow] = "No warnings: the plug-in reads every setting as shown.";
    for (size_t row = 0; row < rows.size(); ++row)
        SetText(dialog, kFindingsControl + int(row), rows[row]);
    ::EnableWindow(Control(dialog, IDOK), fileOpen && FormChanged(form));
}

void ShowForm(HWND dialog) {
    const std::wstring title =
        L"Ostrevane " + Wide(OSTREVANE_VERSION) + L" settings - " + Wide(form.path);
    ::SetWindowTextW(dialog, title.c_str());
    SetText(dialog, kFileControl, "Settings file: " + form.path);
    for (size_t key = 0; key < kActivationKey; ++key)
        OfferNames(dialog, key, "", false);
    OfferKeys(dialog);
    for (size_t pair = 0; pair < kPairCount; ++pair)
        SetText(dialog, kVerdictControl + int(pair), "");
    ShowConsequences(dialog);
}

void EnableChoices(HWND dialog, bool enable) {
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        ::EnableWindow(Control(dialog, kSettingControl + int(key)), enable);
    ::ShowWindow(Control(dialog, kWriteDefaultButton), enable ? SW_HIDE : SW_SHOW);
}

void OpenFile(HWND dialog, const std::string& path) {
    std::string problem;
    const OpenOutcome outcome = OpenSettingsFile(path, form, problem);
    fileOpen = outcome == OpenOutcome::kOpened;
    if (!fileOpen) {
        form = SettingsForm{};
        form.path = path;
        ShowForm(dialog);
        EnableChoices(dialog, false);
        Status(dialog, problem);
        ::EnableWindow(Control(dialog, kWriteDefaultButton), outcome == OpenOutcome::kMissing);
        // The next step, under Enter: write the default file, or open another.
        Focus(dialog, outcome == OpenOutcome::kMissing ? kWriteDefaultButton : kOpenButton);
        return;
    }
    EnableChoices(dialog, true);
    ShowForm(dialog);
    Status(dialog, "Opened " + path + ".");
}

void Save(HWND dialog) {
    std::string message;
    const SaveOutcome outcome = SaveSettingsFile(form, message);
    if (outcome == SaveOutcome::kChangedOnDisk) {
        message += " Press Reload (Alt+R) to read it again.";
        Focus(dialog, kReloadButton);
    }
    if (outcome == SaveOutcome::kSaved) ShowForm(dialog);
    Status(dialog, message);
    ShowConsequences(dialog);
}

void ChoiceTyped(HWND dialog, size_t key) {
    HWND combo = Control(dialog, kSettingControl + int(key));
    const std::string typed = TextOf(combo);
    form.chosen[key] = NameOfEntry(typed);
    // Dropping the list selects the whole edit text, so the next letter typed would replace
    // what was typed so far: drop it first, then put back the text and the caret.
    if (!::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0))
        ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    OfferNames(dialog, key, typed, true);
    ShowConsequences(dialog);
}

void ChoicePicked(HWND dialog, size_t key) {
    HWND combo = Control(dialog, kSettingControl + int(key));
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    std::wstring entry(size_t(::SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0)) + 1, L'\0');
    entry.resize(size_t(::SendMessageW(combo, CB_GETLBTEXT, WPARAM(index),
                                       reinterpret_cast<LPARAM>(entry.data()))));
    form.chosen[key] = NameOfEntry(Narrow(entry));
    ShowConsequences(dialog);
}

void OpenAnother(HWND dialog) {
    wchar_t file[MAX_PATH * 4] = L"";
    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = dialog;
    choice.lpstrFilter = L"Settings files (*.ini)\0*.ini\0All files\0*.*\0";
    choice.lpstrFile = file;
    choice.nMaxFile = DWORD(std::size(file));
    choice.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (::GetOpenFileNameW(&choice)) OpenFile(dialog, Narrow(file));
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
bool MayClose(HWND dialog) {
    if (!fileOpen || !FormChanged(form)) return true;
    const int answer = ::MessageBoxW(dialog, L"Save your changes to the settings file?",
                                     L"Ostrevane settings", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO) return true;
    if (answer != IDYES) return false;
    Save(dialog);
    return !FormChanged(form);
}

void ShowScan(HWND dialog, std::unique_ptr<GameScan> scan) {
    ::EnableWindow(Control(dialog, kScanButton), TRUE);
    if (!scan->problem.empty()) {
        Status(dialog, "Is it working? " + scan->problem);
        return;
    }
    for (size_t pair = 0; pair < kPairCount; ++pair)
        SetText(dialog, kVerdictControl + int(pair),
                "In the game now: " + scan->report.pairs[pair].text);
    std::string status = "Read the game (process " + std::to_string(scan->pid) + ") with " +
                         scan->settingsPath + " as saved.";
    if (scan->result.processExited)
        status += " The game ended during the reading: counts are partial.";
    Status(dialog, status);
}

bool Command(HWND dialog, int id, int notification) {
    if (id >= kSettingControl && id < kSettingControl + int(kSettingKeyCount)) {
        if (filling) return true;
        const auto key = size_t(id - kSettingControl);
        if (notification == CBN_EDITCHANGE && IsPairSetting(key)) ChoiceTyped(dialog, key);
        if (notification == CBN_SELCHANGE) ChoicePicked(dialog, key);
        return true;
    }
    switch (id) {
    case IDOK:
        Save(dialog);
        return true;
    case kReloadButton:
        OpenFile(dialog, form.path);
        return true;
    case kOpenButton:
        if (MayClose(dialog)) OpenAnother(dialog);
        return true;
    case kWriteDefaultButton: {
        std::string problem;
        if (WriteDefaultSettingsFile(form.path, problem))
            OpenFile(dialog, form.path);
        else
            Status(dialog, problem);
        return true;
    }
    case kScanButton: {
        std::string status;
        const bool started = StartGameScan(dialog, form.path, status);
        ::EnableWindow(Control(dialog, kScanButton), !started);
        Status(dialog, status);
        return true;
    }
    case kAboutButton:
        About(dialog);
        return true;
    case IDCANCEL:
        if (MayClose(dialog)) ::EndDialog(dialog, 0);
        return true;
    }
    return false;
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* named = reinterpret_cast<const std::string*>(lParam);
        OpenFile(dialog, named ? *named : ProgramFolder() + "\\" + kSettingsFileName);
        return fileOpen; // else OpenFile has put the focus on the next step
    }
    case WM_COMMAND:
        return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case kScanDoneMessage:
        ShowScan(dialog, std::unique_ptr<GameScan>(reinterpret_cast<GameScan*>(lParam)));
        return TRUE;
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
        Status(dialog, std::string("Something went wrong: ") + failure.what());
    } catch (...) {
        Status(dialog, "Something went wrong.");
    }
    return TRUE;
}
