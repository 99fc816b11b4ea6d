#pragma once
// Writing a file whole for the ostrevane command and the settings window, so that only its
// bytes change: a link stays a link, and the file keeps its owner and who may read it. Any
// thread may call it; two writes of one file at once leave one of them whole.

#include <string_view>

namespace platform {

// How a replacing write ended; all but kWritten leave the file at the path untouched.
enum class ReplaceResult {
    kWritten,
    kExists,          // something is at the path, and it was not to be replaced
    kOtherNames,      // the file has other names (hard links), which a new file would leave behind
    kLinkLoop,        // the path's symbolic links lead round in a circle
    kCannotCreate,    // no new file could be made in the folder
    kCannotWrite,     // the new file could not be written whole (a full disk)
    kCannotKeepOwner, // the new file could not be given the old one's owner and permissions
    kCannotReplace,   // the new file could not take the old one's place
};

// Puts `bytes` in the file at `path` in one step: a reader finds the old bytes or the new,
// never a mix, and a failure leaves no temporary file. Through a symbolic link, the file it
// points to gets the bytes and the link stays. A file that is there keeps its owner, group
// and permissions (on Windows its attributes and security). The bytes reach the disk before
// they take the old file's place. Unless `replace`, refuses when anything is at `path`.
ReplaceResult WriteReplacing(const char* path, std::string_view bytes, bool replace);

} // namespace platform
