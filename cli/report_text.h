#pragma once
// Words and columns the command's reports share: counted words, lists, padding.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// `text` filled with blanks to `width`; longer text stays whole.
std::string Padded(std::string text, size_t width);

// "1 window", "2 windows": the count and the word that goes with it.
std::string CountOf(uint64_t count, std::string_view one, std::string_view many);

// "a, b, c", or "a, b or c" with `lastJoin` " or ".
std::string Listed(std::span<const std::string_view> words, std::string_view lastJoin = ", ");

// "four", "nine": a small count in words, as the reports' sentences give it; digits past
// twelve.
std::string NumberWord(size_t count);
