#include "tables.h"

#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

} // namespace

std::vector<Entry> ReadTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError(path + ": cannot open");
    std::vector<Entry> entries;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = path + ":" + std::to_string(number);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (unsigned char c : line) {
            // The values end up inside C++ string literals and the player's settings file.
            if (c != '\t' && (c < 0x20 || c > 0x7E)) {
                throw InputError(where + ": only printable ASCII is allowed");
            }
        }
        const std::vector<std::string> words = Words(line);
        if (words.empty() || words.front().front() == '#') continue;
        if (line.front() != ' ' && line.front() != '\t') {
            if (words.size() > 2) throw InputError(where + ": expected a name and a hash");
            entries.push_back({words[0], words.size() == 2 ? words[1] : "", {}, where});
        } else {
            if (entries.empty()) throw InputError(where + ": a field before the first entry");
            entries.back().fields.push_back({words[0], {words.begin() + 1, words.end()}, where});
        }
    }
    return entries;
}

Tables ReadTables(const std::string& folder,
                  const std::array<std::string_view, kPairCount>& files) {
    Tables tables;
    for (size_t pair = 0; pair < kPairCount; ++pair)
        tables[pair] = ReadTable(folder + "/" + std::string(files[pair]));
    return tables;
}
