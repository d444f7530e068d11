#include "device/DeviceLink.h"
#include "protocol/Ipv4Address.h"

#include <cstring>

namespace velmar {

namespace {

constexpr auto kReconnectPause = std::chrono::milliseconds(200);
constexpr auto kEchoLimit = std::chrono::milliseconds(1000);
// A frame that floods must not starve the loop: after this many chunks in one turn the link
// yields and the transport signals again.
constexpr int kMaxChunksPerTurn = 64;

}  // namespace

DeviceLink::DeviceLink(MessageCodec& codec, LineTransport& transport, EchoProbe& probe, TimerService& timers,
                       ConnectionState& connection, LinkPorts ports)
    : codec_(codec),
      transport_(transport),
      probe_(probe),
      timers_(timers),
      connection_(connection),
      ports_(ports) {
    transport_.SetListener(this);
}

void DeviceLink::Connect(std::string_view address) {
    connection_.connected = false;
    pendingAddress_.assign(address);
    if (socketExists_ || phase_ != Phase::Idle) {
        Close();
        if (listener_ != nullptr)
            listener_->OnLinkReplaced();
        // Give the frame a moment to let go of the old connection.
        phase_ = Phase::Pausing;
        pause_ = timers_.Start("reconnect pause", kReconnectPause, TimerMode::Once, [this] {
            if (phase_ != Phase::Pausing)
                return;
            phase_ = Phase::Idle;
            BeginConnect();
        });
        return;
    }
    BeginConnect();
}

void DeviceLink::BeginConnect() {
    const auto address = ParseIpv4(pendingAddress_);
    if (!address || *address == 0 || *address == 0xFFFFFFFFu) {
        FinishConnect(1);
        return;
    }
    target_ = *address;
    if (connection_.deviceMode != DeviceMode::Application) {
        OpenStream();
        return;
    }
    phase_ = Phase::Probing;
    probe_.Start(*address, ports_.echo, kEchoLimit, [this](bool answered) {
        if (answered) {
            OpenStream();
        } else {
            FinishConnect(1);
        }
    });
}

void DeviceLink::OpenStream() {
    connection_.targetIpText.Assign(pendingAddress_);
    const bool application = connection_.deviceMode == DeviceMode::Application;
    const std::uint16_t port = application && !connection_.options.telnet ? ports_.tcp : ports_.telnet;
    connection_.linkPort = port;
    phase_ = Phase::Connecting;
    socketExists_ = true;
    const int error = transport_.Connect(target_, port);
    if (error != 0)
        FinishConnect(error);
}

void DeviceLink::FinishConnect(int error) {
    phase_ = Phase::Idle;
    if (error == 0) {
        carry_ = 0;
        requestsSent_ = 0;
    }
    if (listener_ != nullptr)
        listener_->OnConnectResult(error);
}

void DeviceLink::OnConnected(int error) {
    if (phase_ != Phase::Connecting)
        return;
    FinishConnect(error);
}

void DeviceLink::Close() {
    probe_.Cancel();
    pause_.Stop();
    phase_ = Phase::Idle;
    transport_.Close();
    socketExists_ = false;
    carry_ = 0;
    ++generation_;
}

void DeviceLink::SendRequest(CommandMessage& request) {
    request.length = static_cast<std::uint16_t>(request.bodyLength + 6);
    request.reserved = 0;
    request.flags = MessageFlags::kRequest;
    request.tag = 0;
    ++requestsSent_;
    if (observer_ != nullptr)
        observer_->OnRequestSent(request);
    WriteAndSend(request);
}

void DeviceLink::SendKeepAlive() {
    CommandMessage request;
    request.code = ToCode(CommandCode::aliverequest);
    request.flags = MessageFlags::kRequest | MessageFlags::kKeepAlive;
    request.length = 14;
    request.bodyLength = 8;
    ++requestsSent_;
    if (observer_ != nullptr)
        observer_->OnRequestSent(request);
    WriteAndSend(request);
}

void DeviceLink::WriteAndSend(const CommandMessage& record) {
    std::array<char, kLinkWriteBufferSize> line;  // the codec writes what is sent
    const std::size_t count = codec_.Write(record, line);
    if (count > 0 && transport_.IsOpen())
        transport_.Send(std::span<const char>(line.data(), count));
}

void DeviceLink::OnReadable() {
    const std::uint64_t generation = generation_;
    for (int chunk = 0; chunk < kMaxChunksPerTurn && generation == generation_; ++chunk) {
        const ReceiveResult result =
            transport_.Receive(std::span<char>(work_.data() + carry_, kWorkBufferSize - carry_));
        switch (result.kind) {
            case ReceiveResult::Kind::Nothing:
                return;
            case ReceiveResult::Kind::Error:
                carry_ = 0;
                return;
            case ReceiveResult::Kind::Closed:
                carry_ = 0;
                if (listener_ != nullptr)
                    listener_->OnPeerClosed();
                return;
            case ReceiveResult::Kind::Data:
                break;
        }
        if (!connection_.receiveReady) {
            carry_ = 0;
        } else {
            connection_.aliveCounter = 1;
            ProcessWorkBuffer(carry_ + result.count);
        }
        // Where the platform can tell that the socket is empty, the read that would find
        // nothing is saved.
        if (result.drained)
            return;
    }
}

void DeviceLink::OnClosed() {
    carry_ = 0;
    socketExists_ = false;
    if (phase_ == Phase::Connecting) {
        FinishConnect(1);
        return;
    }
    if (listener_ != nullptr)
        listener_->OnPeerClosed();
}

void DeviceLink::ProcessWorkBuffer(std::size_t count) {
    const std::uint64_t generation = generation_;
    std::size_t pos = 0;
    while (pos < count) {
        const ReadResult read = codec_.Read(std::span<char>(work_.data() + pos, count - pos), record_);
        if (read.consumed == 0)
            break;
        pos += read.consumed;
        if (!read.lineRead)
            continue;
        HandleRecord();
        if (generation != generation_)
            return;  // a handler closed the link
    }
    const std::size_t left = count - pos;
    // A full buffer without a line end is dropped whole: that resynchronises a stream that has
    // lost its carriage returns.
    if (left > 0 && left < kWorkBufferSize) {
        std::memmove(work_.data(), work_.data() + pos, left);
        carry_ = left;
    } else {
        carry_ = 0;
    }
}

void DeviceLink::HandleRecord() {
    switch (record_.flags) {
        case MessageFlags::kRequest | MessageFlags::kKeepAlive:
            record_.flags = MessageFlags::kReply | MessageFlags::kKeepAlive;
            WriteAndSend(record_);
            return;
        case MessageFlags::kReply | MessageFlags::kKeepAlive:
            if (observer_ != nullptr)
                observer_->OnReplyReceived(record_);
            return;
        case MessageFlags::kReply:
            if (observer_ != nullptr)
                observer_->OnReplyReceived(record_);
            if (listener_ != nullptr)
                listener_->OnRecord(record_, true);
            return;
        default:
            if (listener_ != nullptr)
                listener_->OnRecord(record_, false);
            return;
    }
}

std::string DeviceLink::TitleText(std::string_view baseTitle, const ConnectionState& connection,
                                  bool telnetLink) {
    std::string title(baseTitle);
    if (!connection.connected && !connection.lostSince)
        return title;
    title += connection.connected ? "   ( Online" : "   ( Link lost";
    if (!connection.deviceNameText.Empty()) {
        title += " - ";
        title += connection.deviceNameText.View();
    }
    title += " )";
    if (telnetLink)
        title += " - using Telnet port";
    return title;
}

}  // namespace velmar
