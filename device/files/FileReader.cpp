#include "device/files/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace velmar {

namespace {

// The kinds of file that are not read, in words a person knows them by.
const char* NotRegularName(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

class OpenFile {
  public:
    explicit OpenFile(int fd) : fd_(fd) {}
    ~OpenFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int Fd() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::string SizeText(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024;
    if (bytes >= kKiB * kKiB && bytes % (kKiB * kKiB) == 0)
        return std::to_string(bytes / (kKiB * kKiB)) + " MiB";
    if (bytes >= kKiB && bytes % kKiB == 0)
        return std::to_string(bytes / kKiB) + " KiB";
    return std::to_string(bytes) + " bytes";
}

FileRead FileReader::Read(const std::string& path) const {
    const auto failed = [&](std::string why) { return FileRead{std::nullopt, std::move(why)}; };
    const auto cannot = [&](int error) {
        return failed(path + " cannot be read: " + std::strerror(error) + ".");
    };
    const auto notRegular = [&](mode_t mode) {
        return failed(path + " is " + NotRegularName(mode) + ", not a " + kind_ +
                      "; only regular files are read.");
    };
    const auto tooLarge = [&] {
        return failed(path + " is too large for a " + kind_ + " (at most " + SizeText(limit_) + ").");
    };

    // Looked at before opening: opening a device can act on it, and a FIFO blocks until a writer comes.
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0)
        return cannot(errno);
    if (!S_ISREG(before.st_mode))
        return notRegular(before.st_mode);
    // Non-blocking, so a FIFO put in the file's place since the look above cannot hold us.
    OpenFile file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Fd() < 0)
        return cannot(errno);
    struct stat opened {};
    if (::fstat(file.Fd(), &opened) != 0)
        return cannot(errno);
    if (!S_ISREG(opened.st_mode))
        return notRegular(opened.st_mode);
    if (opened.st_size < 0 || static_cast<std::uintmax_t>(opened.st_size) > limit_)
        return tooLarge();

    // The size can change while we read, so the cap holds for what is read, not what was stated.
    std::string bytes(static_cast<std::size_t>(opened.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > limit_)
                return tooLarge();
            bytes.resize(std::min(bytes.size() * 2, limit_ + 1));
        }
        const ssize_t got = ::read(file.Fd(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return cannot(errno);
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled > limit_)
        return tooLarge();
    bytes.resize(filled);
    return {std::move(bytes), {}};
}

}  // namespace velmar
