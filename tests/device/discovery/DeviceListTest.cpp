#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

#include "device/discovery/DeviceList.h"
#include "device/discovery/PendingAnswers.h"

namespace velmar {
namespace {

using Columns = std::array<std::string, kDeviceColumnCount>;

TEST(DeviceEntry, FieldsFillTheColumns) {
    struct Case {
        std::string_view entry;
        Columns columns;
        bool goingAway;
    };
    const Case cases[] = {
        {"10.0.0.5,1,7,'Studio A','K5A','K5A0011703042'",
         {"10.0.0.5", "7", "Studio A", "K5A", "K5A0011703042"},
         false},
        {"10.0.0.5,0,7,'Studio A','K5A','K5A0011703042'",
         {"*10.0.0.5", "7", "Studio A", "K5A", "K5A0011703042"},
         false},
        {"10.0.0.5,2,7,'x','LW16','S1'", {"#10.0.0.5", "7", "x", "LW16", "S1"}, false},
        {"10.0.0.5,1,7,'Studio A','K5A','K5A0011703042',",
         {"10.0.0.5", "7", "Studio A", "K5A", "K5A0011703042"},
         true},
        // Reading stops at the first field without its comma.
        {"10.0.0.5,", {"10.0.0.5", "", "", "", ""}, false},
        {"10.0.0.5,1,7", {"10.0.0.5", "", "", "", ""}, false},
        {"10.0.0.5,1,7,'Studio A'", {"10.0.0.5", "7", "", "", ""}, false},
        {"10.0.0.5,1,7,'A','K5A',", {"10.0.0.5", "7", "A", "K5A", ""}, false},
        // A mode that is not a number leaves the address bare instead of claiming recovery mode.
        {"10.0.0.5,x,7,'A','K5A','S'", {"10.0.0.5", "7", "A", "K5A", "S"}, false},
        // Odd quoting: missing quotes keep the text whole, a comma inside quotes stays in the name.
        {"10.0.0.5,1,7,Studio,'K5A,'S'", {"10.0.0.5", "7", "Studio", "K5A", "S"}, false},
        {"10.0.0.5,1,7,'Studio, A','K5A','S'", {"10.0.0.5", "7", "Studio, A", "K5A", "S"}, false},
        {"10.0.0.5,1,7,',','','x'", {"10.0.0.5", "7", ",", "", "x"}, false},
        // Frame texts are 8-bit and shown as Windows-1252, in UTF-8.
        {"10.0.0.5,1,\xb2,'Caf\xe9 \x80\x9d','K5A','S\xff'",
         {"10.0.0.5", "²", "Café €\u009d", "K5A", "Sÿ"},
         false},
    };
    for (const Case& c : cases) {
        const DeviceEntry parsed = DeviceEntry::Parse(c.entry);
        EXPECT_TRUE(parsed.valid) << c.entry;
        EXPECT_EQ(parsed.row.columns, c.columns) << c.entry;
        EXPECT_EQ(parsed.goingAway, c.goingAway) << c.entry;
        EXPECT_EQ(parsed.row.address, 0x0A000005u) << c.entry;
    }
    for (std::string_view bad :
         {"", "10.0.0.5", ",1,7,'A','K5A','S'", "host,1", "10.0.0.256,1", "*10.0.0.5,"}) {
        EXPECT_FALSE(DeviceEntry::Parse(bad).valid) << bad;
    }
}

TEST(DeviceList, AnswersReplaceRowsAndProfileEntriesKeepNamedOnes) {
    DeviceList list;
    EXPECT_TRUE(list.Update("10.0.0.5,1,7,'A','K5A','S5'", false).changed);
    EXPECT_TRUE(list.Update("10.0.0.6,", true).changed);
    ASSERT_EQ(list.Size(), 2u);

    // A second answer from the same frame moves its row to the end, with the new contents.
    list.Update("10.0.0.5,0,8,'B','K5A','S5'", false);
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(list.Rows()[1].Column(DeviceColumn::Address), "*10.0.0.5");
    EXPECT_EQ(list.Rows()[1].Column(DeviceColumn::Name), "B");

    // Reloading the saved devices keeps a row that shows a name, refreshes one that does not.
    EXPECT_FALSE(list.Update("10.0.0.5,", true).changed);
    EXPECT_EQ(list.Rows()[1].Column(DeviceColumn::Name), "B");
    EXPECT_TRUE(list.Update("10.0.0.6,", true).changed);
    EXPECT_EQ(list.Rows()[1].Column(DeviceColumn::Address), "10.0.0.6");

    // The frame's answer fills the saved row.
    list.Update("10.0.0.6,1,3,'C','LW16','S6'", false);
    EXPECT_EQ(list.Rows()[1].Column(DeviceColumn::Type), "LW16");
    EXPECT_EQ(list.Find(0x0A000006u), 1u);
    EXPECT_FALSE(list.Find(0x0A000007u));

    const auto away = list.Update("10.0.0.6,1,3,'C','LW16','S6',", false);
    EXPECT_TRUE(away.goingAway);
    EXPECT_EQ(away.address, 0x0A000006u);

    // Nothing is made from an entry without an address.
    EXPECT_FALSE(list.Update("garbage", false).changed);
    EXPECT_FALSE(list.Update(",1,7,'A','K5A','S'", false).changed);
    EXPECT_EQ(list.Size(), 2u);

    list.RemoveAt(0);
    list.RemoveAt(5);
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(list.Rows()[0].address, 0x0A000006u);
}

TEST(DeviceList, AFloodOfAddressesIsBounded) {
    DeviceList list;
    for (std::uint32_t i = 0; i < DeviceList::kMaxRows + 10; ++i) {
        const std::string entry = "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ",";
        list.Update(entry, false);
    }
    EXPECT_EQ(list.Size(), DeviceList::kMaxRows);
    // A known frame still refreshes its row when the list is full.
    EXPECT_TRUE(list.Update("10.0.0.0,1,1,'A','K5A','S'", false).changed);
    EXPECT_EQ(list.Rows().back().Column(DeviceColumn::Name), "A");
}

TEST(PendingAnswers, WorkerAndWindowShareTheListSafely) {
    PendingAnswers pending;
    constexpr int kPerThread = 300;
    auto produce = [&pending](char tag) {
        for (int i = 0; i < kPerThread; ++i)
            pending.Append(std::string(1, tag) + std::to_string(i));
    };
    std::thread first(produce, 'a');
    std::thread second(produce, 'b');
    std::vector<std::string> taken;
    while (taken.size() < 2 * kPerThread) {
        for (std::string& entry : pending.TakeAll())
            taken.push_back(std::move(entry));
    }
    first.join();
    second.join();
    // Each producer's entries arrive in its own order.
    int nextA = 0;
    int nextB = 0;
    for (const std::string& entry : taken) {
        int& next = entry[0] == 'a' ? nextA : nextB;
        EXPECT_EQ(entry.substr(1), std::to_string(next++));
    }
    EXPECT_TRUE(pending.TakeAll().empty());

    for (std::size_t i = 0; i < PendingAnswers::kMaxPending; ++i)
        ASSERT_TRUE(pending.Append("x"));
    EXPECT_FALSE(pending.Append("overflow"));
    EXPECT_EQ(pending.TakeAll().size(), PendingAnswers::kMaxPending);
    EXPECT_TRUE(pending.Append("again"));
}

}  // namespace
}  // namespace velmar
