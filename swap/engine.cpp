#include "swap/swap.h"

size_t SubstituteRange(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    return SubstituteReference(begin, size, chain);
}
