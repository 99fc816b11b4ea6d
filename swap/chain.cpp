#include "swap/swap.h"

namespace {

// The pairs whose two hashes are both known, old to new, or new to old when `restore`.
SubstitutionChain ChainOf(const SwapSettingsRecord& settings, bool restore) {
    SubstitutionChain chain;
    for (const SwapPair& pair : SwapPairs) {
        const uint32_t oldHash = settings.*pair.oldSetting.resolved;
        const uint32_t newHash = settings.*pair.newSetting.resolved;
        if (oldHash == 0 || newHash == 0) continue;
        chain.pairs[chain.count++] =
            restore ? HashPair{newHash, oldHash} : HashPair{oldHash, newHash};
    }
    return chain;
}

} // namespace

SubstitutionChain ApplyChain(const SwapSettingsRecord& settings) {
    return ChainOf(settings, false);
}

SubstitutionChain RestoreChain(const SwapSettingsRecord& settings) {
    return ChainOf(settings, true);
}
