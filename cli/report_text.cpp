#include "cli/report_text.h"

std::string Padded(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

std::string CountOf(uint64_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string Listed(std::span<const std::string_view> words, std::string_view lastJoin) {
    std::string list;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0) list += i + 1 == words.size() ? lastJoin : ", ";
        list += words[i];
    }
    return list;
}

std::string NumberWord(size_t count) {
    constexpr std::string_view kWords[] = {"no",   "one",    "two",   "three", "four",
                                           "five", "six",    "seven", "eight", "nine",
                                           "ten",  "eleven", "twelve"};
    return count < std::size(kWords) ? std::string(kWords[count]) : std::to_string(count);
}
