// The form on the screen: the names each drop-down offers, the comments, warnings and verdicts
// worded from one reading of the file as Save would write it, the title, Save, and the pane.
#include "window/control_ids.h"
#include "window/window_state_win32.h"

#include <algorithm>

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

void Focus(HWND dialog, int id) {
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(dialog, id)), TRUE);
}

bool IsPairSetting(size_t key) {
    return key < kActivationKey;
}

namespace {

size_t RowOfSetting(size_t key) {
    return IsPairSetting(key) ? key / 2 : kKeyRow;
}

void ShowTitle(SettingsWindow& window) {
    const bool unsaved = window.fileOpen && FormChanged(window.form);
    const std::wstring title = std::wstring(unsaved ? L"*" : L"") + L"Ostrevane " +
                               Wide(OSTREVANE_VERSION) + L" settings - " + Wide(window.form.path);
    ::SetWindowTextW(window.dialog, title.c_str());
}

void OfferKeys(SettingsWindow& window) {
    HWND combo = Control(window.dialog, kSettingControl + int(kActivationKey));
    window.filling = true;
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const std::string& chosen = window.form.chosen[kActivationKey];
    std::vector<std::string> keys = ToggleKeyNames();
    // A value the plug-in does not know still shows, so the player sees what the file says.
    if (std::find(keys.begin(), keys.end(), chosen) == keys.end())
        keys.insert(keys.begin(), chosen);
    for (const std::string& key : keys)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(key).c_str()));
    ::SendMessageW(combo, CB_SELECTSTRING, WPARAM(-1),
                   reinterpret_cast<LPARAM>(Wide(chosen).c_str()));
    window.filling = false;
}

// The focus never rests on a control that cannot take it, such as Save once it is disabled.
// Disabling the control that has the focus leaves the focus nowhere, so the active window
// with no focus is mended too.
void KeepFocusUsable(SettingsWindow& window) {
    HWND focus = ::GetFocus();
    if (focus == nullptr ? ::GetActiveWindow() != window.dialog : ::IsWindowEnabled(focus)) return;
    const size_t row = window.rowInUse;
    Focus(window.dialog,
          window.fileOpen ? kSettingControl + int(row < kPairCount ? 2 * row : 0) : kOpenButton);
}

void ClearRows(SettingsWindow& window) {
    for (size_t key = 0; key < kActivationKey; ++key)
        ShowFitted(window, kCommentControl + int(key), "");
    for (size_t row = 0; row <= kGeneralRow; ++row)
        ShowFitted(window, kFindingsControl + int(row), "");
    for (size_t pair = 0; pair < kPairCount; ++pair)
        ShowFitted(window, kVerdictControl + int(pair), "");
}

} // namespace

// Every word about the row in use, whole: first what the toggle key will do and the warnings,
// then what each name is, then the status line's words and the last diagnosis.
void ShowDetails(SettingsWindow& window) {
    const size_t row = window.rowInUse;
    std::string text = RowDetails(window.form, window.reading, row);
    if (row < kPairCount && window.scanShown) text += window.verdicts[row] + "\n";
    if (row != kGeneralRow) {
        for (const std::string& warning : window.reading.warnings[kGeneralRow])
            text += warning + "\n";
    }
    if (row < kPairCount && text.find('?') != std::string::npos)
        text += "(A \"?\" in a comment is a value nobody has measured yet.)\n";
    if (!window.statusText.empty()) text += "\n" + window.statusText + "\n";
    if (!window.diagnosisText.empty()) text += "\n" + window.diagnosisText;
    std::string crlf; // an edit control breaks lines only at CR LF
    for (const char c : text) {
        if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) crlf += '\r';
        crlf += c;
    }
    SetText(window.dialog, kDetailsControl, crlf);
}

void Status(SettingsWindow& window, std::string_view text) {
    window.statusText = text;
    ShowFitted(window, kStatusControl, text);
    ShowDetails(window);
}

void OfferNames(SettingsWindow& window, size_t key, std::string_view typed, bool keepText) {
    HWND combo = Control(window.dialog, kSettingControl + int(key));
    const std::wstring text = Wide(keepText ? typed : std::string_view(window.form.chosen[key]));
    DWORD caret = 0;
    ::SendMessageW(combo, CB_GETEDITSEL, 0, reinterpret_cast<LPARAM>(&caret));
    window.filling = true;
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const ListedName& name : NamesToOffer(window.form.opened, key / 2, typed).names)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name.name).c_str()));
    // A slip of the keyboard: the name it most likely meant is one click away, on top.
    const std::string meant = NameMeant(window.form, SettingKey(key), typed);
    if (keepText && !meant.empty())
        ::SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(Wide(meant).c_str()));
    ::SetWindowTextW(combo, text.c_str());
    if (keepText) ::SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
    window.filling = false;
}

// Everything that follows from the choices: comments, warnings, verdicts, the title, Save.
void ShowConsequences(SettingsWindow& window) {
    HWND dialog = window.dialog;
    if (!window.fileOpen) {
        window.reading = {};
        ClearRows(window);
        ::EnableWindow(Control(dialog, IDOK), FALSE);
        ShowTitle(window);
        ShowDetails(window);
        KeepFocusUsable(window);
        return;
    }
    // One reading of the file as Save would write it: every word below is taken from it.
    window.reading = ReadForm(window.form);
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        const SwapPair& row = SwapPairs[pair];
        for (const size_t side : {0, 1}) {
            const SettingKey key = side == 0 ? row.oldSetting.key : row.newSetting.key;
            ShowFitted(window, kCommentControl + int(key),
                       window.reading.pairs[pair].comments[side]);
        }
        if (!window.scanShown) window.verdicts[pair] = window.reading.pairs[pair].outcome;
        ShowFitted(window, kVerdictControl + int(pair), window.verdicts[pair]);
    }
    const auto& warnings = window.reading.warnings;
    const bool none = std::all_of(warnings.begin(), warnings.end(),
                                  [](const std::vector<std::string>& row) { return row.empty(); });
    for (size_t row = 0; row < warnings.size(); ++row) {
        std::string lines;
        for (const std::string& warning : warnings[row])
            lines += (lines.empty() ? "" : "\n") + warning;
        if (none && row == kGeneralRow)
            lines = "No warnings: the plug-in reads every setting as shown.";
        ShowFitted(window, kFindingsControl + int(row), lines);
    }
    const bool changed = FormChanged(window.form);
    ::EnableWindow(Control(dialog, IDOK), changed && window.reading.refusal.empty());
    // "Saved" is true only until the next change.
    if (changed && window.statusText.rfind("Saved ", 0) == 0) window.statusText.clear();
    ShowFitted(window, kStatusControl, window.statusText);
    ShowTitle(window);
    ShowDetails(window);
    KeepFocusUsable(window);
}

void ShowForm(SettingsWindow& window) {
    SetText(window.dialog, kFileControl, "Settings file: " + window.form.path);
    for (size_t key = 0; key < kActivationKey; ++key)
        OfferNames(window, key, "", false);
    OfferKeys(window);
    ShowConsequences(window);
}
