#include "device/files/FileReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

class FileReaderTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) {
        const std::string path = test::OwnTempFolder() + "/reader-" + name;
        std::filesystem::remove_all(path);
        return path;
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    const FileReader reader_{"label file", 16};
};

TEST_F(FileReaderTest, TakesARegularFileWholeUpToItsCapAndFollowsLinks) {
    const std::string bytes("a\0b\r\nc", 6);
    const FileRead read = reader_.Read(Write("plain", bytes));
    ASSERT_TRUE(read.bytes) << read.problem;
    EXPECT_EQ(*read.bytes, bytes);
    EXPECT_EQ(reader_.Read(Write("empty", "")).bytes, std::string());
    EXPECT_EQ(reader_.Read(Write("full", std::string(16, 'x'))).bytes, std::string(16, 'x'));

    const std::string link = Path("link");
    std::filesystem::create_symlink("reader-plain", link);
    EXPECT_EQ(reader_.Read(link).bytes, bytes);
}

TEST_F(FileReaderTest, RefusesByKindWhatIsNotARegularFileWithoutBlocking) {
    const std::string folder = Path("folder");
    std::filesystem::create_directory(folder);
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    FileRead read = reader_.Read(folder);
    EXPECT_FALSE(read.bytes);
    EXPECT_EQ(read.problem, folder + " is a folder, not a label file; only regular files are read.");
    read = reader_.Read(fifo);  // would block for ever if opened for reading
    EXPECT_FALSE(read.bytes);
    EXPECT_NE(read.problem.find("is a named pipe, not a label file"), std::string::npos) << read.problem;
    read = reader_.Read("/dev/zero");  // would never end
    EXPECT_NE(read.problem.find("is a device"), std::string::npos) << read.problem;

    read = reader_.Read(Path("missing"));
    EXPECT_FALSE(read.bytes);
    EXPECT_NE(read.problem.find("cannot be read: No such file or directory."), std::string::npos);
}

TEST_F(FileReaderTest, RefusesALargerFileBeforeReadingIt) {
    FileRead read = reader_.Read(Write("one-over", std::string(17, 'x')));
    EXPECT_FALSE(read.bytes);
    EXPECT_EQ(read.problem, Path("one-over") + " is too large for a label file (at most 16 bytes).");

    // A gigabyte that takes no disk: read whole, it would take a gigabyte of memory.
    const std::string huge = Path("huge");
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 30);
    read = FileReader("firmware image", 16u << 20).Read(huge);
    EXPECT_FALSE(read.bytes);
    EXPECT_EQ(read.problem, huge + " is too large for a firmware image (at most 16 MiB).");
    std::filesystem::remove(huge);
}

TEST(SizeTextTest, StatesCapsInTheirLargestWholeUnit) {
    EXPECT_EQ(SizeText(65536), "64 KiB");
    EXPECT_EQ(SizeText(16u << 20), "16 MiB");
    EXPECT_EQ(SizeText(1000), "1000 bytes");
}

}  // namespace
}  // namespace velmar
