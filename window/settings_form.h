#pragma once
// What the settings window holds and decides, apart from any window: the open settings file,
// the player's choices, what the plug-in would do with the file as it would be saved, and the
// save itself, all worded for the window. The Win32 face only shows this and passes the
// player's choices in.

#include "inspect/check.h"
#include "inspect/edit_setting.h"
#include "inspect/list_names.h"
#include "inspect/plugin_reading.h"
#include "inspect/scan_report.h"
#include "inspect/settings_document.h"
#include "settings/swap_pairs.h"
#include "window/pair_words.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SettingsForm {
    std::string path;
    // The file as opened or last saved: Save writes only over these very bytes, so a change
    // on disk (by an editor, or by a mod manager) is never lost.
    SettingsDocument opened;
    std::array<std::string, kSettingKeyCount> chosen; // each value as the player chose it
};

enum class OpenOutcome { kOpened, kMissing, kUnreadable };
// Reads the settings file at `path` into `form`, its choices those the plug-in reads. Otherwise
// `form` is left as it was and `problem` says why, with what to do next.
OpenOutcome OpenSettingsFile(const std::string& path, SettingsForm& form, std::string& problem);

// Reads the file at `form.path` again, keeping each choice the player changed from the file as
// it was: those are applied over the file as it is now. `kept` names the settings kept.
OpenOutcome ReloadSettingsFile(SettingsForm& form, std::string& problem,
                               std::vector<std::string_view>& kept);

// Writes the default settings file at `path`, the bytes the plug-in writes on Windows, unless
// a file is there already; false with `problem` set otherwise.
bool WriteDefaultSettingsFile(const std::string& path, std::string& problem);

// Whether the plug-in reads nothing usable from the open file (empty, or saved as UTF-16): then
// the window offers ReplaceWithDefault.
bool FileIsUseless(const SettingsForm& form);
// Keeps the open file's bytes beside it (`form.path` + ".bak", or ".bak2" and on when taken),
// then writes the default file in its place, with the old file's choices it can hold
// (CarryChoices), and opens it. ReplaceQuestion words what to ask first. Nothing is written unless
// the file on disk is still the one opened, and the default file only once the copy is complete.
// `message` says what happened, naming the copy and the choices kept.
bool ReplaceWithDefault(SettingsForm& form, std::string& message);

// What "Restore defaults" restores: one pair's two settings, the toggle key, or all nine.
enum class DefaultsFor { kAll, kKey, kPair };
// Sets the choices of `which` (and pair `pair`) to those of the default file; nothing is saved.
void RestoreDefaults(SettingsForm& form, DefaultsFor which, size_t pair = 0);

// Whether any choice differs from the file: what marks the window unsaved.
bool FormChanged(const SettingsForm& form);

struct PendingFile {
    // Why each choice cannot be written; kind kNone where it can.
    std::array<SettingRefusal, kSettingKeyCount> refusals;
    // The file with every changed setting that can be written edited as `set` edits it, read
    // as the plug-in reads it: what every comment, verdict and warning is worded from.
    SettingsDocument document;
    bool Refused() const;
};
// The file Save would write: `set`'s one-line edit for each changed setting, in turn.
PendingFile PendingChanges(const SettingsForm& form);

// Where the window shows a finding: a pair's row (0 to kPairCount - 1), the key's row
// (kPairCount), or the general area (kPairCount + 1).
constexpr size_t kKeyRow = kPairCount;
constexpr size_t kGeneralRow = kPairCount + 1;
size_t RowOf(const CheckWarning& warning);
// A finding as one line for the window: "line 4: ..." or, for the whole file, the words.
std::string FindingText(const CheckWarning& warning);

// Everything the window says about the choices, worded from one reading of the file as Save
// would write it. A choice Save refuses is read as the plug-in would read it were it written
// so: a typed value and the same value read from the file get the same words. (form_reading.cpp)
struct FormReading {
    PendingFile pending;   // what Save writes
    PluginReading reading; // each pair as the plug-in reads the choices
    struct Pair {
        std::array<std::string, 2> comments; // under the old and the new setting's drop-down
        std::string outcome;                 // the line under the pair: what the toggle key does
        std::string details;                 // the outcome with the hashes behind it
    };
    std::array<Pair, kPairCount> pairs;
    // Each row's warnings (a pair's, kKeyRow, kGeneralRow), one line each: the plug-in's
    // reading of a pair's choices in the window's words, then check's other findings.
    std::array<std::vector<std::string>, kGeneralRow + 1> warnings;
    // Why Save writes nothing, "Not saved. ..."; "" when it may write.
    std::string refusal;
};
FormReading ReadForm(const SettingsForm& form);

// Every word about a row, whole, for the details pane: what the toggle key does with a pair and
// its warnings first, then each choice with its hash and its comment.
std::string RowDetails(const SettingsForm& form, const FormReading& reading, size_t row);

// What to ask before saving a file that makes the toggle key corrupt the game's data, each
// such pair on its line; "" when there is nothing to ask.
std::string SaveQuestion(const FormReading& reading);
// The status after Reload: the file read again, and the unsaved choices `kept` in the
// player's words.
std::string ReloadedText(const SettingsForm& form, const std::vector<std::string_view>& kept);

// The names a pair's drop-downs offer when the player has typed `typed`: as `list` filters.
NameList NamesToOffer(const SettingsDocument& document, size_t pair, std::string_view typed);
// NameMeant for the choice of `key` in `form`, never the pair's other choice.
std::string NameMeant(const SettingsForm& form, SettingKey key, std::string_view typed);
// The name Enter takes for `typed` in the drop-down of `key`: the one name its list holds (the
// names the filter leaves and the likely name), whatever the state of Save; "" when the list
// holds none or several, or `typed` is that name already.
std::string NameForEnter(const SettingsForm& form, SettingKey key, std::string_view typed);

// The keys the plug-in reads, as the key drop-down offers them: F1 to F12, A to Z, 0 to 9.
std::vector<std::string> ToggleKeyNames();

enum class SaveOutcome { kSaved, kNothingChanged, kRefused, kChangedOnDisk, kWriteFailed };
// Writes the pending bytes over the file at once, unless a choice is refused or the file on
// disk is no longer the one opened; then nothing is written. `message` says what happened.
SaveOutcome SaveSettingsFile(SettingsForm& form, std::string& message);
