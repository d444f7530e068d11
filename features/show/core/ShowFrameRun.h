#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/EventHub.h"
#include "device/RequestOutcomes.h"
#include "device/TimerService.h"
#include "features/show/core/ShowComparison.h"
#include "features/show/core/ShowFile.h"
#include "features/show/core/ShowReading.h"

namespace velmar {

class Session;

// One frame of a show, driven as the loop turns: it waits until the session has read the frame,
// reads what a show needs beyond that, captures the frame and compares it with the show's frame
// (when there is one); Send() then sends the chosen sections in the order an apply sends them,
// each waited for, and reports every request: answered, refused (with the frame's status),
// unanswered or lost with the link, and every difference that could not be sent. A preview runs on
// a session whose link is held: Send() writes every section at once, waits for nothing and ends Done
// with each request reported as not sent.
class ShowFrameRun {
  public:
    enum class Stage : std::uint8_t { Starting, Reading, Compared, Sending, Done, Failed };

    struct Item {
        std::string section;
        std::string text;  // "scross 20 5 answered", "the frame refused slabel 0 5 (status -1)"
        Outcome outcome = Outcome::Answered;  // Waiting: never sent (the text says why)
        bool previewed = false;               // a preview's request, written but held back
    };

    struct Setup {
        std::string address;                  // written into the capture
        const ShowFrame* show = nullptr;      // null: only capture the frame (a save)
        std::string file;                     // names the show in a problem
        bool network = false;                 // the show's own addresses are sent too
        std::vector<std::string> sections{};  // empty: all
        bool preview = false;                 // the session's link is held: nothing is waited for
    };

    ShowFrameRun(Session& session, TimerService& timers, Setup setup);
    ~ShowFrameRun();
    ShowFrameRun(const ShowFrameRun&) = delete;
    ShowFrameRun& operator=(const ShowFrameRun&) = delete;

    // Called after every step, on the loop.
    std::function<void()> changed;

    Stage GetStage() const { return stage_; }
    // Why the run failed: the frame was not reached, is another frame, or the link went down.
    const std::string& Problem() const { return problem_; }
    // Valid from Compared on.
    const ShowComparison& Comparison() const { return comparison_; }
    ShowComparison& Comparison() { return comparison_; }
    const ShowFrame& Captured() const { return captured_; }
    // The frame as it was, written so that applying it undoes what Send() would do.
    const ShowFrame& Undo() const { return undo_; }

    // Compares again with other sections or network choice (only from Compared).
    void Choose(std::vector<std::string> sections, bool network);
    // Sends what the comparison plans; only from Compared, and only without a problem.
    void Send();
    // Requests answered or given up so far, of those sent.
    std::size_t Settled() const;
    std::size_t SentCount() const;
    const std::vector<Item>& Items() const { return items_; }
    // Every request was answered and every difference sent.
    bool AllApplied() const;
    // The network settings changed: the frame takes them once restarted.
    bool RestartNeeded() const { return restart_; }

  private:
    void Tick();
    // Steps on the next turn of the loop once the last request of `batch` has its answer, rather
    // than on the next tick.
    void WhenAnswered(const RequestBatch& batch);
    void Soon();
    bool FrameRead() const;
    void Compare();
    void NextSection();
    void Preview();
    void CloseSection();
    void Fail(std::string problem);
    void Step(Stage stage);

    Session& session_;
    TimerService& timers_;
    Setup setup_;
    Stage stage_ = Stage::Starting;
    std::string problem_;
    ShowReading reading_;
    int round_ = 0;
    std::unique_ptr<RequestBatch> batch_;
    std::unique_ptr<RequestBatch> readBack_;
    std::vector<std::unique_ptr<RequestBatch>> done_;
    std::size_t section_ = 0;
    std::string sending_;
    ShowComparison comparison_;
    ShowFrame captured_;
    ShowFrame undo_;
    std::vector<Item> items_;
    bool wasConnected_ = false;
    bool restart_ = false;
    int ticks_ = 0;
    TimerHandle timer_;
    TimerHandle soon_;
    Subscriptions subscriptions_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace velmar
