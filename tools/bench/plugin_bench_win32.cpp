// `plugin_bench.exe`: the speed a player gets. The real Ostrevane.asi runs in the stand-in
// game under Wine, over memory shaped like a game's (thousands of regions of mixed sizes);
// the player swaps and restores R times, each walk timed against a plain read of the same
// memory in the same process, run between the walks.
//
//   plugin_bench.exe [--gib N] [--repeats R] [--ostrevane PATH_TO_OSTREVANE_EXE]
#include "tools/standin_game/host.h"

#include "platform/memory_regions.h"
#include "settings/parse_settings.h"
#include "settings/swap_pairs.h"
#include "swap/engines.h"
#include "swap/swap.h"
#include "tools/bench/bench_data.h"
#include "tools/bench/cpu_name.h"
#include "tools/bench/plugin_symbols.h"

#define WIN32_LEAN_AND_MEAN
#include <immintrin.h>
#include <windows.h>
#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

// The pairs' hashes, kept in this program's image, where the walk never looks.
uint32_t benchOld[kPairCount];
uint32_t benchNew[kPairCount];

namespace {

struct Options {
    double gib = 1;
    int repeats = 9;
    std::string ostrevane; // ostrevane.exe, asked for its engine under the same Wine
};

struct GameRegion {
    uint8_t* base;
    size_t size;
};

struct GameMemory {
    std::vector<GameRegion> regions;
    std::vector<uint8_t*> planted; // where the old hashes were put, one per kPlantEvery
    size_t bytes = 0;
};

constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * kKiB;
// About as many references as a gibibyte of a game holds when the items are common.
constexpr size_t kPlantEvery = 32 * kKiB;

// A region size for a game's heap: nineteen regions in twenty are small (16 to 128 KiB), the
// rest medium (256 KiB to 2 MiB) or large (4 to 64 MiB); by bytes, about three quarters are in
// large regions, and a gibibyte comes in about 2,300 regions.
size_t RegionSize(std::mt19937_64& random) {
    const uint64_t pick = random() % 1000;
    if (pick < 12) return (4 + random() % 61) * kMiB;                        // 1.2 % of regions
    if (pick < 60) return (256 + random() % 1793) * kKiB & ~(16 * kKiB - 1); // 4.8 %
    return (16 + random() % 113) * kKiB & ~(16 * kKiB - 1);                  // 94 %
}

GameMemory MakeGameMemory(size_t bytes) {
    GameMemory memory;
    std::mt19937_64 random(7);
    while (memory.bytes < bytes) {
        const size_t size = std::min(RegionSize(random), bytes - memory.bytes);
        void* base = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (base == nullptr) {
            std::fprintf(stderr, "VirtualAlloc of %zu bytes failed: error %lu\n", size,
                         GetLastError());
            std::exit(1);
        }
        auto* region = static_cast<uint8_t*>(base);
        FillLikeHeap(region, size, random);
        memory.regions.push_back({region, size});
        memory.bytes += size;
    }
    // The game's references to the old items, at any alignment, spread evenly, each in a
    // stretch of its own so that no two overlap.
    size_t owed = 0;
    for (const GameRegion& region : memory.regions) {
        owed += region.size;
        const size_t count = owed / kPlantEvery;
        owed %= kPlantEvery;
        for (size_t k = 0; k < count; ++k) {
            const size_t stretch = region.size / count;
            uint8_t* at = region.base + k * stretch + random() % (stretch - 3);
            std::memcpy(at, &benchOld[memory.planted.size() % kPairCount], 4);
            memory.planted.push_back(at);
        }
    }
    return memory;
}

// Whether every planted reference names the items in `values` (the old or the new ones).
bool PlantedHold(const GameMemory& memory, const uint32_t* values) {
    for (size_t k = 0; k < memory.planted.size(); ++k) {
        uint32_t window;
        std::memcpy(&window, memory.planted[k], 4);
        if (window != values[k % kPairCount]) return false;
    }
    return true;
}

// The speed limit of any walk: a plain AVX2 read of the regions, in bytes per second.
__attribute__((target("avx2"))) double ReadSpeed(const std::vector<GameRegion>& regions) {
    const auto start = std::chrono::steady_clock::now();
    __m256i a = _mm256_setzero_si256();
    __m256i b = _mm256_setzero_si256();
    size_t bytes = 0;
    for (const GameRegion& region : regions) {
        for (size_t i = 0; i + 64 <= region.size; i += 64) {
            a = _mm256_add_epi64(
                a, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(region.base + i)));
            b = _mm256_add_epi64(
                b, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(region.base + i + 32)));
        }
        bytes += region.size;
    }
    volatile long long sum = _mm256_extract_epi64(_mm256_add_epi64(a, b), 0);
    (void)sum;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return double(bytes) / took.count();
}

// The chain that finds nothing to rewrite while memory holds the old hashes.
SubstitutionChain NewToOldChain() {
    SubstitutionChain chain;
    for (size_t k = 0; k < kPairCount; ++k)
        chain.pairs[chain.count++] = {benchNew[k], benchOld[k]};
    return chain;
}

// One engine of this program's own copy of the core, built as the plug-in's is, region by
// region without the walk's queries, in bytes per second. Memory holds the old hashes, so
// the chain of new to old rewrites nothing.
double EngineSpeed(SubstituteFunction engine, const std::vector<GameRegion>& regions) {
    const SubstitutionChain chain = NewToOldChain();
    const auto start = std::chrono::steady_clock::now();
    size_t bytes = 0;
    for (const GameRegion& region : regions) {
        engine(region.base, region.size, chain);
        bytes += region.size;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return double(bytes) / took.count();
}

struct WalkedMemory {
    uint64_t bytes = 0;
    size_t regions = 0; // the walk takes
    size_t queries = 0; // the walk asks the system about
    double querySeconds = 0;
};

// The memory the walk takes, found as the walk finds it, and what the queries alone cost.
WalkedMemory MeasureWalkedMemory() {
    WalkedMemory walked;
    const platform::AddressRange range = platform::ApplicationAddressRange();
    const auto start = std::chrono::steady_clock::now();
    platform::ForEachRegion(range.lowest, range.highest, platform::QueryRegion,
                            [&](const platform::Region& region) {
                                walked.queries += 1;
                                if (IsWalkedRegion(region)) {
                                    walked.bytes += region.size;
                                    walked.regions += 1;
                                }
                                return platform::RegionEnd(region);
                            });
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    walked.querySeconds = took.count();
    return walked;
}

// Presses the toggle key and runs the game until the walk is over and its message shown.
// Returns the walk's real time in seconds.
double Toggle(int key, bool apply) {
    StandInClearEvents();
    host::KeyDown(key);
    host::RunFrames(1);
    host::KeyUp(key);
    // The apply waits for its three messages first, four seconds apart on the game clock; the
    // restore's message holds the script a second, and a key pressed meanwhile goes unseen.
    host::RunFor(apply ? 12100 : 1100);
    return apply ? host::SliceSeconds("New:", 2) : host::SliceSeconds("Mod Disabled", 1);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintSpread(const char* what, const std::vector<double>& values, const char* format) {
    if (values.empty()) return;
    std::printf("%-28s median ", what);
    std::printf(format, Median(values));
    std::printf(", spread ");
    std::printf(format, *std::min_element(values.begin(), values.end()));
    std::printf(" to ");
    std::printf(format, *std::max_element(values.begin(), values.end()));
    std::printf(" (%zu walks)\n", values.size());
}

// The engine the plug-in chose and its trials, read from the plug-in's own variables; then
// what ostrevane.exe --version chooses under the same Wine, for comparison.
void ReportEngine(void* plugin, const Options& options) {
    const PluginEngineChoice choice =
        ReadPluginEngineChoice(plugin, host::ProgramFolder() / OSTREVANE_PLUGIN_FILE);
    if (!choice.found) {
        std::printf("The plug-in's choice: not readable (%s)\n", choice.why.c_str());
    } else {
        std::printf("The plug-in chose %s. Its trials, microseconds per MiB, round by round:\n",
                    choice.chosen.c_str());
        for (const PluginEngineChoice::Trials& engine : choice.engines) {
            std::vector<double> micros;
            for (uint64_t nanos : engine.nanos)
                micros.push_back(double(nanos) / 1e3);
            std::printf("  %-8s median %6.1f:", engine.name.c_str(), Median(micros));
            for (double t : micros)
                std::printf(" %.0f", t);
            std::printf("\n");
        }
    }
    if (!options.ostrevane.empty()) {
        const host::Ran ran = host::RunProgram(options.ostrevane, "--version");
        std::string line = ran.output.substr(0, ran.output.find_first_of("\r\n"));
        std::printf("ostrevane.exe --version under the same Wine: %s\n", line.c_str());
    }
}

// A walk of this program's copy, as the plug-in walks (each region queried, then taken by
// the chosen engine) but with each query timed: inside a walk the queries find the system's
// bookkeeping out of cache, so they cost more than MeasureWalkedMemory's run of them alone.
// Median of three walks. Its chain is of hashes found nowhere, for the plug-in's heap holds the
// new ones; the region of this program's own stack, which holds the chain, is left out.
void ReportQueriesInWalk(const GameMemory& memory) {
    SubstitutionChain chain;
    for (size_t k = 0; k < kPairCount; ++k)
        chain.pairs[chain.count++] = {~benchOld[k], ~benchNew[k]};
    const char* engine = ChooseEngineNow(chain);
    const uintptr_t ownStack = reinterpret_cast<uintptr_t>(&chain);
    const platform::AddressRange range = platform::ApplicationAddressRange();
    std::vector<double> walkMs, queryMs, rest, queryShare;
    size_t queries = 0;
    for (int round = 0; round < 3; ++round) {
        const double read = ReadSpeed(memory.regions);
        uint64_t queryTicks = 0;
        uint64_t bytes = 0;
        queries = 0;
        const auto start = std::chrono::steady_clock::now();
        const uint64_t startTicks = __rdtsc();
        platform::ForEachRegion(
            range.lowest, range.highest,
            [&](uintptr_t address, platform::Region& region) {
                const uint64_t before = __rdtsc();
                const bool described = platform::QueryRegion(address, region);
                queryTicks += __rdtsc() - before;
                queries += 1;
                return described;
            },
            [&](const platform::Region& region) {
                const uintptr_t end = platform::RegionEnd(region);
                if (IsWalkedRegion(region) && !(region.base <= ownStack && ownStack < end)) {
                    SubstituteRange(reinterpret_cast<uint8_t*>(region.base), region.size, chain);
                    bytes += region.size;
                }
                return end;
            });
        const uint64_t ticks = __rdtsc() - startTicks;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        const double querySeconds = took.count() * double(queryTicks) / double(ticks);
        walkMs.push_back(took.count() * 1e3);
        queryMs.push_back(querySeconds * 1e3);
        queryShare.push_back(querySeconds / took.count());
        rest.push_back(double(bytes) / (took.count() - querySeconds) / read);
    }
    std::printf(
        "\nThis program's walk, queries and engine (%s) as the plug-in's, median of 3: %.1f ms, "
        "of which its %zu queries take %.1f ms (%.2f us each, %.0f %% of the walk). "
        "Without them it would run at %.2f of the read pass.\n",
        engine, Median(walkMs), queries, Median(queryMs), Median(queryMs) * 1e3 / double(queries),
        Median(queryShare) * 100, Median(rest));
}

// The engines alone, this program's copy, against the read pass over the same regions: all
// of them, the small ones and the large ones; median of five rounds. A walk slower than its
// engine here loses the difference in the walk itself (queries, fault guard, trials).
void ReportEnginesAlone(const GameMemory& memory) {
    std::vector<GameRegion> small, large;
    for (const GameRegion& region : memory.regions) {
        if (region.size < 256 * kKiB) small.push_back(region);
        if (region.size >= 4 * kMiB) large.push_back(region);
    }
    struct Subset {
        const char* name;
        const std::vector<GameRegion>* regions;
    };
    const Subset subsets[] = {{"every region", &memory.regions},
                              {"regions under 256 KiB", &small},
                              {"regions of 4 MiB and up", &large}};
    std::vector<std::pair<const char*, SubstituteFunction>> engines;
    if (CpuHasAvx512()) engines.push_back({"AVX-512", SubstituteAvx512});
    if (CpuHasAvx2()) engines.push_back({"AVX2", SubstituteAvx2});
    engines.push_back({"SSE2", SubstituteSse2});
    std::printf("\nThe engines alone (this program's copy, built as the plug-in is), region by "
                "region, no queries; ratio to the read pass over the same regions, median of 5 "
                "(spread):\n| regions | read pass GB/s |");
    for (const auto& engine : engines)
        std::printf(" %s |", engine.first);
    std::printf("\n|---|---|");
    for (size_t e = 0; e < engines.size(); ++e)
        std::printf("---|");
    for (const Subset& subset : subsets) {
        if (subset.regions->empty()) continue;
        std::vector<double> reads;
        std::vector<std::vector<double>> ratios(engines.size());
        for (int round = 0; round < 5; ++round) {
            for (size_t e = 0; e < engines.size(); ++e) {
                const double read = ReadSpeed(*subset.regions);
                reads.push_back(read);
                ratios[e].push_back(EngineSpeed(engines[e].second, *subset.regions) / read);
            }
        }
        std::printf("\n| %s | %.1f |", subset.name, Median(reads) / 1e9);
        for (const std::vector<double>& r : ratios)
            std::printf(" %.2f (%.2f-%.2f) |", Median(r), *std::min_element(r.begin(), r.end()),
                        *std::max_element(r.begin(), r.end()));
    }
    std::printf("\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (a + 1 >= argc) return false;
        if (arg == "--gib")
            options.gib = std::strtod(argv[++a], nullptr);
        else if (arg == "--repeats")
            options.repeats = std::atoi(argv[++a]);
        else if (arg == "--ostrevane")
            options.ostrevane = argv[++a];
        else
            return false;
    }
    return options.gib > 0 && options.repeats > 0;
}

// Refuses a size the machine cannot hold without paging, which would time the disk.
bool MachineHolds(size_t bytes) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return true;
    if (double(bytes) <= 0.8 * double(status.ullAvailPhys)) return true;
    std::fprintf(stderr, "%.1f GiB is more than this machine holds free (%.1f GiB available)\n",
                 double(bytes) / double(1ull << 30), double(status.ullAvailPhys) / (1ull << 30));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(
            stderr, "usage: plugin_bench.exe [--gib N] [--repeats R] [--ostrevane PATH]\n"
                    "Runs Ostrevane.asi, from this program's folder, in a stand-in game holding N\n"
                    "GiB (1 by default) in thousands of regions, swaps and restores R times (9)\n"
                    "and times each walk against a plain read of the same memory.\n");
        return 2;
    }
    const size_t bytes = size_t(options.gib * double(1ull << 30)) & ~(16 * kKiB - 1);
    if (bytes < 16 * kKiB || !MachineHolds(bytes)) return 2;
    host::Start();
    host::EnterFreshFolder("plugin-bench-game");

    void* plugin = host::LoadPlugin();
    if (plugin == nullptr) return 1;
    host::RunFrames(1); // the script reads, here writes, its settings file
    ParsedSettings settings = ParseSettings(host::ReadBytes("Ostrevane.ini"));
    for (size_t k = 0; k < SwapPairs.size(); ++k) {
        benchOld[k] = settings.swap.*SwapPairs[k].oldSetting.resolved;
        benchNew[k] = settings.swap.*SwapPairs[k].newSetting.resolved;
    }
    const int key = settings.swap.activationKey;
    settings = {}; // its hashes would be swapped along with the game's

    const GameMemory memory = MakeGameMemory(bytes);
    std::printf("CPU: %s\n", CpuName().c_str());
    // Under Wine the Linux side shows through the Z: drive: how busy the machine is.
    const std::string load = host::ReadBytes("Z:/proc/loadavg");
    if (!load.empty()) std::printf("Load average: %s", load.c_str());
    std::printf("The game holds %.2f GiB in %zu regions of 16 KiB to 64 MiB, with %zu references "
                "to the old items.\n",
                double(memory.bytes) / double(1ull << 30), memory.regions.size(),
                memory.planted.size());

    std::vector<double> applyRatios, restoreRatios, laterRatios, freezeMs, perGibMs;
    double readBefore = ReadSpeed(memory.regions);
    bool exact = true;
    WalkedMemory walked;
    std::printf("\n| walk | ms | GB/s | read pass GB/s | ratio |\n|---|---|---|---|---|\n");
    for (int r = 0; r < 2 * options.repeats; ++r) {
        const bool apply = r % 2 == 0;
        walked = MeasureWalkedMemory();
        const double seconds = Toggle(key, apply);
        exact = exact && PlantedHold(memory, apply ? benchNew : benchOld);
        const double readAfter = ReadSpeed(memory.regions);
        const double read = (readBefore + readAfter) / 2;
        const double speed = double(walked.bytes) / seconds;
        const double ratio = speed / read;
        (apply ? applyRatios : restoreRatios).push_back(ratio);
        if (r > 0) laterRatios.push_back(ratio);
        freezeMs.push_back(seconds * 1e3);
        perGibMs.push_back(seconds * 1e3 / (double(walked.bytes) / double(1ull << 30)));
        std::printf("| %d %s%s | %.1f | %.2f | %.2f | %.2f |\n", r / 2 + 1,
                    apply ? "apply" : "restore", r == 0 ? " (with the trials)" : "", seconds * 1e3,
                    speed / 1e9, read / 1e9, ratio);
        readBefore = readAfter;
    }
    std::printf("\nThe walk takes %.2f GiB of private writable memory in %zu regions (%zu queries "
                "of the system; the queries alone take %.1f ms, %.2f us each).\n",
                double(walked.bytes) / double(1ull << 30), walked.regions, walked.queries,
                walked.querySeconds * 1e3, walked.querySeconds * 1e6 / double(walked.queries));
    std::printf("\nRatio of the walk's speed to the read pass's:\n");
    PrintSpread("apply", applyRatios, "%.2f");
    PrintSpread("restore", restoreRatios, "%.2f");
    PrintSpread("every walk but the first", laterRatios, "%.2f");
    const bool met = Median(applyRatios) >= 0.9 && Median(restoreRatios) >= 0.9;
    std::printf("Target, printed and not enforced: apply and restore at 0.9 of the read pass or "
                "more: %s\n",
                met ? "met" : "short");
    std::printf("\nThe freeze a player feels:\n");
    PrintSpread("ms per GiB walked", perGibMs, "%.1f");
    PrintSpread("ms for the whole memory", freezeMs, "%.1f");
    ReportEnginesAlone(memory);
    ReportQueriesInWalk(memory);
    std::printf("\n");
    ReportEngine(plugin, options);
    if (!exact) std::printf("\nFAILED: a planted reference was not swapped, or not restored\n");
    const bool unloaded = host::UnloadPlugin(plugin);
    if (!unloaded) std::printf("\nFAILED: the plug-in did not unload\n");
    return exact && unloaded ? 0 : 1;
}
