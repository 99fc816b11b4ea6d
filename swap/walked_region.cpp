// Apart from the walk, so that `ostrevane scan` takes the walk's regions without its walk.
#include "swap/swap.h"

bool IsWalkedRegion(const platform::Region& region) {
    return region.State == platform::kMemCommit && region.Type == platform::kMemPrivate &&
           (region.Protect == platform::kPageReadWrite ||
            region.Protect == platform::kPageWriteCopy);
}
