#pragma once

#include <string>

namespace platform {

// Whether anything, file or folder, is at `path`; false also when the system cannot tell.
bool PathExists(const char* path);

// `name` in the current folder, as the system writes a relative path: ".\\name" on Windows.
std::string InCurrentFolder(const char* name);

} // namespace platform
