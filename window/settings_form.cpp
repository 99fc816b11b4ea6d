#include "window/settings_form.h"

#include "settings/default_settings.h"
#include "settings/key_names.h"
#include "settings_file/bytes_text.h"
#include "settings_file/suggest.h"
#include "settings_file/whole_files.h"

#include <algorithm>
#include <cstdio>

namespace {

// Takes `bytes` as the file now on disk: its choices become those the plug-in reads there.
void Adopt(SettingsForm& form, SettingsDocument document) {
    form.opened = std::move(document);
    form.chosen = form.opened.parsed.values;
}

std::string Items(size_t section) {
    return std::string(SwapPairs[section].items);
}

std::string Under(size_t section, size_t line) {
    return "under " + std::string(DictionaryHeaders[section]) + ", line " + std::to_string(line);
}

// The file lines its comments up in columns of blanks, which a label has no room for.
std::string Tidy(std::string_view comment) {
    std::string tidy;
    size_t blanks = 0;
    for (const char c : comment) {
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

// Whether the file on disk is still the one opened. The bytes themselves, not a size and time:
// a change within the file system's clock tick, or one that keeps the size, still counts.
bool StillAsOpened(const SettingsForm& form) {
    std::string onDisk;
    FileProblem why;
    return ReadWholeFile(form.path, onDisk, why) && onDisk == form.opened.bytes;
}

std::string ClosestOfSection(const SettingsDocument& document, size_t pair,
                             std::string_view value) {
    std::vector<std::string_view> candidates;
    for (const DictionaryName& name : document.names)
        if (name.section == pair) candidates.push_back(name.name);
    return std::string(ClosestName(value, candidates));
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
    FileProblem why;
    for (int copy = 1; copy < 100; ++copy) {
        const std::string backup = form.path + ".bak" + (copy == 1 ? "" : std::to_string(copy));
        if (!WriteWholeFile(backup, onDisk, false, why)) {
            if (why.kind == FileProblem::kExists) continue;
            message = "Not replaced: the copy " + backup + " " + why.words + ".";
            return false;
        }
        if (!WriteWholeFile(form.path, DefaultSettingsText("\r\n"), true, why)) {
            message =
                "Not replaced: " + form.path + " " + why.words + ". Its copy is " + backup + ".";
            return false;
        }
        Adopt(form, ReadDocument(DefaultSettingsText("\r\n")));
        message = "Wrote the default file; the old one is kept as " + backup + ".";
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

std::string RefusalText(const SettingRefusal& refusal) {
    const std::string value = Quoted(refusal.value);
    const std::string setting(SettingKeyNames[refusal.key]);
    const size_t pair = refusal.pair;
    const std::string choose = " Choose a name from the list.";
    const std::string cannot = "Cannot save " + setting + ": ";
    switch (refusal.kind) {
    case RefusalKind::kNone:
        return "";
    case RefusalKind::kUnknownKey:
        return cannot + "the plug-in knows no key named " + value + " (it would use F5)" +
               (refusal.suggestion.empty()
                    ? ""
                    : "; key names are case-sensitive: choose " + Quoted(refusal.suggestion)) +
               ".";
    case RefusalKind::kNotInDictionary:
        return cannot + value + " is no name under " + std::string(DictionaryHeaders[pair]) +
               (refusal.suggestion.empty() ? "."
                                           : "; did you mean " + Quoted(refusal.suggestion) + "?") +
               choose;
    case RefusalKind::kNumber:
        return cannot + value + " is a hash, and a setting takes a name" +
               (refusal.suggestion.empty()
                    ? "; no name under " + std::string(DictionaryHeaders[pair]) + " has it."
                    : ": " + Quoted(refusal.suggestion) + " has that hash; choose it.");
    case RefusalKind::kOtherSection:
        return cannot + value + " is " + Items(refusal.nameSection) + " (" +
               Under(refusal.nameSection, refusal.line) + "), and this pair swaps " +
               std::string(SwapPairs[pair].header) +
               " items: the game would read one kind of item where it expects another and "
               "corrupt its data." +
               choose;
    case RefusalKind::kHashZero:
        return cannot + value + " has the hash 0 (line " + std::to_string(refusal.line) +
               "), so the plug-in would skip this pair." + choose;
    case RefusalKind::kCommonHash:
        return cannot + value + " has the hash " + HexHash(refusal.hash) + " (line " +
               std::to_string(refusal.line) +
               "), a value ordinary memory is full of: the swap would rewrite it in countless "
               "places that are not the item and corrupt the game's data.";
    case RefusalKind::kCannotHold:
        return cannot + "no settings line can hold " + value +
               " so that the plug-in reads it back whole (a \";\" starts a comment, and blanks "
               "around it are trimmed).";
    }
    return "";
}

NameList NamesToOffer(const SettingsDocument& document, size_t pair, std::string_view typed) {
    return ListNames(document, pair, typed);
}

std::string NameMeant(const SettingsDocument& document, size_t pair, std::string_view typed) {
    const DictionaryName* name = FindName(document, typed);
    if (typed.empty() || (name != nullptr && name->section == pair)) return "";
    return ClosestOfSection(document, pair, typed);
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

std::string CommentFor(const SettingsDocument& document, SettingKey key, std::string_view value) {
    const size_t pair = size_t(key) / 2;
    const SettingReading reading = ReadSetting(document, pair, value);
    const std::string skips = "the plug-in reads 0 and skips this pair.";
    switch (reading.source) {
    case NameSource::kOwnSection: {
        if (reading.hash == 0) return "Its hash is 0 in the dictionary: " + skips;
        const std::string comment = FindName(document, value)->comment;
        return comment.empty() ? "(no comment in the file)" : Tidy(comment);
    }
    case NameSource::kOtherSection:
        return "Not " + Items(pair) + " but " + Items(reading.section) + " (" +
               Under(reading.section, reading.line) +
               "): the plug-in swaps it all the same, and the game reads it where it expects " +
               Items(pair) + ".";
    case NameSource::kNumber:
        return "A number, not a name: the plug-in looks settings up by name, so " + skips +
               (reading.nameOfNumber.empty()
                    ? " No name in the dictionary has the hash " + HexHash(ParseHash(value)) + "."
                    : " The dictionary calls " + HexHash(ParseHash(value)) + " " +
                          Quoted(reading.nameOfNumber) + " (under " +
                          std::string(DictionaryHeaders[reading.nameOfNumberSection]) + ").");
    case NameSource::kNotFound: {
        const std::string closest = ClosestOfSection(document, pair, value);
        return "Not in the dictionary: " + skips +
               (closest.empty() ? "" : " Did you mean " + Quoted(closest) + "?");
    }
    case NameSource::kNotSet:
        break;
    }
    return "Not set: " + skips;
}

std::string OutcomeText(const PairReading& pair, size_t index) {
    const std::string name(SwapPairs[index].name);
    switch (pair.outcome) {
    case PairOutcome::kSwapped:
        return "The toggle key swaps this pair: " + HexHash(pair.before.hash) + " becomes " +
               HexHash(pair.after.hash) + ".";
    case PairOutcome::kSkipped:
        return "The plug-in skips this pair: " +
               std::string(pair.before.hash == 0 ? "the item to replace" : "its replacement") +
               " reads as 0.";
    case PairOutcome::kUnchanged:
        return "This pair changes nothing: both sides read as " + HexHash(pair.before.hash) + ".";
    case PairOutcome::kCorrupts:
        break;
    }
    return std::string("The toggle key swaps this pair, and the swap corrupts the game's data: ") +
           (pair.crossesSections ? "its two items are of different kinds."
                                 : "a hash of it is a value ordinary memory is full of.");
}

std::string GameVerdictText(const ScannedPair& pair) {
    const auto places = [](uint64_t count) {
        return std::to_string(count) + (count == 1 ? " place" : " places");
    };
    std::string text = "In the game now: ";
    if (pair.corruptingLine != 0)
        text += "WARNING: would corrupt the game's data (see the warning above); ";
    switch (pair.verdict) {
    case Verdict::kWouldSwap:
        text += "the toggle key would swap " + places(pair.before.count);
        if (pair.after.count > 0) text += "; the new item is in " + places(pair.after.count);
        return text + ".";
    case Verdict::kOnlyNew:
        return text + "only the new item occurs (the swap is on, or the game uses only the new "
                      "item now).";
    case Verdict::kNeither:
        return text + "neither item is in memory now: the game has not loaded it in this scene.";
    case Verdict::kUnchanged:
        return text + "not swapped: both sides name one item, so the pair changes nothing.";
    case Verdict::kSkipped:
        break;
    }
    return text +
           "not swapped: " + (pair.before.hash == 0 ? "the item to replace" : "its replacement") +
           " names no item in the game's settings file.";
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
    PendingFile pending = PendingChanges(form);
    for (const SettingRefusal& refusal : pending.refusals) {
        if (!refusal) continue;
        message = "Not saved. " + RefusalText(refusal);
        return SaveOutcome::kRefused;
    }
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
