// `ostrevane list`: a section's names, with their hashes, comments and the chosen ones.
#include "settings_file/list_names.h"
#include "tests/cli/command_test.h"

namespace {

const std::string kDefault = DefaultFile("\r\n"); // as the plug-in writes it

} // namespace

TEST(ListNames, GivesASectionsNamesWithHashesCommentsAndTheChosenOnes) {
    const size_t camera = NamedSection("[CAMERA]");
    ASSERT_EQ(camera, NamedSection("camera"));
    EXPECT_EQ(NamedSection("cameras"), kPairCount);
    EXPECT_EQ(NamedSection("newshakeloop"), NamedSection("ShakeLoop")) << "the header's word";
    EXPECT_EQ(NamedSection("[newshakeloop]"), 1u);
    EXPECT_EQ(NamedSection("[]"), kPairCount);

    const NameList all = ListNames(ReadDocument(kDefault), camera);
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

    const NameList filtered = ListNames(ReadDocument(kDefault), camera, "cAMERA1");
    EXPECT_EQ(filtered.inSection, 40u);
    EXPECT_EQ(filtered.names.size(), 10u); // Camera10 to Camera19
    EXPECT_EQ(filtered.names.front().name, "Camera10");

    for (const std::string& unreadable : {std::string(), Read(Fixture("utf16.ini"))}) {
        const NameList none = ListNames(ReadDocument(unreadable), camera);
        EXPECT_EQ(none.inSection, 0u);
        EXPECT_TRUE(none.names.empty());
    }
}

TEST_F(OstrevaneCommand, ListShowsOneSectionsNamesHoldingTheTextAndCountsThem) {
    Write("Ostrevane.ini", DefaultFile());
    const Outcome fps = Ostrevane({"list", "[Shake]", "FPS_"});
    EXPECT_EQ(fps.status, 0);
    EXPECT_NE(fps.out.find("\n  fps_tank_recoil_shake              0x85267509\n9 of 76 names "
                           "under [Shake] hold \"FPS_\".\n"),
              std::string::npos)
        << fps.out;
    EXPECT_EQ(std::count(fps.out.begin(), fps.out.end(), '\n'), 12);
    const Outcome cameras = Ostrevane({"list", "camera"});
    EXPECT_NE(cameras.out.find("  Camera15  0x2F0AACD0  newcamera\n"), std::string::npos);
    EXPECT_NE(cameras.out.find("\n40 names under [Camera].\n"), std::string::npos);
    const Outcome wrong = Ostrevane({"list", "cameras"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("\"cameras\" is not a section; did you mean \"camera\"?"),
              std::string::npos);
}

// A Ctrl-Z that the plug-in reads past still lets list go on, with check's words after it.
TEST_F(OstrevaneCommand, ListShowsAWholeFileWarningWithTheNames) {
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
