#include "couple_export.h"
#include "safe_file_writer.h"
#include "test_former.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
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
};

TEST_F(SafeWriter, CreatesThenReplacesKeepingThePermissions) {
    const fs::path target = dir / "f1.DAT";
    EXPECT_EQ(writeFileSafely(target.string(), older), "");
    EXPECT_EQ(readFile(target), older);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(writeFileSafely(target.string(), "new\r\n"), "");
    EXPECT_EQ(readFile(target), "new\r\n");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entries(), std::set<std::string>{"f1.DAT"});
}

TEST_F(SafeWriter, SavingTheSamePieceTwiceGivesIdenticalFiles) {
    const TestFormer f;
    const fs::path target = dir / "whole.DAT";
    ASSERT_EQ(saveCoupleFile(target.string(), f.input(1), 5), "");
    const std::string first = readFile(target);
    ASSERT_EQ(saveCoupleFile(target.string(), f.input(1), 5), "");
    EXPECT_EQ(readFile(target), first);
    EXPECT_EQ(first, coupleFileText(f.input(1), 5).text);
}

TEST_F(SafeWriter, MissingFolderIsNamed) {
    const fs::path target = dir / "nowhere" / "f1.DAT";
    const std::string msg = writeFileSafely(target.string(), older);
    EXPECT_TRUE(contains(msg, target.string())) << msg;
    EXPECT_TRUE(contains(msg, "le dossier n'existe pas")) << msg;
    EXPECT_TRUE(entries().empty());
}

TEST_F(SafeWriter, ReadOnlyFileSurvivesByteForByte) {
    // Refused by its mode bits, so this holds for root too, who could rename over it.
    const fs::path target = dir / "f1.DAT";
    writePlain(target, older);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
    const std::string msg = writeFileSafely(target.string(), "new\r\n");
    EXPECT_TRUE(contains(msg, "« " + target.string() + " »")) << msg;
    EXPECT_TRUE(contains(msg, "le fichier est en lecture seule")) << msg;
    EXPECT_EQ(readFile(target), older);
    EXPECT_EQ(entries(), std::set<std::string>{"f1.DAT"});
}

TEST_F(SafeWriter, ReadOnlyFolderKeepsItsFile) {
    const fs::path target = dir / "f1.DAT";
    writePlain(target, older);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string msg = writeFileSafely(target.string(), "new\r\n");
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_TRUE(contains(msg, "le dossier est en lecture seule")) << msg;
    EXPECT_EQ(readFile(target), older);
    EXPECT_EQ(entries(), std::set<std::string>{"f1.DAT"});
}

TEST_F(SafeWriter, FullDiskIsReportedAndTheDeviceStaysADevice) {
    // /dev/full is written in place (renaming over a device would replace it by a file), and
    // every write to it fails with "no space left".
    if (!fs::is_character_file("/dev/full")) {
        GTEST_SKIP() << "/dev/full is not available";
    }
    const std::string msg = writeFileSafely("/dev/full", older);
    EXPECT_TRUE(contains(msg, "/dev/full")) << msg;
    EXPECT_TRUE(contains(msg, "le disque est plein")) << msg;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(writeFileSafely("/dev/null", older), "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
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

TEST_F(SafeWriter, RefusesAFolderAndATooLongName) {
    fs::create_directory(dir / "sub.DAT");
    std::string msg = writeFileSafely((dir / "sub.DAT").string(), older);
    EXPECT_TRUE(contains(msg, "le nom désigne un dossier")) << msg;
    EXPECT_TRUE(fs::is_directory(dir / "sub.DAT"));

    const fs::path longName = dir / (std::string(300, 'n') + ".DAT");
    msg = writeFileSafely(longName.string(), older);
    EXPECT_TRUE(contains(msg, "le nom est trop long")) << msg;
    EXPECT_EQ(entries(), std::set<std::string>{"sub.DAT"});

    EXPECT_FALSE(writeFileSafely("", older).empty());
}

TEST_F(SafeWriter, ALinkKeepsPointingAtTheReplacedFile) {
    const fs::path real = dir / "real.DAT";
    const fs::path link = dir / "link.DAT";
    writePlain(real, older);
    fs::create_symlink(real, link);
    ASSERT_EQ(writeFileSafely(link.string(), "new\r\n"), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "new\r\n");
    EXPECT_EQ(entries(), (std::set<std::string>{"link.DAT", "real.DAT"}));
}

// A link whose file does not exist yet gets that file, as opening it for writing would; the
// link itself stays. Its target is taken relative to the link's own folder.
TEST_F(SafeWriter, ALinkToAMissingFileCreatesThatFile) {
    fs::create_directory(dir / "sub");
    const fs::path link = dir / "link.DAT";
    fs::create_symlink("sub/real.DAT", link);
    ASSERT_EQ(writeFileSafely(link.string(), older), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(dir / "sub" / "real.DAT"), older);
    EXPECT_EQ(entries(), (std::set<std::string>{"link.DAT", "sub"}));

    // A link into a missing folder names the folder as the reason and changes nothing.
    const fs::path nowhere = dir / "nowhere.DAT";
    fs::create_symlink(dir / "missing" / "f.DAT", nowhere);
    EXPECT_TRUE(contains(writeFileSafely(nowhere.string(), older), "le dossier n'existe pas"));
    EXPECT_TRUE(fs::is_symlink(nowhere));

    // A loop of links is refused, not followed forever.
    fs::create_symlink(dir / "loopB", dir / "loopA");
    fs::create_symlink(dir / "loopA", dir / "loopB");
    EXPECT_TRUE(
        contains(writeFileSafely((dir / "loopA").string(), older), "trop de liens symboliques"));
    EXPECT_EQ(entries(),
              (std::set<std::string>{"link.DAT", "loopA", "loopB", "nowhere.DAT", "sub"}));
}

TEST_F(SafeWriter, ARelativeNameIsInTheCurrentFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const std::string msg = writeFileSafely("rel.DAT", older);
    fs::current_path(before);
    EXPECT_EQ(msg, "");
    EXPECT_EQ(readFile(dir / "rel.DAT"), older);
    EXPECT_EQ(entries(), std::set<std::string>{"rel.DAT"});
}

TEST_F(SafeWriter, AnOutlineThatCannotBeWrittenLeavesTheOlderFile) {
    TestFormer f;
    f.R.resize(2);
    const fs::path target = dir / "f1.DAT";
    writePlain(target, older);
    const std::string msg = saveCoupleFile(target.string(), f.input(0), 5);
    EXPECT_TRUE(contains(msg, target.string())) << msg;
    EXPECT_EQ(readFile(target), older);
}

} // namespace
