#include "platform/memory_regions.h"

#include <unistd.h>

namespace platform {

size_t PageSize() {
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace platform
