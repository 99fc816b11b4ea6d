#include "swap/vector_engine.h"

#include "swap/byte_rarity.h"

#include <algorithm>

ChainCopy CopyChain(const SubstitutionChain& chain) {
    ChainCopy copy;
    copy.count = std::min(chain.count, kVectorPairCap);
    for (size_t p = 0; p < copy.count; ++p) {
        copy.from[p] = chain.pairs[p].from;
        copy.to[p] = chain.pairs[p].to;
    }
    return copy;
}

unsigned ChooseOuterWord(uint32_t needle, unsigned rank) {
    const auto score = [needle](unsigned first) {
        const auto a = static_cast<uint8_t>(needle >> (8 * first));
        const auto b = static_cast<uint8_t>(needle >> (8 * (first + 1)));
        const unsigned ra = ByteRarity(a);
        const unsigned rb = ByteRarity(b);
        // The commoner byte decides; then the word as a whole; a repeated byte matches inside
        // runs of it, so two different bytes win a tie.
        return 100 * std::min(ra, rb) + 10 * (ra + rb) + (a != b);
    };
    const unsigned best = score(2) > score(0) ? 2 : 0; // the low word wins a tie
    return rank % 2 == 0 ? best : 2 - best;
}
