#include <gtest/gtest.h>

#include <vector>

#include "device/discovery/BroadcastTargets.h"

namespace velmar {
namespace {

InterfaceAddress Iface(const char* name, std::uint32_t address, std::uint32_t netmask, bool up = true,
                       bool pointToPoint = false) {
    return {name, address, netmask, up, pointToPoint};
}

TEST(BroadcastTargets, OnePerChosenInterfaceAndNeverTheLimitedBroadcast) {
    const std::vector<InterfaceAddress> interfaces = {
        Iface("lo", 0x7F000001u, 0xFF000000u),          Iface("eth0", 0xC0A80114u, 0xFFFFFF00u),
        Iface("eth0", 0xC0A80115u, 0xFFFFFF00u),  // second address, same network
        Iface("eth1", 0x0A000005u, 0xFFFF0000u, false), Iface("tun0", 0x0A080001u, 0xFFFFFFFFu, true, true),
        Iface("wide", 0x0A000001u, 0x00000000u),  // a zero mask would mean 255.255.255.255
    };
    const BroadcastTarget loopback{0x7F000001u, 0x7FFFFFFFu};
    const BroadcastTarget ethernet{0xC0A80114u, 0xC0A801FFu};
    EXPECT_EQ(SelectBroadcastTargets(interfaces, "lo"), std::vector<BroadcastTarget>{loopback});
    EXPECT_EQ(SelectBroadcastTargets(interfaces, " eth0 ,lo"),
              (std::vector<BroadcastTarget>{loopback, ethernet}));
    EXPECT_EQ(SelectBroadcastTargets(interfaces, ""), (std::vector<BroadcastTarget>{loopback, ethernet}));
    EXPECT_TRUE(SelectBroadcastTargets(interfaces, "eth1,tun0,wide,l").empty());
}

TEST(BroadcastTargets, LoopbackIsFoundOnThisMachine) {
    setenv("VELMAR_INTERFACES", "lo", 1);
    const auto targets = LocalBroadcastTargets();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].broadcast, 0x7FFFFFFFu);
}

}  // namespace
}  // namespace velmar
