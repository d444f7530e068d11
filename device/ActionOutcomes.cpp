#include "device/ActionOutcomes.h"

#include "device/DeviceModel.h"

namespace velmar {

namespace {

constexpr std::size_t kNamed = 3;  // requests named in one entry; the rest are counted

// One tracked action between its last request sent and its last outcome. It holds the records,
// not the handles: a handle holds the callback that holds this.
struct PendingAction {
    std::string action;
    std::string frame;  // as the event log names it
    std::vector<RequestRecord> records;
    std::size_t waiting = 0;
    EventHub* events = nullptr;
    std::weak_ptr<bool> window;
    ActionOutcomes::Done done;
};

}  // namespace

bool ActionOutcomes::Track(std::string action, const std::function<void()>& send, Done done) {
    RequestBatch batch(outcomes_);
    send();
    batch.Close();
    const std::vector<RequestHandle>& sent = batch.Requests();
    if (sent.empty())
        return false;
    auto pending = std::make_shared<PendingAction>();
    pending->action = std::move(action);
    pending->frame = FrameLabel(connection_);
    pending->records.resize(sent.size());
    pending->waiting = sent.size();
    pending->events = &events_;
    pending->window = open_;
    pending->done = std::move(done);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        outcomes_.WhenResolved(sent[i], [pending, i](const RequestRecord& record) {
            pending->records[i] = record;
            if (--pending->waiting != 0)
                return;
            const ActionSummary summary = SummariseAction(pending->action, pending->records);
            pending->events->Publish(ConsoleNotice{summary.level, pending->frame + ": " + summary.text});
            const std::shared_ptr<bool> open = pending->window.lock();
            if (open && *open && pending->done)
                pending->done(summary);
        });
    }
    return true;
}

ActionSummary SummariseAction(std::string_view action, const std::vector<RequestRecord>& records) {
    ActionSummary summary;
    std::string failures;
    std::size_t answered = 0;
    std::size_t named = 0;
    for (const RequestRecord& record : records) {
        if (record.outcome == Outcome::Answered) {
            ++answered;
            continue;
        }
        summary.allAnswered = false;
        if (record.outcome == Outcome::Refused) {
            if (summary.level == NoticeLevel::Info)
                summary.level = NoticeLevel::Warning;
        } else {
            summary.level = NoticeLevel::Error;
        }
        if (named++ < kNamed)
            failures += (failures.empty() ? "" : ", ") + DescribeOutcome(record);
    }
    const std::string head = std::string(action) + ": ";
    const std::string count = std::to_string(records.size());
    if (summary.allAnswered) {
        summary.text = head +
                       (records.size() == 1 ? "the frame took " + records.front().request.Describe()
                                            : "the frame took all " + count + " requests") +
                       ".";
        return summary;
    }
    if (named > kNamed)
        failures += ", and " + std::to_string(named - kNamed) + " more";
    summary.text = head + failures + "; " + std::to_string(answered) + " of " + count + " answered.";
    return summary;
}

}  // namespace velmar
