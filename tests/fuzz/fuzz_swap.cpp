// Runs every substitution engine on arbitrary bytes and pairs against the reference, and
// checks that a restore undoes an apply wherever the two cannot interfere.
#include "swap/engines.h"
#include "swap/swap.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

uint32_t Take32(const uint8_t*& data, size_t& size) {
    uint32_t value = 0;
    const size_t n = size < 4 ? size : 4;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

SubstitutionChain Reversed(const SubstitutionChain& chain) {
    SubstitutionChain reversed = chain;
    for (size_t p = 0; p < chain.count; ++p) {
        reversed.pairs[p] = {chain.pairs[p].to, chain.pairs[p].from};
    }
    return reversed;
}

std::vector<SubstituteFunction> Engines() {
    std::vector<SubstituteFunction> engines = {&SubstituteSse2};
    if (CpuHasAvx2()) engines.push_back(&SubstituteAvx2);
    if (CpuHasAvx512()) engines.push_back(&SubstituteAvx512);
    return engines;
}

// Each engine's result, byte for byte against the reference, from a misaligned start too.
void CompareEngines(const std::vector<uint8_t>& input, const SubstitutionChain& chain) {
    for (size_t shift = 0; shift < 2 && shift <= input.size(); ++shift) {
        std::vector<uint8_t> expected(input.begin() + shift, input.end());
        const size_t expectedCount = SubstituteReference(expected.data(), expected.size(), chain);
        for (SubstituteFunction engine : Engines()) {
            std::vector<uint8_t> actual(input.begin() + shift, input.end());
            Check(engine(actual.data(), actual.size(), chain) == expectedCount);
            Check(actual == expected);
        }
    }
}

// Plants old hashes apart from each other, with a byte that belongs to no hash between
// them, so no store can make or break another match; then restore must undo apply.
void CheckRestoreUndoesApply(const SubstitutionChain& chain, const uint8_t* data, size_t size) {
    if (chain.count == 0) return;
    std::vector<uint32_t> values;
    for (size_t p = 0; p < chain.count; ++p) {
        values.push_back(chain.pairs[p].from);
        values.push_back(chain.pairs[p].to);
    }
    for (size_t a = 0; a < values.size(); ++a) {
        for (size_t b = a + 1; b < values.size(); ++b) {
            if (values[a] == values[b]) return; // chains and shared hashes do not undo
        }
    }
    bool used[256] = {};
    for (uint32_t v : values) {
        for (int shift = 0; shift < 32; shift += 8)
            used[(v >> shift) & 0xFF] = true;
    }
    int filler = 0;
    while (filler < 256 && used[filler])
        ++filler;
    if (filler == 256) return;

    std::vector<uint8_t> memory;
    for (size_t i = 0; i < size; ++i) {
        memory.push_back(uint8_t(filler));
        if (data[i] % 3 == 0) {
            const uint32_t old = chain.pairs[data[i] % chain.count].from;
            const size_t at = memory.size();
            memory.resize(at + 4);
            std::memcpy(memory.data() + at, &old, 4);
        }
    }
    const std::vector<uint8_t> before = memory;
    SubstituteRange(memory.data(), memory.size(), chain);
    SubstituteRange(memory.data(), memory.size(), Reversed(chain));
    Check(memory == before);
}

} // namespace

// Says which engines this run covers: a CPU without AVX2 or AVX-512 leaves them out.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::fprintf(stderr, "fuzz_swap: engines SSE2%s%s%s\n", CpuHasAvx2() ? ", AVX2" : "",
                 CpuHasAvx512() ? ", AVX-512" : "",
                 CpuHasAvx512() ? "" : " (no AVX-512 on this CPU or system: not fuzzed)");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SubstitutionChain chain;
    chain.count = size > 0 ? data[0] % 5 : 0;
    if (size > 0) {
        ++data;
        --size;
    }
    for (size_t p = 0; p < chain.count; ++p) {
        chain.pairs[p] = {Take32(data, size), Take32(data, size)};
    }
    const std::vector<uint8_t> input(data, data + size);
    CompareEngines(input, chain);
    CheckRestoreUndoesApply(chain, data, size);
    return 0;
}
