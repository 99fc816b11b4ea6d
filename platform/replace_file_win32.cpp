// A replacing write on Windows: a temporary file beside the file a link ends at, flushed,
// then swapped in by ReplaceFileW, which keeps the old file's attributes and security where
// a rename would give the new file the folder's.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/replace_file.h"

#include <cwchar>
#include <random>
#include <string>

namespace platform {

namespace {

std::wstring Wide(const char* text) {
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

// What is at `path`: whether anything, how many names (hard links) it has, and where its
// symbolic links end, which opening it follows them to.
struct Found {
    bool exists = false;
    bool unknown = false; // something may be there, but the system would not say
    DWORD names = 1;
    DWORD attributes = 0;
    std::wstring file;
};

Found Find(const std::wstring& path) {
    Found found;
    found.file = path;
    const HANDLE file =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        found.unknown = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        return found;
    }
    found.exists = true;
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(file, &info)) {
        found.names = info.nNumberOfLinks;
        found.attributes = info.dwFileAttributes;
    }
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(file, final.data(), DWORD(final.size()), 0);
    if (length >= final.size()) {
        final.resize(length);
        length = ::GetFinalPathNameByHandleW(file, final.data(), DWORD(final.size()), 0);
    }
    ::CloseHandle(file);
    // The "\\?\" form it comes in serves every call below.
    if (length > 0 && length < final.size()) found.file = final.substr(0, length);
    return found;
}

// Opens a new file beside `target` that no one else is writing to.
HANDLE CreateBeside(const std::wstring& target, std::wstring& temporary) {
    std::random_device random;
    for (int attempt = 0; attempt < 8; ++attempt) {
        wchar_t tag[16];
        std::swprintf(tag, 16, L".%08x.tmp", unsigned(random()));
        temporary = target + tag;
        const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(bytes.size() < (1u << 30) ? bytes.size() : (1u << 30));
        DWORD wrote = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &wrote, nullptr) || wrote == 0) return false;
        bytes.remove_prefix(wrote);
    }
    return true;
}

// Gives the written `temporary` the name `target`; `removable` false when the temporary
// holds the only copy of the bytes and must stay.
ReplaceResult PutInPlace(const std::wstring& temporary, const Found& target, bool replace,
                         bool& removable) {
    removable = true;
    const DWORD through = MOVEFILE_WRITE_THROUGH;
    if (!target.exists) {
        if (::MoveFileExW(temporary.c_str(), target.file.c_str(),
                          through | (replace ? MOVEFILE_REPLACE_EXISTING : 0))) {
            return ReplaceResult::kWritten;
        }
        const DWORD error = ::GetLastError();
        return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                   ? ReplaceResult::kExists
                   : ReplaceResult::kCannotReplace;
    }
    if (::ReplaceFileW(target.file.c_str(), temporary.c_str(), nullptr,
                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        return ReplaceResult::kWritten;
    }
    // Here the old file is gone already and the new one still has the temporary name: the
    // bytes must reach the old name without its attributes rather than be lost.
    if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
        if (::MoveFileExW(temporary.c_str(), target.file.c_str(),
                          through | MOVEFILE_REPLACE_EXISTING)) {
            return ReplaceResult::kWritten;
        }
        removable = false;
    }
    return ReplaceResult::kCannotReplace;
}

// Under Wine a symbolic link to a missing file is hidden from every open, yet a rename onto
// its name would replace the link with a plain file. Only creating the name exclusively
// finds it: the link stands in the way.
bool IsLinkToNothing(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        ::DeleteFileW(path.c_str());
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

} // namespace

ReplaceResult WriteReplacing(const char* path, std::string_view bytes, bool replace) {
    const std::wstring wide = Wide(path);
    Found target = Find(wide);
    if (target.unknown) return ReplaceResult::kCannotReplace;
    bool made = false; // the file a link points to, made here and removed if the write fails
    if (!target.exists && IsLinkToNothing(wide)) {
        if (!replace) return ReplaceResult::kExists;
        // Opened through the link, the name makes the file it points to; from then on the
        // write goes there as through any link.
        const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return ReplaceResult::kCannotCreate;
        made = ::GetLastError() != ERROR_ALREADY_EXISTS;
        ::CloseHandle(file);
        target = Find(wide);
    }
    if (target.exists && !replace) return ReplaceResult::kExists;
    // A new file would part this name from the others, which keep the old bytes.
    if (target.names > 1) return ReplaceResult::kOtherNames;

    std::wstring temporary;
    const HANDLE file = CreateBeside(target.file, temporary);
    if (file == INVALID_HANDLE_VALUE) return ReplaceResult::kCannotCreate;
    ReplaceResult result = ReplaceResult::kWritten;
    if (!WriteAll(file, bytes) || !::FlushFileBuffers(file)) result = ReplaceResult::kCannotWrite;
    ::CloseHandle(file);
    // ReplaceFileW merges these itself on Windows; Wine's does not, so they go over first.
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (result == ReplaceResult::kWritten && (target.attributes & kept) != 0)
        ::SetFileAttributesW(temporary.c_str(), target.attributes & kept);
    bool removable = true;
    if (result == ReplaceResult::kWritten)
        result = PutInPlace(temporary, target, replace, removable);
    if (result != ReplaceResult::kWritten && removable) ::DeleteFileW(temporary.c_str());
    if (result != ReplaceResult::kWritten && made) ::DeleteFileW(target.file.c_str());
    return result;
}

} // namespace platform
