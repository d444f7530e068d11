#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

struct FileRead {
    std::optional<std::string> bytes;  // the whole file, when it could be taken
    std::string problem;               // otherwise: names the file and why it was not read
};

// Reads a file a person handed us, as one format (`kind`, e.g. "settings file") of at most
// `limit` bytes. Only a regular file is opened for reading: a folder, FIFO, device or socket
// could block forever, never end or do something on open, so it is refused by its kind before
// anything is read. Every read is checked and nothing throws; the window and the command line
// show the same `problem`.
class FileReader {
  public:
    FileReader(std::string_view kind, std::size_t limit) : kind_(kind), limit_(limit) {}

    FileRead Read(const std::string& path) const;

  private:
    std::string kind_;
    std::size_t limit_;
};

// "64 KiB", "16 MiB" or "1000 bytes": a size cap as a refusal states it.
std::string SizeText(std::size_t bytes);

}  // namespace velmar
