// The form on the screen: the names each drop-down offers, the comments, warnings and verdicts
// worded from one reading of the file as Save would write it, the title, Save, and the pane.
#include "window/control_ids.h"
#include "window/window_state_win32.h"

#include <algorithm>
#include <cstdio>

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

// The hash the plug-in uses for a name, for the pane only: the rows speak in names.
std::string HashOf(const SettingsDocument& document, size_t key, std::string_view value) {
    const SettingReading reading = ReadSetting(document, key / 2, value);
    if (reading.source != NameSource::kOwnSection && reading.source != NameSource::kOtherSection)
        return "";
    char hash[16];
    std::snprintf(hash, sizeof hash, " (%08X)", unsigned(reading.hash));
    return hash;
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
    Focus(window.dialog, window.fileOpen ? kSettingControl + int(row < kPairCount ? 2 * row : 0)
                                         : kOpenButton);
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
    std::string text = RowName(row) + "\n";
    if (row < kPairCount) text += window.verdicts[row] + "\n";
    for (const size_t warned : {row, kGeneralRow}) {
        if (!window.rowWarnings[warned].empty() && (warned == row || row != kGeneralRow))
            text += window.rowWarnings[warned] + "\n";
    }
    bool unmeasured = false;
    if (row < kPairCount) {
        const SwapPair& pair = SwapPairs[row];
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            const std::string& value = window.form.chosen[setting.key];
            const std::string comment = CommentFor(window.pending.document, setting.key, value);
            unmeasured = unmeasured || comment.find('?') != std::string::npos;
            text += "\n" + std::string(setting.key == pair.oldSetting.key ? "Replace" : "with") +
                    " \"" + value + "\"" + HashOf(window.pending.document, setting.key, value) +
                    ": " + comment + "\n";
        }
    } else if (row == kKeyRow) {
        text += "The toggle key: " + window.form.chosen[kActivationKey] + "\n";
    }
    if (unmeasured) text += "(A \"?\" in a comment is a value nobody has measured yet.)\n";
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
    const std::string meant = NameMeant(window.form.opened, key / 2, typed);
    if (keepText && !meant.empty())
        ::SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(Wide(meant).c_str()));
    ::SetWindowTextW(combo, text.c_str());
    if (keepText) ::SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
    window.filling = false;
}

// Everything that follows from the choices: comments, warnings, verdicts, the title, Save.
void ShowConsequences(SettingsWindow& window) {
    HWND dialog = window.dialog;
    window.rowWarnings = {};
    if (!window.fileOpen) {
        ClearRows(window);
        ::EnableWindow(Control(dialog, IDOK), FALSE);
        ShowTitle(window);
        ShowDetails(window);
        KeepFocusUsable(window);
        return;
    }
    // One reading of the file as Save would write it: every word below is taken from it.
    window.pending = PendingChanges(window.form);
    const PluginReading reading = ReadAsPlugin(window.pending.document);
    for (size_t key = 0; key < kActivationKey; ++key)
        ShowFitted(window, kCommentControl + int(key),
                   CommentFor(window.pending.document, SettingKey(key), window.form.chosen[key]));
    const auto add = [&window](size_t row, const std::string& text) {
        window.rowWarnings[row] += (window.rowWarnings[row].empty() ? "" : "\n") + text;
    };
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        if (window.pending.refusals[key])
            add(RowOfSetting(key), RefusalText(window.pending.refusals[key]));
    for (const CheckWarning& warning : CheckSettings(window.pending.document).warnings)
        add(RowOf(warning), FindingText(warning));
    if (std::all_of(window.rowWarnings.begin(), window.rowWarnings.end(),
                    [](const std::string& row) { return row.empty(); }))
        window.rowWarnings[kGeneralRow] = "No warnings: the plug-in reads every setting as shown.";
    for (size_t row = 0; row < window.rowWarnings.size(); ++row)
        ShowFitted(window, kFindingsControl + int(row), window.rowWarnings[row]);
    // Beside the button that mends it, what the button does; the findings stay in the pane.
    if (FileIsUseless(window.form))
        ShowFitted(window, kFindingsControl + int(kGeneralRow),
                   "The plug-in reads nothing from this file. \"Replace with the default file\" "
                   "asks first, then keeps this file beside the new one as a copy.");
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        if (!window.scanShown) window.verdicts[pair] = OutcomeText(reading[pair], pair);
        ShowFitted(window, kVerdictControl + int(pair), window.verdicts[pair]);
    }
    const bool changed = FormChanged(window.form);
    ::EnableWindow(Control(dialog, IDOK), changed && !window.pending.Refused());
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
