#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/Session.h"
#include "tests/device/CoreFakes.h"

namespace velmar::test {

inline constexpr std::uint32_t kFrameAddress = 0x7F000002;  // 127.0.0.2

// A Session on fakes: no sockets, no real time.
class SessionFixture : public ::testing::Test {
  protected:
    SessionFixture()
        : session(transport, datagrams, timers, LinkPorts{}, ConsoleOptions{}), events(session.Events()) {}

    // Connects as a double click on a device-list row would, and completes the TCP connect.
    void ConnectAs(DeviceMode mode, ModelClass model, bool telnet = false) {
        ConsoleOptions options = session.Connection().options;
        options.telnet = telnet;
        session.SetOptions(options);
        session.Connect("127.0.0.2", mode, model);
        transport.FinishConnect(0);
        ASSERT_TRUE(session.Connection().connected);
    }

    void Receive(const std::string& lines) { transport.Deliver(lines); }
    void Reply(const std::string& line) { transport.Deliver(line + "\r"); }

    // The command words of the lines sent since the last call.
    std::vector<std::string> SentWords() {
        std::vector<std::string> words;
        for (const std::string& line : transport.TakeSent()) {
            words.push_back(
                line.substr(1, line.find(',') == std::string::npos ? std::string::npos : line.find(',') - 1));
        }
        return words;
    }

    // Makes the connected K5A a 1536-channel frame (software 2.0.0.1 in position 2).
    void MakeNewFirmwareFrame() {
        ASSERT_EQ(session.Capabilities().model, ModelClass::Full);
        Reply(":gswver,0,2,'Main','2.0.0.1'");
        ASSERT_EQ(session.Channels(), 1536);
    }

    FakeTimerService timers;
    RecordingTransport transport;
    FakeDatagramSocket datagrams;
    Session session;
    EventRecorder events;
};

}  // namespace velmar::test
