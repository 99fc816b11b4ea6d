#include "swap/swap.h"

#include "settings/settings.h"

namespace {

SubstitutionChain ChainOf(std::array<HashPair, 4> pairs) {
    SubstitutionChain chain;
    for (const HashPair& pair : pairs) {
        if (pair.from != 0 && pair.to != 0) chain.pairs[chain.count++] = pair;
    }
    return chain;
}

} // namespace

SubstitutionChain ApplyChain(const SwapSettingsRecord& s) {
    return ChainOf({{{s.oldShake, s.newShake},
                     {s.oldShakeLoop, s.newShakeLoop},
                     {s.oldDof, s.newDof},
                     {s.oldCamera, s.newCamera}}});
}

SubstitutionChain RestoreChain(const SwapSettingsRecord& s) {
    return ChainOf({{{s.newShake, s.oldShake},
                     {s.newShakeLoop, s.oldShakeLoop},
                     {s.newDof, s.oldDof},
                     {s.newCamera, s.oldCamera}}});
}
