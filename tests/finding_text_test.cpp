// check's findings in the window's words: every kind of trap is told, and told in the player's
// terms, never by a setting's name in the file.
#include "check/check.h"
#include "settings/default_settings.h"
#include "window/settings_form.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

const std::string kDefault = DefaultSettingsText("\r\n");

std::string With(std::string_view from, std::string_view to) {
    std::string file = kDefault;
    return file.replace(file.find(from), from.size(), to);
}

// The default file with the line of setting `key` made `line` ("" removes it).
std::string WithLine(std::string_view key, const std::string& line) {
    std::string file = kDefault;
    const size_t start = file.find("\n" + std::string(key) + "=") + 1;
    file.replace(start, file.find('\n', start) + 1 - start, line.empty() ? "" : line + "\r\n");
    return file;
}

// `text` without what stands between double quotes: the file's own bytes, which may spell a
// setting's name.
std::string OutsideQuotes(const std::string& text) {
    std::string outside;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (!quoted && c != '"') outside += c;
    }
    return outside;
}

TEST(FindingText, EveryTrapIsToldInThePlayersWords) {
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("[Settings]\r\nnewshake=drunk_shake\r\n"))
        utf16 += std::string{c, '\0'};
    const std::string files[] = {
        "",
        utf16,
        With("[Shake]", "\x1A[Shake]"),
        "\xEF\xBB\xBFmodactivatekey=F9\r\n" + WithLine("modactivatekey", ""),
        "\xEF\xBB\xBF[Shake]\r\nx=1\r\n" + kDefault,
        With("[Camera]", "[camera]"),
        kDefault + " [Settings]\r\nnewcamera=Camera14\r\n",
        WithLine("modactivatekey", "modactivatekey=f8\r\nmodactivatekey F8\r\nnewshak=1\r\n"
                                   "x=0x10\r\nolddof=DOF05\r\nolddof=DOF05"),
        With("DOF05=", "DOF05=x") + "[DOF]\r\nDOF06=0x1\r\n",
        WithLine("newcamera", "newcamera=0x2F0AACD0"),
        WithLine("newcamera", "newcamera=Camera99"),
        WithLine("newcamera", "newcamera="),
        WithLine("newcamera", ""),
        WithLine("modactivatekey", ""),
        WithLine("newcamera", "newcamera=drunk_shake"),
        WithLine("newcamera", "newcamera=Camera38"),
        WithLine("newcamera", "newcamera=zero") + "[Camera]\r\nzero=0\r\n",
        WithLine("newcamera", "newcamera=one") + "[Camera]\r\none=0x3F800000\r\n",
    };
    std::map<Trap, std::string> told;
    for (const std::string& file : files) {
        for (const CheckWarning& warning : CheckSettings(ReadDocument(file)).warnings)
            told[warning.trap] = FindingText(warning);
    }

    for (int trap = 0; trap <= int(Trap::kUnknownKey); ++trap) {
        SCOPED_TRACE(trap);
        ASSERT_EQ(told.count(Trap(trap)), 1u) << "no file of the table shows this trap";
        const std::string& text = told[Trap(trap)];
        EXPECT_FALSE(text.empty());
        for (const std::string_view key : SettingKeyNames)
            EXPECT_EQ(OutsideQuotes(text).find(key), std::string::npos) << text;
    }
}

} // namespace
