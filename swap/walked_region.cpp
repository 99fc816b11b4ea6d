// Apart from the walk, so that `ostrevane scan` takes the walk's regions without its walk.
#include "swap/swap.h"

bool IsWalkedRegion(const platform::Region& region) {
    const platform::RegionKind& kind = region.kind;
    return kind.committed && kind.isPrivate && !kind.guarded && !kind.uncached &&
           (kind.access == platform::Access::kReadWrite ||
            kind.access == platform::Access::kWriteCopy);
}
