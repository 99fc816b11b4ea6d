#pragma once
// How common each byte value is in game memory, for the vector filter and `ostrevane check`.

#include <cstdint>

// How rarely `byte` turns up in a game's heap, from 0 (everywhere) to 4 (no more often than
// chance). Zero runs, 0xFF fill, small integers, the exponent bytes of everyday floats, the
// top of user-space pointers and text are all common.
inline unsigned ByteRarity(uint8_t byte) {
    if (byte == 0x00) return 0;
    if (byte == 0xFF) return 1;
    if (byte < 0x10 || byte >= 0xF0) return 2;
    if ((byte >= 0x3E && byte <= 0x44) || (byte >= 0xBE && byte <= 0xC4)) return 3;
    if (byte == 0x7F || byte == 0x80 || byte == 0x20) return 3;
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')) return 3;
    return 4;
}

// A value whose four bytes' rarities add up to this or less is as common as two zero bytes
// beside two rare ones: every integer from -4,096 to 65,535, every float with a zero low half
// (1.0, 0.5, 100). No default hash is (the closest add up to 9); about 1 in 650 values is.
constexpr unsigned kCommonValueRarity = 8;

// True when ordinary memory is full of `value`: see kCommonValueRarity.
inline bool IsCommonInMemory(uint32_t value) {
    unsigned rarity = 0;
    for (unsigned i = 0; i < 4; ++i)
        rarity += ByteRarity(static_cast<uint8_t>(value >> (8 * i)));
    return rarity <= kCommonValueRarity;
}
