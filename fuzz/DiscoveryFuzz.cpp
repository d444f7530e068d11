// Discovery answers to device-list rows to what a person or a script is shown. The input is a
// run of datagrams separated by "\n" (a frame's answer never holds one), each from the next of a
// few senders, broadcast and multicast ones among them. Beyond crashes: only a frame's address
// gets a row, the list stays within its bound, and the texts shown for a row are UTF-8 without
// a control byte.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "device/discovery/DeviceList.h"
#include "device/discovery/DiscoveryDatagram.h"
#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"

namespace {

constexpr std::string_view kSenders[] = {"127.0.0.2", "10.0.0.5",  "127.255.255.255", "127.0.0.3",
                                         "224.0.0.1", "127.0.0.4", "255.255.255.255", "0.0.0.0"};
constexpr std::uint32_t kLocalBroadcasts[] = {0x0A0000FF};

// What the CLI prints and writes as JSON: no control byte, and (what TerminalSafe leaves as it
// is) well-formed UTF-8 without C1 controls.
void CheckShown(std::string_view text) {
    for (const std::string& shown : {velmar::TerminalSafe(text), velmar::JsonQuoted(text)}) {
        for (const char c : shown) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F)
                __builtin_trap();
        }
        if (velmar::TerminalSafe(shown) != shown)
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    velmar::DeviceList list;
    for (std::size_t n = 0; !rest.empty(); ++n) {
        const std::size_t end = rest.find('\n');
        const std::string_view datagram = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const std::string_view sender = kSenders[n % std::size(kSenders)];
        const auto entry = velmar::AcceptDiscoveryAnswer(
            std::span<const char>(datagram.data(), datagram.size()), sender, kLocalBroadcasts);
        if (!entry)
            continue;
        const auto address = velmar::ParseIpv4(sender);
        if (!address || !velmar::IsFrameSource(*address, kLocalBroadcasts)) {
            __builtin_trap();
        }
        list.Update(*entry, false);
        list.Update(std::string(sender) + ",", true);
    }
    if (list.Size() > velmar::DeviceList::kMaxRows)
        __builtin_trap();
    for (const velmar::DeviceRow& row : list.Rows()) {
        for (const std::string& column : row.columns)
            CheckShown(column);
    }
    return 0;
}
