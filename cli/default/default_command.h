#pragma once
// `ostrevane default`: the default settings file, as the plug-in writes it.

#include "cli/command.h"

void AddDefaultCommand(CLI::App& app, CommandLine& line);

// Whether `default` ends lines with CR LF: as --crlf or --lf asks, else as the plug-in on
// this system writes them (`plugInWritesCrLf`).
constexpr bool DefaultEndsLinesWithCrLf(bool crlf, bool lf, bool plugInWritesCrLf) {
    return crlf || (!lf && plugInWritesCrLf);
}
