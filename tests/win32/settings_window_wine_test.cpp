// OstrevaneSettings.exe under Wine on a virtual display, driven through its controls as a
// player would drive it: a choice and Save write exactly `ostrevane set`'s edit, and a file
// changed on disk or made read-only is never written.
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

namespace {

const std::string kDefault = DefaultSettingsText("\r\n");

std::string ReadAll(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid != search.pid || !::IsWindowVisible(window)) return TRUE;
    if (::GetDlgItem(window, kStatusControl) == nullptr) return TRUE;
    search.found = window;
    return FALSE;
}

std::string TextOf(HWND control) {
    wchar_t text[4096] = L"";
    ::SendMessageW(control, WM_GETTEXT, WPARAM(std::size(text)), reinterpret_cast<LPARAM>(text));
    char narrow[4096] = "";
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, int(sizeof narrow), nullptr, nullptr);
    return narrow;
}

// Any run of blanks as one space, none at either end: the words as a label shows them.
std::string Words(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::string words;
    for (std::string word; in >> word;)
        words += (words.empty() ? "" : " ") + word;
    return words;
}

// Where a control is on the screen.
RECT Where(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    return rect;
}

// What a comment on `value`, setting `key`'s value in `document`, must say, from the plug-in's
// own reading of the value: the item's comment in the file, word for word (`whole`), or where
// the plug-in finds the name instead, or the name a number stands for, or that the pair is
// skipped.
struct CommentWords {
    std::string words;
    bool whole;
};
CommentWords WordsOf(const SettingsDocument& document, SettingKey key, const std::string& value) {
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

// A game folder with the window in it, beside the default Ostrevane.ini.
class SettingsWindowTest : public testing::Test {
  protected:
    void SetUp() override {
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
                                     &startup, &process_));
        ::WaitForInputIdle(process_.hProcess, 20000);
        Search search{process_.dwProcessId, nullptr};
        for (int tries = 0; tries < 200 && search.found == nullptr; ++tries) {
            ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
            if (search.found == nullptr) ::Sleep(100);
        }
        dialog_ = search.found;
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
    std::string Status() const { return TextOf(Control(kStatusControl)); }
    std::string Title() const { return TextOf(dialog_); }
    bool SaveEnabled() const { return ::IsWindowEnabled(Control(IDOK)); }
    // Whether the window's process has ended, waiting up to `ms` for it; then how.
    bool Ended(DWORD ms, DWORD* exitCode = nullptr) const {
        if (::WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return false;
        if (exitCode != nullptr) ::GetExitCodeProcess(process_.hProcess, exitCode);
        return true;
    }
    void Click(int id) const { ::SendMessageW(Control(id), BM_CLICK, 0, 0); }

    // Picks the first entry that starts with `name`, in this case, in a setting's drop-down,
    // as a click on it does.
    void Choose(SettingKey key, const std::wstring& name) const {
        const int id = kSettingControl + int(key);
        HWND combo = Control(id);
        const auto count = int(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
        int index = 0;
        for (wchar_t entry[512]; index < count; ++index) {
            ::SendMessageW(combo, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(entry));
            if (std::wstring_view(entry).starts_with(name)) break;
        }
        ASSERT_LT(index, count) << "no entry starts with the name";
        ::SendMessageW(combo, CB_SETCURSEL, WPARAM(index), 0);
        ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }

    // Types `text` into a pair's drop-down, as the keyboard does.
    void Type(SettingKey key, const std::wstring& text) const {
        HWND combo = Control(kSettingControl + int(key));
        ::SetWindowTextW(combo, text.c_str());
        ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kSettingControl + int(key), CBN_EDITCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }

    // Each pair's two comments as a player reads them: the one right under a drop-down speaks of
    // that drop-down's value in `chosen`, as the plug-in reads it in `pending`, the file as Save
    // would write it; never of the other setting of the pair.
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
                HWND comment = Control(kCommentControl + int(keys[side]));
                const RECT box = Where(Control(kSettingControl + int(keys[side])));
                const RECT under = Where(comment);
                EXPECT_LE(std::abs(under.left - box.left), 2) << "not under its drop-down";
                EXPECT_GE(under.top, box.bottom - 2) << "not under its drop-down";
                EXPECT_LT(under.top, box.bottom + (box.bottom - box.top)) << "not right under it";
                const std::string shown = Words(TextOf(comment));
                if (expected[side].whole) {
                    EXPECT_EQ(shown, expected[side].words);
                } else {
                    EXPECT_NE(shown.find(expected[side].words), std::string::npos)
                        << shown << "\nshould hold: " << expected[side].words;
                }
            }
        }
    }

    fs::path folder_, settings_;
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

TEST_F(SettingsWindowTest, ChoosingACameraAndSavingWritesWhatSetWrites) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_NE(TextOf(Control(kFileControl)).find("Ostrevane.ini"), std::string::npos);
    EXPECT_NE(TextOf(dialog_).find(OSTREVANE_VERSION), std::string::npos);
    EXPECT_EQ(TextOf(Control(kSettingControl + int(kActivationKey))), "F8");
    EXPECT_FALSE(::IsWindowEnabled(Control(IDOK))) << "nothing has changed yet";

    Choose(kNewCamera, L"Camera37");
    EXPECT_TRUE(::IsWindowEnabled(Control(IDOK)));
    Click(IDOK);
    const SettingEdit expected = EditSetting(ReadDocument(kDefault), kNewCamera, "Camera37");
    ASSERT_FALSE(expected.refusal);
    EXPECT_EQ(ReadAll(settings_), expected.document.bytes) << Status();
    EXPECT_NE(Status().find("Saved"), std::string::npos) << Status();
    EXPECT_FALSE(::IsWindowEnabled(Control(IDOK)));

    // Enter presses the dialog's default button, which must be Save; the next save builds on
    // the file as saved.
    EXPECT_EQ(LOWORD(::SendMessageW(dialog_, DM_GETDEFID, 0, 0)), IDOK);
    Choose(kActivationKey, L"K");
    Click(IDOK);
    EXPECT_EQ(
        ReadAll(settings_),
        EditSetting(ReadDocument(expected.document.bytes), kActivationKey, "K").document.bytes);
}

TEST_F(SettingsWindowTest, AFileChangedOnDiskIsNotOverwrittenButOfferedForReloading) {
    ASSERT_NO_FATAL_FAILURE(Start());
    std::string edited = kDefault;
    edited.replace(edited.find("modactivatekey=F8"), 17, "modactivatekey=F9");
    WriteAll(settings_, edited);
    Choose(kNewCamera, L"Camera20");
    Click(IDOK);
    EXPECT_EQ(ReadAll(settings_), edited);
    EXPECT_NE(Status().find("changed on disk"), std::string::npos) << Status();
    EXPECT_NE(TextOf(Control(kDetailsControl)).find(Status()), std::string::npos)
        << "the status can be read whole in the pane";

    // Reload reads the change and keeps the choice, unasked, and says so.
    Click(kReloadButton);
    EXPECT_EQ(TextOf(Control(kSettingControl + int(kActivationKey))), "F9");
    EXPECT_EQ(TextOf(Control(kSettingControl + int(kNewCamera))), "Camera20");
    EXPECT_NE(Status().find("kept your choice for newcamera"), std::string::npos) << Status();
    Click(IDOK);
    EXPECT_EQ(ReadAll(settings_),
              EditSetting(ReadDocument(edited), kNewCamera, "Camera20").document.bytes);
}

TEST_F(SettingsWindowTest, AReadOnlyFileGivesAMessageAndNoChange) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(::SetFileAttributesW(settings_.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
    Choose(kNewCamera, L"Camera21");
    Click(IDOK);
    EXPECT_EQ(ReadAll(settings_), kDefault);
    EXPECT_NE(Status().find("read-only"), std::string::npos) << Status();
    EXPECT_TRUE(::IsWindowEnabled(Control(IDOK))) << "the choice is kept for another try";
}

TEST_F(SettingsWindowTest, ATypedNameIsFilteredAndARefusedOneIsNeverWritten) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND combo = Control(kSettingControl + int(kNewCamera));
    ::SetWindowTextW(combo, L"camera3");
    ::SendMessageW(dialog_, WM_COMMAND,
                   MAKEWPARAM(kSettingControl + int(kNewCamera), CBN_EDITCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    const LRESULT offered = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    EXPECT_GT(offered, 0);
    EXPECT_LT(offered, 20) << "only the names holding the typed text";
    EXPECT_FALSE(::IsWindowEnabled(Control(IDOK))) << "Save would refuse";
    Click(IDOK);
    EXPECT_EQ(ReadAll(settings_), kDefault);
    const std::string why = TextOf(Control(kFindingsControl + 3));
    EXPECT_EQ(why.rfind("Cannot save newcamera: \"camera3\" is no name under [Camera]", 0), 0u)
        << why;
    EXPECT_EQ(why.find("ostrevane"), std::string::npos) << "no command line in the window";

    // A slip is one click from the name it most likely meant, on top of the list.
    ::SetWindowTextW(combo, L"Camra37");
    ::SendMessageW(dialog_, WM_COMMAND,
                   MAKEWPARAM(kSettingControl + int(kNewCamera), CBN_EDITCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    wchar_t first[256] = L"";
    ::SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::wstring(first), L"Camera37");
}

// Sends one key, down and up, as the keyboard does, to the window in front.
void Press(WORD virtualKey, wchar_t letter = 0) {
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

// The first top-level window of `pid` that holds control `id`: a question or a chooser.
HWND WaitForWindowWith(DWORD pid, int id) {
    struct WindowSearch {
        DWORD pid;
        int id;
        HWND found;
    } search{pid, id, nullptr};
    for (int tries = 0; tries < 100 && search.found == nullptr; ++tries) {
        ::Sleep(100);
        ::EnumWindows(
            [](HWND window, LPARAM lParam) -> BOOL {
                auto& s = *reinterpret_cast<WindowSearch*>(lParam);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == s.pid && ::GetDlgItem(window, s.id) != nullptr) s.found = window;
                return s.found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

// Alt with a letter, as the keyboard sends it.
// Keys sent with SendInput arrive when the window's thread gets to them, later on a busy
// machine: each step waits until the window shows its effect before the next key is sent.
template <typename Shown> bool WaitUntil(Shown shown) {
    for (int tries = 0; tries < 250; ++tries) {
        if (shown()) return true;
        ::Sleep(20);
    }
    return shown();
}

HWND FocusOf(const PROCESS_INFORMATION& process) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(process.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

// The edit box inside a drop-down holds the focus while the player types in it.
bool HasFocus(const PROCESS_INFORMATION& process, HWND control) {
    HWND focus = FocusOf(process);
    return focus == control || (focus != nullptr && ::GetParent(focus) == control);
}

void PressAlt(WORD letter) {
    INPUT alt[2] = {};
    alt[0].type = alt[1].type = INPUT_KEYBOARD;
    alt[0].ki.wVk = alt[1].ki.wVk = VK_MENU;
    alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(1, &alt[0], sizeof(INPUT));
    Press(letter);
    ::SendInput(1, &alt[1], sizeof(INPUT));
}

// With the keyboard alone, as a player: Alt+C to the camera pair, Tab to its new item, the
// name typed letter by letter, Enter to close the list and Enter to save. The list opening
// after the first letter must not take the letters typed so far.
TEST_F(SettingsWindowTest, TheKeyboardAloneChoosesACameraAndSaves) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(::SetForegroundWindow(dialog_));
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == dialog_; }));
    PressAlt('C');
    ASSERT_TRUE(
        WaitUntil([&] { return HasFocus(process_, Control(kSettingControl + int(kOldCamera))); }));
    Press(VK_TAB);
    HWND combo = Control(kSettingControl + int(kNewCamera));
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(process_, combo); }));
    for (const wchar_t letter : std::wstring(L"Camera37"))
        Press(0, letter);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(combo) == "Camera37"; })) << TextOf(combo);
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0); }));
    Press(VK_RETURN);
    const std::string expected =
        EditSetting(ReadDocument(kDefault), kNewCamera, "Camera37").document.bytes;
    EXPECT_TRUE(WaitUntil([&] { return ReadAll(settings_) == expected; }))
        << "the file was not saved as set saves it";
}

TEST_F(SettingsWindowTest, AMissingFileIsSaidAndTheDefaultOneWrittenOnRequest) {
    fs::remove(settings_);
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_NE(Status().find("no such file"), std::string::npos) << Status();
    EXPECT_FALSE(::IsWindowEnabled(Control(kSettingControl + int(kNewCamera))));
    ASSERT_TRUE(::IsWindowVisible(Control(kWriteDefaultButton)));
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    ASSERT_TRUE(::GetGUIThreadInfo(process_.dwThreadId, &focus));
    EXPECT_EQ(focus.hwndFocus, Control(kWriteDefaultButton)) << "Enter writes it";
    Click(kWriteDefaultButton);
    EXPECT_EQ(ReadAll(settings_), kDefault) << "the bytes the plug-in writes on Windows";
    EXPECT_FALSE(::IsWindowVisible(Control(kWriteDefaultButton)));
    EXPECT_EQ(TextOf(Control(kSettingControl + int(kNewCamera))).rfind("Camera15", 0), 0u);
}

TEST_F(SettingsWindowTest, TheDefaultFileIsNeverWrittenOverOneThatAppeared) {
    fs::remove(settings_);
    ASSERT_NO_FATAL_FAILURE(Start());
    WriteAll(settings_, "[Settings]\r\n");
    Click(kWriteDefaultButton);
    EXPECT_EQ(ReadAll(settings_), "[Settings]\r\n");
    EXPECT_NE(Status().find("appeared meanwhile"), std::string::npos) << Status();
}

TEST_F(SettingsWindowTest, AKeyThePluginDoesNotKnowIsShownAsWrittenAndWarnedOfOnItsRow) {
    std::string lowered = kDefault;
    lowered.replace(lowered.find("modactivatekey=F8"), 17, "modactivatekey=f8");
    WriteAll(settings_, lowered);
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(TextOf(Control(kSettingControl + int(kActivationKey))), "f8");
    EXPECT_NE(TextOf(Control(kFindingsControl + int(kKeyRow))).find("line 2"), std::string::npos);
    EXPECT_EQ(TextOf(Control(kFindingsControl + 3)), "") << "the camera pair is fine";
    Choose(kActivationKey, L"F8");
    EXPECT_EQ(TextOf(Control(kFindingsControl + int(kKeyRow))), "");
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
    ~StandInGame() {
        if (input != nullptr) ::CloseHandle(input);
        if (process.hProcess != nullptr) {
            ::WaitForSingleObject(process.hProcess, 10000);
            ::CloseHandle(process.hProcess);
            ::CloseHandle(process.hThread);
        }
        if (output != nullptr) ::CloseHandle(output);
    }
};

struct Owned {
    DWORD pid;
    HWND found;
};
BOOL CALLBACK FindChooser(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<Owned*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == search.pid && ::GetDlgItem(window, kGameList) != nullptr) search.found = window;
    return search.found == nullptr;
}

// "Is it working?" reads the game running from the window's folder and shows each pair's
// verdict in the command's words; with two running, the one the player picks.
TEST_F(SettingsWindowTest, IsItWorkingReadsTheGameRunningFromTheWindowsFolder) {
    ASSERT_NO_FATAL_FAILURE(Start());
    WriteAll(settings_, scan_target::kSettings);
    Click(kReloadButton);
    // With no game running the folder is diagnosed all the same, the summary first.
    Click(kScanButton);
    for (int tries = 0; tries < 100 && Status().rfind("F8 does nothing yet", 0) != 0; ++tries)
        ::Sleep(100);
    EXPECT_EQ(Status().rfind("F8 does nothing yet. Ostrevane.asi is not in this folder", 0), 0u)
        << Status();
    const std::string details = TextOf(Control(kDetailsControl));
    EXPECT_NE(details.find("PROBLEM: No game is running from this folder"), std::string::npos)
        << details;
    EXPECT_EQ(details.find("ostrevane doctor"), std::string::npos) << "no command line";
    EXPECT_TRUE(::IsWindowEnabled(Control(kScanButton))) << "for when the game has started";

    StandInGame game;
    ASSERT_NO_FATAL_FAILURE(game.Start(folder_, L"game.exe"));
    // Found by its folder however the folder is spelt: another case, a closing backslash.
    std::string folder = folder_.string();
    for (char& c : folder)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& spelling : {folder_.string(), folder + "\\"}) {
        const auto running = platform::ProgramsInFolder(spelling);
        ASSERT_EQ(running.size(), 2u) << spelling << ": the window and the game";
        EXPECT_TRUE(running[0].pid == game.process.dwProcessId ||
                    running[1].pid == game.process.dwProcessId);
    }

    Click(kScanButton);
    std::string shake;
    for (int tries = 0; tries < 600 && shake.find("In the game") == std::string::npos; ++tries) {
        ::Sleep(100);
        shake = TextOf(Control(kVerdictControl + 0));
    }
    EXPECT_NE(shake.find("would swap"), std::string::npos) << Status();
    EXPECT_NE(TextOf(Control(kVerdictControl + 1)).find("only the new item occurs"),
              std::string::npos);
    EXPECT_NE(Status().find(std::to_string(game.process.dwProcessId)), std::string::npos);

    // A second game: the window asks which, here the second in its list.
    StandInGame other;
    ASSERT_NO_FATAL_FAILURE(other.Start(folder_, L"other.exe"));
    ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kScanButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(kScanButton)));
    Owned chooser{process_.dwProcessId, nullptr};
    for (int tries = 0; tries < 200 && chooser.found == nullptr; ++tries) {
        ::Sleep(100);
        ::EnumWindows(FindChooser, reinterpret_cast<LPARAM>(&chooser));
    }
    ASSERT_NE(chooser.found, nullptr) << "no chooser: " << Status();
    HWND list = ::GetDlgItem(chooser.found, kGameList);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    wchar_t second[256] = L"";
    ::SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(second));
    const DWORD picked = std::wstring_view(second).find(L"other.exe") == 0
                             ? other.process.dwProcessId
                             : game.process.dwProcessId;
    ::SendMessageW(list, LB_SETCURSEL, 1, 0);
    ::PostMessageW(chooser.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const std::string read = "(process " + std::to_string(picked) + ") with";
    for (int tries = 0; tries < 600 && Status().find(read) == std::string::npos; ++tries)
        ::Sleep(100);
    EXPECT_NE(Status().find(read), std::string::npos) << Status();
}

// What the window says of a pair is what the plug-in does with it: a name from another
// section is swapped and corrupts, a number is skipped and named, and every word of a long
// warning can be read in the details pane. Each comment stays under its own drop-down as the
// choices change, and the title and Save say whether anything is unsaved.
TEST_F(SettingsWindowTest, EveryCommentIsTrueAndEveryWarningCanBeReadWhole) {
    std::string crossed = kDefault;
    crossed.replace(crossed.find("newshake=family5_drug_trip_shake"), 32, "newshake=Camera15");
    crossed.replace(crossed.find("newcamera=Camera15"), 18, "newcamera=0x2F0AACD0");
    WriteAll(settings_, crossed);
    ASSERT_NO_FATAL_FAILURE(Start());
    // Every pair's two settings read differently here, so a comment under the wrong drop-down
    // shows.
    const SettingsDocument opened = ReadDocument(crossed);
    ASSERT_NO_FATAL_FAILURE(ExpectCommentsOf(opened, opened.parsed.values));
    const std::string title = "Ostrevane " OSTREVANE_VERSION " settings - " + settings_.string();
    const std::string status = "Opened " + settings_.string() + ".";
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(Status(), status);
    EXPECT_FALSE(SaveEnabled());
    const std::string shake = TextOf(Control(kCommentControl + int(kNewShake)));
    EXPECT_NE(shake.find("a camera (under [Camera]"), std::string::npos) << shake;
    EXPECT_NE(shake.find("swaps it all the same"), std::string::npos) << shake;
    EXPECT_NE(TextOf(Control(kVerdictControl + 0)).find("corrupts"), std::string::npos);
    const std::string number = TextOf(Control(kCommentControl + int(kNewCamera)));
    EXPECT_NE(number.find("skips this pair"), std::string::npos) << number;
    EXPECT_NE(number.find("\"Camera15\" (under [Camera])"), std::string::npos) << number;

    // The shake row's warning is longer than its label; the pane holds it whole.
    ::SendMessageW(dialog_, WM_NEXTDLGCTL,
                   reinterpret_cast<WPARAM>(Control(kSettingControl + int(kNewShake))), TRUE);
    const std::string details = TextOf(Control(kDetailsControl));
    for (const CheckWarning& warning : CheckSettings(ReadDocument(crossed)).warnings) {
        if (warning.setting == kNewShake) {
            EXPECT_NE(details.find(FindingText(warning)), std::string::npos) << details;
        }
    }
    EXPECT_NE(details.find("where the game expects a camera shake"), std::string::npos) << details;

    // A choice changes the comment under its own drop-down, marks the title and enables Save.
    Choose(kOldCamera, L"Camera37");
    const SettingsDocument pending = EditSetting(opened, kOldCamera, "Camera37").document;
    std::array<std::string, kSettingKeyCount> chosen = pending.parsed.values;
    ASSERT_NO_FATAL_FAILURE(ExpectCommentsOf(pending, chosen));
    EXPECT_EQ(Title(), "*" + title);
    EXPECT_EQ(Status(), status);
    EXPECT_TRUE(SaveEnabled());
    // A name the dictionary lacks is commented under its own drop-down and cannot be saved; the
    // file as Save would write it keeps the other choice.
    Type(kNewDof, L"DOF9");
    chosen[kNewDof] = "DOF9";
    ASSERT_NO_FATAL_FAILURE(ExpectCommentsOf(pending, chosen));
    EXPECT_EQ(Title(), "*" + title);
    EXPECT_FALSE(SaveEnabled());
    // Both put back as the file has them: nothing is unsaved.
    Choose(kOldCamera, L"Camera38");
    Type(kNewDof, L"DOF10");
    ASSERT_NO_FATAL_FAILURE(ExpectCommentsOf(opened, opened.parsed.values));
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(Status(), status);
    EXPECT_FALSE(SaveEnabled());
    EXPECT_EQ(ReadAll(settings_), crossed);

    // Widened, the window keeps each comment under its own drop-down.
    const RECT frame = Where(dialog_);
    const RECT narrow = Where(Control(kSettingControl + int(kNewShake)));
    ::SetWindowPos(dialog_, nullptr, 0, 0, frame.right - frame.left + 240,
                   frame.bottom - frame.top + 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT wide = Where(Control(kSettingControl + int(kNewShake)));
    ASSERT_GT(wide.right - wide.left, narrow.right - narrow.left) << "the rows did not widen";
    ASSERT_NO_FATAL_FAILURE(ExpectCommentsOf(opened, opened.parsed.values));
}

// Choices are never lost without a question, and what is unsaved shows.
TEST_F(SettingsWindowTest, ReloadAsksBeforeDroppingChoicesAndTheTitleMarksThemUnsaved) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_NE(TextOf(dialog_).front(), '*');
    for (const int answer : {IDNO, IDYES}) {
        Choose(kActivationKey, L"K");
        EXPECT_EQ(TextOf(dialog_).front(), '*') << TextOf(dialog_);
        ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kReloadButton, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Control(kReloadButton)));
        HWND question = WaitForWindowWith(process_.dwProcessId, IDYES);
        ASSERT_NE(question, nullptr) << "Reload dropped the choice unasked";
        ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        const std::string expected = answer == IDYES ? "K" : "F8";
        HWND key = Control(kSettingControl + int(kActivationKey));
        for (int tries = 0; tries < 100 && ::IsWindow(question); ++tries)
            ::Sleep(50);
        EXPECT_EQ(TextOf(key), expected);
    }
    EXPECT_NE(Status().find("kept your choice for modactivatekey"), std::string::npos) << Status();
    // "Saved" holds only until the next change.
    Click(IDOK);
    EXPECT_EQ(Status().rfind("Saved", 0), 0u) << Status();
    EXPECT_NE(TextOf(dialog_).front(), '*');
    Choose(kActivationKey, L"L");
    EXPECT_EQ(Status().find("Saved"), std::string::npos) << Status();
}

// The ways a player closes the window: Esc, the Close button, and the title bar's close box,
// which arrives as SC_CLOSE and then WM_CLOSE.
enum class CloseBy { kEsc, kCloseButton, kTitleBar };

const char* NameOf(CloseBy way) {
    switch (way) {
    case CloseBy::kEsc:
        return "Esc";
    case CloseBy::kCloseButton:
        return "the Close button";
    case CloseBy::kTitleBar:
        return "the title bar's close box";
    }
    return "";
}

// Asks `dialog` to close as a player does, without waiting for it: a question it asks holds
// the window's thread, not the test's.
void AskToClose(HWND dialog, CloseBy way) {
    switch (way) {
    case CloseBy::kEsc:
        ::SetForegroundWindow(dialog);
        WaitUntil([&] { return ::GetForegroundWindow() == dialog; });
        Press(VK_ESCAPE);
        break;
    case CloseBy::kCloseButton:
        ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        break;
    case CloseBy::kTitleBar:
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

// A message box's own words.
std::string QuestionText(HWND question) {
    return TextOf(::GetDlgItem(question, 0xFFFF));
}

// Unsaved choices are never dropped or written unasked, however the window is closed: Cancel
// keeps the window as it was, Yes saves and closes, No closes and leaves the file alone. Each
// way is asked and cancelled first; Yes and No are each taken by two ways (each question costs
// Wine seconds on a display without a window manager).
TEST_F(SettingsWindowTest, ClosingWithUnsavedChoicesAsksAndDoesWhatThePlayerAnswers) {
    const std::string saved =
        EditSetting(ReadDocument(kDefault), kActivationKey, "K").document.bytes;
    const std::pair<CloseBy, int> cases[] = {{CloseBy::kEsc, IDYES},
                                             {CloseBy::kEsc, IDNO},
                                             {CloseBy::kCloseButton, IDNO},
                                             {CloseBy::kTitleBar, IDYES}};
    for (const auto& [way, answer] : cases) {
        SCOPED_TRACE(std::string(NameOf(way)) + (answer == IDYES ? ", then Yes" : ", then No"));
        Stop();
        WriteAll(settings_, kDefault);
        ASSERT_NO_FATAL_FAILURE(Start());
        Choose(kActivationKey, L"K");
        const std::string title = Title();
        const std::string status = Status();
        ASSERT_EQ(title.front(), '*') << title;

        for (const int reply : {IDCANCEL, answer}) {
            AskToClose(dialog_, way);
            HWND question = WaitForWindowWith(process_.dwProcessId, IDYES);
            ASSERT_NE(question, nullptr) << "no question; the window ended: " << Ended(0);
            EXPECT_EQ(QuestionText(question), "Save your changes to the settings file?");
            ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(reply, BN_CLICKED), 0);
            for (int tries = 0; tries < 100 && ::IsWindow(question); ++tries)
                ::Sleep(50);
            if (reply != IDCANCEL) break;
            // Cancel: the window stays as it was, the choice unsaved and marked so.
            EXPECT_FALSE(Ended(300)) << "Cancel closed the window";
            for (int tries = 0; tries < 100 && !::IsWindowEnabled(dialog_); ++tries)
                ::Sleep(20);
            EXPECT_EQ(TextOf(Control(kSettingControl + int(kActivationKey))), "K");
            EXPECT_EQ(Title(), title);
            EXPECT_EQ(Status(), status);
            EXPECT_TRUE(SaveEnabled());
            EXPECT_EQ(ReadAll(settings_), kDefault);
        }
        DWORD exitCode = 1;
        EXPECT_TRUE(Ended(10000, &exitCode)) << "the window stayed open";
        EXPECT_EQ(exitCode, 0u) << "the window ended of itself, not by a fault";
        EXPECT_EQ(ReadAll(settings_), answer == IDYES ? saved : kDefault);
    }
}

// With nothing unsaved there is nothing to ask: each way closes the window at once, whether the
// file was never changed, saved, or a choice was put back as the file has it.
TEST_F(SettingsWindowTest, WithNothingUnsavedEachWayClosesUnasked) {
    const std::string saved =
        EditSetting(ReadDocument(kDefault), kActivationKey, "K").document.bytes;
    struct Case {
        CloseBy way;
        std::vector<std::wstring> keys; // chosen in turn
        bool save;
        const std::string& file; // what the file holds after
    };
    const Case cases[] = {
        {CloseBy::kEsc, {}, false, kDefault},
        {CloseBy::kCloseButton, {L"K"}, true, saved},
        {CloseBy::kTitleBar, {L"K", L"F8"}, false, kDefault},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(NameOf(test.way));
        Stop();
        WriteAll(settings_, kDefault);
        ASSERT_NO_FATAL_FAILURE(Start());
        for (const std::wstring& key : test.keys)
            Choose(kActivationKey, key);
        if (test.save) Click(IDOK);
        EXPECT_NE(Title().front(), '*') << Title();
        AskToClose(dialog_, test.way);
        if (!Ended(10000)) {
            HWND question = WaitForWindowWith(process_.dwProcessId, IDYES);
            ADD_FAILURE() << "the window stayed open; it asks: "
                          << (question ? QuestionText(question) : "nothing");
        }
        EXPECT_EQ(ReadAll(settings_), test.file);
    }
}

// After Alt+S the focus moves off the disabled Save, so Tab and Esc still work; an Alt letter
// selects the whole name, so typing replaces it.
TEST_F(SettingsWindowTest, TheKeyboardNeverStallsOnADisabledButtonAndTypingReplacesTheName) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(::SetForegroundWindow(dialog_));
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == dialog_; }));
    Choose(kActivationKey, L"K");
    PressAlt('S');
    const std::string saved =
        EditSetting(ReadDocument(kDefault), kActivationKey, "K").document.bytes;
    EXPECT_TRUE(WaitUntil([&] { return ReadAll(settings_) == saved; }));
    // Save disables itself once the file is written, and only then is the focus moved on.
    EXPECT_TRUE(WaitUntil([&] {
        HWND focus = FocusOf(process_);
        return focus != nullptr && focus != Control(IDOK) && ::IsWindowEnabled(focus);
    })) << "the focus rests on a disabled control, or nowhere";

    PressAlt('C');
    HWND camera = Control(kSettingControl + int(kOldCamera));
    EXPECT_TRUE(WaitUntil([&] {
        DWORD start = 1, end = 0;
        ::SendMessageW(camera, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        return start == 0 && end == DWORD(TextOf(camera).size());
    })) << "Alt+C selects the whole name";
    Press(0, L'x');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(camera) == "x"; }))
        << "the letter replaced the name: " << TextOf(camera);
}

// The game reads the settings file in its current folder: "Is it working?" judges with that
// one and says it is not the file open in the window.
TEST_F(SettingsWindowTest, IsItWorkingJudgesWithTheFileTheGameReads) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const fs::path elsewhere = folder_ / "elsewhere";
    fs::create_directories(elsewhere);
    WriteAll(elsewhere / "Ostrevane.ini", scan_target::kSettings);
    StandInGame game;
    ASSERT_NO_FATAL_FAILURE(game.Start(folder_, L"game.exe", elsewhere));
    Click(kScanButton);
    for (int tries = 0; tries < 600 && Status().find("Read the game") == std::string::npos; ++tries)
        ::Sleep(100);
    EXPECT_NE(Status().find("not the file open here"), std::string::npos) << Status();
    EXPECT_NE(Status().find("elsewhere"), std::string::npos) << Status();
    EXPECT_NE(TextOf(Control(kVerdictControl + 0)).find("would swap"), std::string::npos)
        << TextOf(Control(kVerdictControl + 0));
}

// Saving settings that make the swap corrupt the game is asked about first.
TEST_F(SettingsWindowTest, ASaveThatWouldCorruptTheGameIsAskedAboutFirst) {
    std::string crossed = kDefault;
    crossed.replace(crossed.find("newshake=family5_drug_trip_shake"), 32, "newshake=Camera15");
    WriteAll(settings_, crossed);
    ASSERT_NO_FATAL_FAILURE(Start());
    Choose(kActivationKey, L"K");
    for (const int answer : {IDNO, IDYES}) {
        ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Control(IDOK)));
        HWND question = WaitForWindowWith(process_.dwProcessId, IDYES);
        ASSERT_NE(question, nullptr) << "saved unasked: " << Status();
        ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        for (int tries = 0; tries < 100 && ::IsWindow(question); ++tries)
            ::Sleep(50);
        ::Sleep(200);
        EXPECT_EQ(ReadAll(settings_) == crossed, answer == IDNO) << Status();
    }
}

// An empty file is offered the default one, the old kept beside it; "Defaults..." puts one
// pair's choices back without saving.
TEST_F(SettingsWindowTest, AnEmptyFileIsReplacedOnRequestAndDefaultsPutChoicesBack) {
    WriteAll(settings_, "");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(::IsWindowVisible(Control(kWriteDefaultButton)));
    EXPECT_EQ(TextOf(Control(kWriteDefaultButton)).find("Replace"), 0u);
    Click(kWriteDefaultButton);
    EXPECT_EQ(ReadAll(settings_), kDefault);
    EXPECT_TRUE(fs::exists(folder_ / "Ostrevane.ini.bak"));
    EXPECT_EQ(ReadAll(folder_ / "Ostrevane.ini.bak"), "");
    EXPECT_NE(Status().find("Ostrevane.ini.bak"), std::string::npos) << Status();
    EXPECT_FALSE(::IsWindowVisible(Control(kWriteDefaultButton)));

    Choose(kNewCamera, L"Camera37");
    Choose(kOldDof, L"DOF10");
    ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kDefaultsButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(kDefaultsButton)));
    HWND chooser = WaitForWindowWith(process_.dwProcessId, kDefaultsList);
    ASSERT_NE(chooser, nullptr);
    HWND list = ::GetDlgItem(chooser, kDefaultsList);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), LRESULT(kPairCount + 2));
    ::SendMessageW(list, LB_SETCURSEL, 4, 0); // the camera pair
    ::PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND camera = Control(kSettingControl + int(kNewCamera));
    for (int tries = 0; tries < 100 && TextOf(camera) != "Camera15"; ++tries)
        ::Sleep(50);
    EXPECT_EQ(TextOf(camera), "Camera15");
    EXPECT_EQ(TextOf(Control(kSettingControl + int(kOldDof))), "DOF10");
    EXPECT_EQ(ReadAll(settings_), kDefault) << "nothing saved";
}

} // namespace
