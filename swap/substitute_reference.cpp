#include "swap/engines.h"

#include <cstring>

size_t SubstituteReference(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    if (size < 4) return 0;
    // A copy the stores below cannot alias, so it stays in registers.
    const SubstitutionChain pairs = chain;
    size_t rewritten = 0;
    for (size_t i = 0; i + 4 <= size; ++i) {
        uint32_t value;
        std::memcpy(&value, begin + i, 4);
        bool stored = false;
        // Each test sees what the earlier ones made of the window, so pairs can chain.
        for (size_t p = 0; p < pairs.count; ++p) {
            if (value == pairs.pairs[p].from) {
                value = pairs.pairs[p].to;
                std::memcpy(begin + i, &value, 4);
                stored = true;
            }
        }
        if (stored) {
            NoteRewrite(begin + i);
            ++rewritten;
        }
    }
    return rewritten;
}
