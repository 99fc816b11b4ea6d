#include "settings/key_names.h"

#include "platform/keyboard.h"

#include <cstdio>

const std::array<std::string_view, 12> FunctionKeyNames = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                           "F7", "F8", "F9", "F10", "F11", "F12"};

namespace {
constexpr int kVirtualKeyF1 = 0x70;
} // namespace

std::optional<int> KnownKeyCode(std::string name) {
    std::erase_if(name, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });

    for (size_t i = 0; i < FunctionKeyNames.size(); ++i) {
        if (name == FunctionKeyNames[i]) return kVirtualKeyF1 + int(i);
    }
    if (name.size() == 1) {
        const char c = name[0];
        // A letter means whatever key types it on the player's keyboard layout.
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return platform::KeyForCharacter(c);
        if (c >= '0' && c <= '9') return c;
    }
    return std::nullopt;
}

int ParseActivationKey(std::string name) {
    return KnownKeyCode(std::move(name)).value_or(kFallbackActivationKey);
}

std::string KeyCodeName(int virtualKey) {
    const int function = virtualKey - kVirtualKeyF1;
    if (function >= 0 && size_t(function) < FunctionKeyNames.size()) {
        return std::string(FunctionKeyNames[size_t(function)]);
    }
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        return std::string(1, char(virtualKey));
    }
    char text[16];
    std::snprintf(text, sizeof text, "key 0x%02X", unsigned(virtualKey));
    return text;
}
