// A US layout off Windows, where the game asks the player's own; in a file of its own so the
// tests' stand-in can bring a keyboard of its own in its place.
#include "platform/keyboard.h"

namespace platform {

std::optional<int> KeyForCharacter(char character) {
    // A letter's key is its upper-case code, whichever case it types.
    if (character >= 'a' && character <= 'z') return character - 'a' + 'A';
    if ((character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9')) {
        return character;
    }
    return std::nullopt;
}

} // namespace platform
