#pragma once
// The toggle key's names in the settings file, and the virtual-key codes they stand for.

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The virtual-key code of F5: the toggle key when the settings name none the plug-in knows.
constexpr int kFallbackActivationKey = 0x74;

// The virtual-key code for a name such as "F8", "K" or "7"; kFallbackActivationKey otherwise.
int ParseActivationKey(std::string name);
// ParseActivationKey without the fallback: nothing for a name the plug-in does not know.
std::optional<int> KnownKeyCode(std::string name);
// The key name that gives `virtualKey`: "F8", "K", "7"; "key 0xNN" for any other code.
std::string KeyCodeName(int virtualKey);
// The function keys' names, F1 to F12, as the plug-in knows them.
extern const std::array<std::string_view, 12> FunctionKeyNames;
