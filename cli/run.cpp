#include "cli/ostrevane.h"

#include "cli/check/check_command.h"
#include "cli/command.h"
#include "cli/default/default_command.h"
#include "cli/doctor/doctor_command.h"
#include "cli/hash/hash_command.h"
#include "cli/list/list_command.h"
#include "cli/player_words.h"
#include "cli/report_text.h"
#include "cli/scan/scan_command.h"
#include "cli/set/set_command.h"
#include "cli/swap/swap_command.h"
#include "cli/version.h"
#include "cli/wrapped_help.h"
#include "platform/output_pipe.h"
#include "settings/settings.h"
#include "settings_file/suggest.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <iostream>
#include <ostream>

namespace {

// The commands, in the order help lists them.
constexpr AddCommand kCommands[] = {AddCheckCommand,   AddListCommand,  AddSetCommand,
                                    AddDefaultCommand, AddHashCommand,  AddSwapCommand,
                                    AddScanCommand,    AddDoctorCommand};

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

void NotACommand(std::string_view context, std::string_view word,
                 const std::vector<std::string_view>& commands, std::ostream& err) {
    err << context << "\"" << word << "\" is not a command";
    const std::string_view closest = ClosestName(word, commands);
    if (!closest.empty()) err << "; did you mean \"" << closest << "\"?";
    err << "\n" << CommandList(commands);
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
    NotACommand("ostrevane: ", first, commands, err);
    return true;
}

// `ostrevane help [COMMAND]`: the help of the command named, or of them all.
int Help(const CLI::App& app, int argc, const char* const* argv, std::ostream& out,
         std::ostream& err) {
    if (argc == 2) {
        out << WrappedHelp(app.help());
        return kExitOk;
    }
    const std::vector<std::string_view> commands = CommandNames(app);
    const std::string_view named = argv[2];
    if (argc == 3 && std::find(commands.begin(), commands.end(), named) != commands.end()) {
        out << WrappedHelp(app.get_subcommand(std::string(named))->help("ostrevane"));
        return kExitOk;
    }
    if (argc > 3) {
        err << "ostrevane help: name one command.\n" << CommandList(commands);
        return kExitFailed;
    }
    NotACommand("ostrevane help: ", named, commands, err);
    return kExitFailed;
}

int RunCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    try {
        CLI::App app("Reads, checks and changes the Ostrevane plug-in's settings file, and "
                     "shows what its swap would do to a memory dump or a running game.",
                     "ostrevane");
        app.require_subcommand(1);
        // Set before the commands are added, which take the parent's layout as they come.
        app.formatter(PlayerHelpFormat());
        // On Windows the parser would take "/folder/file.ini" for an option named "folder".
        app.allow_windows_style_options(false);
        app.set_version_flag("--version", VersionText, "Print the version and exit");
        app.footer("Exit status: 0 done, 1 warnings or problems found, 2 failed.");

        CommandLine line{argc, argv, out, err};
        for (const AddCommand add : kCommands)
            add(app, line);
        // A positional's name says what it is ("SECTION"); the parser's "TEXT" after it would
        // only repeat it.
        for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
            command->group("Commands");
            for (CLI::Option* option : command->get_options()) {
                if (option->get_positional()) option->type_name("");
            }
        }

        if (argc >= 2 && argv[1] == std::string_view("help"))
            return Help(app, argc, argv, out, err);
        if (IsCommandSlip(app, argc, argv, err)) return kExitFailed;
        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            if (dynamic_cast<const CLI::CallForHelp*>(&error) != nullptr) {
                out << WrappedHelp(app.help());
                return kExitOk;
            }
            if (error.get_exit_code() == 0) return app.exit(error, out, err);
            // The parser's own advice names --help, never the command's help a player needs.
            const bool named = !std::string_view(argv[1]).starts_with("-");
            const std::string command = named ? "ostrevane " + std::string(argv[1]) : "ostrevane";
            err << command << ": " << ParseErrorWords(error) << "\nRun `" << command
                << " --help` to see how to run it.\n";
            return kExitFailed;
        }

        return line.status;
    } catch (const std::exception& error) {
        err << "ostrevane: " << error.what() << "\n";
        return kExitFailed;
    }
}

} // namespace

std::string SettingsFileHelp(std::string_view where) {
    return "The settings file (default: " + std::string(kSettingsFileName) + std::string(where) +
           ")";
}

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
