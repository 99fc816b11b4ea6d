#pragma once
// The game's hash of an item name (Jenkins' one-at-a-time); the plug-in never computes it.

#include <cstdint>
#include <string_view>

inline uint32_t NameHash(std::string_view name) {
    uint32_t hash = 0;
    for (const unsigned char byte : name) {
        hash += byte;
        hash += hash << 10;
        hash ^= hash >> 6;
    }
    hash += hash << 3;
    hash ^= hash >> 11;
    hash += hash << 15;
    return hash;
}
