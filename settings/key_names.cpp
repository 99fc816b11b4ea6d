#include "platform/platform.h"
#include "settings/settings.h"

#include <array>
#include <string_view>

namespace {
constexpr int kVirtualKeyF1 = 0x70;
constexpr int kVirtualKeyF5 = 0x74;
constexpr std::array<std::string_view, 12> kFunctionKeys = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                            "F7", "F8", "F9", "F10", "F11", "F12"};
} // namespace

int ParseActivationKey(std::string name) {
    std::erase_if(name, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });

    for (size_t i = 0; i < kFunctionKeys.size(); ++i) {
        if (name == kFunctionKeys[i]) return kVirtualKeyF1 + int(i);
    }
    if (name.size() == 1) {
        const char c = name[0];
        // A letter means whatever key types it on the player's keyboard layout.
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return platform::KeyScan(c) & 0xFF;
        if (c >= '0' && c <= '9') return c;
    }
    return kVirtualKeyF5;
}
