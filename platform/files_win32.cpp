#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/files.h"

namespace platform {

bool PathExists(const char* path) {
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

std::string InCurrentFolder(const char* name) {
    return std::string(".\\") + name;
}

} // namespace platform
