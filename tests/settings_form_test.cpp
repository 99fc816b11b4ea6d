// The settings window's model: what it offers, what it warns of, and what Save writes.
#include "window/settings_form.h"

#include "inspect/bytes_text.h"
#include "inspect/edit_setting.h"
#include "settings/default_settings.h"
#include "settings/key_names.h"
#include "tests/pair_keys.h"
#include "window/default_repair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string kDefault = DefaultSettingsText("\r\n");

// A settings file of its own for each test, in a folder that goes with it.
class SettingsFormTest : public testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("settings_form_test_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "Ostrevane.ini").string();
    }
    void TearDown() override {
        std::error_code error;
        fs::permissions(path, fs::perms::owner_all, error);
        fs::remove_all(folder, error);
    }
    void Write(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Read() const {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    SettingsForm Opened(const std::string& bytes) const {
        Write(bytes);
        SettingsForm form;
        std::string problem;
        EXPECT_EQ(OpenSettingsFile(path, form, problem), OpenOutcome::kOpened) << problem;
        return form;
    }

    fs::path folder;
    std::string path;
};

TEST_F(SettingsFormTest, OpensWithTheChoicesThePluginReadsAndNothingToSave) {
    SettingsForm form = Opened(kDefault);
    EXPECT_EQ(form.chosen[kNewCamera], "Camera15");
    EXPECT_EQ(form.chosen[kActivationKey], "F8");
    EXPECT_FALSE(FormChanged(form));
    EXPECT_EQ(PendingChanges(form).document.bytes, kDefault);
    std::string message;
    EXPECT_EQ(SaveSettingsFile(form, message), SaveOutcome::kNothingChanged);
    EXPECT_EQ(Read(), kDefault);
}

TEST_F(SettingsFormTest, SaveWritesSetsEditForEachChangedSettingInTurn) {
    SettingsForm form = Opened(kDefault);
    form.chosen[kNewCamera] = "Camera37";
    form.chosen[kOldDof] = "DOF10";
    form.chosen[kActivationKey] = "K";
    ASSERT_TRUE(FormChanged(form));
    std::string expected = EditSetting(ReadDocument(kDefault), kOldDof, "DOF10").document.bytes;
    expected = EditSetting(ReadDocument(expected), kNewCamera, "Camera37").document.bytes;
    expected = EditSetting(ReadDocument(expected), kActivationKey, "K").document.bytes;
    ASSERT_EQ(PendingChanges(form).document.bytes, expected);

    std::string message;
    ASSERT_EQ(SaveSettingsFile(form, message), SaveOutcome::kSaved) << message;
    EXPECT_EQ(Read(), expected);
    // The saved file is the one open now: a second save finds nothing to do and no change.
    EXPECT_FALSE(FormChanged(form));
    EXPECT_EQ(form.opened.bytes, expected);
    form.chosen[kNewCamera] = "Camera15";
    EXPECT_EQ(SaveSettingsFile(form, message), SaveOutcome::kSaved) << message;
    EXPECT_EQ(Read(), EditSetting(ReadDocument(expected), kNewCamera, "Camera15").document.bytes);
}

TEST_F(SettingsFormTest, NothingIsWrittenWhenSaveCannotBeTrusted) {
    // A name the dictionary lacks: refused with its setting named.
    SettingsForm form = Opened(kDefault);
    form.chosen[kNewCamera] = "Camera999";
    EXPECT_EQ(PendingChanges(form).refusals[kNewCamera].kind, RefusalKind::kNotInDictionary);
    std::string message;
    EXPECT_EQ(SaveSettingsFile(form, message), SaveOutcome::kRefused);
    EXPECT_EQ(Read(), kDefault);

    // Changed on disk since it was opened, even to the same size: never overwritten.
    form = Opened(kDefault);
    std::string edited = kDefault;
    edited[edited.find("F8")] = 'G';
    Write(edited);
    form.chosen[kNewCamera] = "Camera37";
    EXPECT_EQ(SaveSettingsFile(form, message), SaveOutcome::kChangedOnDisk);
    EXPECT_NE(message.find("changed on disk"), std::string::npos);
    EXPECT_EQ(Read(), edited);
    // Reload keeps the choice and applies it over the file as it is now.
    std::string problem;
    std::vector<std::string_view> kept;
    ASSERT_EQ(ReloadSettingsFile(form, problem, kept), OpenOutcome::kOpened) << problem;
    EXPECT_EQ(kept, std::vector<std::string_view>{"newcamera"});
    EXPECT_EQ(ReloadedText(form, kept).find("newcamera"), std::string::npos) << "a player's words";
    EXPECT_EQ(form.chosen[kNewCamera], "Camera37");
    EXPECT_EQ(form.chosen[kActivationKey], "G8");
    EXPECT_EQ(SaveSettingsFile(form, message), SaveOutcome::kSaved) << message;
    EXPECT_EQ(Read(), EditSetting(ReadDocument(edited), kNewCamera, "Camera37").document.bytes);

    // Removed meanwhile: not written back either.
    form = Opened(kDefault);
    fs::remove(path);
    form.chosen[kNewCamera] = "Camera37";
    EXPECT_EQ(SaveSettingsFile(form, message), SaveOutcome::kChangedOnDisk);
    EXPECT_FALSE(fs::exists(path));

    // Failing to read meanwhile (a link to /proc/self/mem reads with EIO, as a failing disk
    // does): not written, and Reload says so and keeps the choices rather than open nothing.
    form = Opened(kDefault);
    fs::remove(path);
    fs::create_symlink("/proc/self/mem", path);
    form.chosen[kNewCamera] = "Camera37";
    EXPECT_EQ(SaveSettingsFile(form, message), SaveOutcome::kChangedOnDisk);
    EXPECT_EQ(ReloadSettingsFile(form, problem, kept), OpenOutcome::kUnreadable);
    EXPECT_NE(problem.find("Ostrevane.ini: cannot be read."), std::string::npos) << problem;
    EXPECT_EQ(form.chosen[kNewCamera], "Camera37");
    EXPECT_EQ(form.opened.bytes, kDefault);
    EXPECT_EQ(fs::read_symlink(path), "/proc/self/mem");
    fs::remove(path);

    // Read-only: refused with the words that say how to clear it.
    form = Opened(kDefault);
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    form.chosen[kNewCamera] = "Camera37";
    EXPECT_EQ(SaveSettingsFile(form, message), SaveOutcome::kWriteFailed);
    EXPECT_NE(message.find("read-only"), std::string::npos);
    EXPECT_EQ(message.find("owner"), std::string::npos) << message; // that advice is another's
    EXPECT_EQ(Read(), kDefault);
}

TEST_F(SettingsFormTest, AMissingFileIsOfferedThePluginsDefault) {
    SettingsForm form;
    std::string problem;
    EXPECT_EQ(OpenSettingsFile(path, form, problem), OpenOutcome::kMissing);
    EXPECT_NE(problem.find("Ostrevane.ini"), std::string::npos);
    EXPECT_NE(problem.find("Write the default file"), std::string::npos);
    EXPECT_TRUE(form.path.empty());
    ASSERT_TRUE(WriteDefaultSettingsFile(path, problem)) << problem;
    EXPECT_EQ(Read(), kDefault);
    // Never over a file that appeared meanwhile.
    Write("mine");
    EXPECT_FALSE(WriteDefaultSettingsFile(path, problem));
    EXPECT_EQ(Read(), "mine");
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_EQ(OpenSettingsFile(path, form, problem), OpenOutcome::kUnreadable);
    EXPECT_NE(problem.find("folder"), std::string::npos);
    EXPECT_EQ(problem.find("Write the default file"), std::string::npos);
}

bool AnyOnRow(const CheckReport& report, size_t row) {
    for (const CheckWarning& warning : report.warnings)
        if (RowOf(warning) == row) return true;
    return false;
}

TEST_F(SettingsFormTest, WarningsFollowTheChoicesToTheirRows) {
    SettingsForm form = Opened(kDefault);
    for (size_t row = 0; row <= kGeneralRow; ++row)
        EXPECT_FALSE(AnyOnRow(CheckSettings(PendingChanges(form).document), row)) << row;
    // A camera's name as the new shake: refused as `set` refuses it, and warned of on the
    // shake's row alone.
    form.chosen[kNewShake] = "Camera37";
    EXPECT_EQ(PendingChanges(form).refusals[kNewShake].kind, RefusalKind::kOtherSection);
    const FormReading typed = ReadForm(form);
    EXPECT_FALSE(typed.refusal.empty());
    EXPECT_FALSE(typed.warnings[0].empty());
    EXPECT_TRUE(typed.warnings[3].empty());
    // Written by hand, it is warned of on the shake's row, not the camera's.
    std::string crossed = kDefault;
    crossed.replace(crossed.find("newshake=family5_drug_trip_shake"), 32, "newshake=Camera37");
    form = Opened(crossed);
    EXPECT_TRUE(AnyOnRow(CheckSettings(PendingChanges(form).document), 0));
    EXPECT_FALSE(AnyOnRow(CheckSettings(PendingChanges(form).document), 3));
    // And a camera missing from the dictionary on the camera's row, the last pair's.
    form = Opened(crossed.replace(crossed.find("newcamera=Camera15"), 18, "newcamera=Camera99"));
    EXPECT_TRUE(AnyOnRow(CheckSettings(PendingChanges(form).document), 3));
    EXPECT_FALSE(AnyOnRow(CheckSettings(PendingChanges(form).document), 2));

    // A header in the wrong case belongs to no row; an unknown key to the key's.
    std::string lowered = kDefault;
    lowered.replace(lowered.find("[DOF]"), 5, "[dof]");
    lowered.replace(lowered.find("modactivatekey=F8"), 17, "modactivatekey=f8");
    form = Opened(lowered);
    const CheckReport report = CheckSettings(PendingChanges(form).document);
    EXPECT_TRUE(AnyOnRow(report, kGeneralRow));
    EXPECT_TRUE(AnyOnRow(report, kKeyRow));
    EXPECT_FALSE(AnyOnRow(report, 3)) << "nothing concerns the camera pair";
    for (const CheckWarning& warning : report.warnings) {
        if (warning.line != 0) {
            EXPECT_EQ(FindingText(warning).rfind("line ", 0), 0u);
        }
    }
}

// Each kind of value the shake's replacement can hold, typed into the window or read from the
// file: the same words about the pair, worded from what the plug-in's reading says.
TEST_F(SettingsFormTest, ATypedValueAndTheSameValueInTheFileGetTheSameWords) {
    const std::string base = kDefault + "[Shake]\r\nzero_shake=0\r\n";
    struct Case {
        std::string value;
        NameSource source;
        PairOutcome outcome;
    };
    const Case cases[] = {
        {"drunk_shake", NameSource::kOwnSection, PairOutcome::kSwapped},
        {"Camera15", NameSource::kOtherSection, PairOutcome::kCorrupts},
        {"0x2F0AACD0", NameSource::kNumber, PairOutcome::kSkipped},
        {"sky_divng_shake", NameSource::kNotFound, PairOutcome::kSkipped},
        {"", NameSource::kNotSet, PairOutcome::kSkipped},
        {"zero_shake", NameSource::kOwnSection, PairOutcome::kSkipped},
    };
    for (const auto& [key, side] :
         {std::pair{kOldShake, &PairReading::before}, std::pair{kNewShake, &PairReading::after}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(SettingKeyNames[key]) + "=\"" + c.value + "\"");
            SettingsForm form = Opened(base);
            form.chosen[key] = c.value;
            const FormReading typed = ReadForm(form);
            std::string bytes = base;
            const std::string line = std::string(SettingKeyNames[key]) + "=";
            const size_t at = bytes.find(line) + line.size();
            bytes.replace(at, form.opened.parsed.values[key].size(), c.value);
            const SettingsForm saved = Opened(bytes);
            const FormReading read = ReadForm(saved);

            const PairReading plugin = ReadAsPlugin(saved.opened)[0];
            EXPECT_EQ((plugin.*side).source, c.source);
            EXPECT_EQ(plugin.outcome, c.outcome);
            EXPECT_EQ(typed.reading[0].outcome, plugin.outcome);
            EXPECT_EQ((typed.reading[0].*side).hash, (plugin.*side).hash);
            EXPECT_EQ(typed.pairs[0].comments, read.pairs[0].comments);
            EXPECT_EQ(typed.pairs[0].outcome, read.pairs[0].outcome);
            EXPECT_EQ(typed.warnings[0], read.warnings[0]);
            EXPECT_EQ(RowDetails(form, typed, 0), RowDetails(saved, read, 0));
            // What the plug-in cannot use is warned of both ways, and Save refuses to write it.
            const bool usable = c.outcome == PairOutcome::kSwapped;
            EXPECT_EQ(read.warnings[0].empty(), usable);
            EXPECT_EQ(typed.refusal.empty(), usable) << typed.refusal;
            EXPECT_EQ(SaveQuestion(typed).empty(), c.outcome != PairOutcome::kCorrupts);
        }
    }
}

TEST_F(SettingsFormTest, FilesThePluginCannotUseOpenWithTheirWarnings) {
    for (const std::string& bytes : {std::string(), std::string("\xFF\xFE[\0S\0", 6)}) {
        SettingsForm form = Opened(bytes);
        const CheckReport report = CheckSettings(PendingChanges(form).document);
        EXPECT_TRUE(AnyOnRow(report, kGeneralRow));
        // That one warning, with what the window can do about it: no echo of it on every row.
        const FormReading reading = ReadForm(form);
        EXPECT_EQ(reading.warnings[kGeneralRow], std::vector<std::string>{ReplaceAdvice(form)});
        for (size_t row = 0; row < kGeneralRow; ++row)
            EXPECT_TRUE(reading.warnings[row].empty()) << row;
        EXPECT_TRUE(NamesToOffer(form.opened, 3, "").names.empty());
        // A choice in a file without a settings section still goes where the plug-in reads it.
        form.chosen[kActivationKey] = "F9";
        if (bytes.empty()) {
            EXPECT_FALSE(PendingChanges(form).Refused());
        }
    }
}

// A file the plug-in reads nothing from is replaced by the default one only with its bytes
// kept beside it, never over a copy already there, and never once it changed on disk.
TEST_F(SettingsFormTest, AUselessFileIsReplacedByTheDefaultWithItsBytesKeptBesideIt) {
    const std::string utf16("\xFF\xFE[\0S\0", 6);
    SettingsForm form = Opened(utf16);
    EXPECT_TRUE(FileIsUseless(form));
    std::ofstream(path + ".bak", std::ios::binary) << "an older copy";
    std::string message;
    ASSERT_TRUE(ReplaceWithDefault(form, message)) << message;
    EXPECT_EQ(Read(), kDefault);
    EXPECT_NE(message.find("Ostrevane.ini.bak2"), std::string::npos) << message;
    std::ostringstream kept, older;
    kept << std::ifstream(path + ".bak2", std::ios::binary).rdbuf();
    older << std::ifstream(path + ".bak", std::ios::binary).rdbuf();
    EXPECT_EQ(kept.str(), utf16);
    EXPECT_EQ(older.str(), "an older copy");
    EXPECT_FALSE(FileIsUseless(form));
    EXPECT_EQ(form.chosen[kNewCamera], "Camera15");

    form = Opened("");
    Write("changed meanwhile");
    EXPECT_FALSE(ReplaceWithDefault(form, message));
    EXPECT_EQ(Read(), "changed meanwhile");
    EXPECT_FALSE(fs::exists(path + ".bak3"));
    EXPECT_FALSE(FileIsUseless(Opened(kDefault)));

    // Every name for a copy taken: the file stays, and nothing says it was replaced.
    for (int n = 3; n <= 99; ++n)
        std::ofstream(path + ".bak" + std::to_string(n)) << "taken";
    form = Opened("");
    EXPECT_FALSE(ReplaceWithDefault(form, message));
    EXPECT_EQ(message, "Not replaced: " + path + ".bak to .bak99 are all taken.");
    EXPECT_EQ(Read(), "");
}

std::string Utf16(std::string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text)
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

// The old file's choices, in whichever of the encodings an editor saves with a byte-order
// mark, go into the default file where it can hold them; the old bytes stay in the copy.
TEST_F(SettingsFormTest, TheDefaultFileKeepsTheChoicesTheOldOneHolds) {
    const std::string text =
        "[Settings]\r\nmodactivatekey=F9\r\nnewcamera=Camera16\r\nnewshake=my_own_shake\r\n";
    const SettingsDocument defaults = ReadDocument(kDefault);
    for (const std::string& bytes :
         {Utf16(text, false), Utf16(text, true), "\xEF\xBB\xBF" + text}) {
        SettingsForm form = Opened(bytes);
        const CarriedChoices carried = CarryChoices(bytes);
        EXPECT_EQ(carried.kept, (std::vector<SettingKey>{kNewCamera, kActivationKey}));
        EXPECT_EQ(carried.lost, std::vector<SettingKey>{kNewShake});
        // The question asked first names each choice kept and each not.
        for (const std::string value : {"\"Camera16\"", "\"F9\"", "\"my_own_shake\""})
            EXPECT_NE(ReplaceQuestion(form).find(value), std::string::npos) << value;
        std::string message;
        ASSERT_TRUE(ReplaceWithDefault(form, message)) << message;
        EXPECT_EQ(form.chosen[kNewCamera], "Camera16");
        EXPECT_EQ(form.chosen[kActivationKey], "F9");
        EXPECT_EQ(form.chosen[kNewShake], defaults.parsed.values[kNewShake]);
        EXPECT_EQ(Read(), form.opened.bytes);
        std::ostringstream kept;
        kept << std::ifstream(path + ".bak", std::ios::binary).rdbuf();
        EXPECT_EQ(kept.str(), bytes);
        fs::remove(path + ".bak");
    }
    // Every length of UTF-8 a character takes; a lone surrogate and an odd last byte are no
    // reason to lose the rest.
    const std::pair<std::string, std::string> decoded[] = {
        {std::string("\xFF\xFE"
                     "a\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE",
                     12),
         "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {std::string("\xFE\xFF\0a\x20\xAC\0\x80", 8), "a\xE2\x82\xAC\xC2\x80"},
        {std::string("\xFF\xFE"
                     "a\0\x00\xD8"
                     "b\0c",
                     9),
         "a\xEF\xBF\xBD"
         "b"},
    };
    for (const auto& [utf16, utf8] : decoded)
        EXPECT_EQ(DecodedSettingsText(utf16), utf8);
}

TEST_F(SettingsFormTest, RestoringDefaultsChangesOnlyTheChoicesOfWhatIsNamed) {
    std::string mine = kDefault;
    mine.replace(mine.find("newcamera=Camera15"), 18, "newcamera=Camera37");
    mine.replace(mine.find("modactivatekey=F8"), 17, "modactivatekey=K");
    SettingsForm form = Opened(mine);
    form.chosen[kOldDof] = "DOF10";
    RestoreDefaults(form, DefaultsFor::kPair, 3);
    EXPECT_EQ(form.chosen[kNewCamera], "Camera15");
    EXPECT_EQ(form.chosen[kOldDof], "DOF10") << "another pair's choice stays";
    EXPECT_EQ(form.chosen[kActivationKey], "K");
    RestoreDefaults(form, DefaultsFor::kKey);
    EXPECT_EQ(form.chosen[kActivationKey], "F8");
    RestoreDefaults(form, DefaultsFor::kAll);
    EXPECT_EQ(form.chosen, ReadDocument(kDefault).parsed.values);
    EXPECT_EQ(Read(), mine) << "nothing is saved";
}

TEST(SettingsFormNames, EachDropDownOffersItsOwnSectionFilteredAsListDoes) {
    const SettingsDocument form = ReadDocument(kDefault);
    const NameList cameras = NamesToOffer(form, 3, "CAMERA3");
    ASSERT_FALSE(cameras.names.empty());
    for (const ListedName& name : cameras.names)
        EXPECT_EQ(name.name.rfind("Camera3", 0), 0u) << name.name;
    EXPECT_TRUE(NamesToOffer(form, 0, "camera").names.empty());
    EXPECT_FALSE(NamesToOffer(form, 1, "DRUG_trip").names.empty());

    const ListedName& first = cameras.names.front();
    EXPECT_EQ(NameOfEntry(NameEntry(first)), first.name);
    EXPECT_NE(NameEntry(first).find("("), std::string::npos);
    EXPECT_EQ(NameOfEntry("Camera3"), "Camera3"); // typed, not picked
    EXPECT_EQ(NameOfEntry("a  (b)"), "a  (b)");
    // A slip is one click from the name meant; a name of the pair needs none.
    EXPECT_EQ(NameMeant(form, 3, "Camra37"), "Camera37");
    EXPECT_EQ(NameMeant(form, 3, "Camera37"), "");
    EXPECT_EQ(NameMeant(form, 3, "sky_diving_shake"), "") << "nothing close in [Camera]";
    // Never the other side's name, nor one of its hash: either would change nothing.
    const SettingsDocument twin =
        ReadDocument(kDefault + "[Shake]\r\nsky_dive_shake=0x7DC36678\r\n");
    struct Slip {
        std::string_view typed, otherSide, meant;
    };
    for (const Slip& slip : {Slip{"sky_divng_shake", "drunk_shake", "sky_diving_shake"},
                             Slip{"sky_divng_shake", "sky_diving_shake", ""},
                             Slip{"sky_dive_shak", "sky_diving_shake", ""},
                             Slip{"sky_dive_shak", "drunk_shake", "sky_dive_shake"}}) {
        EXPECT_EQ(NameMeant(twin, kNewShake, slip.typed, slip.otherSide), slip.meant)
            << slip.typed << " beside " << slip.otherSide;
    }

    // Enter takes the one name the list holds, the likely name included.
    SettingsForm chosen;
    chosen.opened = twin;
    chosen.chosen = twin.parsed.values;
    struct Enter {
        SettingKey key;
        std::string_view typed, taken;
    };
    for (const Enter& enter :
         {Enter{kNewShake, "DRUNK", "drunk_shake"}, Enter{kNewCamera, "Camra37", "Camera37"},
          Enter{kNewShake, "sky_divng_shake", ""}, // only the other side's
          Enter{kNewShake, "drunk_shake", ""},     // taken already
          Enter{kNewShake, "shake", ""}}) {
        EXPECT_EQ(NameForEnter(chosen, enter.key, enter.typed), enter.taken) << enter.typed;
    }

    EXPECT_FALSE(CommentFor(form, kNewCamera, "Camera38").empty());
    // The file's columns of blanks shrink to a gap of two, so a comment fits under its choice.
    const std::string loop = CommentFor(form, kNewShakeLoop, "sky_diving_shake_loop");
    EXPECT_EQ(loop.rfind("PreDelayDuration value= ", 0), 0u) << loop;
    EXPECT_EQ(loop.find("   "), std::string::npos) << loop;
    EXPECT_NE(loop.find("  AttackDuration"), std::string::npos) << loop;
    EXPECT_NE(CommentFor(form, kNewCamera, "Camera999").find("Not in the dictionary"),
              std::string::npos);
}

// The pane names each choice with its hash; the rows name each setting alike for every pair.
TEST(SettingsFormNames, ThePaneGivesEachChoiceItsHashAndEveryPairsSettingsAreNamedAlike) {
    SettingsForm form;
    form.opened = ReadDocument(kDefault);
    form.chosen = form.opened.parsed.values;
    const FormReading reading = ReadForm(form);
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        const PairReading& read = reading.reading[pair];
        const SwapPair& swap = SwapPairs[pair];
        const std::string pane = RowDetails(form, reading, pair);
        for (const auto& [key, hash] : {std::pair{swap.oldSetting.key, read.before.hash},
                                        std::pair{swap.newSetting.key, read.after.hash}}) {
            EXPECT_NE(pane.find(form.chosen[key] + "\" (" + HexHash(hash) + ")"), std::string::npos)
                << pane;
            std::string label = SettingLabel(key);
            label.replace(label.find(swap.name), swap.name.size(), "*");
            std::string first = SettingLabel(SettingKey(key % 2));
            first.replace(first.find(SwapPairs[0].name), SwapPairs[0].name.size(), "*");
            EXPECT_EQ(label, first);
        }
    }
}

TEST(SettingsFormNames, TheKeyDropDownOffersOnlyKeysThePluginKnows) {
    const std::vector<std::string> keys = ToggleKeyNames();
    EXPECT_EQ(keys.size(), 12u + 26u + 10u);
    for (const std::string& key : keys)
        EXPECT_TRUE(KnownKeyCode(key)) << key;
}

} // namespace
