#include "device/discovery/PendingAnswers.h"

#include <utility>

namespace velmar {

bool PendingAnswers::Append(std::string entry) {
    const std::lock_guard lock(mutex_);
    if (entries_.size() >= kMaxPending)
        return false;
    entries_.push_back(std::move(entry));
    return true;
}

std::vector<std::string> PendingAnswers::TakeAll() {
    std::vector<std::string> taken;
    const std::lock_guard lock(mutex_);
    taken.swap(entries_);
    return taken;
}

}  // namespace velmar
