#include "cli/set/set_command.h"
#include "cli/printable.h"

#include "cli/check/check_command.h"
#include "cli/print_report.h"
#include "settings/settings.h"
#include "settings_file/bytes_text.h"
#include "settings_file/edit_setting.h"
#include "settings_file/suggest.h"
#include "settings_file/whole_files.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>
#include <ostream>

std::string RefusalWords(const SettingRefusal& refusal) {
    const std::string value = Quoted(refusal.value);
    const std::string setting(SettingKeyNames[refusal.key]);
    const size_t pair = refusal.pair;
    const std::string header(DictionaryHeaders[pair]);
    const std::string list = "`ostrevane list " + std::string(SwapPairs[pair].word) +
                             "` lists the names under " + header;
    const std::string at = " (line " + std::to_string(refusal.line) + ")";
    switch (refusal.kind) {
    case RefusalKind::kNone:
        return "";
    case RefusalKind::kUnknownKey:
        return "the plug-in knows no key named " + value +
               " (it would fall back to F5); use F1 to F12, one letter or one digit" +
               (refusal.suggestion.empty()
                    ? ""
                    : ": names are case-sensitive, so write " + Quoted(refusal.suggestion));
    case RefusalKind::kNotInDictionary:
        if (refusal.suggestion.empty()) return value + " is not in the dictionary; " + list;
        return value + " is not in the dictionary; did you mean " + Quoted(refusal.suggestion) +
               "? " + list;
    case RefusalKind::kNumber:
        if (refusal.suggestion.empty()) {
            return value + " is not in the dictionary: settings take a name, not a hash, and " +
                   "no name under " + header + " has the hash " + HexHash(refusal.hash) + "; " +
                   list;
        }
        return value + " is not in the dictionary: settings take a name, and the dictionary " +
               "calls " + HexHash(refusal.hash) + " " + Quoted(refusal.suggestion) +
               "; `ostrevane set " + setting + " " + refusal.suggestion + "` chooses it";
    case RefusalKind::kOtherSection:
        return value + " is " + std::string(SwapPairs[refusal.nameSection].items) + " (under " +
               std::string(DictionaryHeaders[refusal.nameSection]) + ", line " +
               std::to_string(refusal.line) + "), but " + setting + " takes " +
               std::string(SwapPairs[pair].items) +
               ": both names of a pair come from one section, or the game reads one kind of "
               "item where it expects another; " +
               list;
    case RefusalKind::kHashZero:
        return value + " has the hash 0" + at + ", so the " + std::string(SwapPairs[pair].name) +
               " pair would be skipped; " + list;
    case RefusalKind::kCommonHash:
        return value + " has the hash " + HexHash(refusal.hash) + at +
               ", a value ordinary memory is full of (small numbers, floats such as 1.0), so "
               "the swap would rewrite it in countless places that are not the item and "
               "corrupt the game's data; give the item its own hash";
    case RefusalKind::kCannotHold:
        return "no settings line can hold " + value +
               " so that the plug-in reads it back whole (a \";\" starts a comment, blanks "
               "around it are trimmed)";
    }
    return "";
}

namespace {

struct SetOptions {
    std::string setting, value, settingsPath = kSettingsFileName;
};

int RunSet(const SetOptions& options, std::ostream& out, std::ostream& err) {
    const std::string& settingName = options.setting;
    const auto named = std::find(SettingKeyNames.begin(), SettingKeyNames.end(), settingName);
    if (named == SettingKeyNames.end()) {
        err << "ostrevane set: " << Printable(Quoted(settingName)) << " is not a setting";
        const std::string_view closest = ClosestName(settingName, SettingKeyNames);
        if (!closest.empty()) err << "; did you mean \"" << closest << "\"?";
        err << "\nSettings:";
        for (std::string_view name : SettingKeyNames)
            err << " " << name;
        err << ".\n";
        return kExitFailed;
    }
    const auto key = SettingKey(named - SettingKeyNames.begin());
    std::string bytes;
    if (!ReadSettingsFile("ostrevane set: ", options.settingsPath, bytes, err)) return kExitFailed;
    const std::string file = FullPath(options.settingsPath);

    const SettingsDocument document = ReadDocument(std::move(bytes));
    const CheckReport before = CheckSettings(document);
    if (RefuseUnreadable("ostrevane set: ", options.settingsPath, before, err)) return kExitFailed;
    const SettingEdit edit = EditSetting(document, key, options.value);
    if (edit.refusal) {
        err << "ostrevane set: " << settingName
            << " not changed: " << Printable(RefusalWords(edit.refusal)) << "\n";
        return kExitFailed;
    }
    if (edit.document.bytes == document.bytes) {
        out << settingName << " is " << Printable(Quoted(options.value)) << " already; " << file
            << " is unchanged.\n\n";
        return PrintCheck(options.settingsPath, before, false, out);
    }
    FileProblem problem;
    if (!WriteWholeFile(options.settingsPath, edit.document.bytes, true, problem)) {
        err << "ostrevane set: " << file << ": " << FileProblemWords(problem)
            << "\nNothing was changed.\n";
        return kExitFailed;
    }
    out << "Set " << settingName << " to " << Printable(Quoted(options.value)) << " on "
        << Printable(edit.where) << ".\n\n";
    // What was written is the edit's document, already read as the plug-in reads it.
    return PrintCheck(options.settingsPath, CheckSettings(edit.document), false, out);
}

// "modactivatekey, oldshake, newshake, ... newcamera": the settings `set` takes.
std::string SettingWords() {
    return std::string(SettingKeyNames[kActivationKey]) + ", " +
           std::string(SwapPairs.front().oldSetting.name) + ", " +
           std::string(SwapPairs.front().newSetting.name) + ", ... " +
           std::string(SwapPairs.back().newSetting.name);
}

} // namespace

void AddSetCommand(CLI::App& app, CommandLine& line) {
    CLI::App* set = app.add_subcommand(
        "set", "Set one setting in the settings file, changing nothing else in it, once the "
               "plug-in could use the value; then check the file.");
    auto options = std::make_shared<SetOptions>();
    set->add_option("SETTING", options->setting, SettingWords())->required();
    set->add_option("VALUE", options->value,
                    "A name from the setting's dictionary section, or a key")
        ->required();
    set->add_option("--settings", options->settingsPath, SettingsFileHelp())->type_name("FILE");
    set->callback([&line, options] { line.status = RunSet(*options, line.out, line.err); });
}
