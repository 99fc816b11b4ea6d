#include "cli/print_report.h"
#include "cli/printable.h"

#include "cli/report_text.h"
#include "settings_file/bytes_text.h"
#include "settings_file/whole_files.h"

#include <filesystem>
#include <ostream>

std::string FileProblemWords(const FileProblem& problem) {
    switch (problem.kind) {
    case FileProblem::kNone:
        return "";
    case FileProblem::kMissing:
        return problem.linkTarget.empty()
                   ? "no such file"
                   : "a symbolic link to " + problem.linkTarget + ", where there is no file";
    case FileProblem::kFolder:
        return "is a folder, not a file";
    case FileProblem::kFolderNamed:
        return "is a folder, not a file: name a file in it";
    case FileProblem::kUnreadable:
        return "cannot be read";
    case FileProblem::kExists:
        return "already exists (add --force to replace it)";
    case FileProblem::kReadOnly:
        return "is read-only: clear \"Read-only\" in its Properties (chmod u+w on Linux), then "
               "try again";
    case FileProblem::kOtherNames:
        return "has other names (hard links, as some mod managers make), which a new file would "
               "leave with the old bytes: change it in an editor that writes into the file itself "
               "(Notepad does), or remove its other names first";
    case FileProblem::kLinkLoop:
        return "is a symbolic link whose links lead round in a circle";
    case FileProblem::kCannotCreate:
        return "cannot be written (is the folder there, and writable?)";
    case FileProblem::kCannotWrite:
        return "cannot be written (is the disk full?)";
    case FileProblem::kNotOwner:
        return "belongs to another user or group, who would lose it to a new file: run the "
               "command as its owner";
    case FileProblem::kCannotReplace:
        break;
    }
    return "cannot be replaced (is it open in another program, or the folder read-only?)";
}

std::string SettingsFileProblemText(const std::string& path, const FileProblem& problem,
                                    std::string_view missingHint) {
    std::string text = FullPath(path) + ": " + FileProblemWords(problem) + "\n";
    if (problem.kind == FileProblem::kMissing) {
        if (missingHint.empty()) {
            // The file the player named, so the next command reads what this one writes; through
            // a link that points nowhere, `default` writes only when told to, and only into a
            // folder that is there.
            namespace fs = std::filesystem;
            const bool spaced = path.find(' ') != std::string::npos;
            std::error_code error;
            const bool link = fs::is_symlink(fs::symlink_status(path, error));
            const fs::path into =
                link ? (fs::path(path).parent_path() / fs::read_symlink(path, error)).parent_path()
                     : fs::path();
            const bool noFolder = link && !into.empty() && !fs::is_directory(into, error);
            if (noFolder) {
                text += "The folder the link points into, " + FullPath(into.string()) +
                        ", is not there: create it, then ";
            } else {
                text += "The plug-in writes a default settings file in the game's folder when "
                        "the game starts; ";
            }
            text += "`ostrevane default -o " + (spaced ? "\"" + path + "\"" : path) +
                    (link ? " --force" : "") + "` writes one now" +
                    (link ? ", where the link points" : "") + ".\n";
        } else {
            text += missingHint;
        }
    } else if (problem.kind == FileProblem::kFolder) {
        text += "The plug-in reads nothing from a folder and never replaces it: remove or "
                "rename the folder, and the game writes a default settings file there at its "
                "next start.\n";
    }
    return text;
}

bool ReadSettingsFile(const std::string& context, const std::string& path, std::string& bytes,
                      std::ostream& err, std::string_view missingHint) {
    FileProblem problem;
    if (ReadWholeFile(path, bytes, problem)) return true;
    err << context << SettingsFileProblemText(path, problem, missingHint);
    return false;
}

void PrintWarnings(const std::vector<std::string>& warnings, std::ostream& out) {
    if (warnings.empty()) {
        out << "No warnings.\n";
        return;
    }
    out << CountOf(warnings.size(), "warning:", "warnings:") << "\n";
    for (const std::string& warning : warnings)
        out << "  " << Printable(warning) << "\n";
}

void PrintJsonList(std::ostream& out, std::string_view name, size_t count,
                   const std::function<void(size_t)>& element, std::string_view brackets) {
    out << "  \"" << name << "\": " << brackets[0];
    for (size_t i = 0; i < count; ++i) {
        out << (i == 0 ? "\n    " : ",\n    ");
        element(i);
    }
    out << (count == 0 ? "" : "\n  ") << brackets[1];
}
