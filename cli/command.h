#pragma once
// How a command joins the ostrevane command line: each adds its own words and options to the
// parser, and runs once they are parsed.

#include <iosfwd>
#include <string>
#include <string_view>

namespace CLI {
class App;
}

constexpr int kExitOk = 0;
constexpr int kExitWarnings = 1; // check, set and scan only
constexpr int kExitFailed = 2;

// The command line being run: where a command prints, and the status it sets once it ran.
struct CommandLine {
    int argc;
    const char* const* argv; // argv[1] names the command
    std::ostream& out;
    std::ostream& err;
    int status = kExitOk;
};

// Adds one command to `app`; its run, once parsed, sets `line.status`.
using AddCommand = void (*)(CLI::App& app, CommandLine& line);

// "The settings file (default: Ostrevane.ini here)": the help of a command's settings file
// option, `where` following the file's name.
std::string SettingsFileHelp(std::string_view where = " here");
