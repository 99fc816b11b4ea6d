#include "cli/default/default_command.h"

#include "cli/print_report.h"
#include "platform/terminal.h"
#include "settings/default_settings.h"
#include "settings/settings.h"
#include "settings_file/whole_files.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>

namespace fs = std::filesystem;

namespace {

int RunDefault(bool crlf, const std::string& path, bool force, std::ostream& out,
               std::ostream& err) {
    // The same lines the plug-in writes; its text-mode write makes them CR LF, and so does
    // Wine's or Proton's for a player on Linux.
    const std::string text = DefaultSettingsText(crlf ? "\r\n" : "\n");
    if (path.empty()) {
        // 155 KB of dictionary scrolls past a player and leaves no file behind.
        if (&out == &std::cout && platform::OutputIsTerminal()) {
            err << "ostrevane default: this writes the " << text.size()
                << "-byte default settings file; name the file to write with -o, such as "
                   "`ostrevane default -o "
                << kSettingsFileName << "` in the game's folder.\n";
            return kExitFailed;
        }
        out << text;
        return kExitOk;
    }
    FileProblem problem;
    if (!WriteWholeFile(path, text, force, problem)) {
        err << "ostrevane default: " << FullPath(path) << ": " << FileProblemWords(problem);
        if (problem.kind == FileProblem::kFolderNamed) {
            err << ", such as -o " << FullPath((fs::path(path) / kSettingsFileName).string());
        }
        err << "\n";
        return kExitFailed;
    }
    out << "Wrote the default settings file to " << FullPath(path) << " (" << text.size()
        << (crlf ? " bytes, lines ending in CR LF, as the plug-in writes it)"
                 : " bytes, lines ending in LF; the plug-in itself writes CR LF)")
        << ".\n";
    return kExitOk;
}

} // namespace

void AddDefaultCommand(CLI::App& app, CommandLine& line) {
    CLI::App* makeDefault =
        app.add_subcommand("default", "Write the default settings file, as the plug-in "
                                      "writes it when it finds none.");
    struct Options {
        bool crlf = false, lf = false, force = false; // --crlf is the default, said aloud
        std::string path;
    };
    auto options = std::make_shared<Options>();
    CLI::Option* crlfFlag = makeDefault->add_flag(
        "--crlf", options->crlf, "End lines with CR LF, as the plug-in does (the default)");
    makeDefault->add_flag("--lf", options->lf, "End lines with LF alone")->excludes(crlfFlag);
    CLI::Option* output =
        makeDefault->add_option("-o,--output", options->path, "Write to FILE, not the screen")
            ->type_name("FILE");
    makeDefault->add_flag("--force", options->force, "Replace FILE if it exists")->needs(output);
    makeDefault->callback([&line, options] {
        line.status = RunDefault(!options->lf, options->path, options->force, line.out, line.err);
    });
}
