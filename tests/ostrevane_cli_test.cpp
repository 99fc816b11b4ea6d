#include "cli/check/check.h"
#include "cli/command.h"
#include "cli/ostrevane.h"
#include "cli/suggest.h"
#include "platform/keyboard.h"
#include "platform/process_memory.h"
#include "settings/default_settings.h"
#include "settings/key_names.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "swap/byte_rarity.h"
#include "swap/engines.h"
#include "swap/swap.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdio_ext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern char** environ;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs one ostrevane command line in-process, as main() would.
int RunTo(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    args.insert(args.begin(), "ostrevane");
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    return RunOstrevane(int(argv.size()), argv.data(), out, err);
}

Outcome Ostrevane(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunTo(args, out, err);
    return {status, out.str(), err.str()};
}

// Output that fails as a full disk does: taken into a buffer, refused at the flush.
class FullDisk : public std::streambuf {
  public:
    FullDisk() { setp(buffer_, buffer_ + sizeof buffer_); }

  private:
    int overflow(int) override { return traits_type::eof(); }
    int sync() override { return -1; }
    char buffer_[1 << 16];
};

std::string Fixture(const std::string& name) {
    return std::string(OSTREVANE_FIXTURES) + "/" + name;
}

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// clean.ini: settings on lines 1-10, [Shake] on 12, [NewShakeLoop] on 16, [DOF] on 20
// (DOF05 on 21), [Camera] on 24 (Camera15 on 26). Every name resolves; no warnings.
std::string Clean() {
    return Read(Fixture("clean.ini"));
}

// The clean file, or `file`, with line `number` (1-based) replaced by `text`.
std::string CleanWithLine(size_t number, const std::string& text, std::string file = Clean()) {
    size_t start = 0;
    for (size_t line = 1; line < number; ++line)
        start = file.find('\n', start) + 1;
    return file.replace(start, file.find('\n', start) - start, text);
}

std::string HexHashOf(uint32_t hash) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(hash));
    return text;
}

std::string DefaultFile(std::string_view ending = "\n") {
    std::string text;
    for (std::string_view line : DefaultSettingsLines)
        (text += line) += ending;
    return text;
}

bool Mentions(const std::vector<CheckWarning>& warnings, std::string_view words) {
    return std::any_of(warnings.begin(), warnings.end(), [&](const CheckWarning& w) {
        return w.message.find(words) != std::string::npos;
    });
}

std::string Describe(const std::vector<CheckWarning>& warnings) {
    std::string text;
    for (const CheckWarning& w : warnings)
        text += std::to_string(w.line) + ": " + w.message + "\n";
    return text;
}

class OstrevaneCommand : public GameFolderTest {};

} // namespace

// --- check ------------------------------------------------------------------------------

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

    const std::vector<CheckWarning> warnings = CheckSettings(file).warnings;
    ASSERT_EQ(warnings.size(), 2u) << Describe(warnings);
    EXPECT_EQ(warnings[0].line, 4u);
    EXPECT_EQ(warnings[0].message,
              "\"family5_drug_trip_shak\" is not in the dictionary, so newshake resolves to 0 "
              "and the shake pair is skipped; did you mean \"family5_drug_trip_shake\"?");
    EXPECT_EQ(warnings[1].line, 170u);
    EXPECT_EQ(warnings[1].message,
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
        const std::vector<CheckWarning> warnings = CheckSettings(c.file).warnings;
        EXPECT_EQ(warnings.size(), c.warnings) << c.trap << "\n" << Describe(warnings);
        const bool found = std::any_of(warnings.begin(), warnings.end(), [&](const auto& w) {
            return w.line == c.line && w.message.find(c.says) != std::string::npos;
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
    const std::vector<CheckWarning> warnings = CheckSettings(file).warnings;
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
        EXPECT_EQ(warnings[i].message, expected[i].second);
    }
}

TEST(CheckSettings, OddlySavedFilesAreToldWhereThePlugInLosesSomething) {
    const CheckReport utf16 = CheckSettings(Read(Fixture("utf16.ini")));
    ASSERT_EQ(utf16.warnings.size(), 1u) << Describe(utf16.warnings);
    EXPECT_EQ(utf16.warnings[0].line, 1u);
    EXPECT_NE(utf16.warnings[0].message.find("UTF-16"), std::string::npos);
    // A byte-order mark before [Settings] changes nothing: line 1 opens settings either way.
    EXPECT_TRUE(CheckSettings(Read(Fixture("bom.ini"))).warnings.empty());
    // Before a setting, it hides the setting's name.
    const std::vector<CheckWarning> glued =
        CheckSettings("\xEF\xBB\xBFmodactivatekey=F9\n" + CleanWithLine(2, "")).warnings;
    ASSERT_EQ(glued.size(), 3u) << Describe(glued); // and the key is unknown, and unset
    EXPECT_EQ(glued[2].line, 1u);
    EXPECT_NE(glued[2].message.find("byte-order mark"), std::string::npos) << Describe(glued);
    // A byte-order mark in front of a dictionary header hides the header.
    const std::string hidden = "\xEF\xBB\xBF[Shake]\nsky_diving_shake=0x7DC36678\n" + Clean();
    const std::vector<CheckWarning> warnings = CheckSettings(hidden).warnings;
    ASSERT_EQ(warnings.size(), 1u) << Describe(warnings);
    EXPECT_NE(warnings[0].message.find("does not read \"[Shake]\" as a header"), std::string::npos);

    // Line endings do not matter to the plug-in, so they do not to the check.
    std::string crlf = Clean();
    for (size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2)) {
        crlf.insert(at, "\r");
    }
    EXPECT_TRUE(CheckSettings(crlf).warnings.empty()) << Describe(CheckSettings(crlf).warnings);
    EXPECT_TRUE(CheckSettings(Clean()).warnings.empty());
    EXPECT_EQ(CheckSettings(Read(Fixture("utf16.ini"))).parsed.dictionary.size(), 0u);
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
        const CheckReport report = CheckSettings(CleanWithLine(2, "modactivatekey=" + name));
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
        const CheckReport report = CheckSettings(Clean() + "name=" + value + "\n");
        const std::vector<CheckWarning>& warnings = report.warnings;
        EXPECT_EQ(warnings.empty(), isPlain(value)) << '"' << value << "\"\n" << Describe(warnings);
        const std::string read = HexHashOf(report.parsed.dictionary.at("name"));
        for (const CheckWarning& w : warnings)
            EXPECT_TRUE(w.message.ends_with(read)) << w.message << " is not " << read;
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
        EXPECT_EQ(CheckSettings(CleanWithLine(12, header)).warnings.empty(), opensDictionary)
            << header;
        // In place of [Settings], one that opens a dictionary loses the settings.
        EXPECT_EQ(CheckSettings(CleanWithLine(1, header)).warnings.empty(), !opensDictionary)
            << header;
    }
}

// The native command reads key names on a US layout: a letter in either case is the key of
// its capital, a digit its own key.
TEST(KeyForCharacter, TheNativeCommandsLayoutTypesEveryLetterAndDigit) {
    for (char c = 'A'; c <= 'Z'; ++c) {
        EXPECT_EQ(platform::KeyForCharacter(c), c);
        EXPECT_EQ(platform::KeyForCharacter(char(c - 'A' + 'a')), c);
    }
    for (char c = '0'; c <= '9'; ++c)
        EXPECT_EQ(platform::KeyForCharacter(c), c);
    for (const char beside : {'@', '[', '`', '{', '/', ':'})
        EXPECT_EQ(platform::KeyForCharacter(beside), std::nullopt) << beside;
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
        const CheckReport report = CheckSettings(c.file);
        ASSERT_EQ(report.warnings.size(), c.says ? 1u : 0u) << c.report << "\n"
                                                            << Describe(report.warnings);
        if (c.says) {
            EXPECT_NE(report.warnings[0].message.find(c.says), std::string::npos) << c.report;
        }
    }
    EXPECT_EQ(CheckSettings(nulComment).parsed.dictionary.size(), 227u);
}

TEST(ClosestName, FindsSlipsWithinItsBoundAndNothingBeyond) {
    const std::string forty = "camera_shake_for_the_long_drive_home_ab";
    const auto slipped = [&](size_t slips) {
        std::string typed = forty;
        for (size_t i = 0; i < slips; ++i)
            typed[1 + 8 * i] = '#';
        return typed;
    };
    const std::string huge(20000, 'a');
    std::string hugeSlip = huge;
    hugeSlip[10000] = 'b';
    struct Case {
        std::string typed;
        std::vector<std::string_view> candidates;
        std::string_view expected;
    };
    const Case cases[] = {
        {"DOF5", {"DOF05", "DOF10"}, "DOF05"},
        {"camera38", {"Camera15", "Camera38"}, "Camera38"},
        {"oldShake", {"oldshake", "newshake"}, "oldshake"},
        {slipped(4), {"unrelated", forty}, forty},
        {slipped(5), {forty}, ""}, // a long name tolerates four slips at most
        {hugeSlip, {"short", huge}, huge},
        {huge, {"aaaa", "aaaaa"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClosestName(c.typed, c.candidates), c.expected) << c.typed.substr(0, 40);
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

// --- check --json -----------------------------------------------------------------------

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

// --- default ----------------------------------------------------------------------------

// The plug-in writes in text mode, which is CR LF wherever a player runs it: on Windows, and
// under Wine or Proton on Linux. --lf gives the same lines as this native build writes them.
TEST_F(OstrevaneCommand, DefaultIsThePlugInsOwnFileByteForByte) {
    WriteDefaultSettings(SettingsPath);
    const std::string nativeFile = Read(SettingsPath);
    const Outcome crlf = Ostrevane({"default"});
    EXPECT_EQ(crlf.status, 0);
    EXPECT_EQ(crlf.out.size(), 154881u);
    EXPECT_EQ(crlf.out, DefaultFile("\r\n"));
    EXPECT_EQ(Ostrevane({"default", "--crlf"}).out, crlf.out);
    EXPECT_EQ(ParseSettings(crlf.out).swap, ParseSettings(nativeFile).swap);

    const Outcome lf = Ostrevane({"default", "--lf"});
    EXPECT_EQ(lf.out, nativeFile);
    EXPECT_EQ(lf.out.size(), 154627u);
    EXPECT_EQ(Ostrevane({"default", "--lf", "--crlf"}).status, 2);
}

TEST_F(OstrevaneCommand, DefaultNeverOverwritesWithoutForceAndLeavesNoTemporaryFile) {
    Write("mine.ini", "my own settings\n");
    const Outcome refused = Ostrevane({"default", "-o", "mine.ini"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("already exists (add --force to replace it)"), std::string::npos);
    EXPECT_EQ(Read("mine.ini"), "my own settings\n");

    const Outcome forced = Ostrevane({"default", "--crlf", "-o", "mine.ini", "--force"});
    EXPECT_EQ(forced.status, 0);
    EXPECT_EQ(Read("mine.ini"), DefaultFile("\r\n"));

    EXPECT_EQ(Ostrevane({"default", "-o", "no/such/folder/x.ini"}).status, 2);
    fs::create_directory("folder");
    const Outcome folder = Ostrevane({"default", "-o", "folder"});
    EXPECT_NE(folder.err.find("is a folder, not a file: name a file in it, such as -o "),
              std::string::npos)
        << folder.err;
    fs::remove("folder");
    EXPECT_EQ(Ostrevane({"default", "--force"}).status, 2); // --force needs -o
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator("."))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"mine.ini"});
}

// --- list and set -----------------------------------------------------------------------

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

// --- hash -------------------------------------------------------------------------------

TEST(OstrevaneHash, PrintsDictionaryLinesTheLoaderReadsBack) {
    const Outcome outcome = Ostrevane({"hash", "sky_diving_shake", "family5_drug_trip_shake"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "sky_diving_shake=0x7DC36678\n"
                           "family5_drug_trip_shake=0x643E2FFB\n");

    // A ";" ends a value, never a key: the line reads back under the whole name.
    const std::string odd = Ostrevane({"hash", "odd;name"}).out;
    const NameToHash read = ParseSettings("[Shake]\n" + odd).dictionary;
    ASSERT_EQ(read.count("odd;name"), 1u) << odd;
    EXPECT_EQ(HexHashOf(read.at("odd;name")), odd.substr(odd.find('=') + 1, 10));

    // Each readable shake name of the default file carries the hash of its own bytes.
    for (size_t line = 14; line < 14 + 38; ++line) {
        const std::string_view entry = DefaultSettingsLines[line];
        const std::string name(entry.substr(0, entry.find('=')));
        const Outcome own = Ostrevane({"hash", name});
        EXPECT_EQ(own.out, std::string(entry) + "\n");
        EXPECT_EQ(own.err, "");
    }
    // The other names are labels, and a label's hash is not the hash of its text.
    const Outcome label = Ostrevane({"hash", "Camera15"});
    EXPECT_EQ(label.status, 0);
    EXPECT_EQ(label.out, "Camera15=0x23522B8B\n");
    EXPECT_NE(label.err.find("\"Camera15\" is a label: the default file's [Camera] line gives "
                             "it 0x2F0AACD0, the hash of its item, and the dictionary uses that"),
              std::string::npos)
        << label.err;
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

TEST(OstrevaneHash, RefusesNamesNoDictionaryLineCanHold) {
    const Outcome outcome = Ostrevane(
        {"hash", "a=b", " lead", "trail\t", "[x]", "line\nbreak", "ctrl\x1Az", "", "fine"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out.substr(0, 7), "fine=0x");
    EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '\n'), 1);
    for (const char* said :
         {"\"a=b\" holds \"=\"", "\" lead\" starts or ends with a blank",
          "\"trail\\x09\" starts or ends", "\"[x]\" starts with \"[\"",
          "\"line\\x0Abreak\" holds a line break",
          "\"ctrl\\x1Az\" holds a Ctrl-Z byte (0x1A), which ends the file",
          "\"\" hashes to 0x00000000, and the plug-in never swaps a hash of 0"}) {
        EXPECT_NE(outcome.err.find(said), std::string::npos) << said << "\n" << outcome.err;
    }
}

// --- swap -------------------------------------------------------------------------------

TEST_F(OstrevaneCommand, SwapRewritesTheFileAsTheWalkRewritesMemory) {
    // The swap tests' case of a store that changes the next window: two chained pairs.
    Write("chain.ini", "[Shake]\na=0x04030201\nb=0x05040302\nc=0x05050403\nd=0x0A0B0C0D\n"
                       "[Settings]\noldshake=a\nnewshake=b\noldshakeloop=c\nnewshakeloop=d\n");
    Write("in.bin", std::string("\x01\x02\x03\x04\x05\x06", 6));
    const Outcome chained =
        Ostrevane({"swap", "--apply", "--settings", "chain.ini", "in.bin", "out.bin"});
    EXPECT_EQ(chained.status, 0) << chained.err;
    EXPECT_EQ(chained.out, "Settings file: " + (fs::current_path() / "chain.ini").string() +
                               "\n2 windows rewritten\n");
    EXPECT_NE(chained.err.find("skipping 2 of the four pairs"), std::string::npos);
    EXPECT_EQ(Read("out.bin"), std::string("\x02\x0D\x0C\x0B\x0A\x06", 6));

    // A dump with every old hash, some unaligned: the engine's own result, and restore undoes it.
    Write(SettingsPath, Clean());
    const SwapSettingsRecord swap = ParseSettings(Clean()).swap;
    std::string dump(4096, '\x5A');
    const uint32_t olds[] = {swap.oldShake, swap.oldShakeLoop, swap.oldDof, swap.oldCamera};
    for (size_t i = 0; i < 4; ++i)
        std::memcpy(dump.data() + 1 + 1000 * i, &olds[i], 4);
    Write("dump.bin", dump);
    Write("swapped.bin", std::string(10000, 'x')); // replaced whole, not overwritten in place
    const Outcome applied = Ostrevane({"swap", "--apply", "--force", "dump.bin", "swapped.bin"});
    EXPECT_NE(applied.out.find("\n4 windows rewritten\n"), std::string::npos);
    std::string expected = dump;
    SubstituteReference(reinterpret_cast<uint8_t*>(expected.data()), expected.size(),
                        ApplyChain(swap));
    EXPECT_EQ(Read("swapped.bin"), expected);
    EXPECT_NE(expected, dump);

    const Outcome inPlace = Ostrevane({"swap", "--restore", "swapped.bin", "./swapped.bin"});
    EXPECT_EQ(inPlace.status, 2);
    EXPECT_NE(inPlace.err.find("IN and OUT are the same file"), std::string::npos);
    EXPECT_EQ(Read("swapped.bin"), expected);
    EXPECT_EQ(Ostrevane({"swap", "--restore", "--force", "swapped.bin", "swapped.bin"}).status, 0);
    EXPECT_EQ(Read("swapped.bin"), dump);
}

TEST_F(OstrevaneCommand, SwapFailsCleanlyAndWritesNothing) {
    Write(SettingsPath, Clean());
    Write("in.bin", "abcd");
    fs::create_directory("folder");
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"swap", "--apply", "missing.bin", "out.bin"}, "missing.bin: no such file"},
        {{"swap", "--apply", "folder", "out.bin"}, "is a folder"},
        {{"swap", "--apply", "--settings", "none.ini", "in.bin", "out.bin"},
         "none.ini: no such file"},
        {{"swap", "--apply", "in.bin", "no/such/folder/out.bin"}, "cannot be written"},
        {{"swap", "--apply", "in.bin", "folder"}, "is a folder"},
        {{"swap", "--apply", "in.bin", "Ostrevane.ini"}, "already exists (add --force"},
        {{"swap", "--apply", "--restore", "in.bin", "out.bin"}, ""},
        {{"swap", "in.bin", "out.bin"}, ""},
        {{"swap", "--apply", "in.bin"}, "OUT"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = Ostrevane(c.args);
        EXPECT_EQ(outcome.status, 2) << c.says;
        EXPECT_NE(outcome.err.find(c.says), std::string::npos) << c.says << "\n" << outcome.err;
    }
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator("."))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"Ostrevane.ini", "in.bin", "folder"}));
}

// --- scan -------------------------------------------------------------------------------

// The game is a copy of sleep named like a Windows program, started in a folder of its own,
// not its program's: the settings file is the one in the game's current folder, never the
// one beside its program or where the command runs.
TEST_F(OstrevaneCommand, ScanReadsTheSettingsInTheGamesFolderAndFindsTheGameByAnyName) {
    const std::string name = "Game-" + std::to_string(getpid());
    const fs::path program = fs::current_path() / "bin" / (name + ".exe");
    fs::create_directory("game");
    fs::create_directory("bin");
    fs::copy_file("/bin/sleep", program);
    Write("game/Ostrevane.ini", CleanWithLine(4, "newshake=Camera15"));
    Write("bin/Ostrevane.ini", Clean());
    Write("Ostrevane.ini", Clean());
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, "game");
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    const Outcome byPath = Ostrevane({"scan", "--process", program.string()});
    fs::remove("game/Ostrevane.ini");
    const Outcome withoutExe = Ostrevane({"scan", "--process", name});
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(byPath.status, 1) << byPath.err;
    EXPECT_NE(
        byPath.out.find("Settings file: " + (fs::current_path() / "game/Ostrevane.ini").string() +
                        " (the game's current folder)\n"),
        std::string::npos)
        << byPath.out;
    EXPECT_NE(byPath.out.find("  line 4: newshake \"Camera15\" is a camera"), std::string::npos);
    EXPECT_NE(byPath.out.find("\n                  WARNING: would corrupt the game's data (line 4, "
                              "below); "),
              std::string::npos)
        << byPath.out;
    EXPECT_EQ(withoutExe.status, 2);
    EXPECT_NE(withoutExe.err.find("game/Ostrevane.ini: no such file\nThe plug-in writes it there "
                                  "when the game starts with the plug-in installed; run the game "
                                  "once with it, or name the settings file with --settings"),
              std::string::npos)
        << withoutExe.err;
}

// Wine names a game's process after its loader, and the system cuts the short name to 15
// bytes: only the command line holds the game's own name.
TEST(FindProcesses, FindsAWineGameWhoseNameIsLongerThanFifteenBytes) {
    const std::string name = "a_game_named_at_length_" + std::to_string(getpid()) + ".exe";
    const std::string windowsPath = "Z:\\games\\" + name;
    char* argv[] = {const_cast<char*>(windowsPath.c_str()), const_cast<char*>("60"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, "/bin/sleep", nullptr, nullptr, argv, environ), 0);
    std::vector<uint32_t> found;
    // The child takes its command line at exec, a moment after the spawn returns.
    for (int tries = 0; tries < 200 && found.empty(); ++tries, usleep(10000))
        found = platform::FindProcesses(name);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(found, std::vector<uint32_t>{uint32_t(pid)});
    // Off Wine, every program is in sight: no word of prefixes.
    EXPECT_EQ(Ostrevane({"scan", "--process", name + "x"}).err,
              "ostrevane scan: no process named " + name +
                  "x is running; start the game, or "
                  "give its process id with --pid\n");
}

// --- the command line -------------------------------------------------------------------

// In a terminal, the default file would only scroll past; into a file or a pipe it goes.
TEST(OstrevaneCommandLine, DefaultWritesNothingIntoATerminal) {
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal) | unlockpt(terminal), 0);
    const int follower = open(ptsname(terminal), O_RDWR | O_NOCTTY);
    ASSERT_GE(follower, 0);
    std::fflush(stdout);
    const int saved = dup(1);
    dup2(follower, 1);
    std::ostringstream err;
    const int status = RunTo({"default"}, std::cout, err);
    std::cout.flush();
    dup2(saved, 1);
    close(saved);
    close(follower);
    close(terminal);
    EXPECT_EQ(status, 2);
    EXPECT_NE(err.str().find("name the file to write with -o, such as `ostrevane default -o "
                             "Ostrevane.ini`"),
              std::string::npos)
        << err.str();
}

// A reader that stops early, as `more` does when quit, ends the command without a word.
TEST(OstrevaneCommandLine, AClosedPipeEndsTheCommandQuietly) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    std::fflush(stdout);
    const int saved = dup(1);
    dup2(ends[1], 1);
    close(ends[1]);
    const auto previous = signal(SIGPIPE, SIG_IGN);
    std::ostringstream err;
    const int status = RunTo({"default"}, std::cout, err);
    __fpurge(stdout);
    dup2(saved, 1);
    close(saved);
    signal(SIGPIPE, previous);
    std::clearerr(stdout);
    std::cout.clear();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err.str(), "");
}

TEST_F(OstrevaneCommand, EveryCommandFailsWhenItsOutputCannotBeWritten) {
    Write("clean.ini", Clean());
    Write("in.bin", "abcd");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check", "clean.ini"},
          {"check", "--json", "clean.ini"},
          {"default"},
          {"default", "-o", "new.ini"},
          {"hash", "sky_diving_shake"},
          {"swap", "--apply", "--settings", "clean.ini", "in.bin", "out.bin"},
          {"--help"}}) {
        FullDisk disk;
        std::ostream out(&disk);
        std::ostringstream err;
        EXPECT_EQ(RunTo(args, out, err), 2) << args[0];
        EXPECT_NE(err.str().find("the output could not be written"), std::string::npos)
            << args[0] << ": " << err.str();
    }
}

TEST_F(OstrevaneCommand, VersionTimesTheEnginesOnPairsEvenWhereTheFileHereResolvesNone) {
    std::ofstream("Ostrevane.ini") << "[Settings]\noldshake=nothing\n";
    const Outcome version = Ostrevane({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find(std::string("swap engine on this CPU: ") + SubstituteEngineName()),
              std::string::npos)
        << version.out;
    for (const EngineTrialRecord& record : EngineTrials())
        EXPECT_EQ(std::count(record.nanos.begin(), record.nanos.end(), 0u), 0) << record.name;
}

TEST(OstrevaneCommandLine, HelpSucceedsAndMistakesFailWithAMessage) {
    for (const std::vector<std::string>& help : {std::vector<std::string>{"--help"},
                                                 {"check", "--help"},
                                                 {"default", "--help"},
                                                 {"hash", "--help"},
                                                 {"swap", "--help"}}) {
        const Outcome outcome = Ostrevane(help);
        EXPECT_EQ(outcome.status, 0) << help[0];
        EXPECT_NE(outcome.out.find("Usage:"), std::string::npos) << help[0];
    }
    EXPECT_NE(Ostrevane({"--help"}).out.find("check"), std::string::npos);
    EXPECT_NE(Ostrevane({"help"}).out.find("Usage:"), std::string::npos);
    EXPECT_NE(Ostrevane({"help", "swap"}).out.find("--force"), std::string::npos);
    EXPECT_NE(Ostrevane({"chek"}).err.find("\"chek\" is not a command; did you mean \"check\"?\n"
                                           "Commands: check, list, set, default, hash, swap, "
                                           "scan."),
              std::string::npos);
    EXPECT_NE(Ostrevane({}).err.find("Commands: check,"), std::string::npos);
    // Each slip names its next step.
    EXPECT_NE(Ostrevane({"check", "--jsn"}).err.find("Run `ostrevane check --help`"),
              std::string::npos);
    EXPECT_NE(Ostrevane({"hash"}).err.find("ostrevane hash sky_diving_shake"), std::string::npos);
    EXPECT_NE(Ostrevane({"default", "--help"}).out.find("-o,--output FILE"), std::string::npos);

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{},
                                                  {"chek"},
                                                  {"check", "--jsn"},
                                                  {"check", "a.ini", "b.ini"},
                                                  {"hash"},
                                                  {"default", "-o"}}) {
        const Outcome outcome = Ostrevane(wrong);
        EXPECT_EQ(outcome.status, 2) << (wrong.empty() ? "" : wrong.back());
        EXPECT_FALSE(outcome.err.empty());
    }
}
