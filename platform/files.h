#pragma once
// Files, beyond what the standard library tells. Bodies: files_win32.cpp, files_posix.cpp.

namespace platform {

// Whether anything, a file or a folder, is at `path`; false also when the system cannot tell
// (bad path, access refused).
bool PathExists(const char* path);

} // namespace platform
