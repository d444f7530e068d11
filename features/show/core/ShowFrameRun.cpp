#include "features/show/core/ShowFrameRun.h"

#include "device/Session.h"
#include "device/SessionEvents.h"
#include "features/interfaces/core/InterfacesUnit.h"
#include "features/show/core/ShowSending.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

constexpr std::chrono::milliseconds kTick(20);
// How long a frame may take to be connected and read before the run gives up on it.
constexpr int kStartTicks = 20000 / static_cast<int>(kTick.count());

}  // namespace

ShowFrameRun::ShowFrameRun(Session& session, TimerService& timers, Setup setup)
    : session_(session), timers_(timers), setup_(std::move(setup)), reading_(session) {
    timer_ = timers_.Start("show frame", kTick, TimerMode::Repeat, [this] { Tick(); });
    Soon();  // a frame already read goes on at once
    subscriptions_.push_back(session.Events().Subscribe<ConnectFailed>([this](const ConnectFailed&) {
        if (stage_ == Stage::Starting)
            Fail("no frame answered at " + setup_.address);
    }));
}

ShowFrameRun::~ShowFrameRun() = default;

void ShowFrameRun::Soon() {
    soon_ =
        timers_.Start("show frame step", std::chrono::milliseconds(0), TimerMode::Once, [this] { Tick(); });
}

void ShowFrameRun::WhenAnswered(const RequestBatch& batch) {
    if (batch.Requests().empty()) {
        Soon();
        return;
    }
    // Not inside the answer's own delivery: its reply reaches the units first.
    session_.Outcomes().WhenResolved(batch.Requests().back(),
                                     [this, alive = std::weak_ptr<int>(alive_)](const RequestRecord&) {
                                         if (alive.lock())
                                             Soon();
                                     });
}

bool ShowFrameRun::FrameRead() const {
    const ConnectionState& connection = session_.Connection();
    if (!connection.connected || !connection.receiveReady ||
        connection.deviceMode != DeviceMode::Application || session_.Polling().PollsRun() == 0 ||
        !session_.IsReady())
        return false;
    return !session_.Capabilities().matrix || session_.Polling().CardRequestRuns() > 0;
}

void ShowFrameRun::Step(Stage stage) {
    stage_ = stage;
    if (stage == Stage::Done || stage == Stage::Failed)
        timer_.Stop();
    if (changed)
        changed();
}

void ShowFrameRun::Fail(std::string problem) {
    problem_ = std::move(problem);
    Step(Stage::Failed);
}

void ShowFrameRun::Tick() {
    const bool connected = session_.Connection().connected;
    wasConnected_ = wasConnected_ || connected;
    if (wasConnected_ && !connected && stage_ != Stage::Sending) {
        Fail("the link to " + setup_.address + " went down");
        return;
    }
    switch (stage_) {
        case Stage::Starting:
            if (!FrameRead()) {
                if (++ticks_ > kStartTicks)
                    Fail("no frame answered at " + setup_.address);
                return;
            }
            batch_ = std::make_unique<RequestBatch>(session_.Outcomes());
            reading_.AskLists();
            WhenAnswered(*batch_);
            Step(Stage::Reading);
            return;
        case Stage::Reading:
            if (batch_ && !batch_->Settled())
                return;
            if (round_++ == 0) {
                batch_ = std::make_unique<RequestBatch>(session_.Outcomes());
                if (reading_.AskChannels()) {
                    WhenAnswered(*batch_);
                    return;
                }
            }
            batch_.reset();
            Compare();
            return;
        case Stage::Sending:
            if (readBack_ && !readBack_->Settled())
                return;
            readBack_.reset();
            if (batch_ && !batch_->Settled())
                return;
            if (batch_)
                CloseSection();
            else
                NextSection();
            return;
        case Stage::Compared:
        case Stage::Done:
        case Stage::Failed:
            return;
    }
}

void ShowFrameRun::Compare() {
    const LiveFrame live = reading_.Live();
    captured_ = ShowFile::Capture(live, setup_.address);
    if (setup_.show != nullptr) {
        if (captured_.serial != setup_.show->serial) {
            Fail(setup_.address + " is frame " + captured_.serial + ", not " + setup_.show->serial);
            return;
        }
        comparison_ = ShowComparison::Of(*setup_.show, setup_.file, live, setup_.network);
        KeepShowSections(comparison_, setup_.sections);
        undo_ = captured_;
        KeepUndoable(live, comparison_, undo_);
    }
    Step(Stage::Compared);
}

void ShowFrameRun::Choose(std::vector<std::string> sections, bool network) {
    if (stage_ != Stage::Compared)
        return;
    setup_.sections = std::move(sections);
    setup_.network = network;
    Compare();
}

void ShowFrameRun::Send() {
    if (stage_ != Stage::Compared || !comparison_.problem.empty())
        return;
    for (const std::string& line : comparison_.unsent)
        items_.push_back({"", line, Outcome::Waiting});
    section_ = 0;
    stage_ = Stage::Sending;
    if (setup_.preview)
        Preview();
    else
        NextSection();
}

void ShowFrameRun::Preview() {
    // No answer can come through a held link, so the sections go one after the other at once, as
    // they would leave were each answered; nothing is read back.
    for (const std::string_view section : kShowSections) {
        if (!ShowSectionHasRequests(comparison_, section))
            continue;
        RequestBatch written(session_.Outcomes());
        const ShowSectionSent sent = SendShowSection(session_, comparison_, section);
        written.Close();
        restart_ = restart_ || sent.restart;
        for (const std::string& refused : sent.notSent)
            items_.push_back({std::string(section), refused, Outcome::Waiting});
        for (const RequestHandle& request : written.Requests())
            items_.push_back({std::string(section), request->request.Describe(), Outcome::Waiting, true});
    }
    Step(Stage::Done);
}

void ShowFrameRun::NextSection() {
    while (section_ < kShowSections.size() && !ShowSectionHasRequests(comparison_, kShowSections[section_]))
        ++section_;
    if (section_ >= kShowSections.size()) {
        Step(Stage::Done);
        return;
    }
    if (!session_.Connection().connected) {
        Fail("the link to " + setup_.address + " went down before " + std::string(kShowSections[section_]) +
             " were sent");
        return;
    }
    sending_ = std::string(kShowSections[section_++]);
    batch_ = std::make_unique<RequestBatch>(session_.Outcomes());
    const ShowSectionSent sent = SendShowSection(session_, comparison_, sending_);
    batch_->Close();
    WhenAnswered(*batch_);
    restart_ = restart_ || sent.restart;
    for (const std::string& refused : sent.notSent)
        items_.push_back({sending_, refused, Outcome::Waiting});
    // The set replies repeat the request; the card's gets say what it took.
    if (!sent.readBack.empty()) {
        readBack_ = std::make_unique<RequestBatch>(session_.Outcomes());
        for (const std::int32_t card : sent.readBack)
            session_.Feature<InterfacesUnit>().CardSettings(card);
        readBack_->Close();
        WhenAnswered(*readBack_);
    }
    if (changed)
        changed();
}

void ShowFrameRun::CloseSection() {
    for (const RequestHandle& request : batch_->Requests())
        items_.push_back({sending_, DescribeOutcome(*request), request->outcome});
    done_.push_back(std::move(batch_));
    NextSection();
}

std::size_t ShowFrameRun::SentCount() const {
    std::size_t count = batch_ ? batch_->Requests().size() : 0;
    for (const auto& batch : done_)
        count += batch->Requests().size();
    return count;
}

std::size_t ShowFrameRun::Settled() const {
    std::size_t count = batch_ ? batch_->Requests().size() - batch_->Count(Outcome::Waiting) : 0;
    for (const auto& batch : done_)
        count += batch->Requests().size();
    return count;
}

bool ShowFrameRun::AllApplied() const {
    if (stage_ != Stage::Done)
        return false;
    for (const Item& item : items_) {
        if (item.outcome != Outcome::Answered)
            return false;
    }
    return true;
}

}  // namespace velmar
