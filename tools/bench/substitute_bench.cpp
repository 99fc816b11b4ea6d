// Times the substitution engines against a plain read of the same memory, the speed limit
// of any engine, with Google Benchmark: repetitions in random interleaving, so every
// engine sees the same noise on a shared machine; medians; JSON with
// --benchmark_out=FILE.json. Its report is the table of medians from that one run, in GB/s
// and as ratios to the read pass, beside the targets, with the engine the plug-in chooses on
// this CPU as a column of its own.
//
//   substitute_bench [--mib N] [--repeats N] [--csv FILE] [--benchmark_... flags]
//   substitute_bench --check   exits non-zero unless every vector engine agrees with the
//                              byte loop and is far ahead of it
#include "bench_data.h"
#include "swap/engines.h"

#include <benchmark/benchmark.h>
#include <cpuid.h>
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
    int repeats = 5;
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

std::vector<Method> Methods() {
    std::vector<Method> methods = {{"read pass", nullptr},
                                   {"reference", SubstituteReference},
                                   {"SSE2", SubstituteSse2, 0.6, 0.45}};
    if (CpuHasAvx2()) methods.push_back({"AVX2", SubstituteAvx2, 0.85, 0.75});
    if (CpuHasAvx512()) methods.push_back({"AVX-512", SubstituteAvx512, 0.9, 0.75});
    // What the plug-in runs here, by its own choice and through its own entry point.
    methods.push_back({"chosen", SubstituteRange, 0.9, 0.85});
    return methods;
}

// A fingerprint of memory after a substitution, so a rewritten gibibyte is checked
// against the reference's without a second copy of it.
uint64_t Fingerprint(const std::vector<uint8_t>& memory, size_t count) {
    uint64_t hash = count;
    for (size_t at = 0; at + 8 <= memory.size(); at += 8) {
        uint64_t word;
        std::memcpy(&word, memory.data() + at, 8);
        hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    }
    return hash;
}

struct Case {
    BenchCase data;
    uint64_t expected; // the reference's fingerprint
};

// One timed pass over a fresh copy of the case's memory, checked against the reference.
void TimeOnce(benchmark::State& state, const Case& c, const Method& method) {
    std::vector<uint8_t> work(c.data.memory.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.data(), c.data.memory.data(), work.size());
        state.ResumeTiming();
        if (method.substitute == nullptr) {
            benchmark::DoNotOptimize(ReadPass(work.data(), work.size()));
            continue;
        }
        const size_t count = method.substitute(work.data(), work.size(), c.data.chain);
        state.PauseTiming();
        if (Fingerprint(work, count) != c.expected)
            state.SkipWithError("disagrees with the reference");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * work.size()));
}

// Keeps each benchmark's median time, in seconds, and whether any repetition failed.
class MedianKeeper : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> seconds;
    std::vector<std::string> failed;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string name = run.run_name.function_name;
            if (run.error_occurred) failed.push_back(name + ": " + run.error_message);
            // A single repetition has no aggregates: its one time is the median.
            if (run.aggregate_name == "median" ||
                (run.repetitions <= 1 && run.run_type == Run::RT_Iteration)) {
                seconds[name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
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
    }
    return options.mib > 0 && options.repeats > 0;
}

// GB/s by case, then by method, from the medians.
std::vector<std::vector<double>> Speeds(const std::vector<Case>& cases,
                                        const std::vector<Method>& methods,
                                        const MedianKeeper& medians) {
    std::vector<std::vector<double>> gbps;
    for (const Case& c : cases) {
        gbps.emplace_back();
        for (const Method& m : methods) {
            const auto found = medians.seconds.find(c.data.name + "/" + m.name);
            const double seconds = found == medians.seconds.end() ? 0 : found->second;
            gbps.back().push_back(seconds > 0 ? double(c.data.memory.size()) / seconds / 1e9 : 0);
        }
    }
    return gbps;
}

// The figures the chart draws: one row per case, one column per method.
void WriteCsv(const std::string& path, const std::vector<Case>& cases,
              const std::vector<Method>& methods, const std::vector<std::vector<double>>& gbps) {
    FILE* csv = std::fopen(path.c_str(), "w");
    if (csv == nullptr) return;
    std::fprintf(csv, "memory");
    for (const Method& m : methods)
        std::fprintf(csv, ",%s", m.name);
    for (size_t c = 0; c < cases.size(); ++c) {
        std::fprintf(csv, "\n%s", cases[c].data.name.c_str());
        for (double g : gbps[c])
            std::fprintf(csv, ",%.3f", g);
    }
    std::fprintf(csv, "\n");
    std::fclose(csv);
}

// The CPU's brand string, as CPUID gives it ("AMD EPYC", "Intel(R) Xeon(R) ...").
std::string CpuModel() {
    unsigned words[12] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
        if (!__get_cpuid(0x80000002 + leaf, &words[4 * leaf], &words[4 * leaf + 1],
                         &words[4 * leaf + 2], &words[4 * leaf + 3]))
            return "unknown CPU";
    }
    std::string model(reinterpret_cast<const char*>(words), sizeof words);
    model = model.substr(0, model.find('\0'));
    const size_t first = model.find_first_not_of(' ');
    return first == std::string::npos ? "unknown CPU" : model.substr(first);
}

// Prints the table of medians and ratios and the targets; in check mode, whether the
// engines are far enough ahead of the byte loop. Returns false when a check fails.
bool Report(const std::vector<Case>& cases, const std::vector<Method>& methods,
            const std::vector<std::vector<double>>& gbps, const Options& options) {
    std::printf("\nCPU: %s; the plug-in chooses %s here\n", CpuModel().c_str(),
                SubstituteEngineName());
    std::printf("%zu MiB per case, median of %d runs, GB/s (10^9 bytes per second)\n\n| memory |",
                options.mib, options.repeats);
    for (const Method& m : methods)
        std::printf(" %s |", m.name);
    for (size_t m = 2; m < methods.size(); ++m)
        std::printf(" %s/read |", methods[m].name);
    std::printf("\n|---|");
    for (size_t m = 2; m < 2 * methods.size(); ++m)
        std::printf("---|");

    bool ok = true;
    std::string targets = "\nTargets, as ratios to the read pass (printed, not enforced):";
    for (size_t c = 0; c < cases.size(); ++c) {
        const std::vector<double>& speed = gbps[c];
        const std::string& name = cases[c].data.name;
        std::printf("\n| %s |", name.c_str());
        for (double g : speed)
            std::printf(g < 1 ? " %.2f |" : " %.1f |", g);
        for (size_t m = 2; m < methods.size(); ++m) {
            const double ratio = speed[m] / speed[0];
            const double target =
                name == "dense candidates" ? methods[m].denseTarget : methods[m].realisticTarget;
            std::printf(" %.2f |", ratio);
            char line[160];
            std::snprintf(line, sizeof line, "\n- %s on %s: %.2f, target %.2f%s", methods[m].name,
                          name.c_str(), ratio, target, ratio >= target ? "" : " (short)");
            targets += line;
            if (options.check && speed[m] < (m == 2 ? 3 : 5) * speed[1]) {
                std::printf("\n%s is only %.1f times the reference", methods[m].name,
                            speed[m] / speed[1]);
                ok = false;
            }
        }
    }
    std::printf("\n%s\n", targets.c_str());
    for (const Case& c : cases)
        std::printf("\n- %s: %s", c.data.name.c_str(), c.data.description.c_str());
    std::printf("\n\nThe plug-in's choice: %s. Its trials, median of %u per engine, microseconds "
                "per MiB:",
                SubstituteEngineName(), kEngineTrials);
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
        std::fprintf(stderr, "usage: substitute_bench [--mib N] [--repeats N] [--csv FILE] "
                             "[--benchmark_... flags] | --check\n");
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
        cases.push_back({std::move(data), Fingerprint(expected, rewritten)});
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
                ->Unit(benchmark::kMillisecond)
                ->DisplayAggregatesOnly(true);
        }
    }
    MedianKeeper medians;
    benchmark::RunSpecifiedBenchmarks(&medians);
    benchmark::Shutdown();
    const std::vector<std::vector<double>> gbps = Speeds(cases, methods, medians);
    if (!options.csv.empty()) WriteCsv(options.csv, cases, methods, gbps);
    bool ok = Report(cases, methods, gbps, options);
    for (const std::string& failure : medians.failed) {
        std::printf("FAILED: %s\n", failure.c_str());
        ok = false;
    }
    if (!ok) std::printf("\nFAILED: an engine disagreed with the reference or fell behind\n");
    return ok ? 0 : 1;
}
