#include "ranking.h"

#include <algorithm>
#include <cmath>

Summary Summarise(std::vector<double> values) {
    Summary s;
    s.count = values.size();
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.least = values.front();
    s.most = values.back();
    // The ranks n/2 -+ 0.98 sqrt(n) (1-based, the upper one past the middle): how far the true
    // median's rank strays from the middle in 95 % of samples, by the normal approximation.
    const double reach = 0.98 * std::sqrt(double(n));
    const auto lowRank = size_t(std::max(1.0, std::floor(double(n) / 2 - reach)));
    const auto highRank = size_t(std::min(double(n), std::ceil(double(n) / 2 + 1 + reach)));
    s.low = values[lowRank - 1];
    s.high = values[highRank - 1];
    return s;
}

Summary Speed(const Summary& seconds, size_t bytes) {
    const auto gbps = [&](double t) { return t > 0 ? double(bytes) / t / 1e9 : 0; };
    Summary s = seconds;
    s.median = gbps(seconds.median);
    s.least = gbps(seconds.most);
    s.most = gbps(seconds.least);
    s.low = gbps(seconds.high);
    s.high = gbps(seconds.low);
    return s;
}

bool RankApart(const Summary& faster, const Summary& slower) {
    return faster.low > slower.high;
}
