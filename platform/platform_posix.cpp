// The seam's file and page calls off Windows, for the native ostrevane command and the
// stand-in the tests run against.
#include "platform/platform.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool PathExists(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0;
}

size_t PageSize() {
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace platform
