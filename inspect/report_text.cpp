#include "inspect/report_text.h"

#include "inspect/bytes_text.h"

#include <ostream>

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

void PrintWarnings(const std::vector<std::string>& warnings, std::ostream& out) {
    if (warnings.empty()) {
        out << "No warnings.\n";
        return;
    }
    out << CountOf(warnings.size(), "warning:", "warnings:") << "\n";
    for (const std::string& warning : warnings)
        out << "  " << Printable(warning) << "\n";
}

void PrintJsonList(std::ostream& out, std::string_view name, size_t count,
                   const std::function<void(size_t)>& element, std::string_view brackets) {
    out << "  \"" << name << "\": " << brackets[0];
    for (size_t i = 0; i < count; ++i) {
        out << (i == 0 ? "\n    " : ",\n    ");
        element(i);
    }
    out << (count == 0 ? "" : "\n  ") << brackets[1];
}
