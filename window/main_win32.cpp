// OstrevaneSettings.exe: the settings window a player double-clicks in the game folder.
#include "window/control_ids.h"
#include "window/settings_window_win32.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// The manifest asks for per-monitor awareness; this covers a system that ignores its newer
// entry, so the text is drawn sharp at 200% and the dialog rescales between monitors.
void BecomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, spelled out for older headers.
    if (set != nullptr) set(reinterpret_cast<HANDLE>(intptr_t(-4)));
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    BecomeDpiAware();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // A file named on the command line (dropped on the program, or "Open with") is opened
    // instead of the game folder's.
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::string path;
    if (arguments != nullptr && count > 1) path = Narrow(arguments[1]);
    ::LocalFree(arguments);
    return int(::DialogBoxParamW(instance, MAKEINTRESOURCEW(kSettingsDialog), nullptr,
                                 SettingsDialogProc,
                                 path.empty() ? 0 : reinterpret_cast<LPARAM>(&path)));
}
