#pragma once
// The keyboard, in the system's virtual-key codes. Stateless: the plug-in calls it on its
// script thread, the ostrevane command on its main thread.

#include <optional>

namespace platform {

// Whether the key with this virtual-key code is down now.
bool KeyIsDown(int virtualKey);
// The virtual-key code typing `character` in this layout, whatever shift; none if no key types it.
std::optional<int> KeyForCharacter(char character);

} // namespace platform
