#include "settings/key_names.h"

#include "tests/standin.h"

#include <gtest/gtest.h>

TEST(ParseActivationKey, MapsFunctionKeysLettersAndDigits) {
    struct Case {
        const char* name;
        int code;
    };
    standin::SetUntypableLetters("Q"); // as on a layout that has no Q
    const Case cases[] = {
        {"F1", 0x70},
        {"F8", 0x77},
        {"F10", 0x79},
        {"F12", 0x7B},
        // A letter is the key that types it; the low byte drops the shift state.
        {"k", 'K'},
        {"K", 'K'},
        {"F", 'F'},
        {"q", 0x74}, // no key types it
        {"Q", 0x74},
        {"0", 0x30},
        {"9", 0x39},
        // White space anywhere is ignored.
        {" F\t8\r\n", 0x77},
        {"F\v1\f0", 0x79},
        // Anything else is F5.
        {"f8", 0x74},
        {"F13", 0x74},
        {"F0", 0x74},
        {"F01", 0x74},
        {"", 0x74},
        {"-", 0x74},
        {"KK", 0x74},
        {"F8;", 0x74},
        // The characters just outside the digits and the letters.
        {"/", 0x74},
        {":", 0x74},
        {"@", 0x74},
        {"[", 0x74},
        {"`", 0x74},
        {"{", 0x74},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseActivationKey(c.name), c.code) << c.name;
    standin::Reset();
}
