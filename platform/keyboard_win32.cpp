#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/keyboard.h"
#include "platform/keyboard_layout.h"

namespace platform {

bool KeyIsDown(int virtualKey) {
    // Bit 15 is the key's state now; bit 0, a press since some earlier call by anyone.
    return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

std::optional<int> KeyForCharacter(char character) {
    return KeyInLayoutAnswer(::VkKeyScanA(character));
}

} // namespace platform
