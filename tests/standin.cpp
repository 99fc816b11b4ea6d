#include "tests/standin.h"

#include "platform/keyboard.h"
#include "platform/keyboard_layout.h"
#include "platform/process_memory.h"
#include "platform/subtitle_natives.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Thrown by scriptWait to end a script that would otherwise never return.
struct ScriptEnded {};

struct State {
    std::vector<platform::Region> regions; // sorted by base
    uintptr_t failFrom = std::numeric_limits<uintptr_t>::max();
    std::function<void(uintptr_t)> queryHook;
    bool rangeSet = false;
    platform::AddressRange range{};
    platform::AddressRange stack{};

    standin::KeyScript keyScript;
    std::vector<int> polledKeys;
    std::string untypableLetters;

    std::vector<standin::NativeCall> calls;
    std::vector<standin::Subtitle> subtitles;
    std::vector<standin::Wait> waits;
    std::vector<platform::ScriptFunction> scripts;
    std::function<void(uint64_t)> frameHook;
    uint64_t now = 0;
    uint64_t frame = 0;
    uint64_t frameLimit = std::numeric_limits<uint64_t>::max();
    std::string pendingText;
};

State& TheStandIn() {
    static State state;
    return state;
}

} // namespace

namespace standin {

void Reset() {
    TheStandIn() = State{};
}

void ClearRecords() {
    State& s = TheStandIn();
    s.calls.clear();
    s.subtitles.clear();
    s.waits.clear();
    s.polledKeys.clear();
}

void SetStack(uintptr_t lowest, uintptr_t highest) {
    TheStandIn().stack = {lowest, highest};
}

void AddRegion(void* base, size_t size, platform::RegionKind kind) {
    auto& regions = TheStandIn().regions;
    regions.push_back({reinterpret_cast<uintptr_t>(base), size, kind});
    std::sort(regions.begin(), regions.end(),
              [](const auto& a, const auto& b) { return a.base < b.base; });
}

void RemoveRegion(void* base) {
    std::erase_if(TheStandIn().regions, [base](const platform::Region& region) {
        return region.base == reinterpret_cast<uintptr_t>(base);
    });
}

void SetQueryHook(std::function<void(uintptr_t address)> hook) {
    TheStandIn().queryHook = std::move(hook);
}

void FailQueriesFrom(uintptr_t address) {
    TheStandIn().failFrom = address;
}

void SetApplicationRange(uintptr_t lowest, uintptr_t highest) {
    TheStandIn().rangeSet = true;
    TheStandIn().range = {lowest, highest};
}

void SetKeyScript(KeyScript script) {
    TheStandIn().keyScript = std::move(script);
}

const std::vector<int>& PolledKeys() {
    return TheStandIn().polledKeys;
}

void SetUntypableLetters(std::string letters) {
    TheStandIn().untypableLetters = std::move(letters);
}

const std::vector<NativeCall>& NativeCalls() {
    return TheStandIn().calls;
}

const std::vector<Subtitle>& Subtitles() {
    return TheStandIn().subtitles;
}

const std::vector<Wait>& Waits() {
    return TheStandIn().waits;
}

uint64_t NowMs() {
    return TheStandIn().now;
}

uint64_t Frame() {
    return TheStandIn().frame;
}

const std::vector<platform::ScriptFunction>& RegisteredScripts() {
    return TheStandIn().scripts;
}

void SetFrameHook(std::function<void(uint64_t frame)> hook) {
    TheStandIn().frameHook = std::move(hook);
}

void RunScript(platform::ScriptFunction script, uint64_t frames) {
    TheStandIn().frameLimit = TheStandIn().frame + frames;
    try {
        script();
    } catch (const ScriptEnded&) {
    }
    TheStandIn().frameLimit = std::numeric_limits<uint64_t>::max();
}

} // namespace standin

namespace platform {

void scriptRegister(ModuleHandle, ScriptFunction script) {
    TheStandIn().scripts.push_back(script);
}

void scriptUnregister(ModuleHandle) {
    TheStandIn().scripts.clear();
}

void scriptWait(uint32_t milliseconds) {
    State& s = TheStandIn();
    s.waits.push_back({milliseconds, s.now});
    s.now += std::max<uint64_t>(milliseconds, standin::kFrameMs);
    ++s.frame;
    if (s.frameHook) s.frameHook(s.frame);
    if (s.frame >= s.frameLimit) throw ScriptEnded{};
}

void nativeInit(uint64_t nativeHash) {
    TheStandIn().calls.push_back({nativeHash, {}, {}});
}

void nativePush64(uint64_t argument) {
    TheStandIn().calls.back().arguments.push_back(argument);
}

uint64_t* nativeCall() {
    // Only the subtitle natives mean anything to this game: it shows what they print.
    static uint64_t result = 0;
    State& s = TheStandIn();
    standin::NativeCall& call = s.calls.back();
    const bool takesText =
        call.hash == kNativeBeginTextCommandPrint || call.hash == kNativeAddTextComponentString;
    if (takesText && !call.arguments.empty()) {
        call.text = reinterpret_cast<const char*>(static_cast<uintptr_t>(call.arguments[0]));
    }
    if (call.hash == kNativeAddTextComponentString) s.pendingText = call.text;
    if (call.hash == kNativeEndTextCommandPrint && !call.arguments.empty()) {
        s.subtitles.push_back({s.pendingText, s.now, call.arguments[0]});
    }
    return &result;
}

bool KeyIsDown(int virtualKey) {
    State& s = TheStandIn();
    s.polledKeys.push_back(virtualKey);
    return s.keyScript && s.keyScript(virtualKey, s.frame);
}

std::optional<int> KeyForCharacter(char character) {
    const bool lower = character >= 'a' && character <= 'z';
    const char upper = lower ? char(character - 'a' + 'A') : character;
    int16_t answer = -1;
    if (upper >= 'A' && upper <= 'Z' &&
        TheStandIn().untypableLetters.find(upper) == std::string::npos) {
        answer = int16_t(lower ? upper : 0x100 | upper); // a capital takes the shift key
    } else if (character >= '0' && character <= '9') {
        answer = character;
    }
    return KeyInLayoutAnswer(answer);
}

AddressRange ApplicationAddressRange() {
    const State& s = TheStandIn();
    if (s.rangeSet || s.regions.empty()) return s.range;
    uintptr_t highest = 0;
    for (const auto& r : s.regions)
        highest = std::max(highest, r.base + r.size);
    return {s.regions.front().base, highest};
}

// The answer the system would give about `address`, before anything is done with it.
static bool DescribeRegion(uintptr_t address, Region& region) {
    const State& s = TheStandIn();
    if (address >= s.failFrom) return false;
    // Pages of one byte: a region found mid-way is described from the queried address on.
    uintptr_t nextBase = ApplicationAddressRange().highest;
    for (const auto& r : s.regions) {
        if (address >= r.base && address < r.base + r.size) {
            region = {address, r.base + r.size - address, r.kind};
            return true;
        }
        if (r.base > address) {
            nextBase = r.base;
            break;
        }
    }
    region = {address, nextBase > address ? nextBase - address : 1, {}};
    return true;
}

AddressRange ThreadStack() {
    return TheStandIn().stack;
}

bool QueryRegion(uintptr_t address, Region& region) {
    if (!DescribeRegion(address, region)) return false;
    if (TheStandIn().queryHook) TheStandIn().queryHook(address);
    return true;
}

ProcessOpening OpenProcessForReading(uint32_t pid, ProcessReader& reader) {
    if (pid != standin::kGamePid) return ProcessOpening::kNoSuchProcess;
    reader = {pid, 0};
    return ProcessOpening::kOpened;
}

void CloseProcessReader(ProcessReader& reader) {
    reader.handle = -1;
}

std::vector<uint32_t> FindProcesses(const std::string&) {
    return {};
}

// The stand-in game is found by its id alone: no folder holds its program.
std::vector<RunningProgram> ProgramsInFolder(const std::string&) {
    return {};
}

RegionListing ProcessRegions(const ProcessReader&, std::vector<Region>& regions) {
    // Query after query up the address space, as the system lists another process.
    regions.clear();
    const AddressRange range = ApplicationAddressRange();
    for (uintptr_t address = range.lowest; address < range.highest;
         address += regions.back().size) {
        Region region;
        if (!DescribeRegion(address, region)) return RegionListing::kQueryFailed;
        regions.push_back(region);
    }
    return RegionListing::kComplete;
}

bool ReadProcessBytes(const ProcessReader&, uintptr_t address, void* buffer, size_t size) {
    for (const Region& r : TheStandIn().regions) {
        if (address >= r.base && address + size <= r.base + r.size) {
            std::memcpy(buffer, reinterpret_cast<const void*>(address), size);
            return true;
        }
    }
    return false;
}

bool ProcessIsRunning(const ProcessReader&) {
    return true;
}

} // namespace platform
