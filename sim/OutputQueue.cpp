#include "sim/OutputQueue.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace velmar::sim {

void OutputQueue::Push(std::string_view bytes, std::int64_t due) {
    if (bytes.empty())
        return;
    // Chunks due at the same time are merged so a burst of replies goes out in few sends.
    if (!chunks_.empty() && chunks_.back().due == due && chunks_.back().sent == 0) {
        chunks_.back().bytes.append(bytes);
    } else {
        // Due times never go backwards, so a shorter delay set later waits for earlier chunks.
        const std::int64_t ordered = chunks_.empty() ? due : std::max(due, chunks_.back().due);
        chunks_.push_back({ordered, std::string(bytes), 0});
    }
    pending_ += bytes.size();
}

bool OutputQueue::Flush(int fd, std::int64_t now, bool split) {
    while (HasDue(now)) {
        Chunk& chunk = chunks_.front();
        while (chunk.sent < chunk.bytes.size()) {
            const std::size_t left = chunk.bytes.size() - chunk.sent;
            const ssize_t n = ::send(fd, chunk.bytes.data() + chunk.sent, split ? 1 : left, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno == EAGAIN;
            }
            chunk.sent += static_cast<std::size_t>(n);
            pending_ -= static_cast<std::size_t>(n);
        }
        chunks_.pop_front();
    }
    return true;
}

std::int64_t OutputQueue::NextDue() const {
    return chunks_.empty() ? INT64_MAX : chunks_.front().due;
}

}  // namespace velmar::sim
