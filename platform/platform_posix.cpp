// The seam's key, file and page calls off Windows, for the native ostrevane command and
// the stand-in the tests run against: a US keyboard layout, where the game's Windows build
// asks the player's own.
#include "platform/platform.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::optional<int> KeyForCharacter(char character) {
    // A letter's key is its upper-case code, whichever case it types.
    if (character >= 'a' && character <= 'z') return character - 'a' + 'A';
    if ((character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9')) {
        return character;
    }
    return std::nullopt;
}

bool PathExists(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0;
}

size_t PageSize() {
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace platform
