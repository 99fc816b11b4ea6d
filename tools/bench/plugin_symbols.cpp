#include "tools/bench/plugin_symbols.h"

#include "swap/engines.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

namespace {

template <typename T> T At(const std::string& bytes, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// The addresses, in the loaded module, of the symbols named in `names`, from the file's COFF
// symbol table (MinGW keeps it unless the binary is stripped, as the release's is).
std::map<std::string, const uint8_t*> FindSymbols(const void* module, const std::string& file,
                                                  const std::vector<std::string>& names) {
    std::map<std::string, const uint8_t*> found;
    const auto peAt = At<uint32_t>(file, 0x3C);
    if (file.compare(peAt, 4, std::string("PE\0\0", 4)) != 0) return found;
    const size_t coff = peAt + 4;
    const auto sectionCount = At<uint16_t>(file, coff + 2);
    const auto symbolsAt = At<uint32_t>(file, coff + 8);
    const auto symbolCount = At<uint32_t>(file, coff + 12);
    const size_t sectionsAt = coff + 20 + At<uint16_t>(file, coff + 16);
    const size_t stringsAt = symbolsAt + size_t(18) * symbolCount;
    for (uint32_t s = 0; symbolsAt != 0 && s < symbolCount;
         s += 1 + At<uint8_t>(file, symbolsAt + 18 * s + 17)) {
        const size_t symbol = symbolsAt + 18 * size_t(s);
        std::string name;
        if (At<uint32_t>(file, symbol) == 0)
            name = file.c_str() + std::min(file.size(), stringsAt + At<uint32_t>(file, symbol + 4));
        else
            name = file.substr(symbol, 8).c_str();
        const auto section = At<int16_t>(file, symbol + 12);
        if (section < 1 || section > sectionCount) continue;
        for (const std::string& wanted : names) {
            if (name != wanted) continue;
            const auto sectionAddress = At<uint32_t>(file, sectionsAt + 40 * (section - 1) + 12);
            found[name] = static_cast<const uint8_t*>(module) + sectionAddress +
                          At<uint32_t>(file, symbol + 8);
        }
    }
    return found;
}

} // namespace

PluginEngineChoice ReadPluginEngineChoice(const void* module, const std::filesystem::path& path) {
    PluginEngineChoice choice;
    std::ifstream in(path, std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // swap/engine_choice.cpp's module-wide variables, as GCC names them.
    const std::vector<std::string> names = {
        "_ZN12_GLOBAL__N_17enginesE", "_ZN12_GLOBAL__N_111engineCountE",
        "_ZN12_GLOBAL__N_110trialNanosE", "_ZN12_GLOBAL__N_16chosenE"};
    const auto symbols = FindSymbols(module, file, names);
    for (const std::string& name : names) {
        if (symbols.count(name) == 0) {
            choice.why = "no symbol " + name + " in " + path.string();
            return choice;
        }
    }
    // Each engine is a function and its name, as engine_choice.cpp lists them.
    struct Engine {
        const void* substitute;
        const char* name;
    };
    const auto* engines = reinterpret_cast<const Engine*>(symbols.at(names[0]));
    const size_t count = *reinterpret_cast<const size_t*>(symbols.at(names[1]));
    const auto* trials = reinterpret_cast<const TrialTimes*>(symbols.at(names[2]));
    const auto* chosen = *reinterpret_cast<const Engine* const*>(symbols.at(names[3]));
    if (count == 0 || count > 3 || chosen == nullptr) {
        choice.why = "the plug-in has not chosen yet";
        return choice;
    }
    for (size_t e = 0; e < count; ++e)
        choice.engines.push_back({engines[e].name, {trials[e].begin(), trials[e].end()}});
    choice.chosen = chosen->name;
    choice.found = true;
    return choice;
}
