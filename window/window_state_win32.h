#pragma once
// What the settings window holds while it is open, and the parts that show it, each in a file
// of its own: the rows made from the pairs' table (rows_win32.cpp), their places on the screen
// (layout_win32.cpp), labels cut with a mark (fitted_text_win32.cpp), the form's texts
// (form_view_win32.cpp), Enter in a drop-down (enter_key_win32.cpp) and "Is it working?"
// (game_verdicts_win32.cpp).
#include "window/settings_form.h"
#include "window/settings_window_win32.h"

#include <array>
#include <map>
#include <memory>
#include <string>

struct Diagnosis;

// How much of each pair's row shows: everything, all but the items' comments, or the two
// drop-downs alone; what a row leaves out, the details pane says.
enum class RowDensity { kWhole, kNoComments, kOneLine };

struct SettingsWindow {
    HWND dialog = nullptr;
    SettingsForm form;
    bool fileOpen = false;      // false while the file is missing or unreadable
    bool filling = false;       // the window is setting its own controls: no choice is being made
    bool changedOnDisk = false; // Save found the file changed: Reload keeps the choices unasked
    size_t rowInUse = 0;        // the row whose every word the details pane shows
    std::string statusText;     // the status line's whole text, also shown in the pane
    FormReading reading;        // of the file as Save would write it, once for each change
    std::array<std::string, kPairCount> verdicts; // the file's, or the game's once read
    // "Is it working?": whether the verdicts are the game's, which game, and every finding.
    bool scanShown = false;
    uint32_t scannedPid = 0;
    std::string diagnosisText;
    // The screen: the font at the window's scaling, how much of each row the screen's height
    // leaves room for, and the whole text of each label that may be cut to fit its place.
    HFONT font = nullptr;
    HFONT ownFont = nullptr; // made for a change of scaling, deleted with the window
    UINT dpi = 96;
    RowDensity density = RowDensity::kWhole;
    std::map<int, std::wstring> wholeTexts;
};

// rows_win32.cpp: a row for each pair of SwapPairs and one for the toggle key, each with its
// Alt letters, in the dialog's tab order after the file's name.
void MakeRows(SettingsWindow& window);

// layout_win32.cpp: the window within its monitor's work area, every control within it.
void FirstLayout(SettingsWindow& window);
void LayOut(SettingsWindow& window);
void FollowDpi(SettingsWindow& window, UINT dpi, const RECT& suggested);
void KeepMinimumSize(const SettingsWindow& window, MINMAXINFO& limits);

// fitted_text_win32.cpp: a label's text, ending in "…" when it is too long for its place.
void ShowFitted(SettingsWindow& window, int id, std::string_view text);
void RefitTexts(SettingsWindow& window);

// form_view_win32.cpp: the form on the screen.
HWND Control(HWND dialog, int id);
void SetText(HWND dialog, int id, std::string_view text);
std::string TextOf(HWND control);
void Focus(HWND dialog, int id); // as the dialog moves it, so Enter presses the right button
bool IsPairSetting(size_t key);
void ShowDetails(SettingsWindow& window);
void Status(SettingsWindow& window, std::string_view text);
void OfferNames(SettingsWindow& window, size_t key, std::string_view typed, bool keepText);
void ShowConsequences(SettingsWindow& window);
void ShowForm(SettingsWindow& window);

// enter_key_win32.cpp: Enter in a pair's drop-down takes the name the list leaves or
// highlights, whether or not Save can be pressed.
void TakeEnterInDropDowns(SettingsWindow& window);

// game_verdicts_win32.cpp: "Is it working?" and its verdicts, until the game ends.
void AskIsItWorking(SettingsWindow& window);
void ShowDiagnosis(SettingsWindow& window, std::unique_ptr<Diagnosis> diagnosis);
void CheckGameRuns(SettingsWindow& window);
constexpr UINT_PTR kGameTimer = 1;
