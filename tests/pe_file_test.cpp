// What the doctor reads from the plug-in file: a sound 64-bit DLL must read as one, with its
// imports and version, and a wrong, cut or corrupt file as what is wrong, without a crash.
#include "game/pe_file.h"
#include "tests/pe_image.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace pe_image;

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

// A table with thousands of entries is read whole; one that runs past the bound without its
// closing entry is taken for a file cut short, never for a sound DLL.
TEST(PeFile, ReadsAnImportTableUpToItsBoundAndNoneWithoutAnEnd) {
    Image image{.imports = {}, .version = {}};
    for (int i = 0; i < 4096; ++i)
        image.imports.push_back("lib" + std::to_string(i) + ".dll");
    PeFacts facts = ReadExact(BuildPe(image));
    EXPECT_EQ(facts.kind, PeKind::kDll64);
    EXPECT_EQ(facts.imports, image.imports);

    image.imports.push_back("one_more.dll");
    facts = ReadExact(BuildPe(image));
    EXPECT_EQ(facts.kind, PeKind::kTruncated);
    EXPECT_TRUE(facts.imports.empty());
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
