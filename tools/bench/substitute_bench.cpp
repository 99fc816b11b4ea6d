// Times the substitution engines against a plain read of the same memory, the speed limit
// of any engine, and prints GB/s and ratios from one run.
//
//   substitute_bench [--mib N] [--repeats N] [--csv FILE]
//   substitute_bench --check   exits non-zero unless AVX2 is far ahead of the byte loop
#include "bench_data.h"

#include <immintrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

struct Options {
    size_t mib = 1024;
    int repeats = 5;
    std::string csv;
    bool check = false;
};

// Sums the memory 64 bytes at a time; the result is printed so the loop cannot vanish.
__attribute__((target("avx2"))) uint64_t ReadPassAvx2(const uint8_t* begin, size_t size) {
    __m256i a = _mm256_setzero_si256();
    __m256i b = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 64 <= size; i += 64) {
        a = _mm256_add_epi64(a, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(begin + i)));
        b = _mm256_add_epi64(b,
                             _mm256_loadu_si256(reinterpret_cast<const __m256i*>(begin + i + 32)));
    }
    a = _mm256_add_epi64(a, b);
    uint64_t sum = static_cast<uint64_t>(_mm256_extract_epi64(a, 0) + _mm256_extract_epi64(a, 1) +
                                         _mm256_extract_epi64(a, 2) + _mm256_extract_epi64(a, 3));
    for (; i < size; ++i)
        sum += begin[i];
    return sum;
}

uint64_t ReadPassSse2(const uint8_t* begin, size_t size) {
    __m128i a = _mm_setzero_si128();
    __m128i b = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        a = _mm_add_epi64(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + i)));
        b = _mm_add_epi64(b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + i + 16)));
    }
    a = _mm_add_epi64(a, b);
    uint64_t lanes[2];
    std::memcpy(lanes, &a, sizeof lanes);
    uint64_t sum = lanes[0] + lanes[1];
    for (; i < size; ++i)
        sum += begin[i];
    return sum;
}

struct Method {
    const char* name;
    SubstituteFunction substitute; // null for the read pass
};

struct Timing {
    double gbps = 0;
    bool agrees = true;
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Medians over `repeats` runs, each on a fresh copy of the case's memory. Every engine's
// result is compared with the reference's, byte for byte.
std::vector<Timing> TimeCase(const BenchCase& c, const std::vector<Method>& methods, int repeats) {
    const size_t size = c.memory.size();
    std::vector<uint8_t> work(size);
    std::vector<uint8_t> expected = c.memory;
    const size_t expectedCount = SubstituteReference(expected.data(), size, c.chain);

    std::vector<std::vector<double>> gbps(methods.size());
    std::vector<Timing> timings(methods.size());
    volatile uint64_t sink = 0;
    for (int r = 0; r < repeats; ++r) {
        for (size_t m = 0; m < methods.size(); ++m) {
            std::memcpy(work.data(), c.memory.data(), size);
            const auto start = std::chrono::steady_clock::now();
            size_t count = 0;
            if (methods[m].substitute == nullptr) {
                sink = sink + (CpuHasAvx2() ? ReadPassAvx2(work.data(), size)
                                            : ReadPassSse2(work.data(), size));
            } else {
                count = methods[m].substitute(work.data(), size, c.chain);
            }
            const double seconds = Seconds(std::chrono::steady_clock::now() - start);
            gbps[m].push_back(static_cast<double>(size) / seconds / 1e9);
            if (methods[m].substitute != nullptr && (count != expectedCount || work != expected)) {
                timings[m].agrees = false;
            }
        }
    }
    for (size_t m = 0; m < methods.size(); ++m) {
        std::sort(gbps[m].begin(), gbps[m].end());
        timings[m].gbps = gbps[m][gbps[m].size() / 2];
    }
    return timings;
}

bool ParseOptions(int argc, char** argv, Options& options) {
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
            return false;
    }
    if (options.check) {
        options.mib = 32;
        options.repeats = 3;
    }
    return options.mib > 0 && options.repeats > 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: substitute_bench [--mib N] [--repeats N] [--csv FILE] | --check\n");
        return 2;
    }
    const bool avx2 = CpuHasAvx2();
    std::vector<Method> methods = {
        {"read pass", nullptr}, {"reference", SubstituteReference}, {"SSE2", SubstituteSse2}};
    if (avx2) methods.push_back({"AVX2", SubstituteAvx2});

    const size_t bytes = options.mib << 20;
    std::vector<std::function<BenchCase(size_t)>> makers = {RealisticCase};
    if (!options.check) {
        makers.push_back(ZeroHeavyCase);
        makers.push_back(DenseCandidatesCase);
    }

    std::printf("%zu MiB per case, median of %d runs, GB/s (10^9 bytes per second)\n\n",
                options.mib, options.repeats);
    std::printf("| memory | read pass | reference | SSE2 | AVX2 | SSE2/read | AVX2/read | "
                "AVX2/reference |\n|---|---|---|---|---|---|---|---|\n");
    FILE* csv = options.csv.empty() ? nullptr : std::fopen(options.csv.c_str(), "w");
    if (csv != nullptr) std::fprintf(csv, "memory,read pass,reference,SSE2,AVX2\n");

    bool ok = true;
    std::string legend;
    for (const auto& make : makers) {
        const BenchCase c = make(bytes);
        legend += "\n- " + c.name + ": " + c.description;
        const std::vector<Timing> t = TimeCase(c, methods, options.repeats);
        const double read = t[0].gbps, reference = t[1].gbps, sse2 = t[2].gbps;
        const double avx = avx2 ? t[3].gbps : 0;
        std::printf("| %s | %.1f | %.2f | %.1f | %.1f | %.2f | %.2f | %.1f |\n", c.name.c_str(),
                    read, reference, sse2, avx, sse2 / read, avx / read, avx / reference);
        if (csv != nullptr) {
            std::fprintf(csv, "%s,%.3f,%.3f,%.3f,%.3f\n", c.name.c_str(), read, reference, sse2,
                         avx);
        }
        for (size_t m = 0; m < methods.size(); ++m) {
            if (t[m].agrees) continue;
            std::printf("%s disagrees with the reference on %s memory\n", methods[m].name,
                        c.name.c_str());
            ok = false;
        }
        if (options.check && avx2 && avx < 5 * reference) {
            std::printf("AVX2 is only %.1f times the reference on realistic memory\n",
                        avx / reference);
            ok = false;
        }
        if (options.check && sse2 < 3 * reference) {
            std::printf("SSE2 is only %.1f times the reference on realistic memory\n",
                        sse2 / reference);
            ok = false;
        }
    }
    if (csv != nullptr) std::fclose(csv);
    std::printf("%s\n", legend.c_str());
    if (!avx2) std::printf("\nThis CPU has no AVX2: that column is empty.\n");
    if (!ok) std::printf("\nFAILED: an engine disagreed with the reference or fell behind\n");
    return ok ? 0 : 1;
}
