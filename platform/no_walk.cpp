// The ostrevane command links the plug-in's walk for its region filter, never to walk its
// own memory: its own process offers the walk no regions.
#include "platform/platform.h"

namespace platform {

AddressRange ApplicationAddressRange() {
    return {0, 0};
}

bool QueryRegion(uintptr_t, Region&) {
    return false;
}

} // namespace platform
