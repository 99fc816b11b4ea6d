#pragma once
// For the Windows bodies alone, after <windows.h>: the system's description of a region in
// the seam's terms. (platform_win32.cpp)

#include "platform/platform.h"

namespace platform {

Region RegionFrom(const MEMORY_BASIC_INFORMATION& info);

} // namespace platform
