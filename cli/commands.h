#pragma once
// The subcommands of ostrevane, each given its parsed command line. Each returns the
// exit status: kExitOk, kExitWarnings (check, set and scan only) or kExitFailed.

#include "cli/scan/scan_game.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

constexpr int kExitOk = 0;
constexpr int kExitWarnings = 1;
constexpr int kExitFailed = 2;

// Whether `default` ends lines with CR LF: as --crlf or --lf asks, else as the plug-in on
// this system writes them (`plugInWritesCrLf`).
constexpr bool DefaultEndsLinesWithCrLf(bool crlf, bool lf, bool plugInWritesCrLf) {
    return crlf || (!lf && plugInWritesCrLf);
}

// Prints what the plug-in reads from `path` and every trap found, as text or as JSON.
int RunCheck(const std::string& path, bool json, std::ostream& out, std::ostream& err);

// Writes the default settings file to `path`, or to `out` when `path` is empty and `out` is
// no terminal, where it would only flood the screen.
int RunDefault(bool crlf, const std::string& path, bool force, std::ostream& out,
               std::ostream& err);

// Lists the names under one dictionary section ("camera", or "[Camera]") of the settings
// file at `path` that hold `text` in any case, with their hashes and a count.
int RunList(const std::string& section, const std::string& text, const std::string& path,
            std::ostream& out, std::ostream& err);

// Sets one of the nine settings in the file at `path` to `value`, rewriting that line's value
// alone, or refuses a value the plug-in cannot use and changes nothing; then reports as check.
int RunSet(const std::string& setting, const std::string& value, const std::string& path,
           std::ostream& out, std::ostream& err);

// The line `--version` prints: this build's version and the engine the plug-in would
// choose on this CPU.
std::string VersionText();

// Prints a dictionary line for each name.
int RunHash(const std::vector<std::string>& names, std::ostream& out, std::ostream& err);

// Runs the apply (or restore) substitution over the bytes of `in`, as one memory region,
// and writes the result to `outPath`, which must not exist, or be `in`, unless `replace`.
int RunSwap(bool restore, const std::string& settingsPath, const std::string& in,
            const std::string& outPath, bool replace, std::ostream& out, std::ostream& err);


// Counts the settings' items in the memory of a running game that the toggle key would
// rewrite, and what it would do there, reading that memory only; with `all`, every
// dictionary name too.
// An empty `settingsPath` means the settings file in the game's current folder.
int RunScan(const ProcessToScan& target, const std::string& settingsPath, bool all, bool json,
            std::ostream& out, std::ostream& err);
