#include "settings_file/whole_files.h"

#include "platform/replace_file.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"

#include <filesystem>

namespace fs = std::filesystem;

bool ReadWholeFile(const std::string& path, std::string& bytes, FileProblem& problem) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        // A mod manager's link whose file is gone: the link itself is there to be written to.
        const bool link = fs::is_symlink(fs::symlink_status(path, error));
        problem = {FileProblem::kMissing, link ? "a symbolic link to " +
                                                     fs::read_symlink(path, error).string() +
                                                     ", where there is no file"
                                               : "no such file"};
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

namespace {

// Why WriteReplacing refused, for a player.
FileProblem ReplaceProblem(platform::ReplaceResult result) {
    using platform::ReplaceResult;
    switch (result) {
    case ReplaceResult::kExists:
        return {FileProblem::kExists, "already exists"};
    case ReplaceResult::kOtherNames:
        return {FileProblem::kOther,
                "has other names (hard links, as some mod managers make), which a new file "
                "would leave with the old bytes: change it in an editor that writes into the "
                "file itself (Notepad does), or remove its other names first"};
    case ReplaceResult::kLinkLoop:
        return {FileProblem::kOther, "is a symbolic link whose links lead round in a circle"};
    case ReplaceResult::kCannotCreate:
        return {FileProblem::kOther, "cannot be written (is the folder there, and writable?)"};
    case ReplaceResult::kCannotWrite:
        return {FileProblem::kOther, "cannot be written (is the disk full?)"};
    case ReplaceResult::kCannotKeepOwner:
        return {FileProblem::kNotOwner,
                "belongs to another user or group, who would lose it to a new file"};
    default:
        return {FileProblem::kOther,
                "cannot be replaced (is it open in another program, or the folder read-only?)"};
    }
}

} // namespace

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
        problem = {FileProblem::kExists, "already exists"};
        return false;
    }
    // A rename would replace a read-only file off Windows and be refused on it: refused
    // alike everywhere, and before anything is written.
    const fs::file_status existing = fs::status(target, error);
    if (fs::exists(existing) &&
        (existing.permissions() & fs::perms::owner_write) == fs::perms::none) {
        problem = {FileProblem::kReadOnly,
                   "is read-only: clear \"Read-only\" in its Properties (chmod u+w on Linux), "
                   "then try again"};
        return false;
    }
    const platform::ReplaceResult result = platform::WriteReplacing(path.c_str(), bytes, replace);
    if (result == platform::ReplaceResult::kWritten) return true;
    problem = ReplaceProblem(result);
    return false;
}

std::string FullPath(const std::string& path) {
    std::error_code error;
    const fs::path full = fs::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}
