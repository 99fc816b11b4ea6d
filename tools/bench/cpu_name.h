#pragma once
// The CPU the figures were measured on, as the benchmarks print it beside them.

#include <cpuid.h>

#include <string>

// The brand string with the family and model ("AMD EPYC (CPU family 25, model 17)").
inline std::string CpuName() {
    unsigned words[12] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
        if (!__get_cpuid(0x80000002 + leaf, &words[4 * leaf], &words[4 * leaf + 1],
                         &words[4 * leaf + 2], &words[4 * leaf + 3]))
            return "unknown CPU";
    }
    std::string name(reinterpret_cast<const char*>(words), sizeof words);
    name = name.substr(0, name.find('\0'));
    name.erase(0, name.find_first_not_of(' '));
    unsigned eax = 0, ebx, ecx, edx;
    __get_cpuid(1, &eax, &ebx, &ecx, &edx);
    // The extended family adds to the base one, and the extended model is its high nibble.
    const unsigned family = ((eax >> 8) & 0xF) + ((eax >> 20) & 0xFF);
    const unsigned model = ((eax >> 4) & 0xF) | ((eax >> 12) & 0xF0);
    return name + " (CPU family " + std::to_string(family) + ", model " + std::to_string(model) +
           ")";
}
