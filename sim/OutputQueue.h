#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::sim {

// Bytes waiting to go out on one TCP connection, each stretch with the time it may leave (a
// delayed frame holds its replies back). Sends never block. The bytes lie in one buffer that keeps
// its room between turns, so a reply costs no allocation, and whatever is due leaves in one send.
class OutputQueue {
  public:
    void Push(std::string_view bytes, std::int64_t due);
    // Sends what is due; one byte per send when `split`. False when the connection failed.
    bool Flush(int fd, std::int64_t now, bool split);
    std::size_t Pending() const { return bytes_.size() - sent_; }
    bool Empty() const { return head_ == marks_.size(); }
    bool HasDue(std::int64_t now) const { return !Empty() && marks_[head_].due <= now; }
    // When the first waiting stretch becomes due, INT64_MAX when none waits.
    std::int64_t NextDue() const;

  private:
    // The bytes from the previous mark's end up to `end` may leave at `due`.
    struct Mark {
        std::int64_t due = 0;
        std::size_t end = 0;
    };
    std::string bytes_;
    std::size_t sent_ = 0;
    std::vector<Mark> marks_;
    std::size_t head_ = 0;  // the first mark not sent whole
};

}  // namespace velmar::sim
