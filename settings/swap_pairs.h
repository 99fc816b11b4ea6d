#pragma once
// The pairs the swap exchanges, each an item to replace and the one to put in its place. A new
// pair is a row here, two fields in SwapSettingsRecord and a section in the default file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The pairs' hashes and the toggle key, resolved from the settings file.
struct SwapSettingsRecord {
    uint32_t oldShake = 0;
    uint32_t newShake = 0;
    uint32_t oldShakeLoop = 0;
    uint32_t newShakeLoop = 0;
    uint32_t oldDof = 0;
    uint32_t newDof = 0;
    uint32_t oldCamera = 0;
    uint32_t newCamera = 0;
    int32_t activationKey = 0;

    bool operator==(const SwapSettingsRecord&) const = default;
};

// A setting's place in resolve order: each pair's old then new setting, then the toggle key.
enum SettingKey : size_t {};

// One of a pair's two name settings, and the field its name's hash fills.
struct PairSetting {
    std::string_view name;     // in the settings file: "oldshake"
    std::string_view jsonName; // in `ostrevane check --json`: "oldShake"
    uint32_t SwapSettingsRecord::*resolved;
    SettingKey key{};
};

struct SwapPair {
    std::string_view name;     // in text for players: "shake-loop"
    std::string_view jsonName; // in `ostrevane scan --json`: "shakeLoop"
    std::string_view header;   // the dictionary section its items come from: "[NewShakeLoop]"
    std::string_view word;     // that section on the command line: "shakeloop"
    std::string_view items;    // what that section's entries are: "a shake-loop envelope"
    PairSetting oldSetting;
    PairSetting newSetting;
};

namespace swap_pairs_detail {
// Numbers the settings in table order, so a row never spells its own place.
template <size_t N> constexpr std::array<SwapPair, N> Numbered(std::array<SwapPair, N> pairs) {
    for (size_t i = 0; i < N; ++i) {
        pairs[i].oldSetting.key = SettingKey(2 * i);
        pairs[i].newSetting.key = SettingKey(2 * i + 1);
    }
    return pairs;
}
} // namespace swap_pairs_detail

// In the order the walk substitutes them.
inline constexpr auto SwapPairs = swap_pairs_detail::Numbered(std::to_array<SwapPair>({
    {"shake",
     "shake",
     "[Shake]",
     "shake",
     "a camera shake",
     {"oldshake", "oldShake", &SwapSettingsRecord::oldShake},
     {"newshake", "newShake", &SwapSettingsRecord::newShake}},
    {"shake-loop",
     "shakeLoop",
     "[NewShakeLoop]",
     "shakeloop",
     "a shake-loop envelope",
     {"oldshakeloop", "oldShakeLoop", &SwapSettingsRecord::oldShakeLoop},
     {"newshakeloop", "newShakeLoop", &SwapSettingsRecord::newShakeLoop}},
    {"depth-of-field",
     "dof",
     "[DOF]",
     "dof",
     "a depth-of-field setting",
     {"olddof", "oldDof", &SwapSettingsRecord::oldDof},
     {"newdof", "newDof", &SwapSettingsRecord::newDof}},
    {"camera",
     "camera",
     "[Camera]",
     "camera",
     "a camera",
     {"oldcamera", "oldCamera", &SwapSettingsRecord::oldCamera},
     {"newcamera", "newCamera", &SwapSettingsRecord::newCamera}},
}));
inline constexpr size_t kPairCount = SwapPairs.size();

inline constexpr SettingKey kActivationKey = SettingKey(2 * kPairCount);
inline constexpr size_t kSettingKeyCount = 2 * kPairCount + 1;

// Every setting's name in the file, in SettingKey order.
inline constexpr auto SettingKeyNames = [] {
    std::array<std::string_view, kSettingKeyCount> names{};
    for (const SwapPair& pair : SwapPairs) {
        names[pair.oldSetting.key] = pair.oldSetting.name;
        names[pair.newSetting.key] = pair.newSetting.name;
    }
    names[kActivationKey] = "modactivatekey";
    return names;
}();

// The headers that open a dictionary section, in the pairs' order.
inline constexpr auto DictionaryHeaders = [] {
    std::array<std::string_view, kPairCount> headers{};
    for (size_t i = 0; i < kPairCount; ++i)
        headers[i] = SwapPairs[i].header;
    return headers;
}();
