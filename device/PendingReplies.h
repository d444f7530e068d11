#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "device/LinkObserver.h"
#include "protocol/CommandTable.h"

namespace velmar {

// A request waiting for its answer: its word and the values of its int and uint arguments, in
// the order of the request layout.
struct PendingRequest {
    CommandCode code{};
    std::uint8_t keyCount = 0;
    std::array<std::int32_t, kMaxLayoutFields> keys{};

    // The request is `code` and its first keys are `leadingKeys`.
    bool Is(CommandCode word, std::initializer_list<std::int32_t> leadingKeys = {}) const;
    // As a user reads it: "gsyncstat", "gpsustatus 2", "lcross 1025..1152" (a run as its channels).
    std::string Describe() const;
};

struct RefusedRequest {
    PendingRequest request;
    std::int32_t status = 0;
};

// Which requests the frame has answered. Replies are matched to requests rather than counted,
// so a reply that belongs to no request of ours (a late answer to an earlier run, a line meant
// for someone else) cannot stand in for a missing one.
//
// A reply answers the oldest waiting request of its word whose int and uint arguments it repeats:
// request and reply keep an argument at the same byte position, and only the arguments the reply
// carries count (a refused reply carries only those before the layout's "|"). A reply that
// carries none of them answers the oldest request of its word.
class PendingReplies final : public LinkObserver {
  public:
    void OnRequestSent(const CommandMessage& request) override;
    void OnReplyReceived(const CommandMessage& reply) override;

    bool Empty() const { return waiting_.empty(); }
    // Waiting requests of `code` whose first keys are `leadingKeys`.
    std::size_t Waiting(CommandCode code, std::initializer_list<std::int32_t> leadingKeys = {}) const;
    // Answered with a non-zero status, in arrival order.
    const std::vector<RefusedRequest>& Refused() const { return refused_; }
    // "lcross 1025..1152, gsyncstat": the waiting requests in the order sent, at most `limit` of
    // them named and the rest counted.
    std::string UnansweredText(std::size_t limit) const;

  private:
    std::deque<PendingRequest> waiting_;
    std::vector<RefusedRequest> refused_;
};

}  // namespace velmar
