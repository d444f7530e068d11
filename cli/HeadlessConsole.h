#pragma once

#include <optional>
#include <string>

#include "device/PendingReplies.h"
#include "device/Session.h"

namespace velmar {

// The main window and matrix of a console without windows: it notes what a window would show
// and tells when the connected frame has been read completely.
class HeadlessConsole final : public MainWindowView, public MatrixView {
  public:
    explicit HeadlessConsole(Session& session);
    ~HeadlessConsole();
    HeadlessConsole(const HeadlessConsole&) = delete;
    HeadlessConsole& operator=(const HeadlessConsole&) = delete;

    // Connected, the state poll has run, the card requests have gone out where the frame has
    // cards, and every request sent has had its answer.
    bool FrameRead() const;
    // The requests sent on this console's link and which of them the frame has answered.
    const PendingReplies& Answers() const { return answers_; }
    std::optional<int> ConnectError() const { return connectError_; }
    // The link was up and has gone (closed by the frame, or dropped as silent).
    bool LinkLost() const { return wasConnected_ && !session_.Connection().connected; }
    const std::string& Title() const { return title_; }

    void SetTitle(std::string_view title) override { title_ = title; }
    void SetConnectedRowText(int, std::string_view) override {}
    void RemoveConnectedRow() override {}
    void SetSettingsEnabled(bool) override {}
    void ConnectionChanged(bool connected) override { wasConnected_ = wasConnected_ || connected; }
    void ConnectFailed(int error) override { connectError_ = error; }

    void RefreshRow(std::int32_t) override {}
    void RebuildList() override {}
    void RebuildTypeSelectors() override {}
    void RefillIpChannels(bool) override {}
    void ClearList() override {}

  private:
    Session& session_;
    PendingReplies answers_;
    std::optional<int> connectError_;
    bool wasConnected_ = false;
    std::string title_;
};

}  // namespace velmar
