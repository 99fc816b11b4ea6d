// What the commands' core returns as data, which the command line prints and the settings
// window shows: the names of a section, a setting's edit, the findings by kind.
#include "cli/check/check.h"
#include "cli/list/list.h"
#include "cli/ostrevane.h"
#include "cli/set/set.h"
#include "settings/default_settings.h"
#include "tests/pair_keys.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

const std::string kDefault = DefaultSettingsText("\r\n");

std::string Fixture(const std::string& name) {
    std::ifstream file(std::string(OSTREVANE_FIXTURES) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

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

TEST(ListNames, GivesASectionsNamesWithHashesCommentsAndTheChosenOnes) {
    const size_t camera = NamedSection("[CAMERA]");
    ASSERT_EQ(camera, NamedSection("camera"));
    EXPECT_EQ(NamedSection("cameras"), kPairCount);
    EXPECT_EQ(NamedSection("newshakeloop"), NamedSection("ShakeLoop")) << "the header's word";
    EXPECT_EQ(NamedSection("[newshakeloop]"), 1u);
    EXPECT_EQ(NamedSection("[]"), kPairCount);

    const NameList all = ListNames(kDefault, camera);
    EXPECT_EQ(all.inSection, 40u);
    ASSERT_EQ(all.names.size(), 40u);
    const auto named = [&](std::string_view name) {
        return *std::find_if(all.names.begin(), all.names.end(),
                             [&](const ListedName& entry) { return entry.name == name; });
    };
    const ListedName chosenNew = named("Camera15"), chosenOld = named("Camera38");
    EXPECT_EQ(chosenNew.hash, 0x2F0AACD0u);
    EXPECT_TRUE(chosenNew.chosenAsNew && !chosenNew.chosenAsOld);
    EXPECT_TRUE(chosenOld.chosenAsOld && !chosenOld.chosenAsNew);
    EXPECT_FALSE(named("Camera00").chosenAsOld || named("Camera00").chosenAsNew);
    EXPECT_TRUE(chosenNew.comment.starts_with("ViewModes")) << chosenNew.comment;
    EXPECT_NE(chosenNew.comment.back(), ' ');
    EXPECT_EQ(kDefault.substr(kDefault.find("Camera15=0x2F0AACD0")).find('\r'),
              kDefault.substr(kDefault.find("Camera15=0x2F0AACD0")).find(chosenNew.comment) +
                  chosenNew.comment.size() + 1)
        << "the comment runs to the line's end, its trailing blank and CR trimmed";

    const NameList filtered = ListNames(kDefault, camera, "cAMERA1");
    EXPECT_EQ(filtered.inSection, 40u);
    EXPECT_EQ(filtered.names.size(), 10u); // Camera10 to Camera19
    EXPECT_EQ(filtered.names.front().name, "Camera10");

    for (const std::string& unreadable : {std::string(), Fixture("utf16.ini")}) {
        const NameList none = ListNames(unreadable, camera);
        EXPECT_EQ(none.inSection, 0u);
        EXPECT_TRUE(none.names.empty());
    }
}

TEST(EditSetting, ChangesOneLineOrRefusesWithTheReasonAndNoFile) {
    const SettingEdit camera = EditSetting(kDefault, kNewCamera, "Camera37");
    EXPECT_EQ(camera.refusal, "");
    EXPECT_EQ(camera.where, "line 10 (it was \"Camera15\")");
    EXPECT_EQ(camera.edited.size(), kDefault.size()) << "the comment keeps its column";
    EXPECT_EQ(ChangedLines(camera.edited, kDefault), std::vector<size_t>{10});
    EXPECT_EQ(EditSetting(kDefault, kNewCamera, "Camera15").edited, kDefault);

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
        {kNewCamera, "0x7DC36678", "no name under [Camera] has the hash 0x7DC36678"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.value);
        const SettingEdit edit = EditSetting(kDefault, r.key, r.value);
        EXPECT_NE(edit.refusal.find(r.reason), std::string::npos) << edit.refusal;
        EXPECT_EQ(edit.edited, "");
    }
    // A name whose hash fills ordinary memory would corrupt the game wherever it is found.
    const std::string added = kDefault + "[Camera]\r\ncommon=0x3F800000\r\nzero=0\r\n";
    EXPECT_NE(EditSetting(added, kNewCamera, "common").refusal.find("ordinary memory"),
              std::string::npos);
    EXPECT_NE(EditSetting(added, kNewCamera, "zero").refusal.find("pair would be skipped"),
              std::string::npos);
}

TEST(CheckSettings, EachFindingSaysItsKindAndTheSettingItConcerns) {
    struct Case {
        std::string file;
        FindingKind kind;
        SettingKey setting;
    };
    const auto with = [](std::string_view from, std::string_view to) {
        std::string file = kDefault;
        return file.replace(file.find(from), from.size(), to);
    };
    const SettingKey none = SettingKey(kSettingKeyCount);
    const Case cases[] = {
        {"", FindingKind::kUnreadable, none},
        {Fixture("utf16.ini"), FindingKind::kUnreadable, none},
        {with("newcamera=Camera15", "newcamera=drunk_shake"), FindingKind::kCorrupts, kNewCamera},
        {with("newcamera=Camera15", "newcamera=Camera99"), FindingKind::kSetting, kNewCamera},
        {with("modactivatekey=F8", "modactivatekey=f8"), FindingKind::kSetting, kActivationKey},
        {with("[Camera]", "[camera]"), FindingKind::kHeader, none},
        {with("DOF05=", "DOF05=x"), FindingKind::kDictionary, none},
        {with("[Shake]", "\x1A[Shake]"), FindingKind::kWholeFile, none},
        {kDefault + "[Camera]\r\ncommon=0x3F800000\r\n[Settings]\r\nnewcamera=common\r\n",
         FindingKind::kCorrupts, kNewCamera},
    };
    for (const Case& c : cases) {
        const CheckReport report = CheckSettings(c.file);
        ASSERT_FALSE(report.warnings.empty()) << c.file.substr(0, 40);
        const auto found = std::find_if(report.warnings.begin(), report.warnings.end(),
                                        [&](const CheckWarning& w) { return w.kind == c.kind; });
        ASSERT_NE(found, report.warnings.end()) << report.warnings[0].message;
        EXPECT_EQ(found->setting, c.setting) << found->message;
        EXPECT_EQ(UnreadableFinding(report) != nullptr, c.kind == FindingKind::kUnreadable);
    }
    EXPECT_TRUE(CheckSettings(kDefault).warnings.empty());
}

class UnreadableFile : public GameFolderTest {};

// An empty or UTF-16 file holds no names: list and set say why, as check does, and change
// nothing, rather than send the player to a list that comes back empty.
TEST_F(UnreadableFile, ListAndSetGiveCheckCauseAndLeaveTheFile) {
    for (const std::string& bytes : {std::string(), Fixture("utf16.ini")}) {
        WriteSettings(bytes);
        const char* lists[] = {"ostrevane", "list", "camera"};
        const char* sets[] = {"ostrevane", "set", "newcamera", "Camera37"};
        for (const auto& [argc, argv] : {std::pair<int, const char**>{3, lists}, {4, sets}}) {
            std::ostringstream out, err;
            EXPECT_EQ(RunOstrevane(argc, argv, out, err), 2);
            const std::string cause = CheckSettings(bytes).warnings.at(0).message;
            EXPECT_NE(err.str().find(": " + cause + "\n"), std::string::npos) << err.str();
            EXPECT_EQ(out.str(), "");
        }
        std::ifstream file(SettingsPath, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), bytes);
    }
}

// A Ctrl-Z that the plug-in reads past still lets list go on, with check's words after it.
TEST_F(UnreadableFile, ListShowsAWholeFileWarningWithTheNames) {
    WriteSettings(kDefault.substr(0, kDefault.find("[Camera]")) + "\x1A" +
                  kDefault.substr(kDefault.find("[Camera]")));
    const char* argv[] = {"ostrevane", "list", "dof"};
    std::ostringstream out, err;
    EXPECT_EQ(RunOstrevane(3, argv, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("35 names under [DOF].\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("1 warning:\n  line "), std::string::npos);
    EXPECT_NE(out.str().find("a Ctrl-Z byte (0x1A) ends the file for the plug-in"),
              std::string::npos);
}

// Each slip a player makes on the command line gets a next step that names what they meant.
TEST_F(UnreadableFile, SlipsGetANextStepThatFits) {
    const auto run = [](std::vector<const char*> argv) {
        argv.insert(argv.begin(), "ostrevane");
        std::ostringstream out, err;
        EXPECT_EQ(RunOstrevane(int(argv.size()), argv.data(), out, err), 2);
        return err.str();
    };
    EXPECT_NE(run({"list", "loop"}).find("did you mean \"shakeloop\"?"), std::string::npos);
    EXPECT_NE(run({"set", "--settings", "nosuch.ini", "newcamera", "Camera37"})
                  .find("`ostrevane default -o nosuch.ini` writes one now"),
              std::string::npos);
    EXPECT_NE(run({"check", "my settings.ini"})
                  .find("`ostrevane default -o \"my settings.ini\"` writes one now"),
              std::string::npos);
}
