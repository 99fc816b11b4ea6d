#include "game/pe_file.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

constexpr uint16_t kMachineX64 = 0x8664;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint16_t kFileIsDll = 0x2000;
constexpr uint64_t kLfanewAt = 0x3C;
constexpr uint64_t kCoffSize = 20;
constexpr uint64_t kDirectoryCountAt = 108; // in the PE32+ optional header
constexpr uint64_t kDirectoriesAt = 112;
constexpr uint64_t kImportDirectory = 1;
constexpr uint64_t kSectionSize = 40;
constexpr uint64_t kDescriptorSize = 20;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint64_t kFixedInfoSize = 52;
// No library needs thousands of DLLs; the bound keeps a hostile file's loop short.
constexpr size_t kMaxImports = 4096;
// Longer than any path Windows loads a DLL from. It also bounds what a file of a few kilobytes,
// whose every descriptor names one long run of bytes, can make us copy.
constexpr size_t kMaxNameLength = 4096;

// Every offset and length comes from the file: the arithmetic stays in 64 bits, clear of wrap.
bool Fits(std::string_view bytes, uint64_t offset, uint64_t length) {
    return offset <= bytes.size() && length <= bytes.size() - offset;
}

// Little-endian, byte by byte, as nothing in the file is known to be aligned. `Fits` first.
uint32_t ReadLe(std::string_view bytes, uint64_t offset, int width) {
    uint32_t value = 0;
    for (int at = width - 1; at >= 0; --at)
        value = value << 8 | static_cast<unsigned char>(bytes[offset + at]);
    return value;
}
uint16_t Read16(std::string_view bytes, uint64_t offset) {
    return static_cast<uint16_t>(ReadLe(bytes, offset, 2));
}
uint32_t Read32(std::string_view bytes, uint64_t offset) {
    return ReadLe(bytes, offset, 4);
}

struct Section {
    uint64_t address = 0;    // where it is mapped, relative to the image base
    uint64_t fileOffset = 0; // where its bytes start in the file
    uint64_t fileSize = 0;   // how many of its mapped bytes the file supplies
};

// The file's bytes from `rva` up to the end of what its section takes from the file, or nullopt
// when no section's file bytes hold that address. `sections` lie in the file, in address order:
// as the loader refuses overlapping sections, only the last to start at or before `rva` can hold
// it, and a binary search keeps 65535 sections and thousands of names quick.
std::optional<std::string_view> AtRva(std::string_view bytes, const std::vector<Section>& sections,
                                      uint64_t rva) {
    const auto after = std::upper_bound(
        sections.begin(), sections.end(), rva,
        [](uint64_t address, const Section& section) { return address < section.address; });
    if (after == sections.begin()) return std::nullopt;
    const Section& section = *std::prev(after);
    const uint64_t into = rva - section.address;
    if (into >= section.fileSize) return std::nullopt;
    return bytes.substr(section.fileOffset + into, section.fileSize - into);
}

// The DLL names of the import table at `rva`, into `imports`; false when the table or a name
// is not all in the file, or the table never ends.
bool ReadImports(std::string_view bytes, const std::vector<Section>& sections, uint64_t rva,
                 std::vector<std::string>& imports) {
    // The descriptors lie one after another in one section, as every linker writes them.
    const std::optional<std::string_view> table = AtRva(bytes, sections, rva);
    if (!table) return false;
    for (size_t index = 0; index <= kMaxImports; ++index) {
        const uint64_t at = index * kDescriptorSize;
        if (!Fits(*table, at, kDescriptorSize)) return false;
        const std::string_view descriptor = table->substr(at, kDescriptorSize);
        if (std::all_of(descriptor.begin(), descriptor.end(), [](char c) { return c == 0; }))
            return true;
        const std::optional<std::string_view> name = AtRva(bytes, sections, Read32(descriptor, 12));
        if (!name) return false;
        const size_t end = name->substr(0, kMaxNameLength).find('\0');
        if (end == std::string_view::npos) return false;
        imports.emplace_back(name->substr(0, end));
    }
    return false;
}

PeKind Classify(std::string_view bytes, std::vector<std::string>& imports) {
    if (!Fits(bytes, kLfanewAt, 4)) return PeKind::kTruncated;
    const uint64_t pe = Read32(bytes, kLfanewAt);
    if (!Fits(bytes, pe, 4)) return PeKind::kTruncated;
    if (bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) return PeKind::kNotPe;

    const uint64_t coff = pe + 4;
    const uint64_t optional = coff + kCoffSize;
    if (!Fits(bytes, optional, 2)) return PeKind::kTruncated;
    const uint16_t machine = Read16(bytes, coff);
    const uint16_t sectionCount = Read16(bytes, coff + 2);
    const uint16_t optionalSize = Read16(bytes, coff + 16);
    const uint16_t characteristics = Read16(bytes, coff + 18);
    // A 32-bit or ARM file is the wrong build whatever else is wrong with it: say that first.
    if (machine != kMachineX64 || Read16(bytes, optional) != kMagicPe32Plus)
        return PeKind::kNot64Bit;
    // A PE32+ header too short for its own fields reads as one cut off.
    if (optionalSize < kDirectoriesAt || !Fits(bytes, optional, optionalSize))
        return PeKind::kTruncated;

    const uint64_t sectionTable = optional + optionalSize;
    if (!Fits(bytes, sectionTable, sectionCount * kSectionSize)) return PeKind::kTruncated;
    std::vector<Section> sections;
    for (uint64_t index = 0; index < sectionCount; ++index) {
        const uint64_t entry = sectionTable + index * kSectionSize;
        const uint32_t virtualSize = Read32(bytes, entry + 8);
        const uint32_t rawSize = Read32(bytes, entry + 16);
        const uint32_t fileOffset = Read32(bytes, entry + 20);
        // A section whose bytes the file lacks is a download cut short: the loader refuses it.
        if (rawSize != 0 && !Fits(bytes, fileOffset, rawSize)) return PeKind::kTruncated;
        // Bytes past the virtual size are not mapped; a zero virtual size means the raw size.
        const uint32_t mapped = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
        sections.push_back({Read32(bytes, entry + 12), fileOffset, mapped});
    }
    std::stable_sort(sections.begin(), sections.end(),
                     [](const Section& a, const Section& b) { return a.address < b.address; });

    const uint64_t directoryCount = std::min<uint64_t>(Read32(bytes, optional + kDirectoryCountAt),
                                                       (optionalSize - kDirectoriesAt) / 8);
    if (directoryCount > kImportDirectory) {
        const uint32_t importRva = Read32(bytes, optional + kDirectoriesAt + kImportDirectory * 8);
        if (importRva != 0 && !ReadImports(bytes, sections, importRva, imports))
            return PeKind::kTruncated;
    }
    return (characteristics & kFileIsDll) != 0 ? PeKind::kDll64 : PeKind::kNotDll;
}

// The resource compiler puts the fixed file info on a 4-byte boundary, so a scan at those
// offsets finds it without walking the resource tree.
std::string FixedFileVersion(std::string_view bytes) {
    for (uint64_t at = 0; Fits(bytes, at, kFixedInfoSize); at += 4) {
        if (Read32(bytes, at) != kFixedInfoSignature) continue;
        const uint32_t most = Read32(bytes, at + 8), least = Read32(bytes, at + 12);
        return std::to_string(most >> 16) + "." + std::to_string(most & 0xFFFF) + "." +
               std::to_string(least >> 16) + "." + std::to_string(least & 0xFFFF);
    }
    return "";
}

} // namespace

PeFacts ReadPeFacts(std::string_view bytes) {
    PeFacts facts;
    if (bytes.substr(0, 2) != "MZ") return facts;
    facts.kind = Classify(bytes, facts.imports);
    if (facts.kind == PeKind::kNotPe) return facts;
    if (facts.kind != PeKind::kDll64 && facts.kind != PeKind::kNotDll) facts.imports.clear();
    facts.version = FixedFileVersion(bytes);
    return facts;
}
