// Times the counting behind `ostrevane scan` on imitations of game memory, in 1 MiB chunks
// as the scan copies them: the whole default dictionary (`--all`), and the settings' eight
// hashes with the plug-in's engine run over each copy. Prints GB/s, median of the repeats.
//
//   scan_bench [--mib N] [--repeats N]
#include "bench_data.h"
#include "game/hash_counter.h"
#include "settings/default_settings.h"
#include "settings/parse_settings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr size_t kChunk = 1 << 20;

// Every hash of the default file's dictionary, as the plug-in reads it.
std::vector<uint32_t> DictionaryHashes() {
    std::vector<uint32_t> hashes;
    for (const auto& [name, hash] : ParseSettings(DefaultSettingsText()).dictionary)
        hashes.push_back(hash);
    return hashes;
}

// Median GB/s of `pass` over the memory, chunk by chunk, each chunk first copied out as the
// scan copies it from the game.
double Rate(const std::vector<uint8_t>& memory, int repeats,
            const std::function<void(uint8_t*, size_t)>& pass) {
    std::vector<uint8_t> chunk(kChunk);
    std::vector<double> rates;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (size_t at = 0; at < memory.size(); at += kChunk) {
            const size_t size = std::min(kChunk, memory.size() - at);
            std::memcpy(chunk.data(), memory.data() + at, size);
            pass(chunk.data(), size);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rates.push_back(double(memory.size()) / seconds / 1e9);
    }
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    size_t mib = 256;
    int repeats = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mib") == 0) mib = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--repeats") == 0) repeats = std::atoi(argv[i + 1]);
    }
    const HashCounter all = MakeHashCounter(DictionaryHashes());
    std::printf("%zu MiB per kind of memory, 1 MiB chunks, median of %d, GB/s\n", mib, repeats);
    std::printf("%-18s %8s %8s %10s\n", "memory", "copy", "--all", "8+engine");
    for (const BenchCase& c :
         {RealisticCase(mib << 20), ZeroHeavyCase(mib << 20), DenseCandidatesCase(mib << 20)}) {
        std::vector<uint32_t> eight;
        for (size_t p = 0; p < c.chain.count; ++p) {
            eight.push_back(c.chain.pairs[p].from);
            eight.push_back(c.chain.pairs[p].to);
        }
        const HashCounter settings = MakeHashCounter(eight);
        std::vector<uint64_t> counts(all.hashes.size());
        uint64_t rewritten = 0;
        const double copy = Rate(c.memory, repeats, [](uint8_t*, size_t) {});
        const double dictionary = Rate(c.memory, repeats, [&](uint8_t* at, size_t size) {
            CountWindows(all, at, size, counts.data());
        });
        const double withEngine = Rate(c.memory, repeats, [&](uint8_t* at, size_t size) {
            CountWindows(settings, at, size, counts.data());
            rewritten += SubstituteRange(at, size, c.chain);
        });
        std::printf("%-18s %8.2f %8.2f %10.2f\n", c.name.c_str(), copy, dictionary, withEngine);
        if (rewritten == 0) std::printf("  (no rewrites?)\n");
    }
    std::printf("dictionary hashes: %zu, filter on bytes %zu-%zu\n", all.hashes.size(),
                all.filterOffset, all.filterOffset + 1);
    return 0;
}
