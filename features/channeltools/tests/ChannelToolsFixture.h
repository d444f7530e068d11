#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/routing/tests/RoutingFixture.h"

namespace velmar::test {

// A session on fakes for the channel-tool windows.
class ChannelToolsFixture : public ::testing::Test {
  protected:
    ChannelToolsFixture() : session(transport, datagrams, timers, LinkPorts{}, ConsoleOptions{}) {}

    // Connects a frame of `model` (a 1536-channel one for Full), with or without the zel option.
    void Connect(ModelClass model, bool zel) {
        if (session.Connection().connected)
            session.Disconnect();
        ConsoleOptions options;
        options.zel = zel;
        session.SetOptions(options);
        session.Connect("127.0.0.2", DeviceMode::Application, model);
        transport.FinishConnect(0);
        ASSERT_TRUE(session.Connection().connected);
        if (model == ModelClass::Full)
            Reply(":gswver,0,2,'Main','2.0.0.1'");
        transport.TakeSent();
    }
    void Reply(const std::string& line) { transport.Deliver(line + "\r"); }
    std::vector<std::string> Sent() { return transport.TakeSent(); }

    FakeTimerService timers;
    RecordingTransport transport;
    FakeDatagramSocket datagrams;
    Session session;
    CaptionedPrompter prompter;
};

}  // namespace velmar::test
