// What the plug-in does with each setting, as the command and the window word it: the one
// reading must say what the loader itself resolves, for every kind of value in every pair.
#include "settings_file/plugin_reading.h"

#include "game/scan_report.h"
#include "settings/default_settings.h"
#include "settings_file/bytes_text.h"
#include "settings_file/edit_setting.h"
#include "window/settings_form.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kDefault = DefaultSettingsText("\r\n");

// The default file with the line of setting `name` replaced by `line` ("" removes it).
std::string WithSettingLine(std::string_view name, const std::string& line) {
    std::string file = kDefault;
    const size_t start = file.find("\n" + std::string(name) + "=") + 1;
    const size_t end = file.find('\n', start) + 1;
    file.replace(start, end - start, line.empty() ? "" : line + "\r\n");
    return file;
}

// The first name with a hash under `section` of the default file.
const DictionaryName& NameUnder(const SettingsDocument& document, size_t section) {
    for (const DictionaryName& name : document.names)
        if (name.section == section && name.hash != 0) return name;
    throw std::logic_error("no name");
}

TEST(PluginReading, SaysWhatTheLoaderResolvesForEveryKindOfValueInEveryPair) {
    const SettingsDocument defaults = ReadDocument(kDefault);
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        const PairSetting& setting = SwapPairs[pair].newSetting;
        const DictionaryName& own = NameUnder(defaults, pair);
        const DictionaryName& other = NameUnder(defaults, (pair + 1) % kPairCount);
        struct Case {
            std::string line;
            NameSource source;
            PairOutcome outcome;
        };
        const std::string key = std::string(setting.name) + "=";
        const Case cases[] = {
            {key + own.name + "  ; comment", NameSource::kOwnSection, PairOutcome::kSwapped},
            {key + other.name, NameSource::kOtherSection, PairOutcome::kCorrupts},
            {key + HexHash(own.hash), NameSource::kNumber, PairOutcome::kSkipped},
            {key + "no_such_item", NameSource::kNotFound, PairOutcome::kSkipped},
            {key, NameSource::kNotSet, PairOutcome::kSkipped},
            {"", NameSource::kNotSet, PairOutcome::kSkipped},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(setting.name) + ": \"" + c.line + "\"");
            const std::string bytes = WithSettingLine(setting.name, c.line);
            const ParsedSettings loader = ParseSettings(bytes);
            const SettingsDocument document = ReadDocument(bytes);
            const PairReading reading = ReadAsPlugin(document)[pair];
            EXPECT_EQ(reading.after.hash, loader.swap.*setting.resolved);
            EXPECT_EQ(reading.before.hash, loader.swap.*SwapPairs[pair].oldSetting.resolved);
            EXPECT_EQ(reading.after.source, c.source);
            EXPECT_EQ(reading.outcome, c.outcome);

            // Each face's words follow the reading: never "skipped" for a pair that swaps.
            const std::string comment = CommentFor(document, setting.key, reading.after.value);
            const bool saysSkipped = comment.find("skips this pair") != std::string::npos;
            EXPECT_EQ(saysSkipped, c.outcome == PairOutcome::kSkipped) << comment;
            const std::string outcome = OutcomeText(reading, pair);
            EXPECT_EQ(outcome.find("swaps this pair") != std::string::npos,
                      c.outcome == PairOutcome::kSwapped || c.outcome == PairOutcome::kCorrupts)
                << outcome;
        }
    }
}

TEST(PluginReading, NamesTheItemANumberStandsForAndTheKindANameCrossesTo) {
    const SettingsDocument document =
        ReadDocument(WithSettingLine("newshake", "newshake=Camera15"));
    const PairReading shake = ReadAsPlugin(document)[0];
    EXPECT_TRUE(shake.crossesSections);
    EXPECT_EQ(shake.after.section, 3u);
    const std::string crossed = CommentFor(document, SwapPairs[0].newSetting.key, "Camera15");
    EXPECT_NE(crossed.find("a camera (under [Camera]"), std::string::npos) << crossed;
    const std::string number = CommentFor(document, SwapPairs[3].newSetting.key, "0x2F0AACD0");
    EXPECT_NE(number.find("\"Camera15\" (under [Camera])"), std::string::npos) << number;
    // Both sides one item: the swap changes nothing, and the words say so.
    const SettingsDocument same = ReadDocument(WithSettingLine("newcamera", "newcamera=Camera38"));
    EXPECT_EQ(ReadAsPlugin(same)[3].outcome, PairOutcome::kUnchanged);
    EXPECT_NE(OutcomeText(ReadAsPlugin(same)[3], 3).find("changes nothing"), std::string::npos);
    // A name defined with the hash 0 is found, and still skipped.
    const SettingsDocument zero =
        ReadDocument(WithSettingLine("newcamera", "newcamera=zero") + "[Camera]\r\nzero=0\r\n");
    EXPECT_EQ(ReadAsPlugin(zero)[3].after.source, NameSource::kOwnSection);
    EXPECT_EQ(ReadAsPlugin(zero)[3].outcome, PairOutcome::kSkipped);
    // A hash ordinary memory is full of corrupts, as check warns.
    const SettingsDocument common = ReadDocument(WithSettingLine("newcamera", "newcamera=one") +
                                                 "[Camera]\r\none=0x3F800000\r\n");
    EXPECT_EQ(ReadAsPlugin(common)[3].outcome, PairOutcome::kCorrupts);
    EXPECT_TRUE(ReadAsPlugin(common)[3].commonHash);
}

// `file` with the line of setting `name` replaced by `line`.
std::string WithLine(std::string file, std::string_view name, const std::string& line) {
    const size_t start = file.find("\n" + std::string(name) + "=") + 1;
    file.replace(start, file.find('\n', start) + 1 - start, line + "\r\n");
    return file;
}

// check's findings, set's refusals and scan's verdicts all follow the one reading: where a
// rule of their own answered otherwise, the player was told two stories.
TEST(PluginReading, CheckSetAndScanTellWhatTheReadingSays) {
    const auto findings = [](const std::string& bytes, Trap trap) {
        std::vector<CheckWarning> found;
        for (const CheckWarning& warning : CheckSettings(ReadDocument(bytes)).warnings)
            if (warning.trap == trap) found.push_back(warning);
        return found;
    };
    const SettingKey newCamera = SwapPairs[3].newSetting.key;
    // A number whose hash two sections define: the camera's own name is the one meant.
    const std::string number =
        WithLine(kDefault, "newcamera", "newcamera=0x11223344") +
        "[Shake]\r\naaa_shake=0x11223344\r\n[Camera]\r\nzzz_cam=0x11223344\r\n";
    EXPECT_EQ(ReadAsPlugin(ReadDocument(number))[3].after.nameOfNumber, "zzz_cam");
    const std::vector<CheckWarning> told = findings(number, Trap::kNumber);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told[0].suggestion, "zzz_cam");
    EXPECT_EQ(RefusalOf(ReadDocument(number), newCamera, "0x11223344").suggestion, "zzz_cam");

    // A hash memory is full of corrupts only in a pair the plug-in swaps: a skipped pair
    // rewrites nothing.
    const std::string common = "[Camera]\r\none=0x3F800000\r\n";
    const std::string swapping = WithLine(kDefault, "newcamera", "newcamera=one") + common;
    const std::string skipping = WithLine(swapping, "oldcamera", "oldcamera=none_such");
    EXPECT_FALSE(findings(swapping, Trap::kCommonHash).empty());
    EXPECT_TRUE(findings(skipping, Trap::kCommonHash).empty());
    EXPECT_EQ(RefusalOf(ReadDocument(kDefault + common), newCamera, "one").kind,
              RefusalKind::kCommonHash);

    // A pair of one hash changes nothing, however often the game holds the item.
    const SettingsDocument same = ReadDocument(
        WithLine(kDefault, "newcamera",
                 "newcamera=" + ReadDocument(kDefault).parsed.values[SwapPairs[3].oldSetting.key]));
    const HashCounter counter = ScanCounter(same.parsed, false);
    ScanResult result;
    result.counts.assign(counter.hashes.size(), 3);
    const ScanReport report = MakeScanReport(same, counter, result, false);
    EXPECT_EQ(report.pairs[3].verdict, Verdict::kUnchanged);
    EXPECT_EQ(report.pairs[0].verdict, Verdict::kWouldSwap);
}

// Every answer is worded from the reading it is given: a key press in the window, which edits
// one setting and reads the file as Save would write it, costs one reading of the file, and
// the comments, findings and names it shows cost none.
TEST(PluginReading, AKeyPressInTheWindowReadsTheFileOnce) {
    // As editors save it: plain, with a byte-order mark before [Settings], with a Ctrl-Z at the
    // end.
    for (const std::string& file : {kDefault, "\xEF\xBB\xBF" + kDefault, kDefault + "\x1A"}) {
        SCOPED_TRACE(file.substr(0, 4));
        SettingsForm form;
        form.opened = ReadDocument(file);
        form.chosen = form.opened.parsed.values;
        form.chosen[SwapPairs[3].newSetting.key] = "Camera37";
        form.chosen[SwapPairs[2].oldSetting.key] = "DOF10";
        const size_t read = DocumentsRead(), parsed = SettingsParsed();
        const FormReading reading = ReadForm(form);
        (void)NamesToOffer(form.opened, 3, "cam");
        for (size_t key = 0; key < kActivationKey; ++key)
            (void)CommentFor(reading.pending.document, SettingKey(key), form.chosen[key]);
        EXPECT_EQ(DocumentsRead() - read, 1u);
        EXPECT_EQ(SettingsParsed() - parsed, 1u);
    }
}

} // namespace
