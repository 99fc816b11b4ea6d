#pragma once
// The game natives that put a subtitle on screen, by hash, and how long it stays.

#include <cstdint>

// Begins a text command; its one argument is the format, "STRING".
constexpr uint64_t kNativeBeginTextCommandPrint = 0xB87A37EEB7FAA67D;
// Adds the text to show; its one argument points to the text.
constexpr uint64_t kNativeAddTextComponentString = 0x6C188BE134E074AA;
// Shows the subtitle; its arguments are the time on screen and 1 for at once.
constexpr uint64_t kNativeEndTextCommandPrint = 0x9D77056A530643F6;
constexpr uint32_t kSubtitleMilliseconds = 5000;
