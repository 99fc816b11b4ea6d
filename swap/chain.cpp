#include "swap/swap.h"

#include "settings/swap_pairs.h"

namespace {

// The pairs whose two hashes are both known, old to new, or new to old when `restore`.
SubstitutionChain ChainOf(const SwapSettingsRecord& s, bool restore) {
    SubstitutionChain chain;
    for (const SwapPair& pair : SwapPairs) {
        const uint32_t oldHash = s.*pair.oldSetting.resolved;
        const uint32_t newHash = s.*pair.newSetting.resolved;
        if (oldHash == 0 || newHash == 0) continue;
        chain.pairs[chain.count++] =
            restore ? HashPair{newHash, oldHash} : HashPair{oldHash, newHash};
    }
    return chain;
}

} // namespace

SubstitutionChain ApplyChain(const SwapSettingsRecord& s) {
    return ChainOf(s, false);
}

SubstitutionChain RestoreChain(const SwapSettingsRecord& s) {
    return ChainOf(s, true);
}
