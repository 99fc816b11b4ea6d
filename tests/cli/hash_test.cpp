// `ostrevane hash`: dictionary lines the loader reads back.
#include "tests/cli/command_test.h"

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
