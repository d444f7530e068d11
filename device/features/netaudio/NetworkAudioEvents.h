#pragma once

namespace velmar {

// A flow or one of its slots changed: the IP channels listed for routing on that side change.
struct IpChannelsChanged {
    bool transmit = false;  // the output (transmit) side, else the input (receive) side
};

}  // namespace velmar
