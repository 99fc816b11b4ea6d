#include "cli/hash/hash_command.h"
#include "cli/printable.h"
#include "settings/default_settings.h"
#include "settings/name_hash.h"
#include "settings/parse_settings.h"
#include "settings_file/bytes_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>
#include <unordered_map>

namespace {

// Why `name` is no use in a dictionary, or "" when a dictionary line gives the plug-in
// its hash. The loader decides, reading such a line back; the rest only finds the words.
std::string KeyTrap(const std::string& name, uint32_t hash) {
    if (hash == 0) return "hashes to 0x00000000, and the plug-in never swaps a hash of 0";
    const NameToHash read =
        ParseSettings(std::string(DictionaryHeaders[0]) + "\n" + name + "=1\n").dictionary;
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

// The default file's dictionary entries, with the header of each one's section.
struct DefaultEntry {
    uint32_t hash;
    std::string header;
};
std::unordered_map<std::string, DefaultEntry> DefaultDictionary() {
    const std::string text = DefaultSettingsText();
    std::unordered_map<std::string, DefaultEntry> entries;
    std::string_view header;
    ParseSettings(text, [&](const SettingsLine& line) {
        if (line.kind == LineKind::Header) header = line.text;
        if (line.kind == LineKind::DictionaryEntry)
            entries[std::string(line.key)] = {line.hash, std::string(header)};
    });
    return entries;
}

int RunHash(const std::vector<std::string>& names, std::ostream& out, std::ostream& err) {
    if (names.empty()) {
        err << "ostrevane hash: name an item, as the game spells it: ostrevane hash "
               "sky_diving_shake\n";
        return kExitFailed;
    }
    int status = kExitOk;
    const auto defaults = DefaultDictionary();
    for (const std::string& name : names) {
        const uint32_t hash = NameHash(name);
        const std::string trap = KeyTrap(name, hash);
        if (!trap.empty()) {
            err << "ostrevane hash: \"" << Printable(name) << "\" " << trap << "\n";
            status = kExitFailed;
            continue;
        }
        out << name << "=" << HexHash(hash) << "\n";
        // Most names in the default file are labels for items whose names are unknown.
        const auto label = defaults.find(name);
        if (label != defaults.end() && label->second.hash != hash) {
            err << "ostrevane hash: \"" << Printable(name) << "\" is a label: the default file's "
                << label->second.header << " line gives it " << HexHash(label->second.hash)
                << ", the hash of its item, and the dictionary uses that; " << HexHash(hash)
                << " is only the hash of the text \"" << Printable(name) << "\"\n";
        }
    }
    return status;
}

} // namespace

void AddHashCommand(CLI::App& app, CommandLine& line) {
    CLI::App* hash = app.add_subcommand(
        "hash", "Print a dictionary line NAME=0xXXXXXXXX for each name, with the game's hash "
                "of the text NAME.");
    auto names = std::make_shared<std::vector<std::string>>();
    hash->add_option("NAME", *names, "Item names, as the game spells them");
    // `names` lives as long as the parser that fills it; the run takes the names as typed.
    hash->callback([&line, names] {
        // The parser would read "[a,b]" as a list of two; a name is taken as typed. Only
        // names can follow "hash", since nothing else takes options before it.
        std::vector<std::string> typed(line.argv + 2, line.argv + line.argc);
        if (const auto dashes = std::find(typed.begin(), typed.end(), "--");
            dashes != typed.end()) {
            typed.erase(dashes);
        }
        line.status = RunHash(typed, line.out, line.err);
    });
}
