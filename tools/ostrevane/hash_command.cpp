#include "settings/settings.h"
#include "tools/name_hash.h"
#include "tools/ostrevane/bytes_text.h"
#include "tools/ostrevane/commands.h"

#include <ostream>

namespace {

// Why `name` is no use in a dictionary, or "" when a dictionary line gives the plug-in
// its hash. The loader decides, reading such a line back; the rest only finds the words.
std::string KeyTrap(const std::string& name, uint32_t hash) {
    if (hash == 0) return "hashes to 0x00000000, and the plug-in never swaps a hash of 0";
    const NameToHash read = ParseSettings("[Shake]\n" + name + "=1\n").dictionary;
    if (read.size() == 1 && read.count(name) == 1) return "";
    std::string why = "is not read back whole";
    if (name.find('\x1A') != std::string::npos) {
        why = "holds a Ctrl-Z byte (0x1A), which ends the file for the plug-in";
    } else if (name.find('\n') != std::string::npos) {
        why = "holds a line break";
    } else if (name.find('=') != std::string::npos) {
        why = "holds \"=\", where the key ends";
    } else if (name.front() == '[') {
        why = "starts with \"[\", so the line is a header";
    } else if (read.size() == 1) {
        why = "starts or ends with a blank, which the plug-in trims from keys";
    }
    return why + ": no dictionary line can name it";
}

} // namespace

int RunHash(const std::vector<std::string>& names, std::ostream& out, std::ostream& err) {
    int status = kExitOk;
    for (const std::string& name : names) {
        const uint32_t hash = NameHash(name);
        const std::string trap = KeyTrap(name, hash);
        if (!trap.empty()) {
            err << "ostrevane hash: \"" << Printable(name) << "\" " << trap << "\n";
            status = kExitFailed;
            continue;
        }
        out << name << "=" << HexHash(hash) << "\n";
    }
    return status;
}
