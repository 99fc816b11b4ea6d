// `ostrevane set`: one setting changed and nothing else, or a refusal that changes nothing.
#include "cli/check/check_words.h"
#include "cli/set/set_command.h"
#include "settings_file/edit_setting.h"
#include "tests/cli/command_test.h"
#include "tests/pair_keys.h"

namespace {

const std::string kDefault = DefaultFile("\r\n"); // as the plug-in writes it

// The lines of `a` that differ from `b`'s, by number, for files of as many lines.
std::vector<size_t> ChangedLines(const std::string& a, const std::string& b) {
    std::istringstream left(a), right(b);
    std::vector<size_t> changed;
    std::string l, r;
    for (size_t number = 1; std::getline(left, l) && std::getline(right, r); ++number) {
        if (l != r) changed.push_back(number);
    }
    return changed;
}

} // namespace

TEST(EditSetting, ChangesOneLineOrRefusesWithTheReasonAndNoFile) {
    const SettingEdit camera = EditSetting(ReadDocument(kDefault), kNewCamera, "Camera37");
    EXPECT_FALSE(camera.refusal);
    EXPECT_EQ(camera.where, "line 10 (it was \"Camera15\")");
    EXPECT_EQ(camera.document.bytes.size(), kDefault.size()) << "the comment keeps its column";
    EXPECT_EQ(ChangedLines(camera.document.bytes, kDefault), std::vector<size_t>{10});
    EXPECT_EQ(EditSetting(ReadDocument(kDefault), kNewCamera, "Camera15").document.bytes, kDefault);

    struct Refused {
        SettingKey key;
        std::string value, reason;
    };
    const Refused refused[] = {
        {kNewCamera, "sky_diving_shake", "is a camera shake (under [Shake]"},
        {kNewCamera, "Camera1", "is not in the dictionary; did you mean \"Camera01\"?"},
        {kActivationKey, "f9", "names are case-sensitive, so write \"F9\""},
        {kNewCamera, "0x2F0AACD0",
         "the dictionary calls 0x2F0AACD0 \"Camera15\"; `ostrevane set newcamera Camera15`"},
        {kNewCamera, "0x2f0aacd0", "the dictionary calls 0x2F0AACD0 \"Camera15\""},
        {kNewCamera, "0x7DC36678", "no name under [Camera] has the hash 0x7DC36678"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.value);
        const SettingEdit edit = EditSetting(ReadDocument(kDefault), r.key, r.value);
        EXPECT_NE(RefusalWords(edit.refusal).find(r.reason), std::string::npos)
            << RefusalWords(edit.refusal);
        EXPECT_EQ(edit.document.bytes, "");
    }
    // A value longer than the blanks before its comment keeps one blank before it.
    const std::string tight = "[Settings]\noldshake=a  ; the old one\n[Shake]\na=0x11223344\n"
                              "longer_name=0x12345678\n";
    EXPECT_EQ(EditSetting(ReadDocument(tight), kOldShake, "longer_name").document.bytes,
              "[Settings]\noldshake=longer_name ; the old one\n[Shake]\na=0x11223344\n"
              "longer_name=0x12345678\n");
    // A name whose hash fills ordinary memory would corrupt the game wherever it is found.
    const std::string added = kDefault + "[Camera]\r\ncommon=0x3F800000\r\nzero=0\r\n";
    EXPECT_NE(RefusalWords(EditSetting(ReadDocument(added), kNewCamera, "common").refusal)
                  .find("ordinary memory"),
              std::string::npos);
    EXPECT_NE(RefusalWords(EditSetting(ReadDocument(added), kNewCamera, "zero").refusal)
                  .find("pair would be skipped"),
              std::string::npos);
}

// The window's Save makes several edits at once: the same bytes as one `set` after another,
// with a value no line can hold refused alone.
TEST(EditSettings, MakesTheBytesOfOneEditAfterAnotherAndRefusesOnlyWhatCannotBeHeld) {
    std::string file = kDefault;
    file.erase(file.find("modactivatekey=F8"), file.find('\n', file.find("modactivatekey=F8")) -
                                                   file.find("modactivatekey=F8") + 1);
    file += "[Camera]\r\n;odd=0x12345678\r\n";
    // A line without a comment grows with its value, moving the lines after it.
    const size_t oldShake = file.find("oldshake=");
    file.replace(oldShake, file.find('\r', oldShake) - oldShake, "oldshake=sky_diving_shake");
    for (const bool withOneThatCannotBeHeld : {false, true}) {
        std::array<std::optional<std::string>, kSettingKeyCount> values;
        values[kOldShake] = "default_third_person_accuracy_offset_shake";
        values[kNewCamera] = "Camera37";
        values[kOldDof] = "DOF10";
        values[kActivationKey] = "K"; // a new line: the file has none
        if (withOneThatCannotBeHeld) values[kOldCamera] = ";odd";
        SettingsDocument oneByOne = ReadDocument(file);
        for (size_t key = 0; key < kSettingKeyCount; ++key) {
            if (!values[key]) continue;
            SettingEdit edit = EditSetting(oneByOne, SettingKey(key), *values[key]);
            if (!edit.refusal) oneByOne = std::move(edit.document);
        }
        const SettingsEdit atOnce = EditSettings(ReadDocument(file), values);
        EXPECT_EQ(atOnce.document.bytes, oneByOne.bytes);
        for (size_t key = 0; key < kSettingKeyCount; ++key) {
            const bool refused = withOneThatCannotBeHeld && key == kOldCamera;
            EXPECT_EQ(atOnce.refusals[key].kind,
                      refused ? RefusalKind::kCannotHold : RefusalKind::kNone)
                << key;
            if (refused) {
                EXPECT_EQ(atOnce.refusals[key].key, key) << "it names its setting";
            }
        }
    }
}

// The default file's line `number` becomes `text`, its comment kept at column 59.
std::string DefaultWithSetting(size_t number, const std::string& text) {
    std::string file = DefaultFile();
    size_t start = 0;
    for (size_t line = 1; line < number; ++line)
        start = file.find('\n', start) + 1;
    const size_t end = file.find('\n', start), comment = file.find(';', start);
    const std::string kept =
        comment < end ? std::string(58 - text.size(), ' ') + file.substr(comment, end - comment)
                      : "";
    return file.replace(start, end - start, text + kept);
}

TEST_F(OstrevaneCommand, SetRewritesOnlyTheValueOfEachSettingOfTheDefaultFile) {
    const std::pair<std::string, std::string> settings[] = {{"modactivatekey", "K"},
                                                            {"oldshake", "drunk_shake"},
                                                            {"newshake", "hand_shake"},
                                                            {"oldshakeloop", "drunk_shake_loop"},
                                                            {"newshakeloop", "hand_shake_loop"},
                                                            {"olddof", "DOF00"},
                                                            {"newdof", "DOF03"},
                                                            {"oldcamera", "Camera37"},
                                                            {"newcamera", "Camera01"}};
    for (size_t i = 0; i < std::size(settings); ++i) {
        const auto& [setting, value] = settings[i];
        Write("Ostrevane.ini", DefaultFile());
        const Outcome set = Ostrevane({"set", setting, value});
        EXPECT_EQ(set.status, 0) << setting << set.err << set.out;
        // Compared whole, but never printed: the file is 155 KB.
        EXPECT_TRUE(Read("Ostrevane.ini") == DefaultWithSetting(i + 2, setting + "=" + value))
            << setting;
        EXPECT_NE(set.out.find("No warnings."), std::string::npos) << set.out;
    }
}

TEST_F(OstrevaneCommand, SetKeepsCrLfAndTheCommentsColumnAndAddsAMissingSetting) {
    Write("Ostrevane.ini",
          "[Settings]\r\noldshake=a    ; the old one\r\nnewshake=b;x\r\n[Shake]\r\n"
          "a=0x11223344\r\nb=0x55667788\r\nlonger_name=0x12345678\r\n");
    // Done, and the check warns that no toggle key is set.
    EXPECT_EQ(Ostrevane({"set", "oldshake", "b"}).status, 1);
    EXPECT_EQ(Ostrevane({"set", "newshake", "longer_name"}).status, 1);
    const Outcome added = Ostrevane({"set", "modactivatekey", "F9"});
    EXPECT_NE(added.out.find("Set modactivatekey to \"F9\" on a new line after line 3 (it was not "
                             "set)."),
              std::string::npos)
        << added.out;
    EXPECT_EQ(Read("Ostrevane.ini"),
              "[Settings]\r\noldshake=b    ; the old one\r\nnewshake=longer_name;x\r\n"
              "modactivatekey=F9\r\n[Shake]\r\na=0x11223344\r\nb=0x55667788\r\n"
              "longer_name=0x12345678\r\n");
}

// Where the plug-in reads settings: before the first dictionary, else in any other section.
TEST_F(OstrevaneCommand, SetAddsAMissingSettingToTheFirstSettingsSection) {
    const std::string dictionary = "[Shake]\na=0x11223344\n";
    const std::pair<std::string, std::string> cases[] = {
        {"[Settings]\nnewshake=a\n" + dictionary + "[More]\nmodactivatekey=F8\n",
         "[Settings]\nnewshake=a\noldshake=a\n" + dictionary + "[More]\nmodactivatekey=F8\n"},
        {dictionary + "[Mine]\nnewshake=a", dictionary + "[Mine]\noldshake=a\nnewshake=a"},
        {dictionary, dictionary + "[Settings]\noldshake=a\n"},
    };
    for (const auto& [before, after] : cases) {
        Write("Ostrevane.ini", before);
        EXPECT_NE(Ostrevane({"set", "oldshake", "a"}).status, 2) << before;
        EXPECT_EQ(Read("Ostrevane.ini"), after);
    }
}

TEST_F(OstrevaneCommand, SetRefusesWhatThePlugInCannotUseAndChangesNothing) {
    const std::string file =
        DefaultFile() + "[Shake]\nflat_shake=0x3F800000\nodd;name=0x12345678\n";
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"set", "newShake", "hand_shake"},
         "\"newShake\" is not a setting; did you mean \"newshake\"?"},
        {{"set", "newshake", "hand_shak"}, "not in the dictionary; did you mean \"hand_shake\"?"},
        {{"set", "newshake", "Camera15"},
         "\"Camera15\" is a camera (under [Camera], line 223), "
         "but newshake takes a camera shake"},
        {{"set", "newshake", "flat_shake"}, "0x3F800000 (line 256), a value ordinary memory is"},
        {{"set", "newshake", "odd;name"}, "no settings line can hold \"odd;name\""},
        {{"set", "modactivatekey", "f8"}, "names are case-sensitive, so write \"F8\""},
        {{"set", "newshake", "hand_shake", "--settings", "read-only.ini"}, "is read-only"},
    };
    Write("read-only.ini", file);
    fs::permissions("read-only.ini", fs::perms::owner_read);
    for (const auto& [args, says] : cases) {
        Write("Ostrevane.ini", file);
        const Outcome refused = Ostrevane(args);
        EXPECT_EQ(refused.status, 2) << says;
        EXPECT_NE(refused.err.find(says), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(Read("Ostrevane.ini"), file) << says;
    }
    EXPECT_EQ(Read("read-only.ini"), file);
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}

// An empty or UTF-16 file holds no names: list and set say why, as check does, and change
// nothing, rather than send the player to a list that comes back empty.
TEST_F(OstrevaneCommand, ListAndSetGiveCheckCauseAndLeaveTheFile) {
    for (const std::string& bytes : {std::string(), Read(Fixture("utf16.ini"))}) {
        WriteSettings(bytes);
        const char* lists[] = {"ostrevane", "list", "camera"};
        const char* sets[] = {"ostrevane", "set", "newcamera", "Camera37"};
        for (const auto& [argc, argv] : {std::pair<int, const char**>{3, lists}, {4, sets}}) {
            std::ostringstream out, err;
            EXPECT_EQ(RunOstrevane(argc, argv, out, err), 2);
            const std::string cause =
                FindingWords(CheckSettings(ReadDocument(bytes)).warnings.at(0));
            EXPECT_NE(err.str().find(": " + cause + "\n"), std::string::npos) << err.str();
            EXPECT_EQ(out.str(), "");
        }
        std::ifstream file(SettingsPath, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), bytes);
    }
}
