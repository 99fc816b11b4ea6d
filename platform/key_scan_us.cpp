// The key scan off Windows, for the native tests and the ostrevane command: a US keyboard
// layout, where the game's Windows build would ask the player's own.
#include "platform/platform.h"

namespace platform {

int16_t KeyScan(char character) {
    // Letters on their upper-case codes, shift for capitals.
    if (character >= 'a' && character <= 'z') return int16_t(character - 'a' + 'A');
    if (character >= 'A' && character <= 'Z') return int16_t(0x100 | character);
    if (character >= '0' && character <= '9') return int16_t(character);
    return -1;
}

} // namespace platform
