#include "platform/files.h"

#include <sys/stat.h>

namespace platform {

bool PathExists(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0;
}

std::string InCurrentFolder(const char* name) {
    return std::string("./") + name;
}

} // namespace platform
