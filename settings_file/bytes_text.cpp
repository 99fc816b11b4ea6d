#include "settings_file/bytes_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

std::string HexHash(uint32_t hash) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(hash));
    return text;
}

std::string Quoted(std::string_view bytes) {
    std::string quoted;
    quoted.reserve(bytes.size() + 2);
    return quoted.append(1, '"').append(bytes).append(1, '"');
}

bool IsNumberLiteral(std::string_view text) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return std::all_of(text.begin() + 2, text.end(), [&](char c) {
            return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        });
    }
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}
