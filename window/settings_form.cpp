#include "window/settings_form.h"

#include "inspect/edit_setting.h"
#include "inspect/whole_files.h"
#include "settings/default_settings.h"
#include "settings/key_names.h"
#include "settings/parse_settings.h"

#include <algorithm>
#include <cstdio>

namespace {

// Takes `bytes` as the file now on disk: its choices become those the plug-in reads there.
void Adopt(SettingsForm& form, std::string bytes) {
    form.opened = ParseSettings(bytes).values;
    form.chosen = form.opened;
    form.bytes = std::move(bytes);
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
    Adopt(form, std::move(bytes));
    return OpenOutcome::kOpened;
}

bool WriteDefaultSettingsFile(const std::string& path, std::string& problem) {
    FileProblem why;
    // What the plug-in's first run writes on Windows, where the file is in text mode.
    if (WriteWholeFile(path, DefaultSettingsText("\r\n"), false, why)) return true;
    problem = "Could not write " + FullPath(path) + ": " + why.words + ".";
    return false;
}

bool FormChanged(const SettingsForm& form) {
    return form.chosen != form.opened;
}

PendingFile PendingBytes(const SettingsForm& form) {
    PendingFile pending{"", form.bytes};
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        if (form.chosen[key] == form.opened[key]) continue;
        const SettingEdit edit = EditSetting(pending.bytes, SettingKey(key), form.chosen[key]);
        if (!edit.refusal.empty()) {
            return {std::string(SettingKeyNames[key]) + ": " + edit.refusal, form.bytes};
        }
        pending.bytes = edit.edited;
    }
    return pending;
}

CheckReport PendingFindings(const SettingsForm& form) {
    return CheckSettings(PendingBytes(form).bytes);
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

NameList NamesToOffer(const SettingsForm& form, size_t pair, std::string_view typed) {
    return ListNames(form.bytes, pair, typed);
}

std::string NameEntry(const ListedName& name) {
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08X", unsigned(name.hash));
    return name.name + "  (" + hash + ")";
}

std::string NameOfEntry(std::string_view entry) {
    // Names hold no blanks the plug-in keeps: it trims them from both ends of a value.
    const size_t mark = entry.rfind("  (");
    if (mark != std::string_view::npos && entry.size() == mark + 3 + 8 + 1 && entry.back() == ')')
        return std::string(entry.substr(0, mark));
    return std::string(entry);
}

std::string CommentFor(const SettingsForm& form, size_t pair, std::string_view name) {
    for (const ListedName& listed : ListNames(form.bytes, pair, name).names) {
        if (listed.name != name) continue;
        if (listed.comment.empty()) return "(no comment in the file)";
        // The file lines its comments up in columns of blanks, which a label has no room for.
        std::string tidy;
        size_t blanks = 0;
        for (const char c : listed.comment) {
            if (c == ' ' || c == '\t') {
                ++blanks;
                continue;
            }
            tidy.append(std::min<size_t>(blanks, 2), ' ');
            blanks = 0;
            tidy += c;
        }
        return tidy;
    }
    return "(not in the dictionary: the pair would be skipped)";
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
    const PendingFile pending = PendingBytes(form);
    if (!pending.refusal.empty()) {
        message = "Not saved: " + pending.refusal;
        return SaveOutcome::kRefused;
    }
    // The bytes themselves, not a size and time: a change within the file system's clock
    // tick, or one that keeps the size, still counts.
    std::string onDisk;
    FileProblem why;
    if (!ReadWholeFile(form.path, onDisk, why) || onDisk != form.bytes) {
        message = "Not saved: " + form.path +
                  " changed on disk since it was opened (in an editor, or by the plug-in). "
                  "Reload it to see the change, then choose again.";
        return SaveOutcome::kChangedOnDisk;
    }
    if (!WriteWholeFile(form.path, pending.bytes, true, why)) {
        message = "Not saved: " + form.path + " " + why.words + ". The file is unchanged.";
        return SaveOutcome::kWriteFailed;
    }
    Adopt(form, pending.bytes);
    message = "Saved " + form.path + ".";
    return SaveOutcome::kSaved;
}
