#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace velmar {

// Discovery answers received by the UDP worker and not yet shown. The worker appends, the
// user-interface thread takes them all; this list is the only data the two threads share.
class PendingAnswers {
  public:
    // A storm of answers between two timer turns is dropped past this many; the next broadcast
    // brings the frames back.
    static constexpr std::size_t kMaxPending = 1024;

    // False when the list is full and the entry was dropped.
    bool Append(std::string entry);
    // Everything pending, in arrival order; the list is empty afterwards.
    std::vector<std::string> TakeAll();

  private:
    std::mutex mutex_;
    std::vector<std::string> entries_;
};

}  // namespace velmar
