// The command's writes keep the file what it was: a link stays a link, other names are
// never parted from it silently, and the owner keeps it, also when root writes it.
#include "cli/ostrevane.h"
#include "cli/print_report.h"
#include "settings/default_settings.h"
#include "settings_file/whole_files.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

// The system's close and fsync, as every call in this program reaches them: the build links
// it with -Wl,--wrap, so a test can have them report a write the disk lost, as a network
// folder reports it only at fsync or close.
extern "C" int __real_close(int file);
extern "C" int __real_fsync(int file);
extern "C" int __wrap_close(int file);
extern "C" int __wrap_fsync(int file);

namespace {

// "close" or "fsync": that call fails with EIO for a temporary file of a replacing write.
std::string failingCall;

bool IsTemporary(int file) {
    char name[4096];
    const ssize_t length =
        ::readlink(("/proc/self/fd/" + std::to_string(file)).c_str(), name, sizeof name);
    return length > 4 && std::string_view(name, size_t(length)).ends_with(".tmp");
}

} // namespace

extern "C" int __wrap_close(int file) {
    const bool fail = failingCall == "close" && IsTemporary(file);
    const int result = __real_close(file);
    if (!fail || result != 0) return result;
    errno = EIO;
    return -1;
}

extern "C" int __wrap_fsync(int file) {
    if (failingCall == "fsync" && IsTemporary(file)) {
        errno = EIO;
        return -1;
    }
    return __real_fsync(file);
}

namespace {

const std::string kOld = "[Settings]\r\nnewcamera=Camera15\r\n";
const std::string kNew = "[Settings]\r\nnewcamera=Camera37\r\n";

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Every name in `folder`, so that a temporary file left behind shows.
std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// `ostrevane set newcamera NAME --settings FILE`, run in-process; its exit status and what
// it said on standard error.
int SetNewCamera(const std::string& file, const char* name, std::string& said) {
    const char* argv[] = {"ostrevane", "set", "newcamera", name, "--settings", file.c_str()};
    std::ostringstream out, err;
    const int status = RunOstrevane(6, argv, out, err);
    said = err.str();
    return status;
}

class WriteWholeFileTest : public GameFolderTest {};

// As a player meets it: `set` on a settings file that a mod manager deployed by a link.
TEST_F(WriteWholeFileTest, SetChangesTheFileALinkPointsToAndRefusesOneWithOtherNames) {
    const std::string file = DefaultSettingsText("\r\n");
    Write("plain.ini", file);
    std::string said;
    ASSERT_EQ(SetNewCamera("plain.ini", "Camera37", said), 0) << said;
    const std::string edited = Read("plain.ini");
    ASSERT_NE(edited, file);

    fs::create_directories("mods");
    Write("mods/Ostrevane.ini", file);
    fs::create_symlink("mods/Ostrevane.ini", "Ostrevane.ini");
    ASSERT_EQ(SetNewCamera("Ostrevane.ini", "Camera37", said), 0) << said;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status("Ostrevane.ini")));
    EXPECT_EQ(Read("mods/Ostrevane.ini"), edited);

    fs::create_hard_link("plain.ini", "mods/plain.ini");
    EXPECT_EQ(SetNewCamera("plain.ini", "Camera36", said), 2);
    EXPECT_NE(said.find("has other names (hard links"), std::string::npos) << said;
    EXPECT_NE(said.find("Nothing was changed."), std::string::npos) << said;
    EXPECT_EQ(Read("plain.ini"), edited);
    EXPECT_EQ(Read("mods/plain.ini"), edited);
    EXPECT_EQ(Names("mods"), (std::set<std::string>{"Ostrevane.ini", "plain.ini"}));
}

TEST_F(WriteWholeFileTest, ThroughSymbolicLinksTheFileTheyEndAtGetsTheBytes) {
    fs::create_directories("game");
    fs::create_directories("real");
    Write("real/target.ini", kOld);
    // A link to a link, each relative to its own folder, as a mod manager deploys them.
    fs::create_symlink("../real/target.ini", "real/latest.ini");
    fs::create_symlink("../real/latest.ini", "game/Ostrevane.ini");

    FileProblem problem;
    ASSERT_TRUE(WriteWholeFile("game/Ostrevane.ini", kNew, true, problem))
        << FileProblemWords(problem);
    EXPECT_EQ(Read("real/target.ini"), kNew);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status("game/Ostrevane.ini")));
    EXPECT_EQ(fs::read_symlink("game/Ostrevane.ini"), "../real/latest.ini");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status("real/latest.ini")));
    EXPECT_EQ(Names("game"), std::set<std::string>{"Ostrevane.ini"});
    EXPECT_EQ(Names("real"), (std::set<std::string>{"latest.ini", "target.ini"}));

    // A link to no file yet: with --force the file is made where it points; without, the
    // link itself is something there.
    fs::create_symlink("../real/new.ini", "game/dangling.ini");
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile("game/dangling.ini", bytes, problem));
    EXPECT_EQ(problem.kind, FileProblem::kMissing);
    EXPECT_NE(FileProblemWords(problem).find("symbolic link to ../real/new.ini"),
              std::string::npos);
    // So the advice names --force, the one way `default` writes there.
    EXPECT_NE(
        SettingsFileProblemText("game/dangling.ini", problem).find("-o game/dangling.ini --force"),
        std::string::npos);
    EXPECT_FALSE(WriteWholeFile("game/dangling.ini", kNew, false, problem));
    EXPECT_FALSE(fs::exists("real/new.ini"));
    ASSERT_TRUE(WriteWholeFile("game/dangling.ini", kNew, true, problem))
        << FileProblemWords(problem);
    EXPECT_EQ(Read("real/new.ini"), kNew);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status("game/dangling.ini")));

    fs::create_symlink("loop-b.ini", "game/loop-a.ini");
    fs::create_symlink("loop-a.ini", "game/loop-b.ini");
    EXPECT_FALSE(WriteWholeFile("game/loop-a.ini", kNew, true, problem));
    EXPECT_NE(FileProblemWords(problem).find("circle"), std::string::npos)
        << FileProblemWords(problem);
    EXPECT_EQ(Names("game"),
              (std::set<std::string>{"Ostrevane.ini", "dangling.ini", "loop-a.ini", "loop-b.ini"}));
}

// A read that fails after the file opened, as a failing disk gives: here the EIO of reading
// unmapped memory through /proc/self/mem. Taken for an empty file, it would have `check` say
// the file holds nothing and `set` advise writing the default file over it.
TEST_F(WriteWholeFileTest, AFileThatFailsToReadIsNamedAndNeverTakenForAnEmptyOne) {
    fs::create_symlink("/proc/self/mem", "Ostrevane.ini");
    std::string bytes = "kept";
    FileProblem problem;
    EXPECT_FALSE(ReadWholeFile("Ostrevane.ini", bytes, problem));
    EXPECT_EQ(problem.kind, FileProblem::kUnreadable);

    const std::vector<std::vector<const char*>> commands = {
        {"ostrevane", "check", "--settings", "Ostrevane.ini"},
        {"ostrevane", "list", "camera", "--settings", "Ostrevane.ini"},
        {"ostrevane", "set", "newcamera", "Camera37", "--settings", "Ostrevane.ini"},
    };
    for (const auto& argv : commands) {
        SCOPED_TRACE(argv[1]);
        std::ostringstream out, err;
        EXPECT_EQ(RunOstrevane(int(argv.size()), argv.data(), out, err), 2);
        EXPECT_NE(err.str().find("Ostrevane.ini: cannot be read"), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find("default"), std::string::npos) << err.str();
        EXPECT_EQ(out.str().find("entries"), std::string::npos) << out.str();
    }
    EXPECT_EQ(fs::read_symlink("Ostrevane.ini"), "/proc/self/mem");
    EXPECT_EQ(Names("."), std::set<std::string>{"Ostrevane.ini"});
}

TEST_F(WriteWholeFileTest, AFileWithOtherNamesIsRefusedWholeUnderEveryName) {
    Write("deployed.ini", kOld);
    fs::create_hard_link("deployed.ini", "Ostrevane.ini");

    FileProblem problem;
    EXPECT_FALSE(WriteWholeFile("Ostrevane.ini", kNew, true, problem));
    EXPECT_NE(FileProblemWords(problem).find("hard links"), std::string::npos)
        << FileProblemWords(problem);
    EXPECT_EQ(Read("Ostrevane.ini"), kOld);
    EXPECT_EQ(Read("deployed.ini"), kOld);
    EXPECT_EQ(fs::hard_link_count("Ostrevane.ini"), 2u);
    EXPECT_EQ(Names("."), (std::set<std::string>{"Ostrevane.ini", "deployed.ini"}));

    // Once it has one name again, it is written as any file is.
    fs::remove("deployed.ini");
    ASSERT_TRUE(WriteWholeFile("Ostrevane.ini", kNew, true, problem)) << FileProblemWords(problem);
    EXPECT_EQ(Read("Ostrevane.ini"), kNew);
}

TEST_F(WriteWholeFileTest, TheOwnerGroupAndModeStayEvenWhenRootWrites) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    Write("Ostrevane.ini", kOld);
    ASSERT_EQ(::chown("Ostrevane.ini", 4321, 8765), 0);
    ASSERT_EQ(::chmod("Ostrevane.ini", 0640), 0);

    FileProblem problem;
    ASSERT_TRUE(WriteWholeFile("Ostrevane.ini", kNew, true, problem)) << FileProblemWords(problem);
    struct stat info;
    ASSERT_EQ(::stat("Ostrevane.ini", &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 8765u);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Read("Ostrevane.ini"), kNew);
}

TEST_F(WriteWholeFileTest, AnotherUsersFileIsRefusedRatherThanTaken) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    // A folder anyone may write to, holding a file of one user that another may write.
    fs::create_directories("shared");
    fs::permissions("shared", fs::perms::all);
    Write("shared/Ostrevane.ini", kOld);
    ASSERT_EQ(::chown("shared/Ostrevane.ini", 4321, 4321), 0);
    ASSERT_EQ(::chmod("shared/Ostrevane.ini", 0666), 0);

    // The other user writes it, in a child that gives up root first.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(8765) != 0 || ::setuid(8765) != 0) ::_exit(3);
        FileProblem problem;
        const bool wrote = WriteWholeFile("shared/Ostrevane.ini", kNew, true, problem);
        ::_exit(wrote                                                                 ? 1
                : FileProblemWords(problem).find("another user") == std::string::npos ? 2
                                                                                      : 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat info;
    ASSERT_EQ(::stat("shared/Ostrevane.ini", &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(Read("shared/Ostrevane.ini"), kOld);
    EXPECT_EQ(Names("shared"), std::set<std::string>{"Ostrevane.ini"});
}

TEST_F(WriteWholeFileTest, ANewFileIsReadableAsTheUsersMaskAllows) {
    const mode_t mask = ::umask(022);
    FileProblem problem;
    const bool wrote = WriteWholeFile("Ostrevane.ini", kNew, false, problem);
    ::umask(mask);
    ASSERT_TRUE(wrote) << FileProblemWords(problem);
    EXPECT_EQ(fs::status("Ostrevane.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_EQ(Read("Ostrevane.ini"), kNew);
    EXPECT_FALSE(WriteWholeFile("Ostrevane.ini", kOld, false, problem));
    EXPECT_NE(FileProblemWords(problem).find("--force"), std::string::npos)
        << FileProblemWords(problem);
    EXPECT_EQ(Read("Ostrevane.ini"), kNew);
}

TEST_F(WriteWholeFileTest, AFolderThatIsNotThereIsNamedAsTheReason) {
    Write("Ostrevane.ini", kOld);
    FileProblem problem;
    for (const char* path : {"missing/Ostrevane.ini", "Ostrevane.ini/Ostrevane.ini"}) {
        EXPECT_FALSE(WriteWholeFile(path, kNew, true, problem)) << path;
        EXPECT_NE(FileProblemWords(problem).find("is the folder there"), std::string::npos)
            << FileProblemWords(problem);
    }
    EXPECT_EQ(Read("Ostrevane.ini"), kOld);
    EXPECT_EQ(Names("."), std::set<std::string>{"Ostrevane.ini"});
}

TEST_F(WriteWholeFileTest, AWriteCutShortLeavesTheOldFileAndNoTemporary) {
    Write("Ostrevane.ini", kOld);
    // A file size limit stands in for a full disk: the write fails part-way.
    const std::string large(64 * 1024, 'x');
    rlimit previous;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    FileProblem problem;
    const bool wrote = WriteWholeFile("Ostrevane.ini", large, true, problem);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);

    EXPECT_FALSE(wrote);
    EXPECT_NE(FileProblemWords(problem).find("disk full"), std::string::npos)
        << FileProblemWords(problem);
    EXPECT_EQ(Read("Ostrevane.ini"), kOld);
    EXPECT_EQ(Names("."), std::set<std::string>{"Ostrevane.ini"});
}

// A write the disk lost, reported only by fsync or by close as on a network folder, fails:
// renamed over the old file, it would leave the player a file cut short or empty.
TEST_F(WriteWholeFileTest, AWriteLostAtSyncOrCloseLeavesTheOldFileAndNoTemporary) {
    Write("Ostrevane.ini", kOld);
    for (const char* call : {"fsync", "close"}) {
        SCOPED_TRACE(call);
        failingCall = call;
        FileProblem problem;
        const bool wrote = WriteWholeFile("Ostrevane.ini", kNew, true, problem);
        failingCall.clear();
        EXPECT_FALSE(wrote);
        EXPECT_NE(FileProblemWords(problem).find("cannot be written"), std::string::npos)
            << FileProblemWords(problem);
        EXPECT_EQ(Read("Ostrevane.ini"), kOld);
        EXPECT_EQ(Names("."), std::set<std::string>{"Ostrevane.ini"});
    }
}

} // namespace
