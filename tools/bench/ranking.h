#pragma once
// Medians, spreads and when two engines' speeds can be told apart, for substitute_bench.

#include <cstddef>
#include <vector>

// A median with the slowest and fastest repetition, and the interval [low, high] that holds
// the true median with about 95 % confidence, from the ranks alone, whatever the noise's
// shape. The spread of the repetitions only widens as they grow in number; the interval
// narrows.
struct Summary {
    double median = 0, least = 0, most = 0, low = 0, high = 0;
    size_t count = 0;
};

// The summary of `values`; all zeros when there are none.
Summary Summarise(std::vector<double> values);

// The same summary as speeds in GB/s, from times in seconds over `bytes`: the slowest time is
// the least speed.
Summary Speed(const Summary& seconds, size_t bytes);

// Whether `faster` ranks above `slower` beyond the noise: their medians' intervals are apart.
bool RankApart(const Summary& faster, const Summary& slower);
