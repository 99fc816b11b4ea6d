#pragma once
// The four pairs the swap exchanges, each an item to replace and the item to put in its
// place: the one list of them that the loader, the swap and the ostrevane command read.

#include "settings/parse_settings.h"
#include "settings/settings.h"

#include <array>
#include <cstdint>
#include <string_view>

// One of a pair's two name settings, and the field its name's hash fills.
struct PairSetting {
    SettingKey key;                         // kOldShake: the setting oldshake
    std::string_view jsonName;              // in `ostrevane check --json`: "oldShake"
    uint32_t SwapSettingsRecord::*resolved; // &SwapSettingsRecord::oldShake
};

struct SwapPair {
    std::string_view name;     // in text for players: "shake-loop"
    std::string_view jsonName; // in `ostrevane scan --json`: "shakeLoop"
    PairSetting oldSetting;    // names the item the swap replaces
    PairSetting newSetting;    // names the item it puts in its place
};

// In the order the walk substitutes them, which is also the order of their settings and
// of DictionaryHeaders, the sections their items come from.
extern const std::array<SwapPair, 4> SwapPairs;
