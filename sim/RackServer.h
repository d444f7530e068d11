#pragma once

#include <netinet/in.h>
#include <poll.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "protocol/MessageCodec.h"
#include "sim/ControlChannel.h"
#include "sim/DescriptorWatch.h"
#include "sim/OutputQueue.h"
#include "sim/Rack.h"
#include "sim/RackControl.h"
#include "sim/SimPorts.h"

namespace velmar::sim {

// Hosts a rack on loopback in one thread: a UDP socket per frame on its own address and one on
// the loopback broadcast address, TCP listeners per frame, the client connections, and the
// control channel on standard input and optionally a TCP port on 127.0.0.1. Every socket is
// non-blocking and every buffer is capped, so no client can stall or swell the process.
class RackServer : public RackControl {
  public:
    using Clock = std::function<std::int64_t()>;  // milliseconds, monotonic

    RackServer(Rack& rack, SimPorts ports, Clock clock);
    ~RackServer() override;
    RackServer(const RackServer&) = delete;
    RackServer& operator=(const RackServer&) = delete;

    // Binds every socket; returns an error text, empty on success.
    std::string Start(bool readStdin, std::uint16_t controlPort);
    // One pass of the event loop, waiting at most `maxWaitMs` for sockets or timers; the caller
    // loops until Quitting() (or a signal) says to stop.
    void RunOnce(int maxWaitMs);
    bool Quitting() const { return quit_; }
    // A control command from inside the process (the churn), answered as one from outside.
    std::string Control(std::string_view line) { return control_.Execute(line); }

    void CloseClients(std::size_t frame) override;
    void SendRaw(std::size_t frame, std::string_view bytes) override;
    void Notify(std::size_t frame, std::string_view lines) override;
    void FaultsChanged(std::size_t frame) override;
    void RestartFrame(std::size_t frame) override;
    std::size_t ClientCount(std::size_t frame) const override;
    void Quit() override { quit_ = true; }

  private:
    struct Client {
        int fd = -1;
        std::size_t frame = 0;
        std::string input;
        OutputQueue output;
        std::int64_t nextAliveAt = 0;
        std::uint16_t aliveTag = 0;
        std::uint16_t awaitedTag = 0;
        int missedAlive = 0;
        bool closeWhenFlushed = false;
        bool dead = false;
    };
    struct ControlClient {
        int fd = -1;
        std::string input;
        std::string output;
        bool dead = false;
    };
    struct FrameSockets {
        int udp = -1;
        int tcp = -1;
        int telnet = -1;
        in_addr address{};
    };

    void SyncListeners(std::size_t frame);
    void Accept(int listener, std::size_t frame);
    void ReadClient(Client& client);
    void ProcessInput(Client& client);
    void Send(Client& client, std::string_view bytes);
    void SendToOthers(const Client& from, std::string_view bytes);
    void KeepAlive(Client& client);
    void ReadDatagram(int fd, std::size_t frame, bool broadcast);
    void AnswerDatagram(std::size_t frame, std::string_view datagram, const sockaddr_in& from,
                        bool broadcast);
    void ReadControl(int fd, std::string& input, std::string& output, bool& dead);
    void AcceptControl();
    void CloseClient(Client& client);
    std::int64_t NextWakeup(std::int64_t now) const;

    Rack& rack_;
    SimPorts ports_;
    Clock clock_;
    ControlChannel control_;
    std::vector<FrameSockets> sockets_;
    std::vector<std::unique_ptr<Client>> clients_;
    // What each descriptor of a turn's poll() belongs to.
    enum class Kind : std::uint8_t {
        Stdin,
        ControlListener,
        Control,
        Broadcast,
        Udp,
        Tcp,
        Telnet,
        Connection
    };
    struct Tag {
        Kind kind;
        std::size_t index;
    };
    std::vector<pollfd> pollFds_;
    std::vector<Tag> pollTags_;
    DescriptorWatch watch_;
    std::vector<std::unique_ptr<ControlClient>> controlClients_;
    int broadcastUdp_ = -1;
    int controlListener_ = -1;
    bool readStdin_ = false;
    std::string stdinInput_;
    bool quit_ = false;
    MessageCodec reader_;
    Responses responses_;
    std::minstd_rand random_{20240601u};
};

}  // namespace velmar::sim
