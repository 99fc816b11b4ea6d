#include "cli/commands.h"
#include "cli/files.h"
#include "platform/command_host.h"
#include "settings/default_settings.h"
#include "settings/settings.h"

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

int RunDefault(bool crlf, const std::string& path, bool force, std::ostream& out,
               std::ostream& err) {
    // The same lines the plug-in writes; on Windows its text-mode write makes them CR LF.
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
        err << "ostrevane default: " << FullPath(path) << ": " << problem.words;
        if (problem.kind == FileProblem::kFolder) {
            err << ", such as -o " << FullPath((fs::path(path) / kSettingsFileName).string());
        }
        err << "\n";
        return kExitFailed;
    }
    out << "Wrote the default settings file to " << FullPath(path) << " (" << text.size()
        << " bytes, lines ending in " << (crlf ? "CR LF" : "LF") << ", as the plug-in writes it on "
        << (crlf ? "Windows" : "Linux") << ").\n";
    return kExitOk;
}
