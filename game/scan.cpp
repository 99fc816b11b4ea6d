#include "game/scan.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kCarry = 3; // the bytes a window can reach past the end of a chunk

// One run of windows: the copy's last bytes as read, for counting, and as the engine left
// them, so the windows that cross into the next chunk see the engine's earlier stores.
struct Run {
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kCarry + kScanChunk);
    uint8_t carriedAsRead[kCarry];
    uint8_t carriedRewritten[kCarry];
    size_t carried = 0;
};

// Takes the `size` bytes read into run.buffer + kCarry.
void Take(Run& run, size_t size, const HashCounter& counter, const SubstitutionChain& chain,
          ScanResult& result) {
    uint8_t* start = run.buffer.data() + kCarry - run.carried;
    const size_t length = run.carried + size;
    const size_t keep = std::min(length, kCarry);
    std::memcpy(start, run.carriedAsRead, run.carried);
    CountWindows(counter, start, length, result.counts.data());
    std::memcpy(run.carriedAsRead, start + length - keep, keep);
    std::memcpy(start, run.carriedRewritten, run.carried);
    result.wouldRewrite += SubstituteRange(start, length, chain);
    std::memcpy(run.carriedRewritten, start + length - keep, keep);
    run.carried = keep;
    result.bytesRead += size;
}

// Reads `size` bytes at `address` into the run and takes them. False when they cannot be
// read, with result.processExited set when that is because the game has ended.
bool ReadAndTake(const platform::ProcessReader& process, uintptr_t address, size_t size, Run& run,
                 const HashCounter& counter, const SubstitutionChain& chain, ScanResult& result) {
    if (platform::ReadProcessBytes(process, address, run.buffer.data() + kCarry, size)) {
        Take(run, size, counter, chain, result);
        return true;
    }
    result.processExited = !platform::ProcessIsRunning(process);
    return false;
}

} // namespace

ScanResult ScanProcess(const platform::ProcessReader& process, const HashCounter& counter,
                       const SubstitutionChain& chain, const ScanProgressFunction& progress) {
    ScanResult result;
    result.counts.assign(counter.hashes.size(), 0);
    std::vector<platform::Region> regions;
    switch (platform::ProcessRegions(process, regions)) {
    case platform::RegionListing::kComplete:
        break;
    case platform::RegionListing::kExited:
        result.processExited = true;
        return result;
    case platform::RegionListing::kQueryFailed:
        result.listingFailed = true;
        if (!regions.empty()) result.listedUpTo = regions.back().base + regions.back().size;
        break;
    }
    std::erase_if(regions, [](const platform::Region& r) { return !IsWalkedRegion(r); });
    result.regions = regions.size();
    ScanProgress done{0, 0, 0, regions.size()};
    for (const platform::Region& region : regions)
        done.bytesTotal += region.size;

    Run run;
    for (const platform::Region& region : regions) {
        run.carried = 0;
        const uintptr_t end = region.base + region.size;
        for (uintptr_t chunk = region.base; chunk < end; chunk += kScanChunk) {
            const size_t size = std::min<uintptr_t>(kScanChunk, end - chunk);
            if (!ReadAndTake(process, chunk, size, run, counter, chain, result)) {
                if (result.processExited) return result;
                // Part of the region was freed or protected since it was listed: keep the
                // pages that still read, and let no window span the ones that do not.
                const size_t pageSize = platform::PageSize();
                for (uintptr_t page = chunk; page < chunk + size; page += pageSize) {
                    if (ReadAndTake(process, page, pageSize, run, counter, chain, result)) continue;
                    if (result.processExited) return result;
                    result.bytesSkipped += pageSize;
                    run.carried = 0;
                }
            }
            done.bytesDone += size;
            if (progress) progress(done);
        }
        ++done.regionsDone;
    }
    return result;
}
