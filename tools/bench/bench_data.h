#pragma once
// Imitations of a game's private writable memory, and the hash pairs to swap in them, for
// timing the substitution engines. Deterministic: the same size gives the same bytes.

#include "swap/swap.h"

#include <random>
#include <string>
#include <vector>

struct BenchCase {
    std::string name;
    std::string description;
    std::vector<uint8_t> memory;
    SubstitutionChain chain;
};

// Fills `bytes` at `memory` page by page: random bytes, zero runs, small integers, floats,
// pointers and text, as a game's heap holds them.
void FillLikeHeap(uint8_t* memory, size_t bytes, std::mt19937_64& random);

// Heap-like pages: random bytes, zero runs, small integers, floats, pointers and text, with
// a few thousand old hashes planted at any alignment. Four ordinary hashes.
BenchCase RealisticCase(size_t bytes);

// Mostly zeros, and needles whose bytes include 00 and FF: a filter on fixed bytes of the
// window would raise a candidate at almost every offset.
BenchCase ZeroHeavyCase(size_t bytes);

// Floats, many of them 1.0, and a needle one unit above 1.0f: the two bytes the filter picks
// are the exponent bytes of every 1.0, so candidates are dense.
BenchCase DenseCandidatesCase(size_t bytes);
