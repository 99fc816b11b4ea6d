// Guessing what a player meant by a name that matches nothing.
#include "tests/cli/command_test.h"

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
