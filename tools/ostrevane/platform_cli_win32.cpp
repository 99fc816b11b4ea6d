// The two platform calls the loader makes, for ostrevane.exe: the player's own keyboard
// layout decides what a letter key means, as it does for the plug-in in the game.
#include "platform/platform.h"

#include <windows.h>

namespace platform {

int16_t KeyScan(char character) {
    return VkKeyScanA(character);
}

uint32_t FileAttributes(const char* path) {
    return GetFileAttributesA(path);
}

} // namespace platform
