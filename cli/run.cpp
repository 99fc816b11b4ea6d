#include "cli/ostrevane.h"

#include "cli/commands.h"
#include "cli/dictionary_names.h"
#include "cli/report_text.h"
#include "cli/suggest.h"
#include "platform/command_host.h"
#include "platform/output_pipe.h"
#include "settings/settings.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <iostream>
#include <ostream>

namespace {

// The commands, as the parser holds them, in the order help lists them.
std::vector<std::string_view> CommandNames(const CLI::App& app) {
    std::vector<std::string_view> names;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; }))
        names.push_back(command->get_name());
    return names;
}

std::string CommandList(const std::vector<std::string_view>& commands) {
    return "Commands: " + Listed(commands) +
           ". `ostrevane --help` tells what each does, `ostrevane COMMAND --help` how to "
           "run it.\n";
}

// A first word that names no command: the parser would only say that a command is
// required, never which word it did not know.
bool IsCommandSlip(const CLI::App& app, int argc, const char* const* argv, std::ostream& err) {
    const std::vector<std::string_view> commands = CommandNames(app);
    if (argc < 2) {
        err << "ostrevane: name a command.\n" << CommandList(commands);
        return true;
    }
    const std::string_view first = argv[1];
    if (first.starts_with("-") ||
        std::find(commands.begin(), commands.end(), first) != commands.end()) {
        return false;
    }
    err << "ostrevane: \"" << first << "\" is not a command";
    const std::string_view closest = ClosestName(first, commands);
    if (!closest.empty()) err << "; did you mean \"" << closest << "\"?";
    err << "\n" << CommandList(commands);
    return true;
}

// "modactivatekey, oldshake, newshake, ... newcamera": the settings `set` takes.
std::string SettingWords() {
    return std::string(SettingKeyNames[kModActivateKey]) + ", " +
           std::string(SwapPairs.front().oldSetting.name) + ", " +
           std::string(SwapPairs.front().newSetting.name) + ", ... " +
           std::string(SwapPairs.back().newSetting.name);
}

int RunCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    try {
        CLI::App app("Tells you what the Ostrevane plug-in will read from its settings file, "
                     "before you start the game.",
                     "ostrevane");
        app.require_subcommand(1);
        // On Windows the parser would take "/folder/file.ini" for an option named "folder".
        app.allow_windows_style_options(false);
        app.set_version_flag("--version", VersionText, "Print the version and exit");
        app.footer("Exit status: 0 done, 1 check, set or scan found warnings, 2 failed.");

        CLI::App* check = app.add_subcommand(
            "check", "Read a settings file exactly as the plug-in does, never writing it, and "
                     "list every name, hash and trap with its line number.");
        const std::string settingsName = kSettingsFileName;
        std::string checkFile = settingsName;
        bool json = false;
        check->add_flag("--json", json, "Print one JSON object instead of text");
        check->add_option("FILE", checkFile,
                          "The settings file (default: " + settingsName + " here)");

        CLI::App* list = app.add_subcommand(
            "list", "List the item names under one section of the settings file's dictionary, "
                    "with their hashes: the names a setting can take.");
        std::string section, text, listSettings = settingsName;
        list->add_option("SECTION", section, Listed(SectionWords(), " or "))->required();
        list->add_option("TEXT", text, "Only the names that hold TEXT, in any case");
        list->add_option("--settings", listSettings,
                         "The settings file (default: " + settingsName + " here)")
            ->type_name("FILE");

        CLI::App* set = app.add_subcommand(
            "set", "Set one setting in the settings file, changing nothing else in it, once the "
                   "plug-in could use the value; then check the file.");
        std::string setting, value, setSettings = settingsName;
        set->add_option("SETTING", setting, SettingWords())->required();
        set->add_option("VALUE", value, "A name from the setting's dictionary section, or a key")
            ->required();
        set->add_option("--settings", setSettings,
                        "The settings file (default: " + settingsName + " here)")
            ->type_name("FILE");

        CLI::App* makeDefault =
            app.add_subcommand("default", "Write the default settings file, as the plug-in "
                                          "writes it on this system when it finds none.");
        bool crlf = false, lf = false, force = false;
        std::string defaultFile;
        CLI::Option* crlfFlag = makeDefault->add_flag(
            "--crlf", crlf, "End lines with CR LF, as the plug-in does on Windows");
        makeDefault->add_flag("--lf", lf, "End lines with LF alone, as on Linux")
            ->excludes(crlfFlag);
        CLI::Option* output =
            makeDefault->add_option("-o,--output", defaultFile, "Write to FILE, not the screen")
                ->type_name("FILE");
        makeDefault->add_flag("--force", force, "Replace FILE if it exists")->needs(output);

        CLI::App* hash = app.add_subcommand(
            "hash", "Print a dictionary line NAME=0xXXXXXXXX for each name, with the game's hash "
                    "of the text NAME.");
        std::vector<std::string> names;
        hash->add_option("NAME", names, "Item names, as the game spells them");

        CLI::App* swap = app.add_subcommand(
            "swap", "Run the plug-in's substitution over the bytes of IN as one memory region "
                    "and write the result to OUT, as for a memory dump.");
        bool apply = false, restore = false, replace = false;
        std::string settingsFile = settingsName, in, outPath;
        CLI::Option_group* direction = swap->add_option_group("direction");
        direction->add_flag("--apply", apply, "Old hashes to new, as on enabling the mod");
        direction->add_flag("--restore", restore, "New hashes back to old, as on disabling it");
        direction->require_option(1);
        swap->add_option("--settings", settingsFile,
                         "The settings file (default: " + settingsName + ")")
            ->type_name("FILE");
        swap->add_option("IN", in, "The bytes to scan")->required();
        swap->add_option("OUT", outPath, "Where to write them")->required();
        swap->add_flag("--force", replace, "Replace OUT if it exists, even when it is IN");

        CLI::App* scan = app.add_subcommand(
            "scan", "Count the settings' items in a running game's memory and say what the toggle "
                    "key would do there now, reading that memory only.");
        ProcessToScan target;
        std::string scanSettings;
        bool all = false;
        CLI::Option_group* game = scan->add_option_group("game");
        game->add_option("--pid", target.pid, "The game's process id")->type_name("PID");
        game->add_option("--process", target.process,
                         "The game's program file, e.g. Game.exe, Game or its full path")
            ->type_name("NAME");
        game->require_option(1);
        scan->add_option("--settings", scanSettings,
                         "The settings file (default: " + settingsName +
                             " in the game's current folder, where the plug-in reads it)")
            ->type_name("FILE");
        scan->add_flag("--all", all, "Also count every dictionary name, most frequent first");
        scan->add_flag("--json", json, "Print one JSON object instead of text");

        if (argc >= 2 && argv[1] == std::string_view("help")) {
            CLI::App* command = nullptr;
            if (argc == 3) {
                const auto named =
                    app.get_subcommands([&](CLI::App* sub) { return sub->get_name() == argv[2]; });
                if (!named.empty()) command = named[0];
            }
            out << (command ? command->help() : app.help());
            return kExitOk;
        }
        if (IsCommandSlip(app, argc, argv, err)) return kExitFailed;
        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            if (error.get_exit_code() == 0) return app.exit(error, out, err);
            // The parser's own advice names --help, never the command's help a player needs.
            const bool named = !std::string_view(argv[1]).starts_with("-");
            const std::string command = named ? "ostrevane " + std::string(argv[1]) : "ostrevane";
            err << command << ": " << error.what() << "\nRun `" << command
                << " --help` to see how to run it.\n";
            return kExitFailed;
        }

        if (*check) return RunCheck(checkFile, json, out, err);
        if (*list) return RunList(section, text, listSettings, out, err);
        if (*set) return RunSet(setting, value, setSettings, out, err);
        if (*scan) return RunScan(target, scanSettings, all, json, out, err);
        if (*makeDefault) {
            return RunDefault(DefaultEndsLinesWithCrLf(crlf, lf, platform::TextModeWritesCrLf()),
                              defaultFile, force, out, err);
        }
        if (*hash) {
            // The parser would read "[a,b]" as a list of two; a name is taken as typed. Only
            // names can follow "hash", since nothing else takes options before it.
            std::vector<std::string> typed(argv + 2, argv + argc);
            if (const auto dashes = std::find(typed.begin(), typed.end(), "--");
                dashes != typed.end()) {
                typed.erase(dashes);
            }
            return RunHash(typed, out, err);
        }
        return RunSwap(restore, settingsFile, in, outPath, replace, out, err);
    } catch (const std::exception& error) {
        err << "ostrevane: " << error.what() << "\n";
        return kExitFailed;
    }
}

} // namespace

int RunOstrevane(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const int status = RunCommand(argc, argv, out, err);
    // A report that never reached its reader must not pass for a clean one.
    if (!out.flush()) {
        // A reader that stops early, as `more` does when quit, wants nothing more from us.
        if (&out == &std::cout && platform::OutputReaderGone()) return status;
        err << "ostrevane: the output could not be written (is the disk full?)\n";
        return kExitFailed;
    }
    return status;
}
