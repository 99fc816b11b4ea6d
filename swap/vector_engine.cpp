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

unsigned ChooseFilterWord(uint32_t needle, unsigned rank) {
    struct Scored {
        unsigned first;
        unsigned score;
    };
    Scored words[3];
    for (unsigned first = 0; first < 3; ++first) {
        const auto a = static_cast<uint8_t>(needle >> (8 * first));
        const auto b = static_cast<uint8_t>(needle >> (8 * (first + 1)));
        const unsigned ra = ByteRarity(a);
        const unsigned rb = ByteRarity(b);
        // The commoner byte decides; then the word as a whole; a repeated byte matches inside
        // runs of it, so two different bytes win a tie.
        words[first] = {first, 100 * std::min(ra, rb) + 10 * (ra + rb) + (a != b)};
    }
    // An insertion sort, stable as the ranking needs: std::stable_sort takes a buffer from the
    // heap, and every engine runs this for each needle on each region it is given.
    for (size_t i = 1; i < 3; ++i) {
        for (size_t j = i; j > 0 && words[j - 1].score < words[j].score; --j)
            std::swap(words[j - 1], words[j]);
    }
    return words[rank % 3].first;
}
