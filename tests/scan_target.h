#pragma once
// The stand-in game that `ostrevane scan` reads in the tests, natively and under Wine: what
// the target program plants, and the settings file the tests scan it with.

#include "settings/settings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace scan_target {

// Shake: a and b fill the dense region. Loop: only the new item, d, is planted. DOF:
// neither item occurs. Camera: the old name is missing from the dictionary.
inline constexpr const char* kSettings = "[Settings]\n"
                                         "modactivatekey=F8\n"
                                         "oldshake=a\n"
                                         "newshake=b\n"
                                         "oldshakeloop=c\n"
                                         "newshakeloop=d\n"
                                         "olddof=e\n"
                                         "newdof=f\n"
                                         "oldcamera=no_such_camera\n"
                                         "newcamera=g\n"
                                         "[Shake]\n"
                                         "a=0x11221122\n"
                                         "b=0x22112211\n"
                                         "[NewShakeLoop]\n"
                                         "c=0x0A0B0C0D\n"
                                         "d=0x5C8A08F7\n"
                                         "[DOF]\n"
                                         "e=0x30348053\n"
                                         "f=0x643E2FFB\n"
                                         "[Camera]\n"
                                         "g=0x2F0AACD0\n";

// What kSettings resolves to, for programs that do not link the settings reader.
constexpr SwapSettingsRecord kSwap = {0x11221122, 0x22112211, 0x0A0B0C0D, 0x5C8A08F7, 0x30348053,
                                      0x643E2FFB, 0,          0x2F0AACD0, 0x77};

// Three chunks of the scan, in a region of its own.
constexpr size_t kDenseSize = size_t(3) << 20;

// Bytes 0x11 and 0x22 at random: a and b, at every alignment, overlapping one another and
// across the chunk edges, so each store of the engine changes what the next windows read.
inline void FillDense(uint8_t* at) {
    uint32_t state = 12345;
    for (size_t i = 0; i < kDenseSize; ++i) {
        state = state * 1103515245u + 12345u;
        at[i] = (state >> 16) & 1 ? 0x11 : 0x22;
    }
    // And a across both chunk edges, at two of the three offsets a window can cross at; in
    // the last window before the first edge, and in the last window of the region.
    for (const size_t crossing :
         {(size_t(1) << 20) - 2, (size_t(2) << 20) - 1, (size_t(1) << 20) - 4, kDenseSize - 4}) {
        at[crossing] = at[crossing + 2] = 0x22;
        at[crossing + 1] = at[crossing + 3] = 0x11;
    }
}

// d's bytes, kept in the program's read-only image: planted once in private read-write
// memory, at an odd offset, and once in each kind of memory the walk leaves alone.
inline constexpr uint8_t kLoneHash[4] = {0xF7, 0x08, 0x8A, 0x5C};
constexpr size_t kLoneOffset = 0x101;

// The windows of `bytes` equal to `hash`, the plain way.
inline uint64_t Count(const std::vector<uint8_t>& bytes, uint32_t hash) {
    uint64_t count = 0;
    for (size_t i = 0; i + 4 <= bytes.size(); ++i)
        count += std::memcmp(bytes.data() + i, &hash, 4) == 0;
    return count;
}

} // namespace scan_target
