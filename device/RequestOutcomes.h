#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "device/LinkObserver.h"
#include "device/PendingReplies.h"
#include "device/TimerService.h"

namespace velmar {

enum class Outcome : std::uint8_t {
    Waiting,
    Answered,    // status 0; the reply went on to the dispatcher as usual
    Refused,     // a non-zero status
    Unanswered,  // nothing came back within the timeout
    LinkLost,    // the link went down first
};

// One request and what became of it. It leaves Waiting exactly once.
struct RequestRecord {
    PendingRequest request;
    Outcome outcome = Outcome::Waiting;
    std::int32_t status = 0;  // the refusal's status
};

using RequestHandle = std::shared_ptr<const RequestRecord>;

class RequestBatch;

// What became of every request sent on the link. Replies are matched as PendingRequest says;
// a request still waiting after the timeout is unanswered, and every waiting request is lost
// with the link. A window or command collects the handles of its own requests (a RequestBatch,
// or WhenResolved on the last one sent) and never looks at anybody else's.
class RequestOutcomes final : public LinkObserver {
  public:
    explicit RequestOutcomes(TimerService& timers,
                             std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
    ~RequestOutcomes();
    RequestOutcomes(const RequestOutcomes&) = delete;
    RequestOutcomes& operator=(const RequestOutcomes&) = delete;

    void OnRequestSent(const CommandMessage& request) override;
    void OnReplyReceived(const CommandMessage& reply) override;
    // The link went down: every waiting request is lost.
    void LinkClosed();
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    // The request the link sent last; null before the first.
    RequestHandle LastSent() const { return last_; }
    // Called once, when `handle` leaves Waiting (at once if it has already).
    void WhenResolved(const RequestHandle& handle, std::function<void(const RequestRecord&)> done);

  private:
    friend class RequestBatch;
    struct Entry : RequestRecord {
        std::uint64_t sequence = 0;
        std::vector<std::function<void(const RequestRecord&)>> done;
    };
    // Entries are made a block at a time and handed out as handles sharing their block: a
    // connect's hundreds of requests cost a few allocations, and a block that nothing holds any
    // more (no handle, batch or waiting list) is used again.
    static constexpr std::size_t kBlockEntries = 64;
    using Block = std::array<Entry, kBlockEntries>;

    std::shared_ptr<Entry> NewEntry();
    void Resolve(Entry& entry, Outcome outcome, std::int32_t status);
    void Resolve(std::deque<std::shared_ptr<Entry>>::iterator at, Outcome outcome, std::int32_t status);
    void ArmTimeout();
    void TimedOut();

    TimerService& timers_;
    std::chrono::milliseconds timeout_;
    std::deque<std::shared_ptr<Entry>> waiting_;
    std::array<std::uint32_t, kCommandCount> waitingByWord_{};  // how many of waiting_ each word has
    std::vector<RequestBatch*> batches_;
    RequestHandle last_;
    std::uint64_t sent_ = 0;
    std::uint64_t expireUpTo_ = 0;  // the requests the running timeout covers
    TimerHandle timer_;
    bool timing_ = false;  // timer_ runs: asked per request, cheaper than asking the service
    std::shared_ptr<Block> block_;
    std::size_t blockUsed_ = kBlockEntries;
    std::shared_ptr<Block> spare_;  // the block before block_
};

// The requests sent while it lives, in the order sent: what a command or a window asked for.
class RequestBatch final {
  public:
    explicit RequestBatch(RequestOutcomes& outcomes);
    ~RequestBatch();
    RequestBatch(const RequestBatch&) = delete;
    RequestBatch& operator=(const RequestBatch&) = delete;

    const std::vector<RequestHandle>& Requests() const { return requests_; }
    // None of them is waiting any more.
    bool Settled() const;
    std::size_t Count(Outcome outcome) const;
    // Waiting requests of `code` whose first keys are `leadingKeys`.
    std::size_t Waiting(CommandCode code, std::initializer_list<std::int32_t> leadingKeys = {}) const;
    // "lcross 1025..1152, gsyncstat": the waiting requests in the order sent, at most `limit` of
    // them named and the rest counted.
    std::string WaitingText(std::size_t limit) const;
    bool AllAnswered() const { return Count(Outcome::Answered) == requests_.size(); }
    // Every request has had its answer (a refusal is an answer). Asked on every turn of a
    // loop, it walks each request once however often it is asked.
    bool AllReplied() const;
    // Stops waiting: what is still waiting is unanswered (a command's own deadline has passed).
    void GiveUp();
    // Takes no further requests: what the answers set off (a re-read) is not part of it.
    void Close();

  private:
    friend class RequestOutcomes;
    RequestOutcomes* outcomes_;
    std::vector<RequestHandle> requests_;
    bool open_ = true;
    mutable std::size_t repliedUpTo_ = 0;  // requests_ before it are answered or refused
};

// "refused gbkip (status -3)", "no answer to scross 9 10", "lost with the link: srestart 1".
std::string DescribeOutcome(const RequestRecord& record);

}  // namespace velmar
