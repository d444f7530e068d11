#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <QTreeWidget>

#include <deque>
#include <string>
#include <vector>

#include "features/routing/view/CrosspointListModel.h"
#include "features/routing/view/CrosspointStatusBox.h"
#include "features/routing/view/RoutingArea.h"
#include "features/routing/view/RoutingContext.h"
#include "tests/device/CoreFakes.h"

namespace velmar::test {

// Answers questions from a script and remembers them with their captions, and everything the
// operator was shown. (Named apart from the console tests' prompter, which records differently.)
class CaptionedPrompter final : public Prompter {
  public:
    bool Question(std::string_view text, std::string_view caption) override {
        asked.push_back(std::string(caption) + ": " + std::string(text));
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void Information(std::string_view text, std::string_view) override { shown.emplace_back(text); }
    void Warning(std::string_view text, std::string_view) override { shown.emplace_back(text); }

    std::deque<bool> answers;
    std::vector<std::string> asked;
    std::vector<std::string> shown;
};

// Hands out the one path it holds, whatever is asked, and records the titles.
class OneFilePicker final : public FilePicker {
  public:
    std::string OpenFile(const FileRequest& request) override { return Next(request); }
    std::vector<std::string> OpenFiles(const FileRequest& request) override { return {Next(request)}; }
    std::string SaveFile(const FileRequest& request) override { return Next(request); }

    std::string path;
    std::vector<std::string> titles;

  private:
    std::string Next(const FileRequest& request) {
        titles.emplace_back(request.title);
        return path;
    }
};

// The crosspoint list's rows as "output -> input".
inline std::vector<std::string> ListTexts(RoutingArea& area) {
    std::vector<std::string> rows;
    const auto& model = area.Status().Model();
    for (int r = 0; r < model.rowCount(); ++r) {
        rows.push_back(model.index(r, 0).data().toString().toStdString() + " -> " +
                       model.index(r, 1).data().toString().toStdString());
    }
    return rows;
}

// A session on fakes, connected to a 1536-channel frame in application mode.
class RoutingFixture : public ::testing::Test {
  protected:
    RoutingFixture() : session(transport, datagrams, timers, LinkPorts{}, ConsoleOptions{}) {}

    void ConnectNewFrame(ModelClass model = ModelClass::Full, DeviceMode mode = DeviceMode::Application) {
        if (session.Connection().connected)
            session.Disconnect();
        session.Connect("127.0.0.2", mode, model);
        transport.FinishConnect(0);
        ASSERT_TRUE(session.Connection().connected);
        Reply(":gswver,0,2,'Main','2.0.0.1'");
        transport.TakeSent();
    }
    void Reply(const std::string& line) { transport.Deliver(line + "\r"); }

    FakeTimerService timers;
    RecordingTransport transport;
    FakeDatagramSocket datagrams;
    Session session;
    CaptionedPrompter prompter;
    OneFilePicker files;
    RoutingContext context{session, prompter, files};
};

// A tool window on a connected frame: what it sends is taken as the test goes, a list row read as
// its cells' texts.
class ToolWindowFixture : public RoutingFixture {
  protected:
    void SetUp() override { ConnectNewFrame(); }

    std::vector<std::string> Sent() { return transport.TakeSent(); }
    static QStringList Row(QTreeWidget* list, int row) {
        QStringList cells;
        for (int column = 0; column < list->columnCount(); ++column)
            cells << list->topLevelItem(row)->text(column);
        return cells;
    }
};

}  // namespace velmar::test
