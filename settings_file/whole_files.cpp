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
        problem = {FileProblem::kMissing, link ? fs::read_symlink(path, error).string() : ""};
        return false;
    }
    if (status.type() == fs::file_type::directory) {
        problem = {FileProblem::kFolder, ""};
        return false;
    }
    if (!ReadFileBytes(path, bytes)) {
        problem = {FileProblem::kUnreadable, ""};
        return false;
    }
    return true;
}

namespace {

// Why WriteReplacing refused.
FileProblem::Kind ReplaceProblem(platform::ReplaceResult result) {
    using platform::ReplaceResult;
    switch (result) {
    case ReplaceResult::kExists:
        return FileProblem::kExists;
    case ReplaceResult::kOtherNames:
        return FileProblem::kOtherNames;
    case ReplaceResult::kLinkLoop:
        return FileProblem::kLinkLoop;
    case ReplaceResult::kCannotCreate:
        return FileProblem::kCannotCreate;
    case ReplaceResult::kCannotWrite:
        return FileProblem::kCannotWrite;
    case ReplaceResult::kCannotKeepOwner:
        return FileProblem::kNotOwner;
    default:
        return FileProblem::kCannotReplace;
    }
}

} // namespace

bool WriteWholeFile(const std::string& path, std::string_view bytes, bool replace,
                    FileProblem& problem) {
    const fs::path target(path);
    std::error_code error;
    // A folder is never replaced, so asking for --force first would only lead nowhere.
    if (fs::is_directory(target, error)) {
        problem = {FileProblem::kFolderNamed, ""};
        return false;
    }
    if (!replace && fs::exists(fs::symlink_status(target, error))) {
        problem = {FileProblem::kExists, ""};
        return false;
    }
    // A rename would replace a read-only file off Windows and be refused on it: refused
    // alike everywhere, and before anything is written.
    const fs::file_status existing = fs::status(target, error);
    if (fs::exists(existing) &&
        (existing.permissions() & fs::perms::owner_write) == fs::perms::none) {
        problem = {FileProblem::kReadOnly, ""};
        return false;
    }
    const platform::ReplaceResult result = platform::WriteReplacing(path.c_str(), bytes, replace);
    if (result == platform::ReplaceResult::kWritten) return true;
    problem = {ReplaceProblem(result), ""};
    return false;
}

std::string FullPath(const std::string& path) {
    std::error_code error;
    const fs::path full = fs::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}
