#pragma once
// The default pairs' settings by name, for tests that mean one of them.

#include "settings/swap_pairs.h"

// The first four pairs' settings by name, for code that means one of them.
inline constexpr SettingKey kOldShake = SwapPairs[0].oldSetting.key;
inline constexpr SettingKey kNewShake = SwapPairs[0].newSetting.key;
inline constexpr SettingKey kOldShakeLoop = SwapPairs[1].oldSetting.key;
inline constexpr SettingKey kNewShakeLoop = SwapPairs[1].newSetting.key;
inline constexpr SettingKey kOldDof = SwapPairs[2].oldSetting.key;
inline constexpr SettingKey kNewDof = SwapPairs[2].newSetting.key;
inline constexpr SettingKey kOldCamera = SwapPairs[3].oldSetting.key;
inline constexpr SettingKey kNewCamera = SwapPairs[3].newSetting.key;
