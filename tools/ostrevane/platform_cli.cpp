// The two platform calls the loader makes, for the ostrevane command off Windows.
#include "platform/platform.h"

#include <filesystem>

namespace platform {

int16_t KeyScan(char character) {
    // A US keyboard: letters on their upper-case codes, shift for capitals.
    if (character >= 'a' && character <= 'z') return int16_t(character - 'a' + 'A');
    if (character >= 'A' && character <= 'Z') return int16_t(0x100 | character);
    if (character >= '0' && character <= '9') return int16_t(character);
    return -1;
}

uint32_t FileAttributes(const char* path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return kInvalidFileAttributes;
    constexpr uint32_t kDirectory = 0x10, kNormal = 0x80;
    return std::filesystem::is_directory(status) ? kDirectory : kNormal;
}

} // namespace platform
