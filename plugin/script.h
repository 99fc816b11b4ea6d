#pragma once
// The script the hook runs: watches the toggle key and swaps the camera items on and off.

#include <cstdint>

// Loads the settings, then polls the toggle key every frame for as long as the hook runs
// the script; never returns. Script thread only.
void ScriptMain();

// Puts `text` on screen as a subtitle for five seconds, without waiting. Script thread only.
void ShowSubtitle(const char* text);

// Native hashes and arguments of the subtitle commands.
constexpr uint64_t kNativeBeginTextCommandPrint = 0xB87A37EEB7FAA67D;
constexpr uint64_t kNativeAddTextComponentString = 0x6C188BE134E074AA;
constexpr uint64_t kNativeEndTextCommandPrint = 0x9D77056A530643F6;
constexpr uint32_t kSubtitleMilliseconds = 5000;
