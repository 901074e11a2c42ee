#include "../former/test_former.h"
#include "couple_export.h"
#include "safe_file_writer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writePlain(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

// Each test gets its own folder; listing it shows any stray temporary file.
class SafeWriter : public ::testing::Test {
protected:
    fs::path dir;
    const std::string older = "1.0000000 2.0000000\r\nolder file, must survive\r\n";

    void SetUp() override {
        std::string templ = (fs::temp_directory_path() / "files-writer-XXXXXX").string();
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        dir = templ;
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) {
            names.insert(e.path().filename().string());
        }
        return names;
    }
    // The write must fail naming the file and the reason, and change nothing in the folder: an
    // older file stays byte for byte and no temporary file is left.
    void expectRefused(const fs::path& target, const std::string& reason) {
        SCOPED_TRACE(target.string());
        const std::set<std::string> before = entries();
        std::error_code ec;
        const bool hadFile = fs::is_regular_file(target, ec);
        const std::string msg = writeFileSafely(target.string(), "new\r\n");
        EXPECT_TRUE(contains(msg, "« " + target.string() + " »")) << msg;
        EXPECT_TRUE(contains(msg, reason)) << msg;
        if (hadFile) {
            EXPECT_EQ(readFile(target), older);
        }
        EXPECT_EQ(entries(), before);
    }
};

// A relative name is in the current folder, where the temporary file goes too.
TEST_F(SafeWriter, CreatesThenReplacesKeepingThePermissions) {
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    EXPECT_EQ(writeFileSafely("f1.DAT", older), "");
    fs::current_path(before);
    const fs::path target = dir / "f1.DAT";
    EXPECT_EQ(readFile(target), older);
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, mode);
    EXPECT_EQ(writeFileSafely(target.string(), "new\r\n"), "");
    EXPECT_EQ(readFile(target), "new\r\n");
    EXPECT_EQ(fs::status(target).permissions(), mode);
    EXPECT_EQ(entries(), std::set<std::string>{"f1.DAT"});
}

TEST_F(SafeWriter, RefusalsNameTheReasonAndChangeNothing) {
    expectRefused(dir / "nowhere" / "f1.DAT", "le dossier n'existe pas");

    // Refused by its mode bits, so this holds for root too, who could rename over it.
    writePlain(dir / "ro.DAT", older);
    fs::permissions(dir / "ro.DAT", fs::perms::owner_read | fs::perms::group_read);
    expectRefused(dir / "ro.DAT", "le fichier est en lecture seule");

    fs::create_directory(dir / "sub.DAT");
    expectRefused(dir / "sub.DAT", "le nom désigne un dossier");
    expectRefused(dir / (std::string(300, 'n') + ".DAT"), "le nom est trop long");

    // A link into a missing folder, and a loop of links, which is not followed forever.
    fs::create_symlink(dir / "missing" / "f.DAT", dir / "nowhere.DAT");
    expectRefused(dir / "nowhere.DAT", "le dossier n'existe pas");
    fs::create_symlink(dir / "loopB", dir / "loopA");
    fs::create_symlink(dir / "loopA", dir / "loopB");
    expectRefused(dir / "loopA", "trop de liens symboliques");

    EXPECT_FALSE(writeFileSafely("", older).empty());

    // /dev/full is written in place (renaming over a device would replace it by a file), and
    // every write to it fails with "no space left".
    if (fs::is_character_file("/dev/full")) {
        expectRefused("/dev/full", "le disque est plein");
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
        EXPECT_EQ(writeFileSafely("/dev/null", older), "");
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }

    // An outline that cannot make a file leaves the older one too.
    writePlain(dir / "f1.DAT", older);
    TestFormer broken;
    broken.R.resize(2);
    EXPECT_TRUE(contains(saveCoupleFile((dir / "f1.DAT").string(), broken.input(0), 5),
                         (dir / "f1.DAT").string()));
    EXPECT_EQ(readFile(dir / "f1.DAT"), older);

    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    expectRefused(dir / "f1.DAT", "le dossier est en lecture seule");
}

TEST_F(SafeWriter, FailingMidWriteLeavesTheOlderFileAndNoTemporary) {
    // A file size limit makes the kernel refuse the temporary file's writes past 4 KiB, the
    // way a disk filling up would; the child process keeps the limit away from the test.
    const fs::path target = dir / "f1.DAT";
    writePlain(target, older);
    const std::string big(64 * 1024, 'x');
    const fs::path report = dir.parent_path() / (dir.filename().string() + ".msg");
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        const std::string msg = writeFileSafely(target.string(), big);
        const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &none);
        writePlain(report, msg);
        ::_exit(msg.empty() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    const std::string msg = readFile(report);
    fs::remove(report);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write did not fail";
    EXPECT_TRUE(contains(msg, "le fichier est trop volumineux")) << msg;
    EXPECT_EQ(readFile(target), older);
    EXPECT_EQ(entries(), std::set<std::string>{"f1.DAT"});
}

// A save killed in the middle of its write leaves its temporary file, named after its target;
// the next save of that target that succeeds removes it, and nothing else.
TEST_F(SafeWriter, ASaveKilledMidWriteLeavesATemporaryThatTheNextSaveRemoves) {
    const fs::path target = dir / "f1.DAT";
    writePlain(target, older);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Past 4 KiB the kernel kills the writer (SIGXFSZ), as a crash would.
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit lim{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        writeFileSafely(target.string(), std::string(64 * 1024, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save was not killed";
    std::set<std::string> left = entries();
    left.erase("f1.DAT");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.begin()->rfind(".f1.DAT.~", 0), 0u) << *left.begin();
    EXPECT_EQ(readFile(target), older);

    // Look-alikes of other targets, or not of the temporaries' shape, stay.
    const std::set<std::string> others = {".f2.DAT.~abcdefgh.tmp", ".f1.DAT.~abcdefg.tmp",
                                          ".f1.DAT.~ABCDEFGH.tmp", "f1.DAT.~abcdefgh.tmp",
                                          ".f1.DAT.~abcdefgh.tmpx"};
    for (const std::string& name : others)
        writePlain(dir / name, "keep");
    fs::create_directory(dir / ".f1.DAT.~zzzzzzzz.tmp");
    ASSERT_EQ(writeFileSafely(target.string(), "new\r\n"), "");
    std::set<std::string> expected = others;
    expected.insert({"f1.DAT", ".f1.DAT.~zzzzzzzz.tmp"});
    EXPECT_EQ(entries(), expected);
    // A name too long to carry whole gives its temporaries a hash of it, removed the same way.
    const std::string longName(220, 'n');
    writePlain(dir / longName, older);
    ASSERT_EQ(writeFileSafely((dir / longName).string(), "new\r\n"), "");
    EXPECT_EQ(entries().size(), expected.size() + 1);
}

// A link keeps pointing at the file it names, which is replaced, or created when it does not
// exist yet (as opening the link for writing would), relative to the link's own folder.
TEST_F(SafeWriter, ALinkStaysAndItsFileIsReplacedOrCreated) {
    writePlain(dir / "real.DAT", older);
    fs::create_symlink(dir / "real.DAT", dir / "link.DAT");
    ASSERT_EQ(writeFileSafely((dir / "link.DAT").string(), "new\r\n"), "");
    EXPECT_TRUE(fs::is_symlink(dir / "link.DAT"));
    EXPECT_EQ(readFile(dir / "real.DAT"), "new\r\n");

    fs::create_directory(dir / "sub");
    fs::create_symlink("sub/made.DAT", dir / "toMissing.DAT");
    ASSERT_EQ(writeFileSafely((dir / "toMissing.DAT").string(), older), "");
    EXPECT_TRUE(fs::is_symlink(dir / "toMissing.DAT"));
    EXPECT_EQ(readFile(dir / "sub" / "made.DAT"), older);
    EXPECT_EQ(entries(), (std::set<std::string>{"link.DAT", "real.DAT", "sub", "toMissing.DAT"}));
}

} // namespace
