#include <gtest/gtest.h>

#include <algorithm>

#include "device/discovery/posix/FrameDiscovery.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

TEST(FrameDiscovery, TheDefaultRackAnswersOnLoopback) {
    test::SimProcess sim;
    sim.ExportPorts();
    setenv("VELMAR_INTERFACES", "lo", 1);
    const FrameDiscoveryResult result = DiscoverFrames();
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.rows.size(), 4u);
    std::vector<std::string> addresses;
    for (const DeviceRow& row : result.rows)
        addresses.push_back(row.Column(DeviceColumn::Address));
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(addresses, (std::vector<std::string>{"*127.0.0.5", "127.0.0.2", "127.0.0.3", "127.0.0.4"}));

    // With no interface chosen nothing is sent, and nothing answers.
    setenv("VELMAR_INTERFACES", "no-such-interface", 1);
    EXPECT_TRUE(DiscoverFrames(std::chrono::milliseconds(100)).rows.empty());
    setenv("VELMAR_INTERFACES", "lo", 1);
}

}  // namespace
}  // namespace velmar
