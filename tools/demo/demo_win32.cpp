// `ostrevane_demo.exe --demo`: what a player would see, without the game. The real plug-in
// runs in the stand-in game from an empty game folder; the demonstration prints the
// subtitles on the game clock, the settings file it wrote, how many item references the
// swap rewrote in the game's memory and how long the walk took, then the restore.
#include "tools/standin_game/host.h"

#include "platform/memory_regions.h"
#include "settings/parse_settings.h"
#include "settings/swap_pairs.h"
#include "swap/engines.h"
#include "swap/swap.h"

#define WIN32_LEAN_AND_MEAN
#include <immintrin.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// The swap rewrites these values wherever they sit in heap or stack memory, so the
// demonstration keeps them in its own image, where the walk never looks; and with
// external linkage, so that the compiler re-reads them after every frame.
uint32_t demoOld[kPairCount];
uint32_t demoNew[kPairCount];

namespace {

constexpr size_t kBlockBytes = size_t(256) << 20;
constexpr size_t kReferences = 4096;
constexpr size_t kSlotBytes = kBlockBytes / kReferences;
// Places beyond the planted references where a scan may also find an item's hash: the
// dictionary's entry, the copies the plug-in keeps, one the game holds. A few, never many.
constexpr size_t kCopiesAtMost = 16;

std::string Grouped(uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

void Say(const char* text) {
    std::printf("[%8.3f s] %s\n", double(host::NowMs()) / 1000.0, text);
}

void More(const std::string& text) {
    std::printf("             %s\n", text.c_str());
}

uint64_t NextRandom(uint64_t& state) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

// Counts, over every 4-byte window, the windows holding each of `values`.
void CountWindows(const uint8_t* block, const uint32_t* values, size_t (&counts)[kPairCount]) {
    std::memset(counts, 0, sizeof counts);
    for (size_t i = 0; i + 4 <= kBlockBytes; ++i) {
        uint32_t window;
        std::memcpy(&window, block + i, 4);
        for (size_t k = 0; k < kPairCount; ++k)
            counts[k] += window == values[k] && values[k] != 0;
    }
}

size_t Sum(const size_t (&counts)[kPairCount]) {
    size_t sum = 0;
    for (size_t count : counts)
        sum += count;
    return sum;
}

// Game memory as the swap sees it: a block of noise holding `kReferences` references to
// the four old items, one in each slot, at an odd place as often as not.
std::unique_ptr<uint8_t[]> MakeGameMemory() {
    std::unique_ptr<uint8_t[]> block(new uint8_t[kBlockBytes]);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < kBlockBytes; i += 8) {
        const uint64_t noise = NextRandom(state);
        std::memcpy(block.get() + i, &noise, 8);
    }
    // Noise that happens to spell an item would be swapped too and spoil the count.
    const uint32_t* lists[2] = {demoOld, demoNew};
    for (const uint32_t* values : lists) {
        for (size_t i = 0; i + 4 <= kBlockBytes; ++i) {
            uint32_t window;
            std::memcpy(&window, block.get() + i, 4);
            for (size_t k = 0; k < kPairCount; ++k) {
                if (window == values[k]) block[i] ^= 0x55;
            }
        }
    }
    for (size_t slot = 0; slot < kReferences; ++slot) {
        const size_t item = slot % kPairCount;
        if (demoOld[item] == 0) continue;
        const size_t offset = slot * kSlotBytes + NextRandom(state) % (kSlotBytes - 8);
        std::memcpy(block.get() + offset, &demoOld[item], 4);
    }
    return block;
}

// The bytes of memory the swap walks, found as the walk finds them.
uint64_t PrivateWritableBytes() {
    const platform::AddressRange range = platform::ApplicationAddressRange();
    uint64_t total = 0;
    platform::Region region;
    for (uintptr_t address = range.lowest;
         address < range.highest && platform::QueryRegion(address, region) && region.size != 0;
         address = region.base + region.size) {
        if (IsWalkedRegion(region)) total += region.size;
    }
    return total;
}

// Real time of the script's run between two waits: the wait number `nth` (1 = the
// first) after the last subtitle starting with `text`.
// The speed limit of any walk: a plain AVX2 read of `size` bytes, in bytes per second.
__attribute__((target("avx2"))) double Avx2ReadSpeed(const uint8_t* begin, size_t size) {
    const auto start = std::chrono::steady_clock::now();
    __m256i a = _mm256_setzero_si256();
    __m256i b = _mm256_setzero_si256();
    for (size_t i = 0; i + 64 <= size; i += 64) {
        a = _mm256_add_epi64(a, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(begin + i)));
        b = _mm256_add_epi64(b,
                             _mm256_loadu_si256(reinterpret_cast<const __m256i*>(begin + i + 32)));
    }
    volatile long long sum = _mm256_extract_epi64(_mm256_add_epi64(a, b), 0);
    (void)sum;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return double(size) / took.count();
}

void ShowNewSubtitles(size_t& shown) {
    const auto subtitles = host::Subtitles();
    for (; shown < subtitles.size(); ++shown) {
        std::printf("[%8.3f s] Subtitle: \"%s\"\n", double(subtitles[shown].shownAtMs) / 1000.0,
                    subtitles[shown].text.c_str());
    }
}

// Keeps the pairs' hashes where the walk never looks.
void KeepPairs(const SwapSettingsRecord& swap) {
    for (size_t k = 0; k < SwapPairs.size(); ++k) {
        demoOld[k] = swap.*SwapPairs[k].oldSetting.resolved;
        demoNew[k] = swap.*SwapPairs[k].newSetting.resolved;
    }
}

void ExplainSettings(const ParsedSettings& settings) {
    More("It swaps, by name and hash, as the settings file says:");
    for (size_t k = 0; k < SwapPairs.size(); ++k) {
        const SwapPair& pair = SwapPairs[k];
        char line[200];
        std::snprintf(line, sizeof line, "  %-15s %s (%08X)  ->  %s (%08X)",
                      std::string(pair.name).c_str(), settings.values[pair.oldSetting.key].c_str(),
                      demoOld[k], settings.values[pair.newSetting.key].c_str(), demoNew[k]);
        More(line);
    }
    More("Toggle key: " + settings.values[kActivationKey] + ".");
}

// What one `ostrevane.exe scan` counted: each pair's old and new item, in the pairs' order,
// and the windows that turning the swap on would rewrite.
struct ScanCounts {
    size_t before[kPairCount] = {};
    size_t after[kPairCount] = {};
    size_t pairs = 0;
    size_t wouldRewrite = 0;
};

// Reads the counts off one line of the scan's report, if it holds one.
void ReadCounts(const std::string& text, ScanCounts& counts) {
    std::istringstream words(text);
    std::vector<std::string> tokens;
    for (std::string word; words >> word;)
        tokens.push_back(word);
    const char* rewrite = "Turning the swap on would rewrite ";
    if (text.starts_with(rewrite)) {
        counts.wouldRewrite = std::strtoull(text.c_str() + std::strlen(rewrite), nullptr, 10);
    } else if (tokens.size() == 5 && tokens[1] == "old" && counts.pairs < kPairCount) {
        counts.before[counts.pairs] = std::strtoull(tokens[4].c_str(), nullptr, 10);
    } else if (tokens.size() == 4 && tokens[0] == "new" && counts.pairs < kPairCount) {
        counts.after[counts.pairs++] = std::strtoull(tokens[3].c_str(), nullptr, 10);
    }
}

// Checks a scan's counts against the references planted for each item: the items in
// memory (the old ones, or the new) at each planted place and at most a few more, the
// others in at most `othersAtMost` places. Says what it found wrong; true when nothing.
bool CheckScan(const ScanCounts& counts, const size_t (&planted)[kPairCount], bool oldInMemory,
               size_t othersAtMost) {
    bool right = counts.pairs == kPairCount;
    if (!right) More("The scan reported " + std::to_string(counts.pairs) + " pairs, not 4.");
    for (size_t k = 0; k < counts.pairs; ++k) {
        const size_t present = oldInMemory ? counts.before[k] : counts.after[k];
        const size_t absent = oldInMemory ? counts.after[k] : counts.before[k];
        if (present < planted[k] || present > planted[k] + kCopiesAtMost || absent > othersAtMost) {
            More("Wrong count for the " + std::string(SwapPairs[k].name) + " pair: " +
                 std::to_string(present) + " and " + std::to_string(absent) + " places, where " +
                 std::to_string(planted[k]) + " to " + std::to_string(planted[k] + kCopiesAtMost) +
                 " and at most " + std::to_string(othersAtMost) + " were due.");
            right = false;
        }
    }
    return right;
}

// Runs `ostrevane.exe scan` on this process, the game, as a player would from another
// window while the game runs, and prints its report from the counts on. False when the
// scan could not be run or made no report.
bool ShowScan(const std::string& ostrevane, ScanCounts& counts) {
    const host::Ran ran =
        host::RunProgram(ostrevane, "scan --pid " + std::to_string(GetCurrentProcessId()) +
                                        " --settings Ostrevane.ini");
    const DWORD status = ran.status;
    std::istringstream lines(ran.output);
    bool report = false;
    for (std::string text; std::getline(lines, text);) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        report = report || text.starts_with("Scanned");
        if (report || status > 1) More("  " + text);
        if (report) ReadCounts(text, counts);
    }
    return status <= 1 && report;
}

// Loads the plug-in, lets it read (or write) its settings, and fills the game's memory
// with references to the four old items. Null when the plug-in did not load.
void* StartGame(ParsedSettings& settings, std::unique_ptr<uint8_t[]>& block) {
    void* plugin = host::LoadPlugin();
    if (!plugin) return nullptr;
    host::RunFrames(1);
    settings = ParseSettings(host::ReadBytes("Ostrevane.ini"));
    KeepPairs(settings.swap);
    block = MakeGameMemory();
    return plugin;
}

// `ostrevane_demo.exe --game`: the stand-in game on a real clock, for trying `ostrevane.exe
// scan` by hand from another window. Enter presses the toggle key; q and Enter quit.
int RunGame() {
    host::Start();
    ParsedSettings settings;
    std::unique_ptr<uint8_t[]> block;
    void* plugin = StartGame(settings, block);
    if (!plugin) return 1;
    const int key = settings.swap.activationKey;
    std::printf("The stand-in game runs as process %lu in %s, with the real plug-in and\n"
                "%s references to its four old items. From another window, with the same\n"
                "WINEPREFIX: wine %s scan --pid %lu --settings Ostrevane.ini\n"
                "Press Enter here to press %s; type q and Enter to quit.\n",
                GetCurrentProcessId(), std::filesystem::current_path().string().c_str(),
                Grouped(kReferences).c_str(), OSTREVANE_EXE, GetCurrentProcessId(),
                settings.values[kActivationKey].c_str());
    std::fflush(stdout);
    settings = {}; // its hashes would be swapped along with the game's
    std::atomic<int> presses = 0;
    std::atomic<bool> quit = false;
    std::thread input([&] {
        for (int c; (c = std::getchar()) != EOF;) {
            if (c == 'q') break;
            if (c == '\n') ++presses;
        }
        quit = true;
    });
    size_t shown = 0;
    while (!quit) {
        if (presses > 0) {
            --presses;
            host::KeyDown(key);
            host::RunFrames(1);
            host::KeyUp(key);
            Say("Key pressed.");
        }
        host::RunFrames(1);
        ShowNewSubtitles(shown);
        std::fflush(stdout);
        Sleep(host::kFrameMs);
    }
    input.join();
    return host::UnloadPlugin(plugin) ? 0 : 1;
}

int RunDemo(const std::string& ostrevane) {
    host::Start();
    std::printf("Ostrevane demonstration\n"
                "=======================\n"
                "The real plug-in, Ostrevane.asi, runs here in a stand-in game under Wine. A\n"
                "stand-in script hook runs the plug-in's script once a frame, about 60 frames a\n"
                "second, and prints what the game would put on screen, stamped with the game\n"
                "clock. That clock only counts frames, so the waits pass in a moment; the times\n"
                "given for the memory walk are real.\n\n");
    std::printf("Game folder: %s\n", std::filesystem::current_path().string().c_str());
    const bool hadSettings = std::filesystem::exists("Ostrevane.ini");
    std::printf("%s\n\n", hadSettings
                              ? "  It already holds an Ostrevane.ini: the plug-in will use it."
                              : "  It holds no Ostrevane.ini yet.");

    void* plugin = host::LoadPlugin();
    if (!plugin) return 1;
    Say("The game loads Ostrevane.asi; the plug-in registers its script with the hook.");
    host::RunFrames(1);
    Say("The script starts and reads its settings file.");
    const std::string file = host::ReadBytes("Ostrevane.ini");
    if (!hadSettings && file.empty()) More("No Ostrevane.ini was written: nothing to swap.");
    ParsedSettings settings = ParseSettings(file);
    if (!hadSettings && !file.empty()) {
        size_t lines = 0;
        for (char c : file)
            lines += c == '\n';
        More("There was none, so the plug-in wrote the default one: Ostrevane.ini, " +
             Grouped(file.size()) + " bytes,");
        More(Grouped(lines) + " lines, " + Grouped(settings.dictionary.size()) +
             " named camera items.");
    }
    KeepPairs(settings.swap);
    ExplainSettings(settings);
    const int key = settings.swap.activationKey;
    const std::string keyName = settings.values[kActivationKey];
    settings = {}; // its hashes would be swapped along with the game's

    std::unique_ptr<uint8_t[]> block = MakeGameMemory();
    size_t plantedEach[kPairCount];
    CountWindows(block.get(), demoOld, plantedEach);
    const size_t planted = Sum(plantedEach);
    More("The game's memory now holds " + Grouped(planted) + " references to the four old items,");
    More("scattered through a block of " + Grouped(kBlockBytes >> 20) + " MiB.");
    std::printf("\n");

    host::RunFor(1000);
    bool scans = true;
    if (!ostrevane.empty()) {
        Say("The player checks the game with ostrevane.exe scan before pressing the key:");
        ScanCounts counts;
        scans = ShowScan(ostrevane, counts) && CheckScan(counts, plantedEach, true, kCopiesAtMost);
        const size_t rewritesAtMost = planted + kPairCount * kCopiesAtMost;
        if (counts.wouldRewrite < planted || counts.wouldRewrite > rewritesAtMost) {
            More("The scan would rewrite " + Grouped(counts.wouldRewrite) + " windows, where " +
                 Grouped(planted) + " to " + Grouped(rewritesAtMost) + " were due.");
            scans = false;
        }
        More("(\"would swap N places\": F8 would rewrite N references to that item now.)");
        More(scans ? "Checked: each old item at its " + Grouped(plantedEach[0]) +
                         " planted places and at most " + std::to_string(kCopiesAtMost) +
                         " more, each new item in at most " + std::to_string(kCopiesAtMost) + "."
                   : "The scan's counts are wrong: see above.");
        std::printf("\n");
    }
    size_t shown = 0;
    const uint64_t pressedAt = host::NowMs() + host::kFrameMs;
    host::KeyDown(key);
    host::RunFrames(1);
    host::KeyUp(key);
    Say(("The player presses " + keyName + ".").c_str());
    ShowNewSubtitles(shown);
    host::RunUntil(pressedAt + 12000 - host::kFrameMs);
    ShowNewSubtitles(shown);
    More("(hashIndex: how many named items the settings file lists. Old and New: the");
    More("items' hashes, for the shake, the shake loop, the depth of field and the camera.");
    More("Each subtitle stays five seconds; they come four seconds apart.)");
    const double walkedBytes = double(PrivateWritableBytes());
    host::RunFrames(1);
    size_t nowNew[kPairCount], stillOld[kPairCount];
    CountWindows(block.get(), demoNew, nowNew);
    CountWindows(block.get(), demoOld, stillOld);
    const double applySeconds = host::SliceSeconds("New:", 2);
    Say(("Swap: the plug-in rewrote " + Grouped(Sum(nowNew)) + " of the " + Grouped(planted) +
         " references; " + Grouped(Sum(stillOld)) + " still name an old item.")
            .c_str());
    char line[200];
    std::snprintf(line, sizeof line,
                  "The memory walk took %.3f s of real time over %.1f MB of private", applySeconds,
                  walkedBytes / 1e6);
    More(line);
    std::snprintf(line, sizeof line, "writable memory: %.0f MB/s.",
                  walkedBytes / 1e6 / applySeconds);
    More(line);
    More("From now on the game uses the new items.");
    if (!ostrevane.empty()) {
        Say("The player scans again:");
        ScanCounts counts;
        const bool right = ShowScan(ostrevane, counts) && CheckScan(counts, plantedEach, false, 0);
        More("(\"only the new item occurs\": not one old reference is left. The swap works.)");
        More(right ? "Checked: no old item anywhere, each new item at the planted places and at "
                     "most " +
                         std::to_string(kCopiesAtMost) + " more."
                   : "The scan's counts are wrong: see above.");
        scans = right && scans;
    }
    std::printf("\n");

    host::RunFor(3000);
    host::KeyDown(key);
    host::RunFrames(1);
    host::KeyUp(key);
    Say(("The player presses " + keyName + " again.").c_str());
    size_t backToOld[kPairCount], leftNew[kPairCount];
    CountWindows(block.get(), demoOld, backToOld);
    CountWindows(block.get(), demoNew, leftNew);
    const double restoreSeconds = host::SliceSeconds("Mod Disabled", 1);
    Say(("Restore: " + Grouped(Sum(backToOld)) + " of the " + Grouped(planted) +
         " references name the old items again; " + Grouped(Sum(leftNew)) + " a new one.")
            .c_str());
    std::snprintf(line, sizeof line, "The memory walk took %.3f s of real time: %.0f MB/s.",
                  restoreSeconds, walkedBytes / 1e6 / restoreSeconds);
    More(line);
    if (CpuHasAvx2()) {
        const double readSpeed = Avx2ReadSpeed(block.get(), kBlockBytes);
        std::snprintf(line, sizeof line,
                      "A plain AVX2 read of the game's memory runs at %.0f MB/s: the walk ran at "
                      "%.2f of that.",
                      readSpeed / 1e6, walkedBytes / restoreSeconds / readSpeed);
        More(line);
    }
    ShowNewSubtitles(shown);
    if (!ostrevane.empty()) {
        Say("The player scans once more:");
        ScanCounts counts;
        const bool right = ShowScan(ostrevane, counts) && CheckScan(counts, plantedEach, true, 0);
        More("(\"would swap N places\" again, and no new item left: the restore put every one "
             "back.)");
        More(right ? "Checked: no new item anywhere, each old item at the planted places and at "
                     "most " +
                         std::to_string(kCopiesAtMost) + " more."
                   : "The scan's counts are wrong: see above.");
        scans = right && scans;
    }
    host::RunFor(5000);
    std::printf("\n");

    const bool unloaded = host::UnloadPlugin(plugin);
    const bool unregistered = !host::EventsOfKind(kStandInUnregister).empty();
    Say(unloaded && unregistered ? "The game unloads the plug-in, which unregisters its script."
                                 : "The plug-in did not unload cleanly.");
    if (unloaded && unregistered) More("Memory stays as the last press left it.");

    const bool worked = unloaded && unregistered && scans && Sum(nowNew) == planted &&
                        Sum(stillOld) == 0 && Sum(backToOld) == planted && Sum(leftNew) == 0;
    if (!worked) std::printf("\nThe demonstration did not go as it should: see above.\n");
    return worked ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && argc <= 3 && std::strcmp(argv[1], "--demo") == 0)
        return RunDemo(argc == 3 ? argv[2] : "");
    if (argc == 2 && std::strcmp(argv[1], "--game") == 0) return RunGame();
    std::fprintf(stderr,
                 "usage: ostrevane_demo.exe --demo [OSTREVANE_EXE]\n"
                 "       ostrevane_demo.exe --game\n"
                 "Runs Ostrevane.asi, from this program's folder, in a stand-in game whose\n"
                 "folder is the current folder. --demo shows what a player would see, with\n"
                 "ostrevane.exe scan before and after the swap when OSTREVANE_EXE is given;\n"
                 "--game keeps the game running for scanning it by hand.\n");
    return 2;
}
