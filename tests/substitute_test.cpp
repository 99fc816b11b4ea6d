#include "settings/settings.h"
#include "swap/engines.h"
#include "swap/swap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& bytes, size_t at, uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

uint32_t Get(const Bytes& bytes, size_t at) {
    uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

SubstitutionChain Chain(std::initializer_list<HashPair> pairs) {
    SubstitutionChain chain;
    for (const HashPair& pair : pairs)
        chain.pairs[chain.count++] = pair;
    return chain;
}

} // namespace

TEST(SubstituteReference, FindsHashesAtEveryOffsetUpToTheLastWindow) {
    const SubstitutionChain chain = Chain({{0xA1B2C3D4, 0x11223344}});
    for (size_t size : {4u, 5u, 13u}) {
        for (size_t at = 0; at + 4 <= size; ++at) {
            Bytes bytes(size, 0xEE);
            Put(bytes, at, 0xA1B2C3D4);
            EXPECT_EQ(SubstituteReference(bytes.data(), size, chain), 1u) << size << "@" << at;
            EXPECT_EQ(Get(bytes, at), 0x11223344u) << size << "@" << at;
        }
    }
    Bytes tooShort = {0xD4, 0xC3, 0xB2};
    EXPECT_EQ(SubstituteReference(tooShort.data(), 3, chain), 0u);
}

TEST(SubstituteReference, LaterPairsSeeWhatEarlierPairsWrote) {
    // A chain: shake old -> new, and the new shake is the loop's old value.
    Bytes bytes(8, 0);
    Put(bytes, 2, 0x10101010);
    SubstituteReference(bytes.data(), bytes.size(),
                        Chain({{0x10101010, 0x20202020}, {0x20202020, 0x30303030}}));
    EXPECT_EQ(Get(bytes, 2), 0x30303030u);

    // Only forward: a later pair's result is not fed back to an earlier one.
    Put(bytes, 2, 0x20202020);
    SubstituteReference(bytes.data(), bytes.size(),
                        Chain({{0x30303030, 0x20202020}, {0x20202020, 0x30303030}}));
    EXPECT_EQ(Get(bytes, 2), 0x30303030u);
}

TEST(SubstituteReference, AStoreChangesWhatTheNextWindowsRead) {
    Bytes bytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    // Window 0 is 0x04030201 -> 0x05040302 gives bytes 02 03 04 05 05 06; window 1 now reads
    // 0x05050403, which the second pair turns into something else.
    SubstituteReference(bytes.data(), bytes.size(),
                        Chain({{0x04030201, 0x05040302}, {0x05050403, 0x0A0B0C0D}}));
    EXPECT_EQ(bytes, (Bytes{0x02, 0x0D, 0x0C, 0x0B, 0x0A, 0x06}));

    // Overlapping occurrences: 11 11 11 11 11 holds 0x11111111 at 0 and 1.
    Bytes ones(5, 0x11);
    EXPECT_EQ(SubstituteReference(ones.data(), 5, Chain({{0x11111111, 0x22222222}})), 1u);
    EXPECT_EQ(ones, (Bytes{0x22, 0x22, 0x22, 0x22, 0x11})); // window 1 now reads 0x11222222
}

TEST(SubstituteReference, AnEqualPairLeavesMemoryAsItWas) {
    Bytes bytes(16, 0x5A);
    Put(bytes, 3, 0xCAFEBABE);
    const Bytes before = bytes;
    SubstituteReference(bytes.data(), bytes.size(), Chain({{0xCAFEBABE, 0xCAFEBABE}}));
    EXPECT_EQ(bytes, before);
}

TEST(SubstitutionChains, LeaveOutPairsWithAZeroHash) {
    const SwapSettingsRecord settings{.oldShake = 1,
                                      .newShake = 2,
                                      .oldShakeLoop = 0,
                                      .newShakeLoop = 4,
                                      .oldDof = 5,
                                      .newDof = 0,
                                      .oldCamera = 7,
                                      .newCamera = 8};
    const SubstitutionChain apply = ApplyChain(settings);
    ASSERT_EQ(apply.count, 2u);
    EXPECT_EQ(apply.pairs[0].from, 1u);
    EXPECT_EQ(apply.pairs[0].to, 2u);
    EXPECT_EQ(apply.pairs[1].from, 7u);
    EXPECT_EQ(apply.pairs[1].to, 8u);

    const SubstitutionChain restore = RestoreChain(settings);
    ASSERT_EQ(restore.count, 2u);
    EXPECT_EQ(restore.pairs[0].from, 2u);
    EXPECT_EQ(restore.pairs[0].to, 1u);
    EXPECT_EQ(restore.pairs[1].from, 8u);
    EXPECT_EQ(restore.pairs[1].to, 7u);

    // Nothing chosen, nothing written, however many zeros memory holds.
    Bytes zeros(64, 0);
    EXPECT_EQ(SubstituteReference(zeros.data(), zeros.size(), ApplyChain({})), 0u);
    EXPECT_EQ(zeros, Bytes(64, 0));
}
