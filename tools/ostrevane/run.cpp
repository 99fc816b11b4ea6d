#include "tools/ostrevane/ostrevane.h"

#include "tools/ostrevane/commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <ostream>

namespace {

int RunCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    try {
        CLI::App app("Tells you what the Ostrevane plug-in will read from its settings file, "
                     "before you start the game.",
                     "ostrevane");
        app.require_subcommand(1);
        // On Windows the parser would take "/folder/file.ini" for an option named "folder".
        app.allow_windows_style_options(false);
        app.set_version_flag("--version", VersionText, "Print the version and exit");
        app.footer("Exit status: 0 done, 1 check or scan found warnings, 2 failed.");

        CLI::App* check = app.add_subcommand(
            "check", "Read a settings file exactly as the plug-in does, never writing it, and "
                     "list every name, hash and trap with its line number.");
        std::string checkFile = kDefaultSettingsFile;
        bool json = false;
        check->add_flag("--json", json, "Print one JSON object instead of text");
        check->add_option("FILE", checkFile, "The settings file (default: Ostrevane.ini here)");

        CLI::App* makeDefault =
            app.add_subcommand("default", "Write the default settings file, as the plug-in "
                                          "writes it when it finds none.");
        bool crlf = false, force = false;
        std::string defaultFile;
        makeDefault->add_flag("--crlf", crlf,
                              "End lines with CR LF, as the plug-in does on Windows");
        CLI::Option* output =
            makeDefault->add_option("-o,--output", defaultFile, "Write to FILE, not the screen");
        makeDefault->add_flag("--force", force, "Replace FILE if it exists")->needs(output);

        CLI::App* hash = app.add_subcommand(
            "hash", "Print a dictionary line NAME=0xXXXXXXXX for each name, with the hash the "
                    "game gives that name.");
        std::vector<std::string> names;
        hash->add_option("NAME", names, "Item names, as the game spells them")->required();

        CLI::App* swap = app.add_subcommand(
            "swap", "Run the plug-in's substitution over the bytes of IN as one memory region "
                    "and write the result to OUT, as for a memory dump.");
        bool apply = false, restore = false;
        std::string settingsFile = kDefaultSettingsFile, in, outPath;
        CLI::Option_group* direction = swap->add_option_group("direction");
        direction->add_flag("--apply", apply, "Old hashes to new, as on enabling the mod");
        direction->add_flag("--restore", restore, "New hashes back to old, as on disabling it");
        direction->require_option(1);
        swap->add_option("--settings", settingsFile, "The settings file (default: Ostrevane.ini)");
        swap->add_option("IN", in, "The bytes to scan")->required();
        swap->add_option("OUT", outPath, "Where to write them, replaced whole")->required();

        CLI::App* scan = app.add_subcommand(
            "scan", "Count the settings' items in a running game's memory and say what F8 would "
                    "do there now, reading that memory only.");
        ScanTarget target;
        std::string scanSettings = kDefaultSettingsFile;
        bool all = false;
        CLI::Option_group* game = scan->add_option_group("game");
        game->add_option("--pid", target.pid, "The game's process id");
        game->add_option("--process", target.process, "The game's program file, e.g. Game.exe");
        game->require_option(1);
        scan->add_option("--settings", scanSettings, "The settings file (default: Ostrevane.ini)");
        scan->add_flag("--all", all, "Also count every dictionary name, most frequent first");
        scan->add_flag("--json", json, "Print one JSON object instead of text");

        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            return app.exit(error, out, err) == 0 ? kExitOk : kExitFailed;
        }

        if (*check) return RunCheck(checkFile, json, out, err);
        if (*scan) return RunScan(target, scanSettings, all, json, out, err);
        if (*makeDefault) return RunDefault(crlf, defaultFile, force, out, err);
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
        return RunSwap(restore, settingsFile, in, outPath, out, err);
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
        err << "ostrevane: the output could not be written (is the disk full?)\n";
        return kExitFailed;
    }
    return status;
}
