// A replacing write off Windows: a temporary file beside the link's target, given the old
// file's owner and mode, synced, renamed over it, and the folder synced after.
#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace platform {

namespace {

namespace fs = std::filesystem;

// The file a write to `path` changes: `path`, or the file its symbolic links end at, which
// need not exist yet. Empty when the links lead round in a circle.
std::string FileBehindLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0) return path;
        link.resize(size_t(length));
        // A relative link is read from the link's own folder, as the system reads it.
        path = fs::path(link).is_absolute() ? link : (fs::path(path).parent_path() / link).string();
    }
    return {};
}

bool WriteAll(int file, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(file, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        bytes.remove_prefix(size_t(wrote));
    }
    return true;
}

// Opens a new file beside `target` that no one else is writing to, readable by its owner
// alone until it is given the old file's mode; -1 when the folder refuses.
int CreateBeside(const std::string& target, mode_t mode, std::string& temporary) {
    std::random_device random;
    for (int attempt = 0; attempt < 8; ++attempt) {
        char tag[16];
        std::snprintf(tag, sizeof tag, ".%08x.tmp", unsigned(random()));
        temporary = target + tag;
        const int file = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (file >= 0 || errno != EEXIST) return file;
    }
    return -1;
}

// Makes a rename in the folder of `target` reach the disk; a folder that cannot be opened
// or synced (some network folders) still holds the renamed file.
void SyncFolderOf(const std::string& target) {
    const fs::path folder = fs::path(target).parent_path();
    const int file = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (file < 0) return;
    ::fsync(file);
    ::close(file);
}

// Gives the written `temporary` the name `target`; its own name is gone when kWritten.
ReplaceResult PutInPlace(const std::string& temporary, const std::string& target, bool replace) {
    if (replace) {
        return ::rename(temporary.c_str(), target.c_str()) == 0 ? ReplaceResult::kWritten
                                                                : ReplaceResult::kCannotReplace;
    }
    // A link, unlike a rename, never replaces a file that appeared meanwhile.
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return ReplaceResult::kWritten;
    }
    // Where the folder holds no hard links (FAT), a rename after a last look must do.
    struct stat now;
    if (errno == EEXIST || ::lstat(target.c_str(), &now) == 0) return ReplaceResult::kExists;
    return PutInPlace(temporary, target, true);
}

} // namespace

ReplaceResult WriteReplacing(const char* path, std::string_view bytes, bool replace) {
    const std::string target = FileBehindLinks(path);
    if (target.empty()) return ReplaceResult::kLinkLoop;
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT && errno != ENOTDIR) return ReplaceResult::kCannotReplace;
    if (exists && !replace) return ReplaceResult::kExists;
    // A new file would part this name from the others, which keep the old bytes.
    if (exists && old.st_nlink > 1) return ReplaceResult::kOtherNames;

    std::string temporary;
    const int file = CreateBeside(target, exists ? 0600 : 0666, temporary);
    if (file < 0) return ReplaceResult::kCannotCreate;
    ReplaceResult result = ReplaceResult::kWritten;
    if (!WriteAll(file, bytes)) {
        result = ReplaceResult::kCannotWrite;
    } else if (exists && (::fchown(file, old.st_uid, old.st_gid) != 0 ||
                          ::fchmod(file, old.st_mode & 07777) != 0)) {
        // Owner first: a change of owner clears the set-user and set-group bits.
        result = ReplaceResult::kCannotKeepOwner;
    } else if (::fsync(file) != 0) {
        result = ReplaceResult::kCannotWrite;
    }
    if (::close(file) != 0 && result == ReplaceResult::kWritten)
        result = ReplaceResult::kCannotWrite;
    if (result == ReplaceResult::kWritten) result = PutInPlace(temporary, target, replace);
    if (result != ReplaceResult::kWritten) ::unlink(temporary.c_str());
    if (result == ReplaceResult::kWritten) SyncFolderOf(target);
    return result;
}

} // namespace platform
