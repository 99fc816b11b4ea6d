#include "cli/files.h"

#include "platform/command_host.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

// A name no one else is writing to: the target's name, a random tag, ".tmp".
fs::path TemporaryBeside(const fs::path& target) {
    std::random_device random;
    char tag[16];
    std::snprintf(tag, sizeof tag, ".%08x.tmp", unsigned(random()));
    fs::path temporary = target;
    temporary += tag;
    return temporary;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, FileProblem& problem) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        problem = {FileProblem::kMissing, "no such file"};
        return false;
    }
    if (status.type() == fs::file_type::directory) {
        problem = {FileProblem::kFolder, "is a folder, not a file"};
        return false;
    }
    if (!ReadFileBytes(path, bytes)) {
        problem = {FileProblem::kOther, "cannot be read"};
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, bool replace,
                    FileProblem& problem) {
    const fs::path target(path);
    std::error_code error;
    // A folder is never replaced, so asking for --force first would only lead nowhere.
    if (fs::is_directory(target, error)) {
        problem = {FileProblem::kFolder, "is a folder, not a file: name a file in it"};
        return false;
    }
    if (!replace && fs::exists(fs::symlink_status(target, error))) {
        problem = {FileProblem::kOther, "already exists (add --force to replace it)"};
        return false;
    }
    // A rename would replace a read-only file off Windows and be refused on it: refused
    // alike everywhere, and before anything is written.
    const fs::file_status existing = fs::status(target, error);
    const bool exists = fs::exists(existing);
    if (exists && (existing.permissions() & fs::perms::owner_write) == fs::perms::none) {
        problem = {FileProblem::kReadOnly,
                   "is read-only: clear \"Read-only\" in its Properties (chmod u+w on Linux), "
                   "then try again"};
        return false;
    }
    const fs::path temporary = TemporaryBeside(target);
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            problem = {FileProblem::kOther,
                       "cannot be written (is the folder there, and writable?)"};
            return false;
        }
        file.write(bytes.data(), std::streamsize(bytes.size()));
        file.close();
        // The new file keeps who may read the old one.
        if (exists) fs::permissions(temporary, existing.permissions(), error);
        if (!file) {
            fs::remove(temporary, error);
            problem = {FileProblem::kOther, "cannot be written (is the disk full?)"};
            return false;
        }
    }
    // Checked again: the file may have appeared while this one was being written.
    if (!replace && fs::exists(fs::symlink_status(target, error))) {
        fs::remove(temporary, error);
        problem = {FileProblem::kOther, "already exists (add --force to replace it)"};
        return false;
    }
    if (!platform::RenameReplacing(temporary.string().c_str(), target.string().c_str())) {
        problem = {FileProblem::kOther,
                   "cannot be replaced (is it open in another program, or the folder read-only?)"};
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

std::string SettingsFileProblemText(const std::string& path, const FileProblem& problem,
                                    std::string_view missingHint) {
    std::string text = FullPath(path) + ": " + problem.words + "\n";
    if (problem.kind == FileProblem::kMissing) {
        if (missingHint.empty()) {
            // The file the player named, so the next command reads what this one writes.
            const bool spaced = path.find(' ') != std::string::npos;
            text += "The plug-in writes a default settings file in the game's folder when the "
                    "game starts; `ostrevane default -o " +
                    (spaced ? "\"" + path + "\"" : path) + "` writes one now.\n";
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

std::string FullPath(const std::string& path) {
    std::error_code error;
    const fs::path full = fs::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}
