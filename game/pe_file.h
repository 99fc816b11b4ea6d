#pragma once
// What the plug-in file beside the game is, read from its bytes alone: whether Windows can load
// it into the 64-bit game as a library, which DLLs it needs, and which build it is.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class PeKind {
    kNotPe,     // no "MZ" header, or no "PE\0\0" signature where it points
    kTruncated, // the headers, a section table or the import table run past the file's end
    kNot64Bit,  // a PE file for another machine than x86-64 (such as a 32-bit one)
    kNotDll,    // a 64-bit program, not a library
    kDll64,     // a 64-bit DLL: what the plug-in must be
};

struct PeFacts {
    PeKind kind = PeKind::kNotPe;
    // DLL names from the import table, as written, in order (kDll64 and kNotDll only).
    std::vector<std::string> imports;
    std::string version; // "1.1.0.0" from the version resource's fixed file info; "" when none
};

// What `bytes`, a whole file, is as the Windows loader would see it. Never reads outside `bytes`.
PeFacts ReadPeFacts(std::string_view bytes);
