// The stand-in game for the native scan tests: plants scan_target.h's hashes, says "ready"
// on stdout, then waits. A "u" on stdin unmaps the dense region's last two chunks, as a game
// frees memory mid-scan, and answers "k"; end of stdin ends it. Given a file, it maps that
// file too, as Wine's loader maps its libraries.
#include "tests/scan_target.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPage = 4096;
constexpr size_t kSmall = 64 * 1024;

// A mapping of its own, between inaccessible pages, so none merges with its neighbours.
uint8_t* Mapping(size_t size, int flags, int fd = -1) {
    auto* around = static_cast<uint8_t*>(
        mmap(nullptr, size + 2 * kPage, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    auto* at = static_cast<uint8_t*>(
        mmap(around + kPage, size, PROT_READ | PROT_WRITE, MAP_FIXED | flags, fd, 0));
    if (around == MAP_FAILED || at == MAP_FAILED) std::abort();
    return at;
}

void PlantLone(uint8_t* at) {
    std::memcpy(at + scan_target::kLoneOffset, scan_target::kLoneHash, 4);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        FILE* library = std::fopen(argv[1], "rb");
        if (!library ||
            mmap(nullptr, kPage, PROT_READ, MAP_PRIVATE, fileno(library), 0) == MAP_FAILED)
            return 1;
    }
    uint8_t* dense = Mapping(scan_target::kDenseSize, MAP_PRIVATE | MAP_ANONYMOUS);
    scan_target::FillDense(dense);
    PlantLone(Mapping(kSmall, MAP_PRIVATE | MAP_ANONYMOUS));

    uint8_t* readOnly = Mapping(kSmall, MAP_PRIVATE | MAP_ANONYMOUS);
    PlantLone(readOnly);
    mprotect(readOnly, kSmall, PROT_READ);
    PlantLone(Mapping(kSmall, MAP_SHARED | MAP_ANONYMOUS));
    // A written page of a private file mapping: the process's own copy, yet file memory,
    // as a program's written data pages are image memory on Windows.
    FILE* file = std::tmpfile();
    if (!file || ftruncate(fileno(file), kSmall) != 0) return 1;
    PlantLone(Mapping(kSmall, MAP_PRIVATE, fileno(file)));

    std::puts("ready");
    std::fflush(stdout);
    char command;
    while (read(0, &command, 1) == 1) {
        if (command == 'u') {
            munmap(dense + (1 << 20), 2 << 20);
            if (write(1, "k", 1) != 1) return 1;
        }
    }
    return 0;
}
