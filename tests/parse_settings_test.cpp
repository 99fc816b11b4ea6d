#include "settings/parse_settings.h"
#include "tests/pair_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

NameToHash DictionaryOf(std::string_view text) {
    return ParseSettings(text).dictionary;
}

std::string ValueOf(std::string_view text, SettingKey key) {
    return ParseSettings(text).values[key];
}

} // namespace

TEST(ParseHash, ReadsNumbersAsA32BitStrtoulWithBaseZero) {
    struct Case {
        const char* text;
        uint32_t expected;
    };
    const Case cases[] = {
        {"0x7DC36678", 0x7DC36678},
        {"0X10", 16},
        {"123", 123},
        {"0123", 83}, // a leading zero means octal
        {"089", 0},   // octal stops at the first 8
        {"0x", 0},    // no hex digit after the prefix: just the 0
        {"0xg1", 0},
        {"", 0},
        {"junk", 0},
        {"-1", 0xFFFFFFFF},
        {"-0x10", 0xFFFFFFF0}, // negated modulo 2^32
        {"+42", 42},
        {"4294967295", 0xFFFFFFFF},
        {"4294967296", 0xFFFFFFFF},  // saturates instead of wrapping
        {"-4294967296", 0xFFFFFFFF}, // saturates whatever the sign
        {"0x1FFFFFFFF", 0xFFFFFFFF},
        {"99999999999999999999999", 0xFFFFFFFF}, // beyond 64 bits as well
        {"12abc", 12},
        {"\v\f 7", 7}, // strtoul skips every kind of white space first
        {"- 7", 0},    // but none after the sign
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHash(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ParseSettings, HeadersChooseBetweenDictionaryAndSettingsSections) {
    const ParsedSettings parsed = ParseSettings("oldshake=before\n"
                                                "[Shake]\n"
                                                "a=1\n"
                                                "[Settings]\n"
                                                "b=2\n"
                                                "[x][DOF] trailing text\n"
                                                "c=3\n"
                                                "[shake]\n" // lower case: not a dictionary
                                                "d=4\n"
                                                " [Camera]\n" // indented: not a header
                                                "e=5\n"
                                                "[Camera]=7\n" // a header is never a key
                                                "f=6\n");
    EXPECT_EQ(parsed.values[kOldShake], "before"); // lines before any header are settings
    EXPECT_EQ(parsed.dictionary, (NameToHash{{"a", 1}, {"c", 3}, {"f", 6}}));
}

TEST(ParseSettings, SplitsKeyValueAndCommentAndTrimsOnlyBlanks) {
    EXPECT_EQ(DictionaryOf("[Shake]\n \t name \t=  0x10 ; sixteen\n"), (NameToHash{{"name", 16}}));
    // The key is not cut at ";": a comment line holding "=" is an entry.
    EXPECT_EQ(DictionaryOf("[Shake]\n;note=5\n"), (NameToHash{{";note", 5}}));
    // Only the first "=" splits.
    EXPECT_EQ(DictionaryOf("[Shake]\na=b=3\n"), (NameToHash{{"a", 0}}));
    EXPECT_EQ(DictionaryOf("[Shake]\n=9\n"), (NameToHash{{"", 9}}));
    EXPECT_EQ(DictionaryOf("[Shake]\nno equals here\n; comment\n"), NameToHash{});
    // Vertical tab and form feed are not blanks here.
    EXPECT_EQ(DictionaryOf("[Shake]\nkey\f=1\n"), (NameToHash{{"key\f", 1}}));
    EXPECT_EQ(ValueOf("newdof=DOF10     ;Change This Name \n", kNewDof), "DOF10");
    EXPECT_EQ(ValueOf("newdof=\vDOF10\n", kNewDof), "\vDOF10");
}

TEST(ParseSettings, LaterDefinitionsWin) {
    EXPECT_EQ(DictionaryOf("[Shake]\nx=1\n[Camera]\nx=2\n"), (NameToHash{{"x", 2}}));
    EXPECT_EQ(ValueOf("oldshake=a\noldshake=b\n", kOldShake), "b");
}

TEST(ParseSettings, ReadsLikeTheWindowsTextMode) {
    const std::string lf = "[Shake]\na=1\nb=2\n[Settings]\noldshake=a\nnewshake=b";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const ParsedSettings fromLf = ParseSettings(lf);
    const ParsedSettings fromCrlf = ParseSettings(crlf);
    EXPECT_EQ(fromLf.dictionary, fromCrlf.dictionary);
    EXPECT_EQ(fromLf.swap, fromCrlf.swap);
    EXPECT_EQ(fromLf.swap.newShake, 2u); // the last line needs no line feed

    // Ctrl-Z ends the data.
    EXPECT_EQ(DictionaryOf("[Shake]\na=1\n\x1A"
                           "b=2\n"),
              (NameToHash{{"a", 1}}));
    // A lone CR is no line end: it stays inside the line, trimmed off the value's edge.
    EXPECT_EQ(DictionaryOf("[Shake]\ra=1\n"), NameToHash{});
    EXPECT_EQ(DictionaryOf("[Shake]\na=1\r\rb=2\n"), (NameToHash{{"a", 1}}));
}

TEST(ParseSettings, AByteOrderMarkHidesAHeaderOnTheFirstLine) {
    EXPECT_EQ(DictionaryOf("\xEF\xBB\xBF[Shake]\na=1\n"), NameToHash{});
}

TEST(ParseSettings, KeepsNulBytesInsideNames) {
    using namespace std::string_literals;
    const NameToHash dictionary = DictionaryOf("[Shake]\na\0b=1\n"s);
    EXPECT_EQ(dictionary, (NameToHash{{"a\0b"s, 1}}));
}

TEST(ParseSettings, ResolvesNamesThroughTheDictionary) {
    const ParsedSettings parsed = ParseSettings("[Settings]\n"
                                                "modactivatekey=F8\n"
                                                "oldshake=sky\n"
                                                "newshake=0x643E2FFB\n" // a literal is no name
                                                "olddof=missing\n"
                                                "oldcamera=\n"
                                                "OldCamera=sky\n" // keys compare exactly
                                                "[Shake]\n"
                                                "sky=0x7DC36678\n"
                                                "oldcamera=5\n"); // dictionary, not a setting
    EXPECT_EQ(parsed.swap.oldShake, 0x7DC36678u);
    EXPECT_EQ(parsed.swap.newShake, 0u);
    EXPECT_EQ(parsed.swap.oldDof, 0u);
    EXPECT_EQ(parsed.swap.oldCamera, 0u);
    EXPECT_EQ(parsed.swap.activationKey, 0x77);

    // An empty or missing setting looks up the empty name.
    const ParsedSettings empty = ParseSettings("[DOF]\n=0x30348053\n");
    EXPECT_EQ(empty.swap.oldDof, 0x30348053u);
    EXPECT_EQ(empty.swap.newCamera, 0x30348053u);
    EXPECT_EQ(empty.swap.activationKey, 0x74); // no key named: F5
}

TEST(ParseSettings, TellsTheObserverHowEachLineWasRead) {
    std::vector<std::pair<size_t, LineKind>> seen;
    ParseSettings("x\r\n\r\n[Shake]\r\na=1\r\n[Settings]\r\noldshake=a\r\nbogus=1",
                  [&](const SettingsLine& line) { seen.emplace_back(line.number, line.kind); });
    const std::vector<std::pair<size_t, LineKind>> expected = {
        {1, LineKind::NoEquals},        {2, LineKind::Empty},  {3, LineKind::Header},
        {4, LineKind::DictionaryEntry}, {5, LineKind::Header}, {6, LineKind::Setting},
        {7, LineKind::UnknownSetting}};
    EXPECT_EQ(seen, expected);
}
