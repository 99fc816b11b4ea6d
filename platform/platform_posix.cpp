// The seam's key, file and page calls off Windows, for the native ostrevane command and
// the stand-in the tests run against: a US keyboard layout, where the game's Windows build
// asks the player's own, and the file system's answer reduced to folder or file.
#include "platform/platform.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int16_t KeyScan(char character) {
    // Letters on their upper-case codes, shift for capitals.
    if (character >= 'a' && character <= 'z') return int16_t(character - 'a' + 'A');
    if (character >= 'A' && character <= 'Z') return int16_t(0x100 | character);
    if (character >= '0' && character <= '9') return int16_t(character);
    return -1;
}

uint32_t FileAttributes(const char* path) {
    struct stat info;
    if (::stat(path, &info) != 0) return kInvalidFileAttributes;
    constexpr uint32_t kDirectory = 0x10, kNormal = 0x80;
    return S_ISDIR(info.st_mode) ? kDirectory : kNormal;
}

size_t PageSize() {
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace platform
