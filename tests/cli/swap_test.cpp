// `ostrevane swap`: the walk's substitution over a file, as over a memory dump.
#include "tests/cli/command_test.h"

TEST_F(OstrevaneCommand, SwapRewritesTheFileAsTheWalkRewritesMemory) {
    // The swap tests' case of a store that changes the next window: two chained pairs.
    Write("chain.ini", "[Shake]\na=0x04030201\nb=0x05040302\nc=0x05050403\nd=0x0A0B0C0D\n"
                       "[Settings]\noldshake=a\nnewshake=b\noldshakeloop=c\nnewshakeloop=d\n");
    Write("in.bin", std::string("\x01\x02\x03\x04\x05\x06", 6));
    const Outcome chained =
        Ostrevane({"swap", "--apply", "--settings", "chain.ini", "in.bin", "out.bin"});
    EXPECT_EQ(chained.status, 0) << chained.err;
    EXPECT_EQ(chained.out, "Settings file: " + (fs::current_path() / "chain.ini").string() +
                               "\n2 places rewritten\n");
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
    EXPECT_NE(applied.out.find("\n4 places rewritten\n"), std::string::npos);
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
