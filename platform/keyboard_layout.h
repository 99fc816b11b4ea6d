#pragma once
// A keyboard layout's answer for a character, as the system packs it, read in the seam's
// terms apart from the system call: the tests' stand-in keyboard answers the same way.

#include <cstdint>
#include <optional>

namespace platform {

// The key in `answer`, whose low byte is the key and high byte the shift state that types
// the character with it; none when the answer is -1: no key of the layout types it.
inline std::optional<int> KeyInLayoutAnswer(int16_t answer) {
    if (answer == -1) return std::nullopt;
    return answer & 0xFF;
}

} // namespace platform
