// What the doctor reads from the plug-in file: a sound 64-bit DLL must read as one, with its
// imports and version, and a wrong, cut or corrupt file as what is wrong, without a crash.
#include "inspect/pe_file.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr uint32_t kPe = 0x80, kOptional = kPe + 24, kOptionalSize = 240;
constexpr uint32_t kSectionEntry = kOptional + kOptionalSize, kRaw = 0x200, kRva = 0x1000;

// Little-endian, as every field of the file is.
void Put(std::string& file, size_t at, uint32_t value, size_t width = 4) {
    for (size_t i = 0; i < width; ++i)
        file[at + i] = static_cast<char>(value >> (8 * i));
}

// Makes the one section cover the file from its start to `end`.
void EndSectionAt(std::string& file, size_t end) {
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
std::string BuildPe(const Image& image) {
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

// Read from a heap block of exactly the file's size, so the sanitizers see any read past it.
PeFacts ReadExact(const std::string& file) {
    const std::vector<char> copy(file.begin(), file.end());
    return ReadPeFacts(std::string_view(copy.data(), copy.size()));
}

TEST(PeFile, ReadsTheImportsInOrderAndTheVersionOfASound64BitDll) {
    const struct {
        Image image;
        std::string version;
    } cases[] = {
        {{}, "1.1.0.0"},
        {{.version = {2, 10, 65535, 7}}, "2.10.65535.7"},
        {{.version = {}}, ""},
        {{.imports = {}}, "1.1.0.0"},
        {{.imports = {}, .importTable = false}, "1.1.0.0"},
    };
    for (const auto& c : cases) {
        const PeFacts facts = ReadExact(BuildPe(c.image));
        EXPECT_EQ(facts.kind, PeKind::kDll64) << c.version;
        EXPECT_EQ(facts.imports, c.image.imports);
        EXPECT_EQ(facts.version, c.version);
    }
}

// Each case turns the sound DLL into another file. Only a program's imports are still read:
// they tell the player what it needs.
TEST(PeFile, SaysWhatIsWrongWithAFileThatIsNotASoundDll) {
    using Change = std::function<void(std::string&)>;
    const auto rebuilt = [](Image image) -> Change {
        return [image](std::string& f) { f = BuildPe(image); };
    };
    const auto put = [](size_t at, uint32_t value, size_t width = 4) -> Change {
        return [=](std::string& f) { Put(f, at, value, width); };
    };
    const struct {
        const char* what;
        Change change;
        PeKind kind;
    } cases[] = {
        {"a program", rebuilt({.characteristics = 0x0022}), PeKind::kNotDll},
        {"32-bit", rebuilt({.machine = 0x14C, .magic = 0x10B}), PeKind::kNot64Bit},
        {"ARM64", rebuilt({.machine = 0xAA64}), PeKind::kNot64Bit},
        {"no MZ", put(0, 'X', 1), PeKind::kNotPe},
        {"e_lfanew at no signature", put(0x3C, 0x40), PeKind::kNotPe},
        {"e_lfanew past the end", put(0x3C, 0xFFFFFFF0), PeKind::kTruncated},
        {"more sections than the file holds", put(kPe + 6, 0xFFFF, 2), PeKind::kTruncated},
        {"section data past the end", put(kSectionEntry + 16, 0x1000), PeKind::kTruncated},
        {"import table in no section", put(kOptional + 120, 0x9000), PeKind::kTruncated},
        {"import name in no section", put(kRaw + 12, 0x10), PeKind::kTruncated},
        {"last name without its zero at the file's end",
         [](std::string& f) {
             f.pop_back();
             EndSectionAt(f, f.size());
         },
         PeKind::kTruncated},
        {"last name's zero outside its section",
         [](std::string& f) { EndSectionAt(f, f.size() - 1); }, PeKind::kTruncated},
        {"import table cut by its section's end",
         [](std::string& f) {
             std::string descriptor(20, '\0');
             Put(descriptor, 12, kRva + 3 * 20 + 52); // the first name
             Put(f, kOptional + 120, kRva + static_cast<uint32_t>(f.size() - kRaw));
             f += descriptor;
             EndSectionAt(f, f.size());
         },
         PeKind::kTruncated},
    };
    for (const auto& c : cases) {
        std::string file = BuildPe({});
        c.change(file);
        const PeFacts facts = ReadExact(file);
        EXPECT_EQ(facts.kind, c.kind) << c.what;
        const std::vector<std::string> imports =
            c.kind == PeKind::kNotDll ? Image{}.imports : std::vector<std::string>{};
        EXPECT_EQ(facts.imports, imports) << c.what;
    }
}

TEST(PeFile, NeverCallsAFileCutShortASoundDll) {
    const std::string full = BuildPe({});
    for (size_t length = 0; length < full.size(); ++length) {
        const PeFacts facts = ReadExact(full.substr(0, length));
        EXPECT_TRUE(facts.kind == PeKind::kNotPe || facts.kind == PeKind::kTruncated) << length;
        EXPECT_TRUE(facts.imports.empty()) << length;
    }
    EXPECT_EQ(ReadExact(full).kind, PeKind::kDll64);
}

// Under the sanitizers, a read outside the file or a crash on any header field fails here.
TEST(PeFile, StaysInsideTheFileWhateverOneByteIsChangedTo) {
    const std::string sound = BuildPe({});
    for (size_t at = 0; at < sound.size(); ++at) {
        for (const char value : {'\0', '\x7F', '\xFF'}) {
            std::string file = sound;
            file[at] = value;
            const PeFacts facts = ReadExact(file);
            const bool readsImports = facts.kind == PeKind::kDll64 || facts.kind == PeKind::kNotDll;
            EXPECT_TRUE(readsImports || facts.imports.empty()) << at;
        }
    }
}

} // namespace
