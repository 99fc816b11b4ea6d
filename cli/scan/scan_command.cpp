#include "cli/scan/scan_command.h"

#include "cli/scan/scan_print.h"
#include "game/scan_game.h"
#include "platform/terminal.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <ostream>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Progress on the player's terminal once a scan has run a second, never into a pipe or a
// file, where it would only be noise in the report.
ScanProgressFunction TerminalProgress(std::ostream& err, Clock::time_point start, bool& shown) {
    if (&err != &std::cerr || !platform::ErrorIsTerminal()) return nullptr;
    return [&err, start, &shown, last = Clock::time_point()](const ScanProgress& p) mutable {
        const Clock::time_point now = Clock::now();
        if (now - start < std::chrono::seconds(1) || now - last < std::chrono::milliseconds(100)) {
            return;
        }
        last = now;
        char line[128];
        std::snprintf(line, sizeof line, "\r  %.2f of %.2f GB, %zu of %zu regions, %.2f GB/s  ",
                      double(p.bytesDone) / 1e9, double(p.bytesTotal) / 1e9, p.regionsDone,
                      p.regionsTotal, double(p.bytesDone) / 1e9 / SecondsSince(start));
        err << line << std::flush;
        shown = true;
    };
}

} // namespace

int RunScan(const ProcessToScan& target, const std::string& settingsPath, bool all, bool json,
            std::ostream& out, std::ostream& err) {
    bool progressShown = false;
    const GameScan scan =
        ScanGame(target, settingsPath, all, TerminalProgress(err, Clock::now(), progressShown));
    if (progressShown) err << "\r" << std::string(70, ' ') << "\r" << std::flush;
    if (scan.problem != ScanProblem::kNone) {
        err << "ostrevane scan: " << ScanProblemWords(scan);
        return kExitFailed;
    }
    if (json) {
        PrintScanJson(scan.pid, scan.settingsPath, scan.report, scan.result, out);
    } else {
        const std::string source =
            scan.settingsNamed ? ""
            : scan.settingsSource == platform::FolderSource::kCurrentFolder
                ? " (the game's current folder)"
                : " (the game's program folder: its current folder could not be read)";
        PrintScanText(scan.pid, scan.settingsPath + source, scan.report, scan.result, scan.seconds,
                      out);
    }
    return ScanWarnings(scan.report, scan.result).empty() ? kExitOk : kExitWarnings;
}

void AddScanCommand(CLI::App& app, CommandLine& line) {
    CLI::App* scan = app.add_subcommand(
        "scan", "Count the settings' items in a running game's memory and say what the toggle "
                "key would do there now, reading that memory only.");
    struct Options {
        ProcessToScan target;
        std::string settingsPath;
        bool all = false, json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::Option_group* game = scan->add_option_group("game", "The game to read:");
    game->add_option("--pid", options->target.pid, "The game's process id")->type_name("PID");
    game->add_option("--process", options->target.process,
                     "The game's program file, e.g. Game.exe, Game or its full path")
        ->type_name("NAME");
    game->require_option(1);
    scan->add_option("--settings", options->settingsPath,
                     SettingsFileHelp(" in the game's current folder, where the plug-in reads it"))
        ->type_name("FILE");
    scan->add_flag("--all", options->all, "Also count every dictionary name, most frequent first");
    scan->add_flag("--json", options->json, "Print one JSON object instead of text");
    scan->callback([&line, options] {
        line.status = RunScan(options->target, options->settingsPath, options->all, options->json,
                              line.out, line.err);
    });
}
