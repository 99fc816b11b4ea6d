#pragma once
// How the command lays out its reports: columns, counted words, the warnings block and the
// lists of its JSON objects.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// `text` filled with blanks to `width`; longer text stays whole.
std::string Padded(std::string text, size_t width);

// "1 window", "2 windows": the count and the word that goes with it.
std::string CountOf(uint64_t count, std::string_view one, std::string_view many);

// "a, b, c", or "a, b or c" with `lastJoin` " or ".
std::string Listed(std::span<const std::string_view> words, std::string_view lastJoin = ", ");

// "four", "nine": a small count in words, as the reports' sentences give it; digits past
// twelve.
std::string NumberWord(size_t count);

// "No warnings." or "N warnings:" and each warning on an indented line, its bytes made
// printable.
void PrintWarnings(const std::vector<std::string>& warnings, std::ostream& out);

// A member of a report's top-level JSON object holding a list: `"name": [`, then each of
// the `count` elements that `element(i)` prints on a line of its own, then `]`, with no
// comma after it. An empty list stays on one line. `brackets` is "[]", or "{}" for an
// object whose members `element` prints.
void PrintJsonList(std::ostream& out, std::string_view name, size_t count,
                   const std::function<void(size_t)>& element, std::string_view brackets = "[]");
