#pragma once
// For the Windows bodies alone, after <windows.h>.

#include "platform/memory_regions.h"

namespace platform {

// The system's description of the region that holds `address`; false when the query fails.
bool QueryRegionInformation(uintptr_t address, MEMORY_BASIC_INFORMATION& info);
// The region `info` describes, in the terms the walk decides by.
Region RegionFrom(const MEMORY_BASIC_INFORMATION& info);

} // namespace platform
