// Times the substitution engines against a plain read of the same memory, the speed limit
// of any engine, with Google Benchmark: repetitions in random interleaving, so every
// engine sees the same noise on a shared machine. Its report is one table from that run:
// each median in GB/s with its spread (the slowest and fastest repetition), and as ratios
// to the read pass, beside the targets; the engine the plug-in chooses on this CPU is marked.
// It repeats until the engines rank apart, that is until the intervals of their medians no
// longer overlap, or until --max-repeats.
//
//   substitute_bench [--mib N] [--repeats N] [--max-repeats N] [--csv FILE]
//                    [--benchmark_... flags]
//   substitute_bench --check   exits non-zero unless every vector engine agrees with the
//                              byte loop and is far ahead of it
#include "bench_data.h"
#include "cpu_name.h"
#include "ranking.h"
#include "swap/engines.h"

#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Options {
    size_t mib = 1024;
    int repeats = 5;     // per batch; the byte loop runs one batch only
    int maxRepeats = 35; // for the engines and the read pass
    std::string csv;
    bool check = false;
};

// Sums the memory 64 bytes at a time; the sum goes to DoNotOptimize so the loop stays.
__attribute__((target("avx2"))) uint64_t ReadPass(const uint8_t* begin, size_t size) {
    __m256i a = _mm256_setzero_si256();
    __m256i b = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 64 <= size; i += 64) {
        a = _mm256_add_epi64(a, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(begin + i)));
        b = _mm256_add_epi64(b,
                             _mm256_loadu_si256(reinterpret_cast<const __m256i*>(begin + i + 32)));
    }
    uint64_t lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), _mm256_add_epi64(a, b));
    uint64_t sum = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    for (; i < size; ++i)
        sum += begin[i];
    return sum;
}

struct Method {
    const char* name;
    SubstituteFunction substitute; // null for the read pass
    double realisticTarget = 0;    // least ratio to the read pass wanted on ordinary memory
    double denseTarget = 0;        // and on dense candidates
};

// The read pass, the byte loop, then the engines narrowest first.
std::vector<Method> Methods() {
    std::vector<Method> methods = {{"read pass", nullptr},
                                   {"reference", SubstituteReference},
                                   {"SSE2", SubstituteSse2, 0.6, 0.45}};
    if (CpuHasAvx2()) methods.push_back({"AVX2", SubstituteAvx2, 0.85, 0.75});
    if (CpuHasAvx512()) methods.push_back({"AVX-512", SubstituteAvx512, 0.9, 0.75});
    return methods;
}
constexpr size_t kFirstEngine = 2;
// What the engine the plug-in chooses must reach, whichever it is.
constexpr double kChosenTarget = 0.9;
constexpr double kChosenOfBest = 0.9;

// A fingerprint of memory after a substitution, so a rewritten gibibyte is checked
// against the reference's without a second copy of it.
uint64_t Fingerprint(const uint8_t* memory, size_t size, size_t count) {
    uint64_t hash = count;
    for (size_t at = 0; at + 8 <= size; at += 8) {
        uint64_t word;
        std::memcpy(&word, memory + at, 8);
        hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    }
    return hash;
}

struct Case {
    BenchCase data;
    uint64_t expected; // the reference's fingerprint
};

// One timed pass over a fresh copy of the case's memory, checked against the reference. The
// copy starts on a page, as every region the walk is given does: a vector's data sits 16 bytes
// past one, which split every 64-byte load across two cache lines and cost the engines a few
// hundredths of the read pass that the plug-in never pays.
void TimeOnce(benchmark::State& state, const Case& c, const Method& method) {
    constexpr size_t kPage = 4096;
    const size_t size = c.data.memory.size();
    std::vector<uint8_t> storage(size + kPage);
    uint8_t* const work =
        storage.data() + (kPage - reinterpret_cast<uintptr_t>(storage.data()) % kPage) % kPage;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work, c.data.memory.data(), size);
        state.ResumeTiming();
        if (method.substitute == nullptr) {
            benchmark::DoNotOptimize(ReadPass(work, size));
            continue;
        }
        const size_t count = method.substitute(work, size, c.data.chain);
        state.PauseTiming();
        if (Fingerprint(work, size, count) != c.expected)
            state.SkipWithError("disagrees with the reference");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// Keeps every repetition's time, in seconds, by benchmark, and the repetitions that failed;
// the console shows only its context, the report below shows the rest.
class RepetitionKeeper : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, std::vector<double>> seconds;
    std::vector<std::string> failed;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string name = run.run_name.function_name;
            if (run.error_occurred) failed.push_back(name + ": " + run.error_message);
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                seconds[name].push_back(run.GetAdjustedRealTime() /
                                        benchmark::GetTimeUnitMultiplier(run.time_unit));
        }
    }
};

bool ParseOptions(int& argc, char** argv, Options& options) {
    int kept = 1;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        const bool hasValue = a + 1 < argc;
        if (arg == "--mib" && hasValue)
            options.mib = std::strtoull(argv[++a], nullptr, 10);
        else if (arg == "--repeats" && hasValue)
            options.repeats = std::atoi(argv[++a]);
        else if (arg == "--max-repeats" && hasValue)
            options.maxRepeats = std::atoi(argv[++a]);
        else if (arg == "--csv" && hasValue)
            options.csv = argv[++a];
        else if (arg == "--check")
            options.check = true;
        else
            argv[kept++] = argv[a]; // Google Benchmark's own flags
    }
    argc = kept;
    if (options.check) {
        options.mib = 32;
        options.repeats = 3;
        options.maxRepeats = 3;
    }
    options.maxRepeats = std::max(options.maxRepeats, options.repeats);
    return options.mib > 0 && options.repeats > 0;
}

// Speeds by case, then by method, from every repetition so far.
std::vector<std::vector<Summary>> Speeds(const std::vector<Case>& cases,
                                         const std::vector<Method>& methods,
                                         const RepetitionKeeper& kept) {
    std::vector<std::vector<Summary>> speeds;
    for (const Case& c : cases) {
        speeds.emplace_back();
        for (const Method& m : methods) {
            const auto found = kept.seconds.find(c.data.name + "/" + m.name);
            const Summary seconds =
                found == kept.seconds.end() ? Summary{} : Summarise(found->second);
            speeds.back().push_back(Speed(seconds, c.data.memory.size()));
        }
    }
    return speeds;
}

// Pairs of engines, next to each other in speed on some memory, whose median intervals
// overlap: the run cannot yet tell which is faster. Empty once every ranking is settled.
std::vector<std::string> Unranked(const std::vector<Case>& cases,
                                  const std::vector<Method>& methods,
                                  const std::vector<std::vector<Summary>>& speeds) {
    std::vector<std::string> unranked;
    for (size_t c = 0; c < cases.size(); ++c) {
        std::vector<size_t> order;
        for (size_t m = kFirstEngine; m < methods.size(); ++m)
            order.push_back(m);
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return speeds[c][a].median > speeds[c][b].median; });
        for (size_t k = 0; k + 1 < order.size(); ++k) {
            if (!RankApart(speeds[c][order[k]], speeds[c][order[k + 1]]))
                unranked.push_back(std::string(methods[order[k]].name) + " and " +
                                   methods[order[k + 1]].name + " on " + cases[c].data.name);
        }
    }
    return unranked;
}

// The figures the chart draws: one row per case, one column per method.
void WriteCsv(const std::string& path, const std::vector<Case>& cases,
              const std::vector<Method>& methods, const std::vector<std::vector<Summary>>& speeds) {
    FILE* csv = std::fopen(path.c_str(), "w");
    if (csv == nullptr) return;
    std::fprintf(csv, "memory");
    for (const Method& m : methods)
        std::fprintf(csv, ",%s", m.name);
    for (size_t c = 0; c < cases.size(); ++c) {
        std::fprintf(csv, "\n%s", cases[c].data.name.c_str());
        for (const Summary& speed : speeds[c])
            std::fprintf(csv, ",%.3f", speed.median);
    }
    std::fprintf(csv, "\n");
    std::fclose(csv);
}

void PrintSpeed(const Summary& s) {
    std::printf(s.median < 1 ? " %.2f (%.2f-%.2f) |" : " %.1f (%.1f-%.1f) |", s.median, s.least,
                s.most);
}

// Prints the table of medians, spreads and ratios, and the targets; in check mode, whether
// the engines are far enough ahead of the byte loop. Returns false when a check fails.
bool Report(const std::vector<Case>& cases, const std::vector<Method>& methods,
            const std::vector<std::vector<Summary>>& speeds, const Options& options,
            const std::vector<std::string>& unranked) {
    const std::string chosen = SubstituteEngineName();
    std::printf("\nCPU: %s; the plug-in chooses %s here (marked *)\n", CpuName().c_str(),
                chosen.c_str());
    std::printf("%zu MiB per case, GB/s (10^9 bytes per second): median of %zu repetitions "
                "(the byte loop's of %d), with the slowest and fastest in brackets\n\n| memory |",
                options.mib, speeds[0][0].count, options.repeats);
    const auto marked = [&](const Method& m) {
        return std::string(m.name) + (m.name == chosen ? " *" : "");
    };
    for (const Method& m : methods)
        std::printf(" %s |", marked(m).c_str());
    for (size_t m = kFirstEngine; m < methods.size(); ++m)
        std::printf(" %s/read |", methods[m].name);
    std::printf(" chosen/best |\n|---|");
    for (size_t m = 1; m < 2 * methods.size(); ++m)
        std::printf("---|");

    bool ok = true;
    std::string targets = "\nTargets, as ratios to the read pass (printed, not enforced):";
    for (size_t c = 0; c < cases.size(); ++c) {
        const std::vector<Summary>& speed = speeds[c];
        const std::string& name = cases[c].data.name;
        std::printf("\n| %s |", name.c_str());
        for (const Summary& g : speed)
            PrintSpeed(g);
        double best = 0, chosenSpeed = 0;
        for (size_t m = kFirstEngine; m < methods.size(); ++m) {
            const double ratio = speed[m].median / speed[0].median;
            best = std::max(best, speed[m].median);
            if (methods[m].name == chosen) chosenSpeed = speed[m].median;
            const double target =
                name == "dense candidates" ? methods[m].denseTarget : methods[m].realisticTarget;
            std::printf(" %.2f |", ratio);
            char line[160];
            std::snprintf(line, sizeof line, "\n- %s on %s: %.2f, target %.2f%s", methods[m].name,
                          name.c_str(), ratio, target, ratio >= target ? "" : " (short)");
            targets += line;
            if (options.check && speed[m].median < (m == 2 ? 3 : 5) * speed[1].median) {
                std::printf("\n%s is only %.1f times the reference", methods[m].name,
                            speed[m].median / speed[1].median);
                ok = false;
            }
        }
        std::printf(" %.2f |", chosenSpeed / best);
        const double chosenRatio = chosenSpeed / speed[0].median;
        char line[200];
        std::snprintf(line, sizeof line,
                      "\n- the chosen engine, %s, on %s: %.2f of the read pass "
                      "(target %.2f%s) and %.2f of the best engine (target %.2f%s)",
                      chosen.c_str(), name.c_str(), chosenRatio, kChosenTarget,
                      chosenRatio >= kChosenTarget ? "" : ", short", chosenSpeed / best,
                      kChosenOfBest, chosenSpeed >= kChosenOfBest * best ? "" : ", short");
        targets += line;
    }
    std::printf("\n");
    if (unranked.empty())
        std::printf("\nEvery engine ranks apart from the next on every memory: the intervals of "
                    "their medians do not overlap.\n");
    for (const std::string& pair : unranked)
        std::printf("\nNot told apart in %zu repetitions: %s (their medians' intervals overlap).",
                    speeds[0][0].count, pair.c_str());
    std::printf("\n%s\n", targets.c_str());
    for (const Case& c : cases)
        std::printf("\n- %s: %s", c.data.name.c_str(), c.data.description.c_str());
    std::printf("\n\nThe plug-in's choice: %s. Its trials, median of %u per engine, microseconds "
                "per MiB:",
                chosen.c_str(), kEngineTrials);
    for (EngineTrialRecord record : EngineTrials()) {
        std::nth_element(record.nanos.begin(), record.nanos.begin() + kEngineTrials / 2,
                         record.nanos.end());
        std::printf(" %s %.1f;", record.name, double(record.nanos[kEngineTrials / 2]) / 1e3);
    }
    std::printf("\n");
    if (!CpuHasAvx512()) std::printf("\nThis CPU, or its system, has no AVX-512: no column.\n");
    if (!CpuHasAvx2()) std::printf("\nThis CPU has no AVX2: no column.\n");
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: substitute_bench [--mib N] [--repeats N] [--max-repeats N] "
                             "[--csv FILE] [--benchmark_... flags] | --check\n");
        return 2;
    }
    // Interleaving is what makes the ratios of one run comparable; a flag given on the
    // command line, which comes later, still wins.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

    const size_t bytes = options.mib << 20;
    std::vector<BenchCase (*)(size_t)> makers = {RealisticCase};
    if (!options.check) {
        makers.push_back(ZeroHeavyCase);
        makers.push_back(DenseCandidatesCase);
    }
    std::vector<Case> cases;
    for (auto make : makers) {
        BenchCase data = make(bytes);
        std::vector<uint8_t> expected = data.memory;
        const size_t rewritten = SubstituteReference(expected.data(), bytes, data.chain);
        cases.push_back({std::move(data), Fingerprint(expected.data(), bytes, rewritten)});
    }
    // The choice the walk would make on these pairs, by the walk's own trials.
    ChooseEngineNow(cases.front().data.chain);
    const std::vector<Method> methods = Methods();
    for (const Case& c : cases) {
        for (const Method& m : methods) {
            benchmark::RegisterBenchmark((c.data.name + "/" + m.name).c_str(),
                                         [&c, &m](benchmark::State& s) { TimeOnce(s, c, m); })
                ->Iterations(1)
                ->Repetitions(options.repeats)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    RepetitionKeeper kept;
    benchmark::RunSpecifiedBenchmarks(&kept);
    std::vector<std::vector<Summary>> speeds = Speeds(cases, methods, kept);
    std::vector<std::string> unranked = Unranked(cases, methods, speeds);
    // More batches of the read pass and the engines, the byte loop left out, until the
    // engines rank apart; each batch interleaved as the first was.
    for (int done = options.repeats; !unranked.empty() && done < options.maxRepeats;
         done += options.repeats) {
        std::printf("%d repetitions: %zu pairs of engines not yet told apart; %d more\n", done,
                    unranked.size(), options.repeats);
        std::fflush(stdout);
        benchmark::RunSpecifiedBenchmarks(&kept, "-/reference$");
        speeds = Speeds(cases, methods, kept);
        unranked = Unranked(cases, methods, speeds);
    }
    benchmark::Shutdown();
    if (!options.csv.empty()) WriteCsv(options.csv, cases, methods, speeds);
    bool ok = Report(cases, methods, speeds, options, unranked);
    for (const std::string& failure : kept.failed) {
        std::printf("FAILED: %s\n", failure.c_str());
        ok = false;
    }
    if (!ok) std::printf("\nFAILED: an engine disagreed with the reference or fell behind\n");
    return ok ? 0 : 1;
}
