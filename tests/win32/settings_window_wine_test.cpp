// OstrevaneSettings.exe under Wine on a virtual display, driven through its controls as a
// player would drive it, and read from outside: a choice and Save write exactly `ostrevane
// set`'s edit, a file changed on disk or made read-only is never written, and on every screen
// the window and each of its controls can be seen.
#include "tests/win32/settings_window_driver.h"

namespace window_test {
namespace {
// On each screen window_wine_test.sh runs this on (its size and scaling), the window opens
// within the work area with every control in it, and stays so made as small as it goes: the
// rows then one line each, their words in the pane.
TEST_F(SettingsWindowTest, EveryControlCanBeSeenOnThisScreen) {
    HDC screen = ::GetDC(nullptr);
    ASSERT_EQ(::GetDeviceCaps(screen, LOGPIXELSY), ExpectedDpi()) << "the prefix's scaling";
    ::ReleaseDC(nullptr, screen);
    // Long texts: an unknown toggle key, and a name of another kind, whose warnings are long.
    WriteAll(settings_, Replaced(Replaced(kDefault, "modactivatekey=F8", "modactivatekey=f8"),
                                 "newshake=family5_drug_trip_shake", "newshake=Camera15"));
    ASSERT_NO_FATAL_FAILURE(Start());
    {
        SCOPED_TRACE("as it opens");
        ExpectAllSeen();
    }
    ::SetWindowPos(dialog_, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(::IsWindowVisible(Control(IDOK)));
    EXPECT_FALSE(::IsWindowVisible(Control(kCommentControl))) << "the rows are one line each";
    {
        SCOPED_TRACE("made as small as it goes");
        ExpectAllSeen();
    }
}

TEST_F(SettingsWindowTest, ChoosingACameraAndSavingWritesWhatSetWrites) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(Holds(TextOf(Control(kFileControl)), "Ostrevane.ini"));
    EXPECT_TRUE(Holds(Title(), OSTREVANE_VERSION));
    EXPECT_EQ(TextOf(Box(kActivationKey)), "F8");
    EXPECT_FALSE(SaveEnabled()) << "nothing has changed yet";

    Choose(kNewCamera, L"Camera37");
    EXPECT_EQ(TextOf(Box(kNewCamera)), "Camera37") << "the name alone in the drop-down's box";
    EXPECT_TRUE(SaveEnabled());
    Click(IDOK);
    const SettingEdit expected = EditSetting(ReadDocument(kDefault), kNewCamera, "Camera37");
    ASSERT_FALSE(expected.refusal);
    EXPECT_EQ(ReadAll(settings_), expected.document.bytes) << Status();
    EXPECT_TRUE(Holds(Status(), "Saved")) << Status();
    EXPECT_FALSE(SaveEnabled());

    // Enter presses the dialog's default button, which must be Save; the next save builds on
    // the file as saved.
    EXPECT_EQ(LOWORD(::SendMessageW(dialog_, DM_GETDEFID, 0, 0)), IDOK);
    Choose(kActivationKey, L"K");
    Click(IDOK);
    EXPECT_EQ(
        ReadAll(settings_),
        EditSetting(ReadDocument(expected.document.bytes), kActivationKey, "K").document.bytes);
}

// A file changed on disk is not written over; Reload reads the change and keeps the choice,
// unasked, and says so in the player's words. A read-only file is not written either.
TEST_F(SettingsWindowTest, AFileChangedOnDiskOrReadOnlyIsNotOverwritten) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::string edited = Replaced(kDefault, "modactivatekey=F8", "modactivatekey=F9");
    WriteAll(settings_, edited);
    Choose(kNewCamera, L"Camera20");
    Click(IDOK);
    EXPECT_EQ(ReadAll(settings_), edited);
    EXPECT_TRUE(Holds(Status(), "changed on disk")) << Status();
    EXPECT_TRUE(Holds(Details(), Status())) << "the status can be read whole in the pane";

    Click(kReloadButton);
    EXPECT_EQ(TextOf(Box(kActivationKey)), "F9");
    EXPECT_EQ(TextOf(Box(kNewCamera)), "Camera20");
    EXPECT_TRUE(Holds(Status(), SettingLabel(kNewCamera))) << Status();
    for (const std::string_view key : SettingKeyNames)
        EXPECT_FALSE(Holds(Status(), key)) << Status();
    Click(IDOK);
    const std::string saved =
        EditSetting(ReadDocument(edited), kNewCamera, "Camera20").document.bytes;
    EXPECT_EQ(ReadAll(settings_), saved);

    ASSERT_TRUE(::SetFileAttributesW(settings_.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
    Choose(kNewCamera, L"Camera21");
    Click(IDOK);
    EXPECT_EQ(ReadAll(settings_), saved);
    EXPECT_TRUE(Holds(Status(), "read-only")) << Status();
    EXPECT_TRUE(SaveEnabled()) << "the choice is kept for another try";
}

TEST_F(SettingsWindowTest, ATypedNameIsFilteredAndARefusedOneIsNeverWritten) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Type(kNewCamera, L"camera3");
    const LRESULT offered = ::SendMessageW(Box(kNewCamera), CB_GETCOUNT, 0, 0);
    EXPECT_GT(offered, 0);
    EXPECT_LT(offered, 20) << "only the names holding the typed text";
    EXPECT_FALSE(SaveEnabled()) << "Save would refuse";
    Click(IDOK);
    EXPECT_EQ(ReadAll(settings_), kDefault);
    Use(kNewCamera);
    const std::string why = Details();
    EXPECT_TRUE(Holds(why, "\"camera3\"")) << why;
    EXPECT_FALSE(Holds(why, "newcamera")) << "a setting's key is no player's word";
    EXPECT_FALSE(Holds(why, "ostrevane")) << "no command line in the window";

    // A slip is one click from the name it most likely meant, on top of the list.
    Type(kNewCamera, L"Camra37");
    wchar_t first[256] = L"";
    ::SendMessageW(Box(kNewCamera), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::wstring(first), L"Camera37");
}

// With the keyboard alone, as a player: Alt and the row's letter, Tab to its new item when the
// case says so, the text typed letter by letter, Enter to take a name, Enter to save. Enter
// takes the name typed, or the one the filter left, whether or not Save can be pressed
// before it. Each key is sent once the window shows what it needs, and the file is read only
// once the window shows it saved.
TEST_F(SettingsWindowTest, TheKeyboardAloneChoosesANameAndSaves) {
    struct Case {
        WORD altLetter;
        SettingKey key;
        bool tab;
        std::wstring typed;
        std::string taken;
    };
    const Case cases[] = {
        {'C', kNewCamera, true, L"Camera37", "Camera37"},
        {'A', kNewShake, true, L"drunk", "drunk_shake"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(SettingKeyNames[test.key]) + ": " + Ascii(test.typed));
        Stop();
        WriteAll(settings_, kDefault);
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(InFront());
        PressAlt(test.altLetter);
        const SettingKey first = test.tab ? SettingKey(test.key - 1) : test.key;
        ASSERT_TRUE(WaitUntil([&] { return HasFocus(Box(first)); }));
        if (test.tab) Press(VK_TAB);
        HWND combo = Box(test.key);
        ASSERT_TRUE(WaitUntil([&] { return HasFocus(combo); }));
        std::wstring sofar;
        for (const wchar_t letter : test.typed) {
            Press(0, letter);
            sofar += letter;
            ASSERT_TRUE(WaitUntil([&] { return TextOf(combo) == Ascii(sofar); })) << TextOf(combo);
        }
        const std::string& taken = test.taken;
        Press(VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] {
            return !::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) && SaveEnabled() &&
                   TextOf(combo) == taken;
        })) << TextOf(combo);
        Press(VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return ShowsSaved(); })) << Status();
        EXPECT_EQ(ReadAll(settings_),
                  EditSetting(ReadDocument(kDefault), test.key, taken).document.bytes)
            << "the file was not saved as set saves it";
    }
}

// A missing file is said and the default one written on request, never over one that
// appeared meanwhile; an empty one is offered the default file, asked first, the old kept.
TEST_F(SettingsWindowTest, AMissingOrUselessFileIsMendedOnRequestOnly) {
    fs::remove(settings_);
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(Holds(Status(), "no such file")) << Status();
    EXPECT_FALSE(::IsWindowEnabled(Box(kNewCamera)));
    ASSERT_TRUE(::IsWindowVisible(Control(kWriteDefaultButton)));
    EXPECT_EQ(FocusNow(), Control(kWriteDefaultButton)) << "Enter writes it";
    WriteAll(settings_, "[Settings]\r\n");
    Click(kWriteDefaultButton);
    EXPECT_EQ(ReadAll(settings_), "[Settings]\r\n");
    EXPECT_TRUE(Holds(Status(), "appeared meanwhile")) << Status();
    fs::remove(settings_);
    Click(kWriteDefaultButton);
    EXPECT_EQ(ReadAll(settings_), kDefault) << "the bytes the plug-in writes on Windows";
    EXPECT_FALSE(::IsWindowVisible(Control(kWriteDefaultButton)));
    EXPECT_EQ(TextOf(Box(kNewCamera)), "Camera15");

    Stop();
    WriteAll(settings_, "");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(::IsWindowVisible(Control(kWriteDefaultButton)));
    EXPECT_FALSE(Holds(TextOf(Control(kFindingsControl + int(kGeneralRow))), "delete"))
        << "beside the button, what the button does";
    for (const int answer : {IDNO, IDYES}) {
        PostClick(kWriteDefaultButton);
        ASSERT_TRUE(Answer(answer)) << "replaced unasked";
        EXPECT_EQ(ReadAll(settings_), answer == IDYES ? kDefault : "") << Status();
    }
    EXPECT_EQ(ReadAll(folder_ / "Ostrevane.ini.bak"), "");
    EXPECT_TRUE(Holds(Status(), "Ostrevane.ini.bak")) << Status();
    EXPECT_FALSE(::IsWindowVisible(Control(kWriteDefaultButton)));
}

TEST_F(SettingsWindowTest, AKeyThePluginDoesNotKnowIsShownAsWrittenAndWarnedOfOnItsRow) {
    WriteAll(settings_, Replaced(kDefault, "modactivatekey=F8", "modactivatekey=f8"));
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(TextOf(Box(kActivationKey)), "f8");
    EXPECT_TRUE(Holds(TextOf(Control(kFindingsControl + int(kKeyRow))), "line 2"));
    EXPECT_EQ(TextOf(Control(kFindingsControl + 3)), "") << "the camera pair is fine";
    Choose(kActivationKey, L"F8");
    EXPECT_EQ(TextOf(Control(kFindingsControl + int(kKeyRow))), "");
}

// "Is it working?" reads the game running from the window's folder and shows each pair's
// verdict in the command's words; with two running, the one the player picks; once the game
// ends, its verdicts and findings leave the window.
TEST_F(SettingsWindowTest, IsItWorkingReadsTheGameRunningFromTheWindowsFolder) {
    ASSERT_NO_FATAL_FAILURE(Start());
    WriteAll(settings_, scan_target::kSettings);
    Click(kReloadButton);
    // With no game running the folder is diagnosed all the same, the summary first.
    Click(kScanButton);
    EXPECT_TRUE(WaitUntil([&] { return Status().starts_with("F8 does nothing yet"); })) << Status();
    EXPECT_TRUE(Holds(Status(), "Ostrevane.asi is not in this folder")) << Status();
    EXPECT_TRUE(Holds(Details(), "PROBLEM: No game is running from this folder")) << Details();
    EXPECT_FALSE(Holds(Details(), "ostrevane doctor")) << "no command line";
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
    const std::string pid = std::to_string(game.process.dwProcessId);
    EXPECT_TRUE(WaitUntil([&] { return Holds(Status(), "(process " + pid + ") with"); }))
        << Status();
    EXPECT_TRUE(Holds(TextOf(Control(kVerdictControl + 0)), "would swap"));
    EXPECT_TRUE(Holds(TextOf(Control(kVerdictControl + 1)), "only the new item occurs"));

    // A second game: the window asks which, here the second in its list.
    StandInGame other;
    ASSERT_NO_FATAL_FAILURE(other.Start(folder_, L"other.exe"));
    PostClick(kScanButton);
    HWND chooser = WaitForWindowWith(process_.dwProcessId, kGameList);
    ASSERT_NE(chooser, nullptr) << "no chooser: " << Status();
    HWND list = ::GetDlgItem(chooser, kGameList);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    wchar_t second[256] = L"";
    ::SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(second));
    StandInGame& picked = std::wstring_view(second).starts_with(L"other.exe") ? other : game;
    ::SendMessageW(list, LB_SETCURSEL, 1, 0);
    ::PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const std::string read = "(process " + std::to_string(picked.process.dwProcessId) + ") with";
    EXPECT_TRUE(WaitUntil([&] { return Holds(Status(), read); })) << Status();

    ASSERT_TRUE(Holds(Details(), "PROBLEM")) << "the game's findings: " << Details();
    picked.End();
    EXPECT_TRUE(WaitUntil([&] { return Holds(Status(), "has ended"); })) << Status();
    EXPECT_FALSE(Holds(Details(), "PROBLEM")) << Details();
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
    EXPECT_TRUE(WaitUntil([&] { return Holds(Status(), "Read the game"); })) << Status();
    EXPECT_TRUE(Holds(Status(), "not the file open here")) << Status();
    EXPECT_TRUE(Holds(Status(), "elsewhere")) << Status();
    EXPECT_TRUE(Holds(TextOf(Control(kVerdictControl + 0)), "would swap"));
}

// What the window says of a pair is what the plug-in does with it: a name from another
// section is swapped and corrupts, a number is skipped and named, and every word of a long
// warning can be read in the details pane. Each comment stays under its own drop-down as the
// choices change, and the title and Save say whether anything is unsaved.
TEST_F(SettingsWindowTest, EveryCommentIsTrueAndEveryWarningCanBeReadWhole) {
    const std::string crossed =
        Replaced(Replaced(kDefault, "newshake=family5_drug_trip_shake", "newshake=Camera15"),
                 "newcamera=Camera15", "newcamera=0x2F0AACD0");
    WriteAll(settings_, crossed);
    ASSERT_NO_FATAL_FAILURE(Start());
    // Every pair's two settings read differently here, so a comment under the wrong drop-down
    // shows.
    const SettingsDocument opened = ReadDocument(crossed);
    ASSERT_NO_FATAL_FAILURE(ExpectCommentsOf(opened, opened.parsed.values));
    const std::string title = "Ostrevane " OSTREVANE_VERSION " settings - " + settings_.string();
    const std::string status = Status();
    EXPECT_EQ(Title(), title);
    EXPECT_FALSE(SaveEnabled());
    EXPECT_TRUE(Holds(TextOf(Control(kVerdictControl + 0)), "corrupts"));

    // The shake row's warning, cut or not, can be read whole in the pane.
    Use(kNewShake);
    std::string warning = TextOf(Control(kFindingsControl + 0));
    ASSERT_FALSE(warning.empty());
    if (warning.ends_with(kEllipsis)) warning.resize(warning.size() - kEllipsis.size());
    EXPECT_TRUE(Holds(Words(Details()), Words(warning))) << Details();

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
    const RECT narrow = Where(Box(kNewShake));
    ::SetWindowPos(dialog_, nullptr, 0, 0, frame.right - frame.left + 240,
                   frame.bottom - frame.top + 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT wide = Where(Box(kNewShake));
    ASSERT_GT(wide.right - wide.left, narrow.right - narrow.left) << "the rows did not widen";
    ASSERT_NO_FATAL_FAILURE(ExpectCommentsOf(opened, opened.parsed.values));
}

// Choices are never lost without a question, and what is unsaved shows; a save that would
// make the swap corrupt the game is asked about first.
TEST_F(SettingsWindowTest, ReloadAndARiskySaveAskFirst) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_NE(Title().front(), '*');
    for (const int answer : {IDNO, IDYES}) {
        Choose(kActivationKey, L"K");
        EXPECT_EQ(Title().front(), '*') << Title();
        PostClick(kReloadButton);
        ASSERT_TRUE(Answer(answer)) << "Reload dropped the choice unasked";
        EXPECT_EQ(TextOf(Box(kActivationKey)), answer == IDYES ? "K" : "F8");
    }
    EXPECT_TRUE(Holds(Status(), SettingLabel(kActivationKey))) << Status();
    // "Saved" holds only until the next change.
    Click(IDOK);
    EXPECT_TRUE(Status().starts_with("Saved")) << Status();
    EXPECT_NE(Title().front(), '*');
    Choose(kActivationKey, L"L");
    EXPECT_FALSE(Holds(Status(), "Saved")) << Status();

    Stop();
    const std::string crossed =
        Replaced(kDefault, "newshake=family5_drug_trip_shake", "newshake=Camera15");
    WriteAll(settings_, crossed);
    ASSERT_NO_FATAL_FAILURE(Start());
    Choose(kActivationKey, L"K");
    for (const int answer : {IDNO, IDYES}) {
        PostClick(IDOK);
        ASSERT_TRUE(Answer(answer)) << "saved unasked: " << Status();
        EXPECT_EQ(ReadAll(settings_) == crossed, answer == IDNO) << Status();
    }
}

// The ways a player closes the window: Esc, the Close button, and the title bar's close box,
// which arrives as SC_CLOSE and then WM_CLOSE.
enum class CloseBy { kEsc, kCloseButton, kTitleBar };

// Asks to close as a player does, the window in front, without waiting for it: a question it
// asks holds the window's thread, not the test's.
void AskToClose(HWND dialog, CloseBy way) {
    if (way == CloseBy::kEsc) Press(VK_ESCAPE);
    if (way == CloseBy::kCloseButton)
        ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    if (way == CloseBy::kTitleBar) ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// Unsaved choices are never dropped or written unasked, however the window is closed: Cancel
// keeps the window as it was, Yes saves and closes, No closes and leaves the file alone. With
// nothing unsaved (never changed, saved, or put back as the file has it) it closes unasked.
TEST_F(SettingsWindowTest, ClosingAsksOnlyWhenSomethingIsUnsavedAndDoesWhatThePlayerAnswers) {
    const std::string saved =
        EditSetting(ReadDocument(kDefault), kActivationKey, "K").document.bytes;
    struct Case {
        CloseBy way;
        std::vector<std::wstring> keys; // chosen in turn
        bool save;
        int answer;              // 0: no question
        const std::string& file; // what the file holds after
    };
    const Case cases[] = {
        {CloseBy::kEsc, {L"K"}, false, IDYES, saved},
        {CloseBy::kEsc, {L"K"}, false, IDNO, kDefault},
        {CloseBy::kCloseButton, {L"K"}, false, IDNO, kDefault},
        {CloseBy::kTitleBar, {L"K"}, false, IDYES, saved},
        {CloseBy::kEsc, {}, false, 0, kDefault},
        {CloseBy::kCloseButton, {L"K"}, true, 0, saved},
        {CloseBy::kTitleBar, {L"K", L"F8"}, false, 0, kDefault},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE("way " + std::to_string(int(test.way)) + ", answer " +
                     std::to_string(test.answer) + ", choices " + std::to_string(test.keys.size()));
        Stop();
        WriteAll(settings_, kDefault);
        ASSERT_NO_FATAL_FAILURE(Start());
        for (const std::wstring& key : test.keys)
            Choose(kActivationKey, key);
        if (test.save) Click(IDOK);
        const std::string title = Title();
        ASSERT_EQ(title.front() == '*', test.answer != 0) << title;
        ASSERT_TRUE(InFront());
        for (const int reply : {IDCANCEL, test.answer}) {
            if (test.answer == 0) break;
            AskToClose(dialog_, test.way);
            ASSERT_TRUE(Answer(reply)) << "no question; the window ended: " << Ended(0);
            if (reply != IDCANCEL) break;
            // Cancel: the window stays as it was, the choice unsaved and marked so.
            EXPECT_FALSE(Ended(0)) << "Cancel closed the window";
            EXPECT_EQ(Title(), title);
            EXPECT_TRUE(SaveEnabled());
            EXPECT_EQ(ReadAll(settings_), kDefault);
            ASSERT_TRUE(InFront());
        }
        if (test.answer == 0) AskToClose(dialog_, test.way);
        DWORD exitCode = 1;
        EXPECT_TRUE(Ended(20000, &exitCode)) << "the window stayed open";
        EXPECT_EQ(exitCode, 0u) << "the window ended of itself, not by a fault";
        EXPECT_EQ(ReadAll(settings_), test.file);
    }
}

// After Alt+S the focus moves off the disabled Save, so Tab and Esc still work; an Alt letter
// selects the whole name, so typing replaces it.
TEST_F(SettingsWindowTest, TheKeyboardNeverStallsOnADisabledButtonAndTypingReplacesTheName) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(InFront());
    Choose(kActivationKey, L"K");
    PressAlt('S');
    const std::string saved =
        EditSetting(ReadDocument(kDefault), kActivationKey, "K").document.bytes;
    ASSERT_TRUE(WaitUntil([&] { return ShowsSaved(); })) << Status();
    EXPECT_EQ(ReadAll(settings_), saved);
    // Save disables itself once the file is written, and only then is the focus moved on.
    EXPECT_TRUE(WaitUntil([&] {
        HWND focus = FocusNow();
        return focus != nullptr && focus != Control(IDOK) && ::IsWindowEnabled(focus);
    })) << "the focus rests on a disabled control, or nowhere";

    PressAlt('C');
    HWND camera = Box(kOldCamera);
    EXPECT_TRUE(WaitUntil([&] {
        DWORD start = 1, end = 0;
        ::SendMessageW(camera, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        return HasFocus(camera) && start == 0 && end == DWORD(TextOf(camera).size());
    })) << "Alt+C selects the whole name";
    Press(0, L'x');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(camera) == "x"; }))
        << "the letter replaced the name: " << TextOf(camera);
}

// "Defaults..." puts one row's choices back without saving.
TEST_F(SettingsWindowTest, DefaultsPutOneRowsChoicesBackUnsaved) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Choose(kNewCamera, L"Camera37");
    Choose(kOldDof, L"DOF10");
    PostClick(kDefaultsButton);
    HWND chooser = WaitForWindowWith(process_.dwProcessId, kDefaultsList);
    ASSERT_NE(chooser, nullptr);
    HWND list = ::GetDlgItem(chooser, kDefaultsList);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), LRESULT(kPairCount + 2));
    // Each row is named there as the window names it.
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        wchar_t entry[256] = L"";
        ::SendMessageW(list, LB_GETTEXT, WPARAM(pair + 1), reinterpret_cast<LPARAM>(entry));
        std::string label = TextOf(Control(kRowNameControl + int(pair)));
        std::erase(label, '&');
        EXPECT_EQ(Ascii(entry), label);
    }
    ::SendMessageW(list, LB_SETCURSEL, 4, 0); // the camera pair
    ::PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(Box(kNewCamera)) == "Camera15"; }));
    EXPECT_EQ(TextOf(Box(kOldDof)), "DOF10");
    EXPECT_EQ(ReadAll(settings_), kDefault) << "nothing saved";
}

} // namespace
} // namespace window_test
