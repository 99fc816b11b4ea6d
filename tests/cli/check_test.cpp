// `ostrevane check`: the plug-in's reading of a settings file and every trap behind it.
#include "tests/cli/command_test.h"
#include "tests/pair_keys.h"

namespace {

const std::string kDefault = DefaultFile("\r\n"); // as the plug-in writes it

} // namespace

TEST_F(OstrevaneCommand, CheckShowsWhatThePlugInReadsFromTheDefaultFile) {
    ASSERT_EQ(Ostrevane({"default", "-o", "Ostrevane.ini"}).status, 0);
    const Outcome check = Ostrevane({"check"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("Settings file: " + (fs::current_path() / "Ostrevane.ini").string()),
              std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("Dictionary entries: 227\n"), std::string::npos);
    EXPECT_NE(check.out.find("Activation key: F8 (0x77)\n"), std::string::npos);
    for (const char* resolved : {"oldshake      sky_diving_shake              0x7DC36678",
                                 "newdof        DOF10                         0x5C8A08F7",
                                 "newcamera     Camera15                      0x2F0AACD0"}) {
        EXPECT_NE(check.out.find(resolved), std::string::npos) << resolved << "\n" << check.out;
    }
    EXPECT_NE(check.out.find("No warnings.\n"), std::string::npos);
}

TEST(CheckSettings, ANewUsersTwoSlipsInTheDefaultFileGiveTwoWarningsAtTheirLines) {
    std::string file = DefaultFile();
    const auto replace = [&](std::string_view from, std::string_view to) {
        file.replace(file.find(from), from.size(), to);
    };
    replace("newshake=family5_drug_trip_shake ", "newshake=family5_drug_trip_shak ");
    replace("\n[DOF]\n", "\n[dof]\n");

    const std::vector<CheckWarning> warnings = CheckSettings(ReadDocument(file)).warnings;
    ASSERT_EQ(warnings.size(), 2u) << Describe(warnings);
    EXPECT_EQ(warnings[0].line, 4u);
    EXPECT_EQ(FindingWords(warnings[0]),
              "\"family5_drug_trip_shak\" is not in the dictionary, so newshake resolves to 0 "
              "and the shake pair is skipped; did you mean \"family5_drug_trip_shake\"?");
    EXPECT_EQ(warnings[1].line, 170u);
    EXPECT_EQ(FindingWords(warnings[1]),
              "\"[dof]\" opens no dictionary section (headers are case-sensitive: write "
              "\"[DOF]\"); the 35 lines under it are read as settings and ignored, so olddof and "
              "newdof resolve to 0");
}

TEST(CheckSettings, FindsEachTrapAtItsLine) {
    struct Case {
        const char* trap;
        std::string file;
        size_t line;
        const char* says;
        size_t warnings; // in all, the consequences the same slip causes elsewhere included
    };
    const Case cases[] = {
        {"misspelt name", CleanWithLine(7, "olddof=DOF5"), 7,
         "\"DOF5\" is not in the dictionary, so olddof resolves to 0 and the depth-of-field "
         "pair is skipped; did you mean \"DOF05\"?",
         1},
        {"name in the wrong case", CleanWithLine(9, "oldcamera=camera38"), 9,
         "did you mean \"Camera38\"?", 1},
        {"empty name", CleanWithLine(3, "oldshake="), 3, "oldshake is empty", 1},
        {"missing name", CleanWithLine(3, ""), 0, "oldshake is not set", 1},
        {"hash literal", CleanWithLine(4, "newshake=0x643E2FFB"), 4,
         "newshake holds the number \"0x643E2FFB\" instead of a name; settings are looked up by "
         "name, so it resolves to 0 and the shake pair is skipped; the dictionary calls "
         "0x643E2FFB \"family5_drug_trip_shake\"",
         1},
        // Of several names alike, the first in alphabetical order, whatever the file's order.
        {"hash literal of two names", CleanWithLine(6, "newshakeloop=0x9035161B", DefaultFile()), 6,
         "the dictionary calls 0x9035161B \"assault_rifle_recoil_shake_loop\"", 1},
        {"name as close to several", CleanWithLine(9, "oldcamera=Camera3", DefaultFile()), 9,
         "did you mean \"Camera03\"?", 1},
        {"pair of one hash", CleanWithLine(4, "newshake=sky_diving_shake"), 4,
         "oldshake and newshake both resolve to 0x7DC36678, so the shake pair changes nothing", 1},
        {"lower-case key name", CleanWithLine(2, "modactivatekey=f8"), 2,
         "modactivatekey \"f8\" is not a key name the plug-in knows, so the toggle key falls "
         "back to F5; use F1 to F12, one letter or one digit (names are case-sensitive: \"F8\")",
         1},
        {"unknown key name", CleanWithLine(2, "modactivatekey=Insert"), 2, "falls back to F5", 1},
        {"missing key", CleanWithLine(2, ""), 0,
         "modactivatekey is not set, so the toggle key is F5", 1},
        {"lower-case header", CleanWithLine(20, "[dof]"), 20,
         "write \"[DOF]\"); the 2 lines under it are read as settings and ignored, so olddof "
         "and newdof resolve to 0",
         1},
        {"indented settings header in a dictionary section",
         CleanWithLine(2, "") + "  [Settings]\nmodactivatekey=F8\n", 27,
         "\"  [Settings]\" is indented, so the plug-in does not read it as a header: remove the "
         "blanks before \"[\"; the 1 line under it is read as dictionary entries, so "
         "modactivatekey is not set",
         1},
        {"key set, and again under an indented settings header",
         CleanWithLine(2, "modactivatekey=Insert") + "  [Settings]\nmodactivatekey=F8\n", 2,
         "modactivatekey \"Insert\" is not a key name the plug-in knows", 2},
        {"indented header", CleanWithLine(12, "  [Shake]"), 12,
         "\"  [Shake]\" is indented, so the plug-in does not read it as a header: remove the "
         "blanks before \"[\"; the 2 lines under it are read as settings and ignored, so "
         "oldshake and newshake resolve to 0",
         1},
        {"misspelt setting key", CleanWithLine(3, "oldShake=sky_diving_shake"), 3,
         "\"oldShake\" is not one of the nine settings, so the plug-in ignores this line; did "
         "you mean \"oldshake\"?",
         2}, // and oldshake is not set
        {"setting key ending in a form feed",
         CleanWithLine(6, "newshakeloop\f=sky_diving_shake_loop"), 6,
         "did you mean \"newshakeloop\"?", 2},
        {"setting without \"=\"", CleanWithLine(3, "oldshake sky_diving_shake"), 3,
         "has no \"=\", so the plug-in skips it like a comment", 2},
        {"setting key alone on its line", CleanWithLine(3, "oldshake"), 3,
         "\"oldshake\" has no \"=\", so the plug-in skips it like a comment", 2},
        {"dictionary entry among the settings", CleanWithLine(11, "hand_shake=0x0BAABB62"), 11,
         "looks like a dictionary entry, but it stands in a settings section", 1},
        {"setting given twice", CleanWithLine(11, "olddof=DOF10"), 11,
         "olddof is set again (first on line 7): only this later value is used", 2}, // DOF10 twice
        {"dictionary name given twice", CleanWithLine(26, "Camera38=0x2F0AACD0"), 26,
         "\"Camera38\" is defined twice (first on line 25): this later 0x2F0AACD0 replaces "
         "0xF8160EE8",
         2}, // and Camera15 is gone
        {"value that stops parsing", CleanWithLine(21, "DOF05=0x3034805G"), 21,
         "the value \"0x3034805G\" of \"DOF05\" is read only as far as it parses: 0x03034805", 1},
        {"Ctrl-Z before the end",
         CleanWithLine(26, "\x1A"
                           "Camera15=0x2F0AACD0"),
         26,
         "a Ctrl-Z byte (0x1A) ends the file for the plug-in: nothing after it is read, so "
         "newcamera resolves to 0",
         1},
        {"Ctrl-Z before the settings", "\x1A" + Clean(), 1,
         "so oldshake, newshake, oldshakeloop, newshakeloop, olddof, newdof, oldcamera and "
         "newcamera resolve to 0 and the toggle key is F5",
         1},
        {"empty file", "\r\n \n", 0, "the file is empty, so the plug-in swaps nothing", 1},
        {"camera in a shake slot", CleanWithLine(4, "newshake=Camera15"), 4,
         "newshake \"Camera15\" is a camera (under [Camera], line 26) but oldshake "
         "\"sky_diving_shake\" is a camera shake (under [Shake], line 13), so the shake pair "
         "would put a camera where the game expects a camera shake and corrupt its data",
         1},
        {"camera in a shake slot, above its pair",
         CleanWithLine(3, "newshake=Camera15", CleanWithLine(4, "oldshake=sky_diving_shake")), 3,
         "newshake \"Camera15\" is a camera (under [Camera], line 26) but oldshake "
         "\"sky_diving_shake\" is a camera shake (under [Shake], line 13)",
         1},
        {"loop in the shake pair, set first", CleanWithLine(3, "oldshake=sky_diving_shake_loop"), 3,
         "oldshake \"sky_diving_shake_loop\" is a shake-loop envelope", 1},
        {"hash ordinary memory is full of", CleanWithLine(22, "DOF10=0x3F800000"), 8,
         "newdof \"DOF10\" resolves to 0x3F800000 (line 22), a value ordinary memory is full of",
         1},
    };
    for (const Case& c : cases) {
        const std::vector<CheckWarning> warnings = CheckSettings(ReadDocument(c.file)).warnings;
        EXPECT_EQ(warnings.size(), c.warnings) << c.trap << "\n" << Describe(warnings);
        const bool found = std::any_of(warnings.begin(), warnings.end(), [&](const auto& w) {
            return w.line == c.line && FindingWords(w).find(c.says) != std::string::npos;
        });
        EXPECT_TRUE(found) << c.trap << "\n" << Describe(warnings);
    }
}

TEST(CheckSettings, NamesEveryDictionaryValueThatIsNotAPlainNumber) {
    const std::string file = Clean() + "plain_hex=0x0BAABB62\n" // 27: clean
                                       "plain_decimal=123\n"    // 28: clean
                                       "zero=0\n"               // 29: clean
                                       "octal=0123\n"           // 30
                                       "too_big=4294967296\n"   // 31
                                       "negative=-1\n"          // 32
                                       "empty=\n"               // 33
                                       "junk=12abc\n"           // 34
                                       ";a note=see below\n";   // 35
    const std::vector<CheckWarning> warnings = CheckSettings(ReadDocument(file)).warnings;
    const std::vector<std::pair<size_t, std::string>> expected = {
        {30, "the value \"0123\" of \"octal\" starts with 0, so it is read as octal: 0x00000053"},
        {31, "the value \"4294967296\" of \"too_big\" does not fit in 32 bits, so it is read as "
             "0xFFFFFFFF"},
        {32, "the value \"-1\" of \"negative\" is negative, so it is read as 0xFFFFFFFF"},
        {33, "the value \"\" of \"empty\" holds no number, so it is read as 0x00000000"},
        {34, "the value \"12abc\" of \"junk\" is read only as far as it parses: 0x0000000C"},
        {35, "the value \"see below\" of \";a note\" holds no number, so it is read as "
             "0x00000000 (a comment line that holds \"=\" is read as a dictionary entry)"},
    };
    ASSERT_EQ(warnings.size(), expected.size()) << Describe(warnings);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(warnings[i].line, expected[i].first);
        EXPECT_EQ(FindingWords(warnings[i]), expected[i].second);
    }
}

TEST(CheckSettings, OddlySavedFilesAreToldWhereThePlugInLosesSomething) {
    const CheckReport utf16 = CheckSettings(ReadDocument(Read(Fixture("utf16.ini"))));
    ASSERT_EQ(utf16.warnings.size(), 1u) << Describe(utf16.warnings);
    EXPECT_EQ(utf16.warnings[0].line, 1u);
    EXPECT_NE(FindingWords(utf16.warnings[0]).find("UTF-16"), std::string::npos);
    // A byte-order mark before [Settings] changes nothing: line 1 opens settings either way.
    EXPECT_TRUE(CheckSettings(ReadDocument(Read(Fixture("bom.ini")))).warnings.empty());
    // Before a setting that a later line sets again, or that it sets empty, it costs nothing.
    for (const std::string& file : {"\xEF\xBB\xBFmodactivatekey=F9\n" + Clean(),
                                    "\xEF\xBB\xBFmodactivatekey=\n" + CleanWithLine(2, "")}) {
        for (const CheckWarning& warning : CheckSettings(ReadDocument(file)).warnings)
            EXPECT_NE(warning.trap, Trap::kByteOrderMark) << FindingWords(warning);
    }
    // Before a setting, it hides the setting's name.
    const std::vector<CheckWarning> glued =
        CheckSettings(ReadDocument("\xEF\xBB\xBFmodactivatekey=F9\n" + CleanWithLine(2, "")))
            .warnings;
    ASSERT_EQ(glued.size(), 3u) << Describe(glued); // and the key is unknown, and unset
    EXPECT_EQ(glued[2].line, 1u);
    EXPECT_NE(FindingWords(glued[2]).find("byte-order mark"), std::string::npos) << Describe(glued);
    // A byte-order mark in front of a dictionary header hides the header.
    const std::string hidden = "\xEF\xBB\xBF[Shake]\nsky_diving_shake=0x7DC36678\n" + Clean();
    const std::vector<CheckWarning> warnings = CheckSettings(ReadDocument(hidden)).warnings;
    ASSERT_EQ(warnings.size(), 1u) << Describe(warnings);
    EXPECT_NE(FindingWords(warnings[0]).find("does not read \"[Shake]\" as a header"),
              std::string::npos);

    // Line endings do not matter to the plug-in, so they do not to the check.
    std::string crlf = Clean();
    for (size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2)) {
        crlf.insert(at, "\r");
    }
    EXPECT_TRUE(CheckSettings(ReadDocument(crlf)).warnings.empty())
        << Describe(CheckSettings(ReadDocument(crlf)).warnings);
    EXPECT_TRUE(CheckSettings(ReadDocument(Clean())).warnings.empty());
    EXPECT_EQ(CheckSettings(ReadDocument(Read(Fixture("utf16.ini")))).parsed.dictionary.size(), 0u);
}

// The checker only puts the loader's reading into words: whatever the loader makes of a
// key name, a number or a header, the checker must say the same.
TEST(CheckSettings, AgreesWithTheLoaderOnKeyNamesNumbersAndHeaders) {
    std::vector<std::string> keyNames(FunctionKeyNames.begin(), FunctionKeyNames.end());
    for (const char* odd : {"f8", "F13", "F0", "F01", " F 8 ", "\vF8", "k", "K", "7", "", "Insert",
                            "KK", "F8;", "\xC3\xA9"}) {
        keyNames.push_back(odd);
    }
    for (const std::string& name : keyNames) {
        const CheckReport report =
            CheckSettings(ReadDocument(CleanWithLine(2, "modactivatekey=" + name)));
        const std::string& read = report.parsed.values[kActivationKey];
        EXPECT_EQ(Mentions(report.warnings, "falls back to F5"), !KnownKeyCode(read).has_value())
            << '"' << name << "\"\n"
            << Describe(report.warnings);
    }

    // A plain number, by the C library's own reading: all of it read, in 32 bits, no sign
    // to wrap and no leading 0 to make it octal.
    const auto isPlain = [](const std::string& value) {
        char* end = nullptr;
        errno = 0;
        const unsigned long long number = std::strtoull(value.c_str(), &end, 0);
        const size_t first = value.find_first_not_of(" \t\n\v\f\r");
        const bool octal = first != std::string::npos && value[first] == '0' &&
                           first + 1 < value.size() && std::isdigit(value[first + 1]);
        return end != value.c_str() && *end == '\0' && errno == 0 && number <= 0xFFFFFFFFu &&
               value.find('-') == std::string::npos && !octal;
    };
    for (const std::string value :
         {"0x7DC36678", "1681797115", "0",  "+5",    "0X1f",  "\v0x10",     "\f12",
          "4294967295", "0123",       "08", "0x",    "0xG",   "4294967296", "99999999999999999999",
          "-1",         "-0x1",       "",   "12abc", "0x1 2", "\v"}) {
        const CheckReport report = CheckSettings(ReadDocument(Clean() + "name=" + value + "\n"));
        const std::vector<CheckWarning>& warnings = report.warnings;
        EXPECT_EQ(warnings.empty(), isPlain(value)) << '"' << value << "\"\n" << Describe(warnings);
        const std::string read = HexHashOf(report.parsed.dictionary.at("name"));
        for (const CheckWarning& w : warnings)
            EXPECT_TRUE(FindingWords(w).ends_with(read)) << FindingWords(w) << " is not " << read;
    }

    std::vector<std::string> headers(DictionaryHeaders.begin(), DictionaryHeaders.end());
    for (const char* odd :
         {"[Settings]", "[settings]", "[General]", "[Shake] ; the shakes", "[DOF][Camera]", "[dof]",
          "[SHAKE]", "[Newshakeloop]", "[Shake", "[]"}) {
        headers.push_back(odd);
    }
    for (const std::string& header : headers) {
        const bool opensDictionary = ParseSettings(header + "\na=1\n").dictionary.count("a") == 1;
        // In place of [Shake], a header that opens no dictionary loses the shake entries.
        EXPECT_EQ(CheckSettings(ReadDocument(CleanWithLine(12, header))).warnings.empty(),
                  opensDictionary)
            << header;
        // In place of [Settings], one that opens a dictionary loses the settings.
        EXPECT_EQ(CheckSettings(ReadDocument(CleanWithLine(1, header))).warnings.empty(),
                  !opensDictionary)
            << header;
    }
}

// Each of these once drew a warning, or the wrong one, where the plug-in reads the file as
// its writer meant, or more than it said.
TEST(CheckSettings, FalseReportsAreGone) {
    std::string nulComment = DefaultFile();
    nulComment.insert(0, "; " + std::string(300, '\0') + "\n");
    nulComment.replace(nulComment.find("newshake=family5_drug_trip_shake "), 32,
                       "newshake=family5_drug_trip_shak");
    struct Case {
        const char* report;
        std::string file;
        const char* says; // the one warning left, or nullptr for none
    };
    const Case cases[] = {
        {"[settings] is not [Settings]", CleanWithLine(1, "[settings]"), nullptr},
        {"[General] is unknown", CleanWithLine(1, "[General]"), nullptr},
        {"an indented header is missed", CleanWithLine(20, "  [DOF]"), nullptr},
        {"NUL bytes mean UTF-16", nulComment, "did you mean \"family5_drug_trip_shake\"?"},
        {"a vertical tab is no number", CleanWithLine(21, "DOF05=\v0x30348053"), nullptr},
        {"a form feed is no number", CleanWithLine(21, "DOF05=\f0x3034805G"),
         "is read only as far as it parses: 0x03034805"},
    };
    for (const Case& c : cases) {
        const CheckReport report = CheckSettings(ReadDocument(c.file));
        ASSERT_EQ(report.warnings.size(), c.says ? 1u : 0u) << c.report << "\n"
                                                            << Describe(report.warnings);
        if (c.says) {
            EXPECT_NE(FindingWords(report.warnings[0]).find(c.says), std::string::npos) << c.report;
        }
    }
    EXPECT_EQ(CheckSettings(ReadDocument(nulComment)).parsed.dictionary.size(), 227u);
}

TEST(CheckSettings, HashesOrdinaryMemoryIsFullOfAreNoneOfTheDefaultFiles) {
    for (const uint32_t common :
         {0x1u, 0xFFFFu, 0xFFFFF000u, 0x3F800000u, 0xBF000000u, 0x42C80000u, 0x00FF00FFu,
          0x0000C8C8u}) { // the last at the bound: two zero bytes beside two rare ones
        EXPECT_TRUE(IsCommonInMemory(common)) << HexHashOf(common);
    }
    for (const auto& [name, hash] : ParseSettings(DefaultFile()).dictionary)
        EXPECT_FALSE(IsCommonInMemory(hash)) << name << " " << HexHashOf(hash);
    EXPECT_FALSE(IsCommonInMemory(0xFFFFEDCCu)); // -4,660
    EXPECT_FALSE(IsCommonInMemory(0x3F8CCCCDu)); // 1.1f: floats near 1.0 are common, not full
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
        {Read(Fixture("utf16.ini")), FindingKind::kUnreadable, none},
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
        const CheckReport report = CheckSettings(ReadDocument(c.file));
        ASSERT_FALSE(report.warnings.empty()) << c.file.substr(0, 40);
        const auto found = std::find_if(report.warnings.begin(), report.warnings.end(),
                                        [&](const CheckWarning& w) { return w.kind == c.kind; });
        ASSERT_NE(found, report.warnings.end()) << FindingWords(report.warnings[0]);
        EXPECT_EQ(found->setting, c.setting) << FindingWords(*found);
        EXPECT_EQ(UnreadableFinding(report) != nullptr, c.kind == FindingKind::kUnreadable);
    }
    EXPECT_TRUE(CheckSettings(ReadDocument(kDefault)).warnings.empty());
}

TEST_F(OstrevaneCommand, CheckExitStatusTellsCleanWarningsAndUnreadable) {
    Write("clean.ini", Clean());
    Write("slips.ini", Read(Fixture("new_user.ini")));
    fs::create_directory("folder.ini");
    EXPECT_EQ(Ostrevane({"check", "clean.ini"}).status, 0);

    const Outcome slips = Ostrevane({"check", "slips.ini"});
    EXPECT_EQ(slips.status, 1);
    EXPECT_NE(slips.out.find("2 warnings:\n  line 4: \"family5_drug_trip_shak\""),
              std::string::npos)
        << slips.out;
    EXPECT_NE(slips.out.find("\n  line 20: \"[dof]\""), std::string::npos) << slips.out;
    EXPECT_NE(slips.out.find("olddof        DOF05                         0x00000000"),
              std::string::npos)
        << slips.out;

    const Outcome missing = Ostrevane({"check"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find((fs::current_path() / "Ostrevane.ini").string() + ": no such file"),
              std::string::npos)
        << missing.err;
    EXPECT_FALSE(fs::exists("Ostrevane.ini")) << "check must never write the settings file";

    const Outcome folder = Ostrevane({"check", "folder.ini"});
    EXPECT_EQ(folder.status, 2);
    EXPECT_NE(folder.err.find("is a folder"), std::string::npos);
    EXPECT_NE(folder.err.find("remove or rename the folder"), std::string::npos) << folder.err;
    EXPECT_EQ(Ostrevane({"check", "--json", "folder.ini"}).out, "");
}

TEST_F(OstrevaneCommand, CheckJsonHasExactlyTheAgreedMembers) {
    Write("slips.ini", Read(Fixture("new_user.ini")));
    const Outcome outcome = Ostrevane({"check", "--json", "slips.ini"});
    EXPECT_EQ(outcome.status, 1);
    const nlohmann::json report = nlohmann::json::parse(outcome.out);

    std::set<std::string> members;
    for (const auto& member : report.items())
        members.insert(member.key());
    EXPECT_EQ(members, (std::set<std::string>{"entries", "activationKey", "oldShake", "newShake",
                                              "oldShakeLoop", "newShakeLoop", "oldDof", "newDof",
                                              "oldCamera", "newCamera", "dictionary", "warnings"}));
    EXPECT_EQ(report["entries"], 6);
    EXPECT_EQ(report["activationKey"], 0x77);
    EXPECT_EQ(report["oldShake"], 0x7DC36678u);
    EXPECT_EQ(report["newShake"], 0);
    EXPECT_EQ(report["oldDof"], 0);
    EXPECT_EQ(report["newCamera"], 0x2F0AACD0u);
    EXPECT_EQ(report["dictionary"]["Camera38"], 0xF8160EE8u);
    ASSERT_EQ(report["warnings"].size(), 2u);
    EXPECT_EQ(report["warnings"][0]["line"], 4);
    EXPECT_EQ(report["warnings"][1]["line"], 20);
    EXPECT_EQ(report["warnings"][1]["message"].get<std::string>().substr(0, 7), "\"[dof]\"");
}

TEST_F(OstrevaneCommand, CheckJsonWritesNamesAsEscapedBytesInByteOrder) {
    Write("odd.ini", "[Shake]\n"
                     "quote\"d=1\n"
                     "back\\slash=2\n"
                     "tab\there=3\n"
                     "del\x7F=4\n"
                     "caf\xC3\xA9=5\n"
                     "\xFF=6\n"
                     "a/b=7\n"
                     "B=8\n");
    const Outcome outcome = Ostrevane({"check", "--json", "odd.ini"});
    const std::string& json = outcome.out;
    for (const char* escaped :
         {"\"quote\\\"d\": 1", "\"back\\\\slash\": 2", "\"tab\\u0009here\": 3", "\"del\\u007F\": 4",
          "\"caf\\u00C3\\u00A9\": 5", "\"\\u00FF\": 6", "\"a/b\": 7"}) {
        EXPECT_NE(json.find(escaped), std::string::npos) << escaped << "\n" << json;
    }
    // Byte order: capitals before lower case, bytes above 0x7F last.
    EXPECT_LT(json.find("\"B\""), json.find("\"a/b\""));
    EXPECT_LT(json.find("\"caf\\u00C3"), json.find("\"tab"));
    EXPECT_LT(json.find("\"tab"), json.find("\"\\u00FF\""));
    // Every byte above 0x7F became one code point, so the whole report is valid JSON.
    const nlohmann::json report = nlohmann::json::parse(json);
    EXPECT_EQ(report["dictionary"]["caf\xC3\x83\xC2\xA9"], 5);
    EXPECT_EQ(report["entries"], 8);
}
