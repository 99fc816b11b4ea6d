#include "window/settings_form.h"

#include "inspect/whole_files.h"
#include "settings/default_settings.h"
#include "settings/key_names.h"
#include "window/default_repair.h"

#include <algorithm>

namespace {

// Takes `bytes` as the file now on disk: its choices become those the plug-in reads there.
void Adopt(SettingsForm& form, SettingsDocument document) {
    form.opened = std::move(document);
    form.chosen = form.opened.parsed.values;
}

// Whether the file on disk is still the one opened. The bytes themselves, not a size and time:
// a change within the file system's clock tick, or one that keeps the size, still counts.
bool StillAsOpened(const SettingsForm& form) {
    std::string onDisk;
    FileProblem why;
    return ReadWholeFile(form.path, onDisk, why) && onDisk == form.opened.bytes;
}

} // namespace

OpenOutcome OpenSettingsFile(const std::string& path, SettingsForm& form, std::string& problem) {
    std::string bytes;
    FileProblem why;
    if (!ReadWholeFile(path, bytes, why)) {
        problem = FullPath(path) + ": " + why.words + ".";
        if (why.kind == FileProblem::kMissing)
            problem += " The plug-in writes this file when the game starts; \"Write the default "
                       "file\" writes the same file now.";
        return why.kind == FileProblem::kMissing ? OpenOutcome::kMissing : OpenOutcome::kUnreadable;
    }
    form.path = path;
    Adopt(form, ReadDocument(std::move(bytes)));
    return OpenOutcome::kOpened;
}

OpenOutcome ReloadSettingsFile(SettingsForm& form, std::string& problem,
                               std::vector<std::string_view>& kept) {
    const SettingsForm before = form;
    const OpenOutcome outcome = OpenSettingsFile(before.path, form, problem);
    kept.clear();
    if (outcome != OpenOutcome::kOpened) return outcome;
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        if (before.chosen[key] == before.opened.parsed.values[key]) continue;
        form.chosen[key] = before.chosen[key];
        kept.push_back(SettingKeyNames[key]);
    }
    return outcome;
}

bool WriteDefaultSettingsFile(const std::string& path, std::string& problem) {
    FileProblem why;
    // What the plug-in's first run writes on Windows, where the file is in text mode.
    if (WriteWholeFile(path, DefaultSettingsText("\r\n"), false, why)) return true;
    // The window never replaces a file here: one that appeared meanwhile is the player's.
    const std::string words = why.kind == FileProblem::kExists
                                  ? "a file of that name appeared meanwhile; Reload opens it"
                                  : why.words;
    problem = "Could not write " + FullPath(path) + ": " + words + ".";
    return false;
}

bool FileIsUseless(const SettingsForm& form) {
    return UnreadableFinding(CheckSettings(form.opened)) != nullptr;
}

bool ReplaceWithDefault(SettingsForm& form, std::string& message) {
    if (!StillAsOpened(form)) {
        message = "Not replaced: " + form.path +
                  " changed on disk since it was opened. Reload "
                  "reads it again.";
        return false;
    }
    const std::string& onDisk = form.opened.bytes;
    CarriedChoices carried = CarryChoices(onDisk);
    FileProblem why;
    for (int copy = 1; copy < 100; ++copy) {
        const std::string backup = form.path + ".bak" + (copy == 1 ? "" : std::to_string(copy));
        if (!WriteWholeFile(backup, onDisk, false, why)) {
            if (why.kind == FileProblem::kExists) continue;
            message = "Not replaced: the copy " + backup + " " + why.words + ".";
            return false;
        }
        if (!WriteWholeFile(form.path, carried.document.bytes, true, why)) {
            message =
                "Not replaced: " + form.path + " " + why.words + ". Its copy is " + backup + ".";
            return false;
        }
        message = ReplacedText(carried, backup);
        Adopt(form, std::move(carried.document));
        return true;
    }
    message = "Not replaced: " + form.path + ".bak to .bak99 are all taken.";
    return false;
}

void RestoreDefaults(SettingsForm& form, DefaultsFor which, size_t pair) {
    const SettingsDocument defaults = ReadDocument(DefaultSettingsText("\r\n"));
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        const bool restore =
            which == DefaultsFor::kAll || (which == DefaultsFor::kKey && key == kActivationKey) ||
            (which == DefaultsFor::kPair && key < kActivationKey && key / 2 == pair);
        if (restore) form.chosen[key] = defaults.parsed.values[key];
    }
}

bool FormChanged(const SettingsForm& form) {
    return form.chosen != form.opened.parsed.values;
}

bool PendingFile::Refused() const {
    return std::any_of(refusals.begin(), refusals.end(),
                       [](const SettingRefusal& refusal) { return bool(refusal); });
}

PendingFile PendingChanges(const SettingsForm& form) {
    std::array<std::optional<std::string>, kSettingKeyCount> changed;
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        if (form.chosen[key] != form.opened.parsed.values[key]) changed[key] = form.chosen[key];
    }
    SettingsEdit edit = EditSettings(form.opened, changed);
    return {std::move(edit.refusals), std::move(edit.document)};
}

size_t RowOf(const CheckWarning& warning) {
    if (warning.setting >= kSettingKeyCount) return kGeneralRow;
    if (warning.setting == kActivationKey) return kKeyRow;
    return warning.setting / 2;
}

std::string FindingText(const CheckWarning& warning) {
    if (warning.line == 0) return warning.message;
    return "line " + std::to_string(warning.line) + ": " + warning.message;
}

NameList NamesToOffer(const SettingsDocument& document, size_t pair, std::string_view typed) {
    return ListNames(document, pair, typed);
}

std::string NameMeant(const SettingsForm& form, SettingKey key, std::string_view typed) {
    return NameMeant(form.opened, key, typed, form.chosen[OtherSide(key)]);
}

std::string NameForEnter(const SettingsForm& form, SettingKey key, std::string_view typed) {
    std::vector<std::string> listed;
    const std::string meant = NameMeant(form, key, typed);
    if (!meant.empty()) listed.push_back(meant);
    for (const ListedName& name : NamesToOffer(form.opened, size_t(key) / 2, typed).names) {
        if (name.name != meant) listed.push_back(name.name);
    }
    return listed.size() == 1 && listed.front() != typed ? listed.front() : "";
}

std::vector<std::string> ToggleKeyNames() {
    std::vector<std::string> names(FunctionKeyNames.begin(), FunctionKeyNames.end());
    for (char c = 'A'; c <= 'Z'; ++c)
        names.emplace_back(1, c);
    for (char c = '0'; c <= '9'; ++c)
        names.emplace_back(1, c);
    return names;
}

SaveOutcome SaveSettingsFile(SettingsForm& form, std::string& message) {
    if (!FormChanged(form)) {
        message = "Nothing to save: every choice is as the file has it.";
        return SaveOutcome::kNothingChanged;
    }
    FormReading reading = ReadForm(form);
    if (!reading.refusal.empty()) {
        message = reading.refusal;
        return SaveOutcome::kRefused;
    }
    PendingFile& pending = reading.pending;
    if (!StillAsOpened(form)) {
        message = "Not saved: " + form.path +
                  " changed on disk since it was opened (in an editor, or by another program). "
                  "Reload reads it again and keeps your choices.";
        return SaveOutcome::kChangedOnDisk;
    }
    FileProblem why;
    if (!WriteWholeFile(form.path, pending.document.bytes, true, why)) {
        message = "Not saved: " + form.path + " " + why.words +
                  (why.kind == FileProblem::kNotOwner ? ": start this window as its owner" : "") +
                  ". The file is unchanged.";
        return SaveOutcome::kWriteFailed;
    }
    Adopt(form, std::move(pending.document));
    message = "Saved " + form.path + ".";
    return SaveOutcome::kSaved;
}
