#pragma once
// A minimal 64-bit DLL image, as the plug-in's file is, built field by field so that a test
// can change any of them: what the doctor's reading of the plug-in is tried on.

#include <cstdint>
#include <string>
#include <vector>

namespace pe_image {

constexpr uint32_t kPe = 0x80, kOptional = kPe + 24, kOptionalSize = 240;
constexpr uint32_t kSectionEntry = kOptional + kOptionalSize, kRaw = 0x200, kRva = 0x1000;

// Little-endian, as every field of the file is.
inline void Put(std::string& file, size_t at, uint32_t value, size_t width = 4) {
    for (size_t i = 0; i < width; ++i)
        file[at + i] = static_cast<char>(value >> (8 * i));
}

// Makes the one section cover the file from its start to `end`.
inline void EndSectionAt(std::string& file, size_t end) {
    Put(file, kSectionEntry + 8, static_cast<uint32_t>(end - kRaw));
    Put(file, kSectionEntry + 16, static_cast<uint32_t>(end - kRaw));
}

struct Image {
    uint16_t machine = 0x8664;
    uint16_t magic = 0x20B;
    uint16_t characteristics = 0x2022; // a DLL, executable, large-address aware
    std::vector<std::string> imports = {"ScriptHookV.dll", "KERNEL32.dll"};
    std::vector<uint16_t> version = {1, 1, 0, 0}; // empty: no version resource
    bool importTable = true;
};

// A minimal PE32+ image with one section holding the import descriptors, the fixed file info
// and the names, in that order: the section, and the last name, end the file.
inline std::string BuildPe(const Image& image) {
    std::string file(kRaw, '\0');
    file.replace(0, 2, "MZ");
    Put(file, 0x3C, kPe);
    file.replace(kPe, 4, std::string("PE\0\0", 4));
    Put(file, kPe + 4, image.machine, 2);
    Put(file, kPe + 6, 1, 2);
    Put(file, kPe + 20, kOptionalSize, 2);
    Put(file, kPe + 22, image.characteristics, 2);
    Put(file, kOptional, image.magic, 2);
    Put(file, kOptional + 108, 16);
    Put(file, kOptional + 120, image.importTable ? kRva : 0);

    std::string section((image.imports.size() + 1) * 20, '\0');
    if (!image.version.empty()) {
        std::string info(52, '\0');
        Put(info, 0, 0xFEEF04BD);
        Put(info, 8, uint32_t{image.version[0]} << 16 | image.version[1]);
        Put(info, 12, uint32_t{image.version[2]} << 16 | image.version[3]);
        section += info;
    }
    for (size_t i = 0; i < image.imports.size(); ++i) {
        Put(section, i * 20 + 12, kRva + static_cast<uint32_t>(section.size()));
        section += image.imports[i] + '\0';
    }
    Put(file, kSectionEntry + 12, kRva);
    Put(file, kSectionEntry + 20, kRaw);
    file += section;
    EndSectionAt(file, file.size());
    return file;
}

} // namespace pe_image
