#include "cli/print_report.h"
#include "cli/printable.h"

#include "cli/report_text.h"
#include "settings_file/bytes_text.h"
#include "settings_file/whole_files.h"

#include <filesystem>
#include <ostream>

std::string FileProblemWords(const FileProblem& problem) {
    if (problem.kind == FileProblem::kExists) return problem.words + " (add --force to replace it)";
    if (problem.kind == FileProblem::kNotOwner)
        return problem.words + ": run the command as its owner";
    return problem.words;
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
