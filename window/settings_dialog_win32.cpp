// The settings window's dialog: shows the form, passes the player's choices into it, saves.
#include "game/scan_game.h"
#include "settings/settings.h"
#include "settings_file/whole_files.h"
#include "window/control_ids.h"
#include "window/diagnosis_text.h"
#include "window/settings_form.h"
#include "window/settings_window_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <vector>

static_assert(kPairRows == kPairCount,
              "window/settings_window.rc.in has a row for each of kPairRows pairs: give each pair "
              "of SwapPairs its row there (controls 1000 + its settings, 1100, 1200, 1300 + the "
              "pair) and set kPairRows in window/control_ids.h");
static_assert(kSettingControl + kSettingKeyCount <= kCommentControl &&
                  kFindingsControl + kGeneralRow < kVerdictControl &&
                  kVerdictControl + kPairCount <= kStatusControl,
              "the control ids of window/control_ids.h overlap for this many pairs");

namespace {

constexpr UINT_PTR kGameTimer = 1;

SettingsForm form;
bool fileOpen = false;      // false while the file is missing or unreadable
bool filling = false;       // the window is setting its own controls: no choice is being made
bool changedOnDisk = false; // Save found the file changed: Reload keeps the choices unasked
bool scanShown = false;     // the verdicts are the game's, not the file's
uint32_t scannedPid = 0;
size_t rowInUse = 0;    // the row whose every word the details pane shows
std::string statusText; // the status line's whole text, also shown in the pane
std::array<std::string, kGeneralRow + 1> rowWarnings;
// The file as Save would write it, read once for each change of the choices.
PendingFile pending;
std::array<std::string, kPairCount> verdicts;
std::string diagnosisText; // the last "Is it working?", every finding

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

bool IsPairSetting(size_t key) {
    return key < kActivationKey;
}

size_t RowOfSetting(size_t key) {
    return IsPairSetting(key) ? key / 2 : kKeyRow;
}

// The label of a row as the window shows it, without its Alt letter.
std::string RowName(size_t row) {
    if (row == kKeyRow) return "Toggle key";
    if (row == kGeneralRow) return "The file as a whole";
    std::string name(SwapPairs[row].name);
    name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

// Every word about the row in use, whole, with the status line's: nothing the labels cut off
// is lost.
void ShowDetails(HWND dialog) {
    std::string text = RowName(rowInUse) + "\r\n";
    if (rowInUse < kPairCount) {
        const SwapPair& pair = SwapPairs[rowInUse];
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            text += (setting.key == pair.oldSetting.key ? "Replace " : "with ") +
                    std::string("\"") + form.chosen[setting.key] +
                    "\": " + CommentFor(pending.document, setting.key, form.chosen[setting.key]) +
                    "\r\n";
        }
        text += verdicts[rowInUse] + "\r\n";
    } else if (rowInUse == kKeyRow) {
        text += "\"" + form.chosen[kActivationKey] + "\"\r\n";
    }
    for (const size_t row : {rowInUse, kGeneralRow}) {
        if (!rowWarnings[row].empty() && (row == rowInUse || rowInUse != kGeneralRow))
            text += "\r\n" + rowWarnings[row] + "\r\n";
    }
    if (!statusText.empty()) text += "\r\n" + statusText;
    if (!diagnosisText.empty()) text += "\r\n\r\n" + diagnosisText;
    std::string crlf; // an edit control breaks lines only at CR LF
    for (const char c : text) {
        if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) crlf += '\r';
        crlf += c;
    }
    SetText(dialog, kDetailsControl, crlf);
}

void Status(HWND dialog, std::string_view text) {
    statusText = text;
    SetText(dialog, kStatusControl, text);
    ShowDetails(dialog);
}

void ShowTitle(HWND dialog) {
    const bool unsaved = fileOpen && FormChanged(form);
    const std::wstring title = std::wstring(unsaved ? L"*" : L"") + L"Ostrevane " +
                               Wide(OSTREVANE_VERSION) + L" settings - " + Wide(form.path);
    ::SetWindowTextW(dialog, title.c_str());
}

// What a pair's drop-down offers for `typed`, its edit text kept as the player left it.
void OfferNames(HWND dialog, size_t key, std::string_view typed, bool keepText) {
    HWND combo = Control(dialog, kSettingControl + int(key));
    const std::wstring text = Wide(keepText ? typed : std::string_view(form.chosen[key]));
    DWORD caret = 0;
    ::SendMessageW(combo, CB_GETEDITSEL, 0, reinterpret_cast<LPARAM>(&caret));
    filling = true;
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const ListedName& name : NamesToOffer(form.opened, key / 2, typed).names)
        ::SendMessageW(combo, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(Wide(NameEntry(name)).c_str()));
    // A slip of the keyboard: the name it most likely meant is one click away, on top.
    const std::string meant = NameMeant(form.opened, key / 2, typed);
    if (keepText && !meant.empty())
        ::SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(Wide(meant).c_str()));
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

void ClearVerdicts() {
    scanShown = false;
    scannedPid = 0;
}

// The focus never rests on a control that cannot take it, such as Save once it is disabled.
// Disabling the control that has the focus leaves the focus nowhere, so the active window
// with no focus is mended too.
void KeepFocusUsable(HWND dialog) {
    HWND focus = ::GetFocus();
    if (focus == nullptr ? ::GetActiveWindow() != dialog : ::IsWindowEnabled(focus)) return;
    Focus(dialog,
          fileOpen ? kSettingControl + int(rowInUse < kPairCount ? 2 * rowInUse : 0) : kOpenButton);
}

// Everything that follows from the choices: comments, warnings, verdicts, the title, Save.
void ShowConsequences(HWND dialog) {
    rowWarnings = {};
    if (!fileOpen) {
        for (size_t key = 0; key < kActivationKey; ++key)
            SetText(dialog, kCommentControl + int(key), "");
        for (size_t row = 0; row <= kGeneralRow; ++row)
            SetText(dialog, kFindingsControl + int(row), "");
        for (size_t pair = 0; pair < kPairCount; ++pair)
            SetText(dialog, kVerdictControl + int(pair), "");
        ::EnableWindow(Control(dialog, IDOK), FALSE);
        ShowTitle(dialog);
        ShowDetails(dialog);
        KeepFocusUsable(dialog);
        return;
    }
    // One reading of the file as Save would write it: every word below is taken from it.
    pending = PendingChanges(form);
    const PluginReading reading = ReadAsPlugin(pending.document);
    for (size_t key = 0; key < kActivationKey; ++key)
        SetText(dialog, kCommentControl + int(key),
                CommentFor(pending.document, SettingKey(key), form.chosen[key]));
    const auto add = [](size_t row, const std::string& text) {
        rowWarnings[row] += (rowWarnings[row].empty() ? "" : "\n") + text;
    };
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        if (pending.refusals[key]) add(RowOfSetting(key), RefusalText(pending.refusals[key]));
    for (const CheckWarning& warning : CheckSettings(pending.document).warnings)
        add(RowOf(warning), FindingText(warning));
    if (std::all_of(rowWarnings.begin(), rowWarnings.end(),
                    [](const std::string& row) { return row.empty(); }))
        rowWarnings[kGeneralRow] = "No warnings: the plug-in reads every setting as shown.";
    for (size_t row = 0; row < rowWarnings.size(); ++row)
        SetText(dialog, kFindingsControl + int(row), rowWarnings[row]);
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        if (!scanShown) verdicts[pair] = OutcomeText(reading[pair], pair);
        SetText(dialog, kVerdictControl + int(pair), verdicts[pair]);
    }
    const bool changed = FormChanged(form);
    ::EnableWindow(Control(dialog, IDOK), changed && !pending.Refused());
    // "Saved" is true only until the next change.
    if (changed && statusText.rfind("Saved ", 0) == 0) statusText.clear();
    SetText(dialog, kStatusControl, statusText);
    ShowTitle(dialog);
    ShowDetails(dialog);
    KeepFocusUsable(dialog);
}

void ShowForm(HWND dialog) {
    SetText(dialog, kFileControl, "Settings file: " + form.path);
    for (size_t key = 0; key < kActivationKey; ++key)
        OfferNames(dialog, key, "", false);
    OfferKeys(dialog);
    ShowConsequences(dialog);
}

void EnableChoices(HWND dialog, bool enable) {
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        ::EnableWindow(Control(dialog, kSettingControl + int(key)), enable);
    // A file the plug-in reads nothing from is offered the default file too, the old one kept.
    const bool useless = enable && FileIsUseless(form);
    SetText(dialog, kWriteDefaultButton,
            useless ? "Replace with the de&fault file" : "Write the de&fault file");
    ::EnableWindow(Control(dialog, kWriteDefaultButton), TRUE);
    ::ShowWindow(Control(dialog, kWriteDefaultButton), enable && !useless ? SW_HIDE : SW_SHOW);
    ::ShowWindow(Control(dialog, kDefaultsButton), enable && !useless ? SW_SHOW : SW_HIDE);
}

void ShowOpened(HWND dialog, OpenOutcome outcome, const std::string& problem) {
    fileOpen = outcome == OpenOutcome::kOpened;
    changedOnDisk = false;
    if (!fileOpen) {
        const std::string path = form.path;
        form = SettingsForm{};
        form.path = path;
        EnableChoices(dialog, false);
        ShowForm(dialog);
        Status(dialog, problem);
        ::EnableWindow(Control(dialog, kWriteDefaultButton), outcome == OpenOutcome::kMissing);
        // The next step, under Enter: write the default file, or open another.
        Focus(dialog, outcome == OpenOutcome::kMissing ? kWriteDefaultButton : kOpenButton);
        return;
    }
    ShowForm(dialog);
    EnableChoices(dialog, true);
}

void OpenFile(HWND dialog, const std::string& path) {
    std::string problem;
    form.path = path;
    const OpenOutcome outcome = OpenSettingsFile(path, form, problem);
    statusText.clear();
    ShowOpened(dialog, outcome, problem);
    if (fileOpen) Status(dialog, "Opened " + path + ".");
}

// Reads the file again. Unsaved choices are kept and applied over it when the player says so,
// or unasked after Save found the file changed on disk.
void Reload(HWND dialog) {
    bool keep = changedOnDisk;
    if (fileOpen && FormChanged(form) && !keep) {
        const int answer = ::MessageBoxW(
            dialog,
            L"Keep your unsaved choices?\n\nYes: read the file again and apply your choices "
            L"over it.\nNo: read the file again as it is, dropping your choices.",
            L"Ostrevane settings", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return;
        keep = answer == IDYES;
    }
    if (!keep || !fileOpen) {
        OpenFile(dialog, form.path);
        return;
    }
    std::string problem;
    std::vector<std::string_view> kept;
    const OpenOutcome outcome = ReloadSettingsFile(form, problem, kept);
    statusText.clear();
    ShowOpened(dialog, outcome, problem);
    if (!fileOpen) return;
    std::string status = "Read " + form.path + " again";
    for (size_t i = 0; i < kept.size(); ++i)
        status += (i == 0 ? "; kept your choice for " : ", ") + std::string(kept[i]);
    Status(dialog, status + ".");
}

// True when the file as saved would make the swap corrupt the game and the player, asked,
// chose not to save.
bool CorruptionDeclined(HWND dialog) {
    std::string effects;
    const PluginReading reading = ReadAsPlugin(pending.document);
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        if (reading[pair].outcome == PairOutcome::kCorrupts)
            effects += "\n" + RowName(pair) + ": " + OutcomeText(reading[pair], pair);
    }
    if (effects.empty()) return false;
    const std::wstring question = L"Saved so, the settings make the toggle key corrupt the "
                                  L"game's data:\n" +
                                  Wide(effects) + L"\n\nSave anyway?";
    return ::MessageBoxW(dialog, question.c_str(), L"Ostrevane settings",
                         MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES;
}

void Save(HWND dialog) {
    if (FormChanged(form) && !pending.Refused() && CorruptionDeclined(dialog)) {
        Status(dialog, "Not saved: the choices stay as they are, for you to change.");
        return;
    }
    std::string message;
    const SaveOutcome outcome = SaveSettingsFile(form, message);
    changedOnDisk = outcome == SaveOutcome::kChangedOnDisk;
    if (changedOnDisk) {
        message += " Press Reload (Alt+R).";
        Focus(dialog, kReloadButton);
    }
    statusText = message;
    if (outcome == SaveOutcome::kSaved) ShowForm(dialog);
    Status(dialog, message);
    ShowConsequences(dialog);
}

// The typed text, when it names no item but the list holds one name only: that name.
bool TakeTheOnlyName(HWND dialog, size_t key) {
    HWND combo = Control(dialog, kSettingControl + int(key));
    if (::SendMessageW(combo, CB_GETCOUNT, 0, 0) != 1) return false;
    std::wstring entry(size_t(::SendMessageW(combo, CB_GETLBTEXTLEN, 0, 0)) + 1, L'\0');
    entry.resize(
        size_t(::SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry.data()))));
    const std::string name = NameOfEntry(Narrow(entry));
    if (name == form.chosen[key]) return false;
    form.chosen[key] = name;
    ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    OfferNames(dialog, key, "", false);
    ShowConsequences(dialog);
    return true;
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

// A drop-down reached by its Alt letter or Tab: its whole text selected, so typing replaces it.
void ChoiceEntered(HWND dialog, size_t key) {
    rowInUse = RowOfSetting(key);
    if (IsPairSetting(key))
        ::SendMessageW(Control(dialog, kSettingControl + int(key)), CB_SETEDITSEL, 0,
                       MAKELPARAM(0, -1));
    ShowDetails(dialog);
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

void ChooseDefaults(HWND dialog) {
    std::vector<std::wstring> entries = {L"Every pair and the key"};
    for (size_t row = 0; row <= kKeyRow; ++row)
        entries.push_back(Wide(RowName(row)));
    const INT_PTR picked = ChooseFromList(dialog, kDefaultsDialog, kDefaultsList, entries);
    if (picked < 0) return;
    const auto row = size_t(picked - 1);
    if (picked == 0) {
        RestoreDefaults(form, DefaultsFor::kAll);
    } else if (row == kKeyRow) {
        RestoreDefaults(form, DefaultsFor::kKey);
    } else {
        RestoreDefaults(form, DefaultsFor::kPair, row);
    }
    ShowForm(dialog);
    Status(dialog, "Restored the default choices for " +
                       (picked == 0 ? std::string("every pair and the key") : RowName(row)) +
                       "; Save writes them.");
}

bool SamePath(const std::string& a, const std::string& b) {
    return ::lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) == 0;
}

void ShowDiagnosis(HWND dialog, std::unique_ptr<Diagnosis> diagnosis) {
    ::EnableWindow(Control(dialog, kScanButton), TRUE);
    diagnosisText = WindowDiagnosisText(*diagnosis);
    const GameScan& scan = diagnosis->facts.scan;
    const bool read = diagnosis->facts.scanned && scan.problem == ScanProblem::kNone;
    std::string status = WindowSummary(*diagnosis);
    if (!read) {
        ClearVerdicts();
        ShowConsequences(dialog);
        Status(dialog, status);
        return;
    }
    scanShown = true;
    scannedPid = scan.pid;
    for (size_t pair = 0; pair < kPairCount; ++pair)
        verdicts[pair] = GameVerdictText(scan.report.pairs[pair]);
    ShowConsequences(dialog);
    status += " Read the game (process " + std::to_string(scan.pid) + ") with " +
              scan.settingsPath + ", the file it reads";
    status += SamePath(scan.settingsPath, FullPath(form.path))
                  ? ", as saved."
                  : ": not the file open here, so the verdicts are for the game's file.";
    if (scan.result.processExited) status += " The game ended during the reading.";
    Status(dialog, status);
    ::SetTimer(dialog, kGameTimer, 1000, nullptr);
}

// Verdicts read from a game that has since ended say nothing of the next one.
void CheckGameRuns(HWND dialog) {
    if (!scanShown) {
        ::KillTimer(dialog, kGameTimer);
        return;
    }
    HANDLE game = ::OpenProcess(SYNCHRONIZE, FALSE, scannedPid);
    const bool ended = game == nullptr || ::WaitForSingleObject(game, 0) == WAIT_OBJECT_0;
    if (game != nullptr) ::CloseHandle(game);
    if (!ended) return;
    ::KillTimer(dialog, kGameTimer);
    const uint32_t pid = scannedPid;
    ClearVerdicts();
    ShowConsequences(dialog);
    Status(dialog, "The game (process " + std::to_string(pid) +
                       ") has ended: its verdicts are cleared. Start it and press \"Is it "
                       "working?\" again.");
}

bool Command(HWND dialog, int id, int notification) {
    if (id >= kSettingControl && id < kSettingControl + int(kSettingKeyCount)) {
        if (filling) return true;
        const auto key = size_t(id - kSettingControl);
        if (notification == CBN_EDITCHANGE && IsPairSetting(key)) ChoiceTyped(dialog, key);
        if (notification == CBN_SELCHANGE) ChoicePicked(dialog, key);
        if (notification == CBN_SETFOCUS) ChoiceEntered(dialog, key);
        return true;
    }
    switch (id) {
    case IDOK: {
        // Enter in a drop-down whose list the typing narrowed to one name takes that name.
        HWND focus = ::GetFocus();
        for (size_t key = 0; key < kActivationKey; ++key) {
            HWND combo = Control(dialog, kSettingControl + int(key));
            if ((focus == combo || ::IsChild(combo, focus)) && TakeTheOnlyName(dialog, key))
                return true;
        }
        if (::IsWindowEnabled(Control(dialog, IDOK))) Save(dialog);
        return true;
    }
    case kReloadButton:
        Reload(dialog);
        return true;
    case kOpenButton:
        if (MayClose(dialog)) OpenAnother(dialog);
        return true;
    case kWriteDefaultButton: {
        std::string message;
        if (fileOpen) {
            if (ReplaceWithDefault(form, message)) ShowOpened(dialog, OpenOutcome::kOpened, "");
            Status(dialog, message);
        } else if (WriteDefaultSettingsFile(form.path, message)) {
            OpenFile(dialog, form.path);
        } else {
            Status(dialog, message);
        }
        return true;
    }
    case kDefaultsButton:
        ChooseDefaults(dialog);
        return true;
    case kScanButton: {
        std::string status;
        const bool started = StartDiagnosis(dialog, status);
        ::EnableWindow(Control(dialog, kScanButton), !started);
        if (!started) {
            ClearVerdicts();
            ShowConsequences(dialog);
        }
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
        RememberLayout(dialog);
        const auto* named = reinterpret_cast<const std::string*>(lParam);
        OpenFile(dialog, named ? *named : ProgramFolder() + "\\" + kSettingsFileName);
        return fileOpen; // else OpenFile has put the focus on the next step
    }
    case WM_SIZE:
        FollowSize(dialog);
        return TRUE;
    case WM_GETMINMAXINFO:
        KeepMinimumSize(*reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kGameTimer) CheckGameRuns(dialog);
        return TRUE;
    case WM_COMMAND:
        return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case kScanDoneMessage:
        ShowDiagnosis(dialog, std::unique_ptr<Diagnosis>(reinterpret_cast<Diagnosis*>(lParam)));
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
