#pragma once
// Files as the ostrevane command reads and writes them: whole, or not at all.

#include <ostream>
#include <string>
#include <string_view>

// Why a file could not be read or written.
struct FileProblem {
    enum Kind {
        kMissing,
        kFolder,
        kReadOnly,
        kExists,
        kOther
    } kind = kOther;   // for the caller's advice
    std::string words; // for a player: "no such file", "is a folder, not a file"
};

// Reads the whole file at `path`. On failure returns false and sets `problem`.
bool ReadWholeFile(const std::string& path, std::string& bytes, FileProblem& problem);

// Reads the settings file at `path` whole. On failure says why on `err` after `context`
// (such as "ostrevane check: ") and what to do next: `missingHint`, when given, or how to
// get a default file when there is none; then returns false.
bool ReadSettingsFile(const std::string& context, const std::string& path, std::string& bytes,
                      std::ostream& err, std::string_view missingHint = {});

// What ReadSettingsFile says after its context when the file at `path` could not be read:
// the path, why, and on further lines what to do next.
std::string SettingsFileProblemText(const std::string& path, const FileProblem& problem,
                                    std::string_view missingHint = {});

// Puts `bytes` in the file at `path` in one step, so it is either untouched or complete;
// through a symbolic link the file it points to gets them, and a file keeps its owner and
// permissions. Unless `replace`, an existing `path` is kept and the write refused; a
// read-only file, or one with other names (hard links), is always refused. On failure
// returns false, sets `problem`, and leaves no temporary file.
bool WriteWholeFile(const std::string& path, std::string_view bytes, bool replace,
                    FileProblem& problem);

// The absolute, tidied form of `path`, for telling a player which file was read.
std::string FullPath(const std::string& path);
