#pragma once
// The script the hook runs: watches the toggle key and swaps the camera items on and off.

// Loads the settings, then polls the toggle key every frame for as long as the hook runs
// the script; never returns. Script thread only.
void ScriptMain();

// Puts `text` on screen as a subtitle for five seconds, without waiting. Script thread only.
void ShowSubtitle(const char* text);

// Native hashes and arguments of the subtitle commands.
constexpr unsigned long long kNativeBeginTextCommandPrint = 0xB87A37EEB7FAA67Dull;
constexpr unsigned long long kNativeAddTextComponentString = 0x6C188BE134E074AAull;
constexpr unsigned long long kNativeEndTextCommandPrint = 0x9D77056A530643F6ull;
constexpr unsigned kSubtitleMilliseconds = 5000;
