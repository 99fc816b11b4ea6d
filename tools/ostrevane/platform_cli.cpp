// The file check the loader makes, for the ostrevane command off Windows.
#include "platform/platform.h"

#include <filesystem>

namespace platform {

uint32_t FileAttributes(const char* path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return kInvalidFileAttributes;
    constexpr uint32_t kDirectory = 0x10, kNormal = 0x80;
    return std::filesystem::is_directory(status) ? kDirectory : kNormal;
}

} // namespace platform
