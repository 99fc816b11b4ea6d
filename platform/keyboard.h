#pragma once
// The keyboard, in the system's virtual-key codes. Bodies: keyboard_win32.cpp; off Windows,
// keyboard_posix.cpp (KeyForCharacter alone, for the native ostrevane command) or, in the
// native tests, the stand-in (tests/standin.cpp). They keep no state: the plug-in calls them
// on its script thread, the ostrevane command on its main thread.

#include <optional>

namespace platform {

// Whether the key with this virtual-key code is down now.
bool KeyIsDown(int virtualKey);
// The virtual-key code of the key that types `character` in the current keyboard layout,
// whatever shift it needs; none when no key types it.
std::optional<int> KeyForCharacter(char character);

} // namespace platform
