#include "tools/ostrevane/suggest.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace {

char Lower(char c) {
    return char(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

// Insertions, deletions and substitutions that turn `a` into `b`.
size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t{0});
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
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

std::string_view ClosestName(std::string_view typed,
                             const std::vector<std::string_view>& candidates) {
    for (std::string_view candidate : candidates) {
        if (EqualIgnoringCase(typed, candidate)) return candidate;
    }
    // Long names tolerate a few more slips than short ones before a guess turns random.
    const size_t tolerance = 1 + typed.size() / 8;
    std::string_view best;
    size_t bestDistance = tolerance + 1;
    for (std::string_view candidate : candidates) {
        const size_t longer = std::max(typed.size(), candidate.size());
        const size_t shorter = std::min(typed.size(), candidate.size());
        if (longer - shorter >= bestDistance) continue;
        const size_t distance = EditDistance(typed, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}
