#include "device/files/AtomicFileSaver.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

namespace fs = std::filesystem;

class AtomicFileSaverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = test::OwnTempFolder() + "/saver-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder_;
    const AtomicFileSaver saver_{"settings file"};
};

TEST_F(AtomicFileSaverTest, ReplacesTheFileKeepingItsModeAndLeavesNoTemporary) {
    const std::string target = Path("studio.cfg");
    EXPECT_EQ(saver_.Save(target, "first"), "");
    EXPECT_EQ(Contents(target), "first");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    EXPECT_EQ(saver_.Save(target, std::string("second\0", 7)), "");
    EXPECT_EQ(Contents(target), std::string("second\0", 7));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(), std::vector<std::string>{"studio.cfg"});
}

TEST_F(AtomicFileSaverTest, TheTemporaryIsNoNameAUserMayHoldAndSavesAtOnceNeverMix) {
    // Names the temporary once had: a user's own files by those names are left alone.
    for (const char* own : {"studio.cfg.part", "studio.cfg.tmp", ".studio.cfg.XXXXXX"})
        std::ofstream(Path(own)) << "mine";
    const std::string target = Path("studio.cfg");
    const std::string a(100000, 'a');
    const std::string b(100000, 'b');
    std::thread other([&] {
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(saver_.Save(target, a), "");
    });
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(saver_.Save(target, b), "");
    other.join();
    const std::string saved = Contents(target);
    EXPECT_TRUE(saved == a || saved == b);
    for (const char* own : {"studio.cfg.part", "studio.cfg.tmp", ".studio.cfg.XXXXXX"})
        EXPECT_EQ(Contents(Path(own)), "mine") << own;
    EXPECT_EQ(Names().size(), 4u);
}

TEST_F(AtomicFileSaverTest, ASymbolicLinkIsFollowedAndStays) {
    fs::create_directory(Path("real"));
    std::ofstream(Path("real/studio.cfg")) << "old";
    fs::create_symlink("real/studio.cfg", Path("link.cfg"));
    fs::create_symlink("link.cfg", Path("chain.cfg"));
    fs::create_symlink("real/new.cfg", Path("dangling.cfg"));

    EXPECT_EQ(saver_.Save(Path("chain.cfg"), "new"), "");
    EXPECT_TRUE(fs::is_symlink(Path("link.cfg")));
    EXPECT_TRUE(fs::is_symlink(Path("chain.cfg")));
    EXPECT_EQ(Contents(Path("real/studio.cfg")), "new");
    EXPECT_EQ(saver_.Save(Path("dangling.cfg"), "made"), "");
    EXPECT_TRUE(fs::is_symlink(Path("dangling.cfg")));
    EXPECT_EQ(Contents(Path("real/new.cfg")), "made");

    fs::create_symlink("loop.cfg", Path("loop.cfg"));
    EXPECT_NE(saver_.Save(Path("loop.cfg"), "x").find("could not be written"), std::string::npos);
}

TEST_F(AtomicFileSaverTest, WhatIsNotARegularFileIsRefusedAndKept) {
    fs::create_directory(Path("folder"));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", Path("to-fifo"));
    for (const char* name : {"folder", "fifo", "to-fifo"}) {
        EXPECT_EQ(saver_.Save(Path(name), "x"),
                  Path(name) + " is not a regular file, so it is not replaced by a settings file.");
    }
    EXPECT_TRUE(fs::is_directory(Path("folder")));
    EXPECT_TRUE(fs::is_fifo(Path("fifo")));

    if (::mknod(Path("null").c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        GTEST_SKIP() << "making a device node is not permitted here";
    EXPECT_NE(saver_.Save(Path("null"), "x"), "");
    EXPECT_TRUE(fs::is_character_file(Path("null")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"fifo", "folder", "null", "to-fifo"}));
}

TEST_F(AtomicFileSaverTest, AFailedWriteKeepsTheOldFileAndSaysSo) {
    const std::string target = Path("studio.cfg");
    std::ofstream(target) << "old";
    // A file size limit makes the write itself fail, as a full disk would, even for root.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string problem = saver_.Save(target, std::string(64, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(problem,
              target + " could not be written as a settings file: File too large; the old file is kept.");
    EXPECT_EQ(Contents(target), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"studio.cfg"});
    EXPECT_NE(saver_.Save(Path("no-folder/studio.cfg"), "x").find("No such file or directory"),
              std::string::npos);
}

}  // namespace
}  // namespace velmar
