#pragma once
// Driving OstrevaneSettings.exe from outside under Wine, as a player would: a game folder with
// the window in it, its controls found, clicked and typed into, every wait one for the state
// the next step needs; and reading it as a player sees it, each label in its own font.
#include "check/check.h"
#include "platform/process_memory.h"
#include "settings/default_settings.h"
#include "settings_file/edit_setting.h"
#include "settings_file/plugin_reading.h"
#include "tests/pair_keys.h"
#include "tests/scan_target.h"
#include "window/control_ids.h"
#include "window/settings_form.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace window_test {

inline const std::string kDefault = DefaultSettingsText("\r\n");
inline const std::string kEllipsis = "\x85"; // "…" in the code page the window's texts are read in

inline std::string ReadAll(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

inline void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string Replaced(std::string text, std::string_view from, std::string_view to) {
    return text.replace(text.find(from), from.size(), to);
}

inline std::string TextOf(HWND control) {
    wchar_t text[8192] = L"";
    ::SendMessageW(control, WM_GETTEXT, WPARAM(std::size(text)), reinterpret_cast<LPARAM>(text));
    char narrow[8192] = "";
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, int(sizeof narrow), nullptr, nullptr);
    return narrow;
}

// Any run of blanks as one space, none at either end: the words as a label shows them.
inline std::string Words(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::string words;
    for (std::string word; in >> word;)
        words += (words.empty() ? "" : " ") + word;
    return words;
}

// A name typed in the test, all of it ASCII, as the window's text reads back.
inline std::string Ascii(std::wstring_view text) {
    std::string ascii;
    for (const wchar_t c : text)
        ascii += char(c);
    return ascii;
}

inline bool Holds(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Where a control is, in `top`'s client area.
inline RECT Where(HWND control, HWND top = nullptr) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    if (top != nullptr) ::MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Keys sent with SendInput arrive when the window's thread gets to them, later on a busy
// machine: each step waits for the window to show what it needs, never for a fixed time.
template <typename Shown> inline bool WaitUntil(Shown shown) {
    for (int tries = 0; tries < 1500; ++tries) {
        if (shown()) return true;
        ::Sleep(20);
    }
    return shown();
}

// The first top-level window of `pid` that holds control `id`: the window, a question or a
// chooser.
inline HWND WaitForWindowWith(DWORD pid, int id) {
    std::pair<DWORD, int> wanted{pid, id};
    HWND found = nullptr;
    WaitUntil([&] {
        auto search = std::make_pair(&wanted, &found);
        ::EnumWindows(
            [](HWND window, LPARAM lParam) -> BOOL {
                auto& [want, result] = *reinterpret_cast<decltype(search)*>(lParam);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == want->first && ::IsWindowVisible(window) &&
                    ::GetDlgItem(window, want->second) != nullptr)
                    *result = window;
                return *result == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        return found != nullptr;
    });
    return found;
}

// Sends one key, down and up, as the keyboard does, to the window in front.
inline void Press(WORD virtualKey, wchar_t letter = 0) {
    INPUT input[2] = {};
    for (INPUT& event : input) {
        event.type = INPUT_KEYBOARD;
        event.ki.wVk = letter ? 0 : virtualKey;
        event.ki.wScan = letter;
        event.ki.dwFlags = letter ? KEYEVENTF_UNICODE : 0;
    }
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
}

// Alt with a letter, as the keyboard sends it.
inline void PressAlt(WORD letter) {
    INPUT alt[2] = {};
    alt[0].type = alt[1].type = INPUT_KEYBOARD;
    alt[0].ki.wVk = alt[1].ki.wVk = VK_MENU;
    alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(1, &alt[0], sizeof(INPUT));
    Press(letter);
    ::SendInput(1, &alt[1], sizeof(INPUT));
}

// What a comment on `value`, setting `key`'s value in `document`, must say, from the plug-in's
// own reading of the value: the item's comment in the file, word for word (`whole`), or where
// the plug-in finds the name instead, or the name a number stands for, or that the pair is
// skipped.
struct CommentWords {
    std::string words;
    bool whole;
};
inline CommentWords WordsOf(const SettingsDocument& document, SettingKey key,
                            const std::string& value) {
    const SettingReading reading = ReadSetting(document, size_t(key) / 2, value);
    switch (reading.source) {
    case NameSource::kOwnSection: {
        if (reading.hash == 0) return {"skips this pair", false};
        const std::string& comment = FindName(document, value)->comment;
        return comment.empty() ? CommentWords{"no comment", false}
                               : CommentWords{Words(comment), true};
    }
    case NameSource::kOtherSection:
        return {"under " + std::string(DictionaryHeaders[reading.section]) + ", line " +
                    std::to_string(reading.line),
                false};
    case NameSource::kNumber:
        if (!reading.nameOfNumber.empty()) return {"\"" + reading.nameOfNumber + "\"", false};
        break;
    case NameSource::kNotFound:
    case NameSource::kNotSet:
        break;
    }
    return {"skips this pair", false};
}

// Whether `shown`, a label's text, is `whole` or a cut of it that says so with "…".
inline bool WholeOrMarkedCut(const std::string& shown, const std::string& whole) {
    if (shown == whole) return true;
    if (!shown.ends_with(kEllipsis)) return false;
    const std::string kept = Words(shown.substr(0, shown.size() - kEllipsis.size()));
    return whole.starts_with(kept);
}

// The window's DPI as the prefix gives it, set by window_wine_test.sh for each screen.
inline int ExpectedDpi() {
    const char* dpi = std::getenv("OSTREVANE_SCREEN_DPI");
    return dpi != nullptr ? std::atoi(dpi) : 96;
}

// The stand-in game that scan_wine_test reads, started from the window's folder as `name`; it
// ends when its input does.
struct StandInGame {
    PROCESS_INFORMATION process{};
    HANDLE input = nullptr, output = nullptr;

    // `current`: the game's current folder, where the plug-in reads its settings file.
    void Start(const fs::path& folder, const std::wstring& name, fs::path current = {}) {
        if (current.empty()) current = folder;
        fs::copy_file(OSTREVANE_SCAN_TARGET_EXE, folder / name);
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        ASSERT_TRUE(::CreatePipe(&childIn, &input, &inherit, 0));
        ASSERT_TRUE(::CreatePipe(&output, &childOut, &inherit, 0));
        ::SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = startup.hStdError = childOut;
        std::wstring commandLine = name;
        ASSERT_TRUE(::CreateProcessW((folder / name).wstring().c_str(), commandLine.data(), nullptr,
                                     nullptr, TRUE, 0, nullptr, current.wstring().c_str(), &startup,
                                     &process));
        ::CloseHandle(childIn);
        ::CloseHandle(childOut);
        char ready[6] = {};
        DWORD count = 0;
        ASSERT_TRUE(::ReadFile(output, ready, sizeof ready, &count, nullptr));
    }
    // Ends the game as a player quits it.
    void End() {
        if (input != nullptr) ::CloseHandle(input);
        input = nullptr;
        if (process.hProcess != nullptr) ::WaitForSingleObject(process.hProcess, 10000);
    }
    ~StandInGame() {
        End();
        if (process.hProcess != nullptr) {
            ::CloseHandle(process.hProcess);
            ::CloseHandle(process.hThread);
        }
        if (output != nullptr) ::CloseHandle(output);
    }
};

// A game folder with the window in it, beside the default Ostrevane.ini.
class SettingsWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        // Measured in the screen's own pixels, as the window is drawn, not scaled for the test.
        using SetContext = BOOL(WINAPI*)(HANDLE);
        const auto aware = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
        if (aware != nullptr) aware(reinterpret_cast<HANDLE>(intptr_t(-4)));
        folder_ =
            fs::current_path() / testing::UnitTest::GetInstance()->current_test_info()->name();
        settings_ = folder_ / "Ostrevane.ini";
        // A run stopped part-way may have left it read-only.
        ::SetFileAttributesW(settings_.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        WriteAll(settings_, kDefault);
        fs::copy_file(OSTREVANE_SETTINGS_EXE, folder_ / "OstrevaneSettings.exe");
    }
    // Starts the window in the folder, as a double click there does, and finds it.
    void Start() {
        const fs::path program = folder_ / "OstrevaneSettings.exe";
        std::wstring commandLine = L"\"" + program.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(::CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr,
                                     nullptr, FALSE, 0, nullptr, folder_.wstring().c_str(),
                                     &startup, &process_))
            << "error " << ::GetLastError();
        ::WaitForInputIdle(process_.hProcess, 20000);
        dialog_ = WaitForWindowWith(process_.dwProcessId, kStatusControl);
        ASSERT_NE(dialog_, nullptr) << "the settings window did not appear";
    }
    // Ends the window, however it stands, so that another can start.
    void Stop() {
        if (process_.hProcess == nullptr) return;
        ::TerminateProcess(process_.hProcess, 0);
        ::WaitForSingleObject(process_.hProcess, 10000);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
        process_ = {};
        dialog_ = nullptr;
    }
    void TearDown() override {
        Stop();
        ::SetFileAttributesW(settings_.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    HWND Control(int id) const { return ::GetDlgItem(dialog_, id); }
    HWND Box(SettingKey key) const { return Control(kSettingControl + int(key)); }
    // The status line's words, whole: when the line cuts them, as the pane holds them.
    std::string Status() const {
        std::string shown = TextOf(Control(kStatusControl));
        if (!shown.ends_with(kEllipsis)) return shown;
        shown.resize(shown.size() - kEllipsis.size());
        const std::string details = Details();
        const size_t at = details.find(shown);
        return at == std::string::npos ? shown + kEllipsis
                                       : details.substr(at, details.find('\r', at) - at);
    }
    std::string Details() const { return TextOf(Control(kDetailsControl)); }
    std::string Title() const { return TextOf(dialog_); }
    bool SaveEnabled() const { return ::IsWindowEnabled(Control(IDOK)); }
    // Whether the window's process has ended, waiting up to `ms` for it; then how.
    bool Ended(DWORD ms, DWORD* exitCode = nullptr) const {
        if (::WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return false;
        if (exitCode != nullptr) ::GetExitCodeProcess(process_.hProcess, exitCode);
        return true;
    }
    void Click(int id) const { ::SendMessageW(Control(id), BM_CLICK, 0, 0); }
    // A click whose answer may be a question: the window's thread waits for it, not the test's.
    void PostClick(int id) const {
        ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Control(id)));
    }
    // Answers the question the window asks with `reply`; false when it asks none.
    bool Answer(int reply) const {
        HWND question = WaitForWindowWith(process_.dwProcessId, IDNO);
        if (question == nullptr) return false;
        ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(reply, BN_CLICKED), 0);
        if (!WaitUntil([&] { return !::IsWindow(question) && ::IsWindowEnabled(dialog_); }))
            return false;
        // Returns once the window has done what the answer asks: its thread takes a sent
        // message only when it waits for messages again. The file is read only then, never
        // while the window may be writing it (Windows would refuse the write).
        ::SendMessageW(dialog_, WM_NULL, 0, 0);
        return true;
    }
    // Whether the window shows nothing unsaved: what a save that was pressed leads to.
    bool ShowsSaved() const { return !SaveEnabled() && Title().front() != '*'; }
    HWND FocusNow() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
    }
    // The edit box inside a drop-down holds the focus while the player types in it.
    bool HasFocus(HWND control) const {
        HWND focus = FocusNow();
        return focus == control || (focus != nullptr && ::GetParent(focus) == control);
    }
    bool InFront() const {
        ::SetForegroundWindow(dialog_);
        return WaitUntil([&] { return ::GetForegroundWindow() == dialog_; });
    }

    // Picks the entry `name`, in this case, in a setting's drop-down, as a click on it does.
    void Choose(SettingKey key, const std::wstring& name) const {
        HWND combo = Box(key);
        const auto count = int(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
        int index = 0;
        for (wchar_t entry[512]; index < count; ++index) {
            ::SendMessageW(combo, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(entry));
            if (entry == name) break;
        }
        ASSERT_LT(index, count) << "no such entry";
        ::SendMessageW(combo, CB_SETCURSEL, WPARAM(index), 0);
        ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kSettingControl + int(key), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }
    // Types `text` into a pair's drop-down, as the keyboard does.
    void Type(SettingKey key, const std::wstring& text) const {
        ::SetWindowTextW(Box(key), text.c_str());
        ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kSettingControl + int(key), CBN_EDITCHANGE),
                       reinterpret_cast<LPARAM>(Box(key)));
    }
    // Makes `key`'s row the one the details pane speaks of.
    void Use(SettingKey key) const {
        ::SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Box(key)), TRUE);
    }

    // Each pair's two comments as a player reads them: the one right under a drop-down speaks of
    // that drop-down's value in `chosen`, as the plug-in reads it in `pending`, the file as Save
    // would write it; never of the other setting of the pair. A comment cut short says so.
    void ExpectCommentsOf(const SettingsDocument& pending,
                          const std::array<std::string, kSettingKeyCount>& chosen) const {
        for (const SwapPair& pair : SwapPairs) {
            const std::array<SettingKey, 2> keys = {pair.oldSetting.key, pair.newSetting.key};
            std::array<CommentWords, 2> expected;
            for (size_t side = 0; side < 2; ++side)
                expected[side] = WordsOf(pending, keys[side], chosen[keys[side]]);
            ASSERT_NE(expected[0].words, expected[1].words)
                << pair.name << ": these choices cannot tell the pair's two comments apart";
            for (size_t side = 0; side < 2; ++side) {
                SCOPED_TRACE(std::string(SettingKeyNames[keys[side]]) + "=" + chosen[keys[side]]);
                const RECT box = Where(Box(keys[side]));
                const RECT under = Where(Control(kCommentControl + int(keys[side])));
                EXPECT_LE(std::abs(under.left - box.left), 2) << "not under its drop-down";
                EXPECT_GE(under.top, box.bottom - 2) << "not under its drop-down";
                EXPECT_LT(under.top, box.bottom + (box.bottom - box.top)) << "not right under it";
                const std::string shown = TextOf(Control(kCommentControl + int(keys[side])));
                Use(keys[side]);
                EXPECT_TRUE(Holds(Words(Details()), expected[side].words))
                    << Details() << "\nshould hold: " << expected[side].words;
                if (expected[side].whole) {
                    EXPECT_TRUE(WholeOrMarkedCut(Words(shown), expected[side].words)) << shown;
                } else if (!shown.ends_with(kEllipsis)) {
                    EXPECT_TRUE(Holds(shown, expected[side].words)) << shown;
                }
            }
        }
    }

    // The window within the work area, each control it shows within its client area, and each
    // label's text whole within its place or cut with "…", its words whole in the pane.
    void ExpectAllSeen() const {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoW(::MonitorFromWindow(dialog_, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT frame = Where(dialog_), work = monitor.rcWork;
        EXPECT_TRUE(frame.left >= work.left && frame.top >= work.top && frame.right <= work.right &&
                    frame.bottom <= work.bottom)
            << "the window is outside the work area";
        RECT client{};
        ::GetClientRect(dialog_, &client);
        for (HWND child = ::GetWindow(dialog_, GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (!::IsWindowVisible(child)) continue;
            const int id = ::GetDlgCtrlID(child);
            const std::string text = TextOf(child);
            SCOPED_TRACE("control " + std::to_string(id) + ": " + text);
            const RECT place = Where(child, dialog_);
            EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right &&
                        place.bottom <= client.bottom)
                << "outside the client area";
            wchar_t kind[32] = L"";
            ::GetClassNameW(child, kind, int(std::size(kind)));
            // A label the system cuts with its own mark (the file's path) is not measured.
            const LONG style = ::GetWindowLongW(child, GWL_STYLE);
            if (::lstrcmpiW(kind, L"Static") != 0 || text.empty() || (style & SS_ELLIPSISMASK))
                continue;
            // Measured in the dialog's font, as its template names it for this scaling: a
            // window's WM_GETFONT reads 0 from another process under Wine.
            LOGFONTW font{};
            font.lfHeight = -::MulDiv(8, ExpectedDpi(), 72);
            font.lfWeight = FW_NORMAL;
            font.lfCharSet = DEFAULT_CHARSET;
            ::lstrcpyW(font.lfFaceName, L"MS Shell Dlg 2");
            HFONT copy = ::CreateFontIndirectW(&font);
            HDC dc = ::GetDC(nullptr);
            const HGDIOBJ before = ::SelectObject(dc, copy);
            RECT inside{}, needed{};
            ::GetClientRect(child, &inside);
            needed.right = inside.right;
            wchar_t wide[8192] = L"";
            ::SendMessageW(child, WM_GETTEXT, WPARAM(std::size(wide)),
                           reinterpret_cast<LPARAM>(wide));
            const bool prefix = (style & SS_NOPREFIX) == 0;
            ::DrawTextW(dc, wide, -1, &needed,
                        DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (prefix ? 0 : DT_NOPREFIX));
            ::SelectObject(dc, before);
            ::ReleaseDC(nullptr, dc);
            ::DeleteObject(copy);
            EXPECT_LE(needed.bottom, inside.bottom) << "cut without a mark";
            EXPECT_LE(needed.right, inside.right) << "cut without a mark";
            if (!text.ends_with(kEllipsis)) continue;
            // A cut label's row is the pane's once its drop-down has the focus.
            const auto row = size_t((id % 100) / (id < kFindingsControl ? 2 : 1));
            if (id != kStatusControl && row <= kKeyRow)
                Use(row == kKeyRow ? kActivationKey : SwapPairs[row].oldSetting.key);
            const std::string kept = Words(text.substr(0, text.size() - kEllipsis.size()));
            EXPECT_TRUE(Holds(Words(Details()), kept)) << "not whole in the pane:\n" << Details();
        }
    }

    fs::path folder_, settings_;
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

} // namespace window_test
