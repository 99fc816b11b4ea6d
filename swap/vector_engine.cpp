#include "swap/vector_engine.h"

#include <algorithm>

namespace {

// How rarely a byte value turns up in a game's heap, from 0 (everywhere) to 4 (no more
// often than chance). Zero runs, 0xFF fill, small integers, the exponent bytes of
// everyday floats, the top of user-space pointers and text are all common.
unsigned Rarity(uint8_t byte) {
    if (byte == 0x00) return 0;
    if (byte == 0xFF) return 1;
    if (byte < 0x10 || byte >= 0xF0) return 2;
    if ((byte >= 0x3E && byte <= 0x44) || (byte >= 0xBE && byte <= 0xC4)) return 3;
    if (byte == 0x7F || byte == 0x80 || byte == 0x20) return 3;
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')) return 3;
    return 4;
}

} // namespace

ChainCopy CopyChain(const SubstitutionChain& chain) {
    ChainCopy copy;
    copy.count = std::min<size_t>(chain.count, 4);
    for (size_t p = 0; p < copy.count; ++p) {
        copy.from[p] = chain.pairs[p].from;
        copy.to[p] = chain.pairs[p].to;
    }
    return copy;
}

FilterBytes ChooseFilterBytes(uint32_t needle, unsigned rank) {
    struct Scored {
        FilterBytes bytes;
        unsigned score;
    };
    Scored pairs[6];
    size_t count = 0;
    for (unsigned first = 0; first < 4; ++first) {
        for (unsigned second = first + 1; second < 4; ++second) {
            const auto a = static_cast<uint8_t>(needle >> (8 * first));
            const auto b = static_cast<uint8_t>(needle >> (8 * second));
            const unsigned ra = Rarity(a);
            const unsigned rb = Rarity(b);
            // The commoner byte decides; then the pair as a whole; a repeated byte
            // matches inside runs of it, so two different bytes win a tie.
            pairs[count++] = {{first, second}, 100 * std::min(ra, rb) + 10 * (ra + rb) + (a != b)};
        }
    }
    std::stable_sort(pairs, pairs + count,
                     [](const Scored& x, const Scored& y) { return x.score > y.score; });
    return pairs[rank % count].bytes;
}
