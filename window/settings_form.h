#pragma once
// What the settings window holds and decides, apart from any window: the open settings file,
// the player's choices, the warnings `check` gives on the file as it would be saved, and the
// save itself. The Win32 face only shows this and passes the player's choices in.

#include "inspect/check.h"
#include "inspect/list_names.h"
#include "settings/swap_pairs.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SettingsForm {
    std::string path;
    // The file as opened or last saved: Save writes only over these very bytes, so a change
    // on disk (by an editor, or by the plug-in) is never lost.
    std::string bytes;
    std::array<std::string, kSettingKeyCount> opened; // each value as the plug-in read it
    std::array<std::string, kSettingKeyCount> chosen; // each value as the player chose it
};

enum class OpenOutcome { kOpened, kMissing, kUnreadable };
// Reads the settings file at `path` into `form`, its choices those the plug-in reads. Otherwise
// `form` is left as it was and `problem` says why, with what to do next.
OpenOutcome OpenSettingsFile(const std::string& path, SettingsForm& form, std::string& problem);

// Writes the default settings file at `path`, the bytes the plug-in writes on Windows, unless
// a file is there already; false with `problem` set otherwise.
bool WriteDefaultSettingsFile(const std::string& path, std::string& problem);

// Whether any choice differs from the file: what enables Save.
bool FormChanged(const SettingsForm& form);

struct PendingFile {
    std::string refusal; // why a choice cannot be written, naming its setting; "" when none
    std::string bytes;   // the file with every changed setting edited as `set` edits it
};
// The bytes Save would write: `set`'s one-line edit for each changed setting, in turn.
PendingFile PendingBytes(const SettingsForm& form);

// `check`'s findings on the file as it would be saved (as opened, while a choice is refused).
CheckReport PendingFindings(const SettingsForm& form);

// Where the window shows a finding: a pair's row (0 to kPairCount - 1), the key's row
// (kPairCount), or the general area (kPairCount + 1).
constexpr size_t kKeyRow = kPairCount;
constexpr size_t kGeneralRow = kPairCount + 1;
size_t RowOf(const CheckWarning& warning);
// A finding as one line for the window: "line 4: ..." or, for the whole file, the words.
std::string FindingText(const CheckWarning& warning);

// The names a pair's drop-downs offer when the player has typed `typed`: as `list` filters.
NameList NamesToOffer(const SettingsForm& form, size_t pair, std::string_view typed);
// A name as a drop-down shows it: "Camera15  (2F0AACD0)".
std::string NameEntry(const ListedName& name);
// The name an entry made by NameEntry shows, or the typed text when it is not one.
std::string NameOfEntry(std::string_view entry);
// The comment shown under a choice: the file's, with a lone "?" value explained in words.
std::string CommentFor(const SettingsForm& form, size_t pair, std::string_view name);

// The keys the plug-in reads, as the key drop-down offers them: F1 to F12, A to Z, 0 to 9.
std::vector<std::string> ToggleKeyNames();

enum class SaveOutcome { kSaved, kNothingChanged, kRefused, kChangedOnDisk, kWriteFailed };
// Writes the pending bytes over the file at once, unless a choice is refused or the file on
// disk is no longer the one opened; then nothing is written. `message` says what happened.
SaveOutcome SaveSettingsFile(SettingsForm& form, std::string& message);
