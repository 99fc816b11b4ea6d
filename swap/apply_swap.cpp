// The plug-in's two operations: the walk with the chains of the settings loaded last.
#include "settings/settings.h"
#include "swap/swap.h"

WalkResult ApplySwap() {
    return WalkPrivateWritableMemory(ApplyChain(SwapSettings));
}

WalkResult RestoreSwap() {
    return WalkPrivateWritableMemory(RestoreChain(SwapSettings));
}
