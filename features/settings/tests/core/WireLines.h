#pragma once

#include <array>
#include <string>
#include <vector>

#include "device/RequestSink.h"
#include "protocol/MessageCodec.h"

namespace velmar::test {

// Keeps every request as the line the link would write, without its carriage return.
class WireLines final : public RequestSink {
  public:
    void SendRequest(CommandMessage& request) override {
        request.length = static_cast<std::uint16_t>(request.bodyLength + 6);
        request.flags = MessageFlags::kRequest;
        std::array<char, kLinkWriteBufferSize> line{};
        std::size_t count = codec_.Write(request, line);
        if (count > 0 && line[count - 1] == '\r')
            --count;
        lines.emplace_back(line.data(), count);
    }
    // The command words, in order.
    std::vector<std::string> Words() const {
        std::vector<std::string> words;
        for (const std::string& line : lines)
            words.push_back(line.substr(1, line.find(',') - 1));
        return words;
    }

    std::vector<std::string> lines;

  private:
    MessageCodec codec_;
};

}  // namespace velmar::test
