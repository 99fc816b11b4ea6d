#include "cli/printable.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsPrintableAscii(unsigned char byte) {
    return byte >= 0x20 && byte <= 0x7E;
}

} // namespace

std::string Printable(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const unsigned char byte : bytes) {
        if (IsPrintableAscii(byte)) {
            text.push_back(char(byte));
        } else {
            text += "\\x";
            text.push_back(kHexDigits[byte >> 4]);
            text.push_back(kHexDigits[byte & 0xF]);
        }
    }
    return text;
}

std::string JsonString(std::string_view bytes) {
    std::string text = "\"";
    for (const unsigned char byte : bytes) {
        if (byte == '"' || byte == '\\') {
            text.push_back('\\');
            text.push_back(char(byte));
        } else if (IsPrintableAscii(byte)) {
            text.push_back(char(byte));
        } else {
            text += "\\u00";
            text.push_back(kHexDigits[byte >> 4]);
            text.push_back(kHexDigits[byte & 0xF]);
        }
    }
    text.push_back('"');
    return text;
}
