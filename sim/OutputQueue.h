#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace velmar::sim {

// Bytes waiting to go out on one TCP connection, each chunk with the time it may leave (a
// delayed frame holds its replies back). Sends never block.
class OutputQueue {
  public:
    void Push(std::string_view bytes, std::int64_t due);
    // Sends what is due; one byte per send when `split`. False when the connection failed.
    bool Flush(int fd, std::int64_t now, bool split);
    std::size_t Pending() const { return pending_; }
    bool Empty() const { return chunks_.empty(); }
    bool HasDue(std::int64_t now) const { return !chunks_.empty() && chunks_.front().due <= now; }
    // When the first waiting chunk becomes due, INT64_MAX when none waits.
    std::int64_t NextDue() const;

  private:
    struct Chunk {
        std::int64_t due = 0;
        std::string bytes;
        std::size_t sent = 0;
    };
    std::deque<Chunk> chunks_;
    std::size_t pending_ = 0;
};

}  // namespace velmar::sim
