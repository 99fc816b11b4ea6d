#include "settings/default_settings.h"
#include "tools/ostrevane/commands.h"
#include "tools/ostrevane/files.h"

#include <ostream>

int RunDefault(bool crlf, const std::string& path, bool force, std::ostream& out,
               std::ostream& err) {
    // The same lines the plug-in writes; on Windows its text-mode write makes them CR LF.
    const std::string_view ending = crlf ? "\r\n" : "\n";
    std::string text;
    text.reserve(160 * 1024);
    for (std::string_view line : DefaultSettingsLines) {
        text += line;
        text += ending;
    }
    if (path.empty()) {
        out << text;
        return kExitOk;
    }
    std::string problem;
    if (!WriteWholeFile(path, text, force, problem)) {
        err << "ostrevane default: " << FullPath(path) << ": " << problem << "\n";
        return kExitFailed;
    }
    out << "Wrote the default settings file to " << FullPath(path) << " (" << text.size()
        << " bytes).\n";
    return kExitOk;
}
