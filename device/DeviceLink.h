#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/ConnectionState.h"
#include "device/EchoProbe.h"
#include "device/LineTransport.h"
#include "device/LinkObserver.h"
#include "device/LinkPorts.h"
#include "device/RequestSink.h"
#include "device/TimerService.h"
#include "protocol/MessageCodec.h"

namespace velmar {

// What the link reports to its owner.
class LinkListener {
  public:
    // The connect begun by DeviceLink::Connect ended: 0 success, else an error.
    virtual void OnConnectResult(int error) = 0;
    // An open link was closed before a new connect (the owner enters the disconnected state).
    virtual void OnLinkReplaced() = 0;
    // The frame closed the connection.
    virtual void OnPeerClosed() = 0;
    // A record for the dispatcher, in arrival order.
    virtual void OnRecord(const CommandMessage& record, bool isReply) = 0;

  protected:
    ~LinkListener() = default;
};

// The TCP link to one frame: connect with the echo probe and the port choice, requests out, the
// byte stream cut into records in, the frame's keep-alive requests answered on the spot.
class DeviceLink final : public RequestSink, private TransportListener {
  public:
    static constexpr std::size_t kWorkBufferSize = 1024;

    DeviceLink(MessageCodec& codec, LineTransport& transport, EchoProbe& probe, TimerService& timers,
               ConnectionState& connection, LinkPorts ports);

    void SetListener(LinkListener* listener) { listener_ = listener; }
    void SetObserver(LinkObserver* observer) { observer_ = observer; }

    // Starts connecting to `address` (dotted text) as `connection.deviceMode` and the options say.
    // Returns at once; the result comes through OnConnectResult.
    void Connect(std::string_view address);
    // Closes the link (and any connect in progress). The owner enters the disconnected state.
    void Close();

    void SendRequest(CommandMessage& request) override;
    void SendKeepAlive();

    std::uint32_t TargetAddress() const { return target_; }
    bool Connecting() const { return phase_ != Phase::Idle; }

    // Requests sent on the current link. Which of them have their answer is a LinkObserver's to
    // tell (PendingReplies): a count of replies cannot, since any reply would fill the gap.
    std::size_t RequestsSent() const { return requestsSent_; }

    // The main window's title for the current state.
    static std::string TitleText(std::string_view baseTitle, const ConnectionState& connection,
                                 bool telnetLink);
    // The link runs on the Telnet port (recovery mode, mode 2 or the telnet option).
    bool IsTelnetLink() const { return connection_.linkPort == ports_.telnet; }

  private:
    enum class Phase : std::uint8_t { Idle, Pausing, Probing, Connecting };

    void OnConnected(int error) override;
    void OnReadable() override;
    void OnClosed() override;

    void BeginConnect();
    void OpenStream();
    void FinishConnect(int error);
    void ProcessWorkBuffer(std::size_t count);
    void HandleRecord();
    void WriteAndSend(const CommandMessage& record);

    MessageCodec& codec_;
    LineTransport& transport_;
    EchoProbe& probe_;
    TimerService& timers_;
    ConnectionState& connection_;
    LinkPorts ports_;
    LinkListener* listener_ = nullptr;
    TimerHandle pause_;
    LinkObserver* observer_ = nullptr;

    Phase phase_ = Phase::Idle;
    bool socketExists_ = false;
    std::string pendingAddress_;
    std::uint32_t target_ = 0;
    std::uint64_t generation_ = 0;  // changes whenever the link closes, so loops notice

    std::array<char, kWorkBufferSize> work_{};
    std::size_t carry_ = 0;
    CommandMessage record_;
    std::size_t requestsSent_ = 0;
};

}  // namespace velmar
