#include "device/RequestOutcomes.h"

#include <algorithm>

namespace velmar {

RequestOutcomes::RequestOutcomes(TimerService& timers, std::chrono::milliseconds timeout)
    : timers_(timers), timeout_(timeout) {}

RequestOutcomes::~RequestOutcomes() {
    for (RequestBatch* batch : batches_)
        batch->outcomes_ = nullptr;
}

void RequestOutcomes::OnRequestSent(const CommandMessage& request) {
    if (!IsCommand(request.code))
        return;
    std::shared_ptr<Entry> entry = NewEntry();
    entry->request = PendingRequest::Of(request);
    entry->sequence = ++sent_;
    waiting_.push_back(entry);
    ++waitingByWord_[request.code];
    last_ = entry;
    for (RequestBatch* batch : batches_)
        batch->requests_.push_back(entry);
    ArmTimeout();
}

std::shared_ptr<RequestOutcomes::Entry> RequestOutcomes::NewEntry() {
    if (blockUsed_ == kBlockEntries) {
        std::shared_ptr<Block> next = spare_.use_count() == 1 ? std::move(spare_) : std::make_shared<Block>();
        spare_ = std::move(block_);
        block_ = std::move(next);
        blockUsed_ = 0;
    }
    Entry& entry = (*block_)[blockUsed_++];
    entry.outcome = Outcome::Waiting;
    entry.status = 0;
    entry.done.clear();
    return std::shared_ptr<Entry>(block_, &entry);
}

void RequestOutcomes::OnReplyReceived(const CommandMessage& reply) {
    if (!IsCommand(reply.code))
        return;  // a line that could not be read answers nothing
    // Most replies of a long reading answer nothing waiting (the gain reports of a gain list):
    // they must not walk thousands of waiting requests each.
    if (waitingByWord_[reply.code] == 0)
        return;
    const auto answered = std::find_if(waiting_.begin(), waiting_.end(),
                                       [&](const auto& entry) { return entry->request.AnsweredBy(reply); });
    if (answered == waiting_.end())
        return;
    Resolve(answered, reply.status == 0 ? Outcome::Answered : Outcome::Refused, reply.status);
}

void RequestOutcomes::LinkClosed() {
    timer_.Stop();
    timing_ = false;
    while (!waiting_.empty())
        Resolve(waiting_.begin(), Outcome::LinkLost, 0);
}

void RequestOutcomes::WhenResolved(const RequestHandle& handle,
                                   std::function<void(const RequestRecord&)> done) {
    if (!handle)
        return;
    if (handle->outcome != Outcome::Waiting) {
        done(*handle);
        return;
    }
    // Only this class makes entries, so a waiting handle is one of ours.
    std::const_pointer_cast<Entry>(std::static_pointer_cast<const Entry>(handle))
        ->done.push_back(std::move(done));
}

void RequestOutcomes::Resolve(std::deque<std::shared_ptr<Entry>>::iterator at, Outcome outcome,
                              std::int32_t status) {
    const std::shared_ptr<Entry> entry = std::move(*at);
    --waitingByWord_[ToCode(entry->request.code)];
    // Replies mostly come in the order asked.
    if (at == waiting_.begin())
        waiting_.pop_front();
    else
        waiting_.erase(at);
    Resolve(*entry, outcome, status);
}

void RequestOutcomes::Resolve(Entry& entry, Outcome outcome, std::int32_t status) {
    entry.outcome = outcome;
    entry.status = status;
    // A listener may send the next request, which would change the list being walked.
    const auto done = std::move(entry.done);
    for (const auto& fn : done)
        fn(entry);
}

void RequestOutcomes::ArmTimeout() {
    if (timing_ || waiting_.empty())
        return;
    // Everything waiting now gets at least the whole timeout; what is sent later waits for the
    // next turn, so no request waits more than twice the timeout.
    expireUpTo_ = sent_;
    timing_ = true;
    timer_ = timers_.Start("request answers", timeout_, TimerMode::Once, [this] { TimedOut(); });
}

void RequestOutcomes::TimedOut() {
    timing_ = false;
    // waiting_ is in the order sent, so the requests the timeout covers come first.
    while (!waiting_.empty() && waiting_.front()->sequence <= expireUpTo_) {
        Resolve(waiting_.begin(), Outcome::Unanswered, 0);
    }
    ArmTimeout();
}

RequestBatch::RequestBatch(RequestOutcomes& outcomes) : outcomes_(&outcomes) {
    outcomes.batches_.push_back(this);
}

RequestBatch::~RequestBatch() {
    Close();
}

void RequestBatch::Close() {
    if (outcomes_ != nullptr && open_)
        std::erase(outcomes_->batches_, this);
    open_ = false;
}

bool RequestBatch::Settled() const {
    return Count(Outcome::Waiting) == 0;
}

std::size_t RequestBatch::Count(Outcome outcome) const {
    return static_cast<std::size_t>(std::count_if(
        requests_.begin(), requests_.end(), [&](const RequestHandle& r) { return r->outcome == outcome; }));
}

bool RequestBatch::AllReplied() const {
    // An outcome never changes once it is not Waiting, so the replied requests stay replied.
    while (repliedUpTo_ < requests_.size()) {
        const Outcome outcome = requests_[repliedUpTo_]->outcome;
        if (outcome != Outcome::Answered && outcome != Outcome::Refused)
            return false;
        ++repliedUpTo_;
    }
    return true;
}

std::size_t RequestBatch::Waiting(CommandCode code, std::initializer_list<std::int32_t> leadingKeys) const {
    return static_cast<std::size_t>(
        std::count_if(requests_.begin(), requests_.end(), [&](const RequestHandle& r) {
            return r->outcome == Outcome::Waiting && r->request.Is(code, leadingKeys);
        }));
}

std::string RequestBatch::WaitingText(std::size_t limit) const {
    std::string text;
    std::size_t waiting = 0;
    for (const RequestHandle& r : requests_) {
        if (r->outcome != Outcome::Waiting)
            continue;
        if (waiting++ < limit)
            text += (text.empty() ? "" : ", ") + r->request.Describe();
    }
    if (waiting > limit)
        text += ", and " + std::to_string(waiting - limit) + " more";
    return text;
}

void RequestBatch::GiveUp() {
    if (outcomes_ == nullptr)
        return;
    RequestOutcomes& outcomes = *outcomes_;
    for (const RequestHandle& handle : requests_) {
        if (handle->outcome != Outcome::Waiting)
            continue;
        const auto at = std::find(outcomes.waiting_.begin(), outcomes.waiting_.end(), handle);
        if (at != outcomes.waiting_.end())
            outcomes.Resolve(at, Outcome::Unanswered, 0);
    }
}

std::string DescribeOutcome(const RequestRecord& record) {
    const std::string request = record.request.Describe();
    switch (record.outcome) {
        case Outcome::Answered:
            return request + " answered";
        case Outcome::Refused:
            return "the frame refused " + request + " (status " + std::to_string(record.status) + ")";
        case Outcome::Unanswered:
            return "no answer to " + request;
        case Outcome::LinkLost:
            return "the link went down before an answer to " + request;
        case Outcome::Waiting:
            break;
    }
    return request + " waiting";
}

}  // namespace velmar
