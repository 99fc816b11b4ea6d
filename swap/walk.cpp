#include "platform/call_frame.h"
#include "platform/fault_recovery.h"
#include "platform/memory_regions.h"
#include "swap/engines.h"
#include "swap/swap.h"

#include <algorithm>

namespace {

struct Span {
    uintptr_t begin;
    uintptr_t end;
    const SubstitutionChain* chain;
};

void SubstituteSpan(void* context) {
    const Span& span = *static_cast<const Span*>(context);
    SubstituteRange(reinterpret_cast<uint8_t*>(span.begin), span.end - span.begin, *span.chain);
}

// [begin, end) was committed read-write when queried, not necessarily now. Returns where the
// walk goes on: `end`, or the page after the lowest page that faulted.
uintptr_t SubstituteInRegion(uintptr_t begin, uintptr_t end, const SubstitutionChain& chain,
                             WalkResult& result) {
    const size_t countBefore = StoresSoFar.count;
    uintptr_t next = end;
    Span span{begin, end, &chain};
    for (;;) {
        StoresSoFar.end = reinterpret_cast<uint8_t*>(span.begin);
        uintptr_t fault = 0;
        if (platform::RunGuarded(SubstituteSpan, &span, span.begin, span.end, fault)) break;
        result.faultsRecovered += 1;
        // The faulting page is skipped, with the windows that reach into it. Those before it
        // are finished from just past the last store: the windows between there and the
        // fault were read without a match, and read the same again.
        const uintptr_t page = fault & ~(uintptr_t(platform::PageSize()) - 1);
        next = page + platform::PageSize();
        span.begin = std::max(span.begin, reinterpret_cast<uintptr_t>(StoresSoFar.end));
        span.end = page;
        if (span.end < span.begin + 4) break;
    }
    result.windowsRewritten += StoresSoFar.count - countBefore;
    return next;
}

// Zeroes the caller-saved vector registers: the engines leave their needles there, and the
// next fiber switch, exception or system call would store them in the game's memory.
__attribute__((noinline)) void ClearVectorRegisters() {
    if (CpuHasAvx2()) {
        asm volatile("vzeroall" ::
                         : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8",
                           "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
    } else {
        asm volatile("pxor %%xmm0, %%xmm0\n\tpxor %%xmm1, %%xmm1\n\tpxor %%xmm2, %%xmm2\n\t"
                     "pxor %%xmm3, %%xmm3\n\tpxor %%xmm4, %%xmm4\n\tpxor %%xmm5, %%xmm5\n\t"
                     "pxor %%xmm6, %%xmm6\n\tpxor %%xmm7, %%xmm7\n\tpxor %%xmm8, %%xmm8\n\t"
                     "pxor %%xmm9, %%xmm9\n\tpxor %%xmm10, %%xmm10\n\tpxor %%xmm11, %%xmm11\n\t"
                     "pxor %%xmm12, %%xmm12\n\tpxor %%xmm13, %%xmm13\n\t"
                     "pxor %%xmm14, %%xmm14\n\tpxor %%xmm15, %%xmm15" ::
                         : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8",
                           "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
    }
    // The AVX-512 engine's upper sixteen; this code never uses them, so no clobber is due.
    if (CpuHasAvx512()) {
        asm volatile("vpxord %zmm16, %zmm16, %zmm16\n\tvmovdqa64 %zmm16, %zmm17\n\t"
                     "vmovdqa64 %zmm16, %zmm18\n\tvmovdqa64 %zmm16, %zmm19\n\t"
                     "vmovdqa64 %zmm16, %zmm20\n\tvmovdqa64 %zmm16, %zmm21\n\t"
                     "vmovdqa64 %zmm16, %zmm22\n\tvmovdqa64 %zmm16, %zmm23\n\t"
                     "vmovdqa64 %zmm16, %zmm24\n\tvmovdqa64 %zmm16, %zmm25\n\t"
                     "vmovdqa64 %zmm16, %zmm26\n\tvmovdqa64 %zmm16, %zmm27\n\t"
                     "vmovdqa64 %zmm16, %zmm28\n\tvmovdqa64 %zmm16, %zmm29\n\t"
                     "vmovdqa64 %zmm16, %zmm30\n\tvmovdqa64 %zmm16, %zmm31");
    }
}

// The walk proper. Never inlined, so that its frame, and every frame below it, belongs to
// the walk alone; `skippedEnd` is where that part of the stack ends.
__attribute__((noinline)) WalkResult WalkBelowCaller(const SubstitutionChain& chain,
                                                     uintptr_t& skippedEnd) {
    // The stack is private read-write memory too. From the walk's frames down it holds the walk's
    // own state (the pairs' copy, compiler spills), which substituting would rewrite mid-walk, so
    // it is skipped. It ends at the caller's stack pointer at the call (on Win64 the frame pointer
    // may point mid-frame); the callers' frames above are walked like any other memory.
    const uintptr_t ownFramesEnd =
        reinterpret_cast<uintptr_t>(__builtin_dwarf_cfa()) + platform::kCalleeHomeSpace;
    skippedEnd = ownFramesEnd;
    const SubstitutionChain pairs = chain; // the caller's copy may be rewritten under us
    const uintptr_t ownFrame = reinterpret_cast<uintptr_t>(&pairs);

    WalkResult result;
    if (!platform::BeginFaultRecovery()) return result;
    const auto walkRegion = [&](const platform::Region& region) {
        const uintptr_t end = platform::RegionEnd(region);
        if (!IsWalkedRegion(region)) return end;
        uintptr_t begin = region.base;
        if (begin <= ownFrame && ownFrame < end) begin = std::clamp(ownFramesEnd, begin, end);
        result.regionsScanned += 1;
        result.bytesScanned += end - begin;
        return std::min(end, SubstituteInRegion(begin, end, pairs, result));
    };
    const platform::AddressRange range = platform::ApplicationAddressRange();
    platform::ForEachRegion(range.lowest, range.highest, platform::QueryRegion, walkRegion);
    platform::EndFaultRecovery();
    return result;
}

// Zeroes every nonzero 8-byte word of [begin, end), both 8-aligned, leaving unwritten pages
// unwritten; no stack frame of its own, for the words may lie just below the stack pointer.
inline __attribute__((always_inline)) void ZeroWords(uintptr_t begin, uintptr_t end) {
    if (begin >= end) return;
    asm volatile("1:\n\t"
                 "cmpq $0, (%0)\n\t"
                 "je 2f\n\t"
                 "movq $0, (%0)\n"
                 "2:\n\t"
                 "addq $8, %0\n\t"
                 "cmpq %1, %0\n\t"
                 "jb 1b"
                 : "+r"(begin)
                 : "r"(end)
                 : "memory", "cc");
}

} // namespace

// Never inlined: the stack below its own stack pointer is dead once the walk returns.
__attribute__((noinline)) WalkResult WalkPrivateWritableMemory(const SubstitutionChain& chain) {
    uintptr_t skippedEnd = 0;
    const WalkResult result = WalkBelowCaller(chain, skippedEnd);
    // The skipped stack still holds copies of the old hashes (the walk's pairs, the engines'
    // needles, leftovers of the settings load and message formatting): clear its committed
    // read-write pages up to the callers' frames, from this body, whose frame lies above them.
    ClearVectorRegisters();
    const platform::AddressRange stack = platform::ThreadStack();
    if (stack.lowest < skippedEnd && skippedEnd <= stack.highest) {
        // A loop of this body's own, not ForEachRegion: a helper's frame would lie in the
        // stack it clears.
        for (uintptr_t address = (stack.lowest + 7) & ~uintptr_t(7); address < skippedEnd;) {
            platform::Region region;
            if (!platform::QueryRegion(address, region) || region.size == 0) break;
            const uintptr_t next = platform::RegionEnd(region);
            if (IsWalkedRegion(region))
                ZeroWords(address, std::min(next, skippedEnd) & ~uintptr_t(7));
            address = std::max(next, address + 8);
        }
    }
    return result;
}
