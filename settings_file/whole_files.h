#pragma once
// Files as the ostrevane command reads and writes them: whole, or not at all.

#include <string>
#include <string_view>

// Why a file could not be read or written.
struct FileProblem {
    enum Kind {
        kMissing,
        kFolder,
        kReadOnly,
        kExists,
        kNotOwner,
        kOther
    } kind = kOther; // for the caller's advice
    // For a player, after the file's name: "no such file", "is a folder, not a file". Each face
    // adds its own next step for kExists and kNotOwner.
    std::string words;
};

// Reads the whole file at `path`. On failure returns false and sets `problem`.
bool ReadWholeFile(const std::string& path, std::string& bytes, FileProblem& problem);

// Puts `bytes` in the file at `path` in one step, so it is either untouched or complete;
// through a symbolic link the file it points to gets them, and a file keeps its owner and
// permissions. Unless `replace`, an existing `path` is kept and the write refused; a
// read-only file, or one with other names (hard links), is always refused. On failure
// returns false, sets `problem`, and leaves no temporary file.
bool WriteWholeFile(const std::string& path, std::string_view bytes, bool replace,
                    FileProblem& problem);

// The absolute, tidied form of `path`, for telling a player which file was read.
std::string FullPath(const std::string& path);
