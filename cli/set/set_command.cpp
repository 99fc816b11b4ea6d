#include "cli/set/set_command.h"

#include "cli/check/check_command.h"
#include "inspect/bytes_text.h"
#include "inspect/edit_setting.h"
#include "inspect/suggest.h"
#include "inspect/whole_files.h"
#include "settings/settings.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>
#include <ostream>

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

    if (RefuseUnreadable("ostrevane set: ", options.settingsPath, CheckSettings(bytes), err)) {
        return kExitFailed;
    }
    const SettingEdit edit = EditSetting(bytes, key, options.value);
    if (!edit.refusal.empty()) {
        err << "ostrevane set: " << settingName << " not changed: " << Printable(edit.refusal)
            << "\n";
        return kExitFailed;
    }
    if (edit.edited == bytes) {
        out << settingName << " is " << Printable(Quoted(options.value)) << " already; " << file
            << " is unchanged.\n\n";
    } else {
        FileProblem problem;
        if (!WriteWholeFile(options.settingsPath, edit.edited, true, problem)) {
            err << "ostrevane set: " << file << ": " << problem.words << "\nNothing was changed.\n";
            return kExitFailed;
        }
        out << "Set " << settingName << " to " << Printable(Quoted(options.value)) << " on "
            << Printable(edit.where) << ".\n\n";
    }
    return RunCheck(options.settingsPath, false, out, err);
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
