#pragma once
// What a function's frame holds above its return address, by the calling convention.

#include <cstdint>

namespace platform {

// On Win64 the 32 bytes above a return address are the called function's home space, where
// it may spill its register arguments: they belong to the called function's frame.
#ifdef _WIN64
inline constexpr uintptr_t kCalleeHomeSpace = 32;
#else
inline constexpr uintptr_t kCalleeHomeSpace = 0;
#endif

} // namespace platform
