#include "settings_file/suggest.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

constexpr size_t kMostSlips = 4;

char Lower(char c) {
    return char(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

// Insertions, deletions and substitutions that turn `a` into `b`, or `limit + 1` when
// more than `limit` are needed. Only cells within `limit` of the diagonal can stay within
// it, so the work is the length times the limit, not the product of the lengths.
size_t EditDistance(std::string_view a, std::string_view b, size_t limit) {
    const size_t over = limit + 1;
    if (std::max(a.size(), b.size()) - std::min(a.size(), b.size()) > limit) return over;
    std::vector<size_t> row(b.size() + 1, over);
    for (size_t j = 0; j <= std::min(b.size(), limit); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        const size_t first = i > limit ? i - limit : 1;
        const size_t last = std::min(b.size(), i + limit);
        size_t diagonal = row[first - 1];
        row[first - 1] = first == 1 && i <= limit ? i : over;
        size_t best = row[first - 1];
        for (size_t j = first; j <= last; ++j) {
            const size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            row[j] = std::min(row[j], over);
            diagonal = above;
            best = std::min(best, row[j]);
        }
        if (last < b.size()) row[last + 1] = over;
        if (best > limit) return over;
    }
    return row[b.size()];
}

} // namespace

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size()) return false;
    for (size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (EqualIgnoringCase(text.substr(at, part.size()), part)) return true;
    }
    return false;
}

std::string_view ClosestName(std::string_view typed, std::span<const std::string_view> candidates) {
    for (std::string_view candidate : candidates) {
        if (EqualIgnoringCase(typed, candidate)) return candidate;
    }
    // Long names tolerate a few more slips than short ones before a guess turns random;
    // past four, a match would be a guess anyway.
    const size_t tolerance = std::min<size_t>(1 + typed.size() / 8, kMostSlips);
    std::string_view best;
    size_t bestDistance = tolerance + 1;
    for (std::string_view candidate : candidates) {
        const size_t distance = EditDistance(typed, candidate, bestDistance - 1);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}
