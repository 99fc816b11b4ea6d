// Feeds arbitrary bytes to the settings parser and checks what must hold for any file.
#include "settings/parse_settings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsAllowedKeyCode(int code) {
    // F1 to F12, a digit, or a letter on the stand-in's US layout (F5 is among the F keys).
    return (code >= 0x70 && code <= 0x7B) || (code >= '0' && code <= '9') ||
           (code >= 'A' && code <= 'Z');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ParsedSettings parsed = ParseSettings(bytes);

    // Every resolved hash is the dictionary's value for the name, or 0 without one.
    const uint32_t resolved[] = {parsed.swap.oldShake,     parsed.swap.newShake,
                                 parsed.swap.oldShakeLoop, parsed.swap.newShakeLoop,
                                 parsed.swap.oldDof,       parsed.swap.newDof,
                                 parsed.swap.oldCamera,    parsed.swap.newCamera};
    for (size_t k = 0; k < 8; ++k) {
        const auto found = parsed.dictionary.find(parsed.values[k]);
        Check(resolved[k] == (found == parsed.dictionary.end() ? 0 : found->second));
    }
    Check(IsAllowedKeyCode(parsed.swap.activationKey));

    // The same file saved with Windows line ends reads the same.
    std::string crlf;
    crlf.reserve(size * 2);
    for (char c : bytes) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const ParsedSettings fromCrlf = ParseSettings(crlf);
    Check(fromCrlf.dictionary == parsed.dictionary);
    Check(fromCrlf.swap == parsed.swap);
    return 0;
}
