#pragma once
// Files as the ostrevane command reads and writes them: whole, or not at all.

#include <string>
#include <string_view>

// Why a file could not be read or written; each face words it.
struct FileProblem {
    enum Kind {
        kNone,
        kMissing,       // no such file; `linkTarget` when a symbolic link points where none is
        kFolder,        // a folder where a file was to be read
        kFolderNamed,   // a folder named for a file to write
        kUnreadable,    // it opened, and could not be read to the end
        kExists,        // there already, and not to be replaced
        kReadOnly,      // marked read-only
        kOtherNames,    // hard links, which a new file would leave with the old bytes
        kLinkLoop,      // symbolic links that lead round in a circle
        kCannotCreate,  // the new file could not be made: a folder missing or not writable
        kCannotWrite,   // its bytes could not all be written: a full disk
        kNotOwner,      // another user's or group's, who would lose it to a new file
        kCannotReplace, // the new file could not take the old one's place
    } kind = kNone;
    std::string linkTarget; // kMissing through a symbolic link: where it points
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
