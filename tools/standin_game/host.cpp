#include "tools/standin_game/host.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace host {

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "crash: exception %08lX at %p\n", info->ExceptionRecord->ExceptionCode,
                 info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void SendKey(int virtualKey, bool up) {
    Start();
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = WORD(virtualKey);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (SendInput(1, &input, sizeof input) != 1) {
        std::fprintf(stderr, "SendInput failed: error %lu\n", GetLastError());
    }
}

std::filesystem::path startFolder;

} // namespace

void Start() {
    static bool started = false;
    if (started) return;
    started = true;
    startFolder = std::filesystem::current_path();
    // A crashing plug-in must fail its test at once; an error dialog would hang it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);
    // The key state is shared by every program on a desktop, and outlives them: on the
    // default desktop, one test's F8 would toggle another test's plug-in, and a key left
    // down would toggle the next one's. A desktop of our own keeps the keyboard ours.
    const std::wstring name = L"ostrevane-" + std::to_wstring(GetCurrentProcessId());
    HDESK desktop = CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desktop || !SetThreadDesktop(desktop)) {
        std::fprintf(stderr, "no desktop of our own (error %lu): keys are shared\n",
                     GetLastError());
    }
}

void* LoadPlugin() {
    Start();
    const std::filesystem::path path = ProgramFolder() / OSTREVANE_PLUGIN_FILE;
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) {
        std::fprintf(stderr, "LoadLibrary(%s) failed: error %lu\n", path.string().c_str(),
                     GetLastError());
    }
    return module;
}

bool UnloadPlugin(void* module) {
    if (!FreeLibrary(static_cast<HMODULE>(module))) return false;
    // Still mapped means someone else holds it: the plug-in has not unloaded.
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(module, &info, sizeof info) != 0 && info.State == MEM_FREE;
}

void* PatchImport(void* module, const char* function, void* replacement) {
    auto* base = static_cast<uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; dll->Name != 0; ++dll) {
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            void* original = reinterpret_cast<void*>(slot->u1.Function);
            DWORD protect;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protect);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protect, &protect);
            return original;
        }
    }
    return nullptr;
}

void RunFrames(int count) {
    Start();
    for (int i = 0; i < count; ++i)
        StandInRunFrame(kFrameMs);
}

void RunFor(uint64_t milliseconds) {
    RunUntil(StandInNowMs() + milliseconds);
}

void RunUntil(uint64_t milliseconds) {
    Start();
    while (StandInNowMs() < milliseconds)
        StandInRunFrame(kFrameMs);
}

uint64_t NowMs() {
    return StandInNowMs();
}

void KeyDown(int virtualKey) {
    SendKey(virtualKey, false);
}

void KeyUp(int virtualKey) {
    SendKey(virtualKey, true);
}

void Tap(int virtualKey) {
    KeyDown(virtualKey);
    RunFrames(1);
    KeyUp(virtualKey);
    RunFrames(1);
}

std::vector<StandInEvent> Events() {
    std::vector<StandInEvent> events(StandInEventCount());
    for (size_t i = 0; i < events.size(); ++i)
        StandInGetEvent(i, &events[i]);
    return events;
}

double SliceSeconds(const char* text, int nth) {
    const auto events = Events();
    size_t i = events.size();
    while (i > 0 && !(events[i - 1].kind == kStandInSubtitle &&
                      std::strncmp(events[i - 1].text, text, std::strlen(text)) == 0)) {
        --i;
    }
    for (; i < events.size(); ++i) {
        if (events[i].kind == kStandInWait && --nth == 0)
            return double(events[i].sliceMicros) / 1e6;
    }
    return 0;
}

std::vector<StandInEvent> EventsOfKind(StandInEventKind kind) {
    std::vector<StandInEvent> found;
    for (const StandInEvent& event : Events()) {
        if (event.kind == kind) found.push_back(event);
    }
    return found;
}

std::vector<Subtitle> Subtitles() {
    std::vector<Subtitle> subtitles;
    for (const StandInEvent& event : EventsOfKind(kStandInSubtitle)) {
        subtitles.push_back({event.virtualMs, event.text, event.durationMs});
    }
    return subtitles;
}

std::filesystem::path EnterFreshFolder(const std::string& name) {
    Start();
    const std::filesystem::path folder = startFolder / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    return folder;
}

std::filesystem::path ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::wstring(path, length)).parent_path();
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

Ran RunProgram(std::string program, const std::string& arguments) {
    if (!program.empty() && program[0] == '/') program = "Z:" + program;
    std::replace(program.begin(), program.end(), '/', '\\');
    std::string line = "\"" + program + "\" " + arguments;
    const char* const kOutput = "program-output.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(kOutput, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out;
    PROCESS_INFORMATION process{};
    DWORD status = 0xDEAD;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    Ran ran{status, ReadBytes(kOutput)};
    DeleteFileA(kOutput);
    return ran;
}

} // namespace host
