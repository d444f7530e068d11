#include "sim/OutputQueue.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace velmar::sim {

void OutputQueue::Push(std::string_view bytes, std::int64_t due) {
    if (bytes.empty())
        return;
    // Due times never go backwards, so a shorter delay set later waits for earlier bytes; bytes due
    // with the last stretch join it.
    const std::int64_t ordered = Empty() ? due : std::max(due, marks_.back().due);
    bytes_.append(bytes);
    if (!Empty() && marks_.back().due == ordered) {
        marks_.back().end = bytes_.size();
    } else {
        marks_.push_back({ordered, bytes_.size()});
    }
}

bool OutputQueue::Flush(int fd, std::int64_t now, bool split) {
    std::size_t dueEnd = sent_;
    for (std::size_t i = head_; i < marks_.size() && marks_[i].due <= now; ++i)
        dueEnd = marks_[i].end;
    bool ok = true;
    while (sent_ < dueEnd) {
        const ssize_t n = ::send(fd, bytes_.data() + sent_, split ? 1 : dueEnd - sent_, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = errno == EAGAIN;
            break;
        }
        sent_ += static_cast<std::size_t>(n);
    }
    while (head_ < marks_.size() && marks_[head_].end <= sent_)
        ++head_;
    if (Empty()) {
        bytes_.clear();
        marks_.clear();
        sent_ = 0;
        head_ = 0;
    } else if (sent_ >= bytes_.size() / 2) {
        // A reader that never quite catches up must not keep what went out long ago.
        bytes_.erase(0, sent_);
        marks_.erase(marks_.begin(), marks_.begin() + static_cast<std::ptrdiff_t>(head_));
        for (Mark& mark : marks_)
            mark.end -= sent_;
        sent_ = 0;
        head_ = 0;
    }
    return ok;
}

std::int64_t OutputQueue::NextDue() const {
    return Empty() ? INT64_MAX : marks_[head_].due;
}

}  // namespace velmar::sim
