#include "tools/name_hash.h"
#include "tools/ostrevane/bytes_text.h"
#include "tools/ostrevane/commands.h"

#include <ostream>

namespace {

// Why a dictionary line for `name` would not give the plug-in that name, or "" if it would.
std::string_view KeyTrap(std::string_view name) {
    if (name.find('=') != std::string_view::npos) return "holds \"=\", where the key ends";
    if (name.find_first_of("\n\x1A") != std::string_view::npos) return "holds a line break";
    if (!name.empty() && name.front() == '[') return "starts with \"[\", so the line is a header";
    constexpr std::string_view kTrimmed = " \t\r";
    if (!name.empty() && (kTrimmed.find(name.front()) != std::string_view::npos ||
                          kTrimmed.find(name.back()) != std::string_view::npos)) {
        return "starts or ends with a blank, which the plug-in trims from keys";
    }
    return "";
}

} // namespace

int RunHash(const std::vector<std::string>& names, std::ostream& out, std::ostream& err) {
    int status = kExitOk;
    for (const std::string& name : names) {
        const std::string_view trap = KeyTrap(name);
        if (!trap.empty()) {
            err << "ostrevane hash: \"" << Printable(name) << "\" " << trap
                << ": no dictionary line can name it\n";
            status = kExitFailed;
            continue;
        }
        out << name << "=" << HexHash(NameHash(name)) << "\n";
    }
    return status;
}
