#include <gtest/gtest.h>

#include <filesystem>

#include "features/watch/core/BatchedHistory.h"
#include "features/watch/core/HistoryRecorder.h"
#include "features/watch/core/SqliteHealthHistory.h"
#include "tests/device/CoreFakes.h"
#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

// Keeps what it is given and fails on demand.
class MemoryHistory final : public HealthHistory {
  public:
    std::string Record(const HealthChanged& change) override {
        if (failing)
            return "disk full";
        kept.push_back(change);
        return {};
    }
    std::string Prune(Clock::time_point before) override {
        prunedBefore.push_back(before);
        std::erase_if(kept, [before](const HealthChanged& change) { return change.time < before; });
        return {};
    }
    std::string RecordAll(std::span<const HealthChanged> changes) override {
        ++batches;
        return HealthHistory::RecordAll(changes);
    }
    std::string Read(std::string_view, Clock::time_point, std::vector<HealthChanged>& into) override {
        into = kept;
        return {};
    }

    int batches = 0;
    bool failing = false;
    std::vector<HealthChanged> kept;
    std::vector<Clock::time_point> prunedBefore;
};

TEST(HistoryRecorder, RecordsEveryChangePrunesByAgeAndCountsFailures) {
    test::FakeTimerService timers;
    EventHub rack;
    MemoryHistory history;
    HistoryRecorder recorder(rack, history, timers, 48h);
    const Clock::time_point start = timers.WallTime();
    ASSERT_EQ(history.prunedBefore, std::vector<Clock::time_point>{start - 48h});
    rack.Publish(HealthChanged{"127.0.0.2", "psu1", "ok", "fault", start});
    timers.Advance(47h);
    rack.Publish(HealthChanged{"127.0.0.2", "psu1", "fault", "ok", timers.WallTime()});
    EXPECT_EQ(history.kept.size(), 2u);
    timers.Advance(2h);
    ASSERT_EQ(history.kept.size(), 1u) << "the first change is older than two days now";
    EXPECT_EQ(history.kept[0].to, "ok");
    EXPECT_EQ(history.prunedBefore.size(), 50u);
    EXPECT_EQ(recorder.Failures(), 0u);
    history.failing = true;
    rack.Publish(HealthChanged{"127.0.0.2", "psu1", "ok", "fault", timers.WallTime()});
    EXPECT_EQ(recorder.Failures(), 1u);
    EXPECT_EQ(recorder.LastFailure(), "disk full");
}

TEST(BatchedHistory, WritesABurstInOneGoAndNeverReadsOrPrunesPastWhatItHolds) {
    test::FakeTimerService timers;
    EventHub rack;
    MemoryHistory store;
    BatchedHistory batch(store, timers);
    HistoryRecorder recorder(rack, batch, timers, 24h);
    for (int i = 0; i < 100; ++i)
        rack.Publish(HealthChanged{"127.0.0.2", "psu1", "", std::to_string(i), timers.WallTime()});
    EXPECT_TRUE(store.kept.empty()) << "nothing written while the turn goes on";
    timers.Advance(BatchedHistory::kHold);
    EXPECT_EQ(store.kept.size(), 100u);
    EXPECT_EQ(store.batches, 1);

    rack.Publish(HealthChanged{"127.0.0.2", "psu1", "99", "fault", timers.WallTime()});
    std::vector<HealthChanged> read;
    ASSERT_EQ(batch.Read("127.0.0.2", {}, read), "");
    EXPECT_EQ(read.size(), 101u) << "a read sees what was held";

    // Kept for a day, then for an hour: the shorter keep prunes at once, held changes included.
    rack.Publish(HealthChanged{"127.0.0.2", "psu1", "fault", "ok", timers.WallTime()});
    timers.Advance(2h);
    recorder.SetKeep(1h);
    EXPECT_TRUE(store.kept.empty());

    store.failing = true;
    rack.Publish(HealthChanged{"127.0.0.2", "psu1", "ok", "fault", timers.WallTime()});
    timers.Advance(BatchedHistory::kHold);
    EXPECT_EQ(batch.Failures(), 1u);
    EXPECT_EQ(batch.LastFailure(), "disk full");
    EXPECT_EQ(batch.Held(), 0u) << "a failed batch is not tried forever";
}

class SqliteHistoryTest : public ::testing::Test {
  protected:
    const std::string folder = test::OwnTempFolder() + "/history";
    const std::string path = folder + "/deeper/history.sqlite";
    const Clock::time_point t0 = Clock::time_point(1'800'000'000'000ms);

    void SetUp() override { std::filesystem::remove_all(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
};

TEST_F(SqliteHistoryTest, KeepsChangesAcrossOpensReadsByFrameAndTimeAndPrunes) {
    {
        SqliteHealthHistory history;
        ASSERT_EQ(history.Open(path, SqliteHealthHistory::Access::ReadWrite), "");
        EXPECT_EQ(history.Record({"127.0.0.2", "name", "", "Caf\xc3\xa9 'A'", t0}), "");
        const std::vector<HealthChanged> batch{{"127.0.0.3", "psu1", "ok", "fault", t0 + 1s},
                                               {"127.0.0.2", "psu2", "ok", "fault", t0 + 2500ms}};
        EXPECT_EQ(history.RecordAll(batch), "");
    }
    SqliteHealthHistory reader;
    ASSERT_EQ(reader.Open(path, SqliteHealthHistory::Access::ReadOnly), "");
    std::vector<HealthChanged> read;
    ASSERT_EQ(reader.Read("127.0.0.2", t0, read), "");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].to, "Caf\xc3\xa9 'A'");
    EXPECT_EQ(read[0].from, "");
    EXPECT_EQ(read[1].what, "psu2");
    EXPECT_EQ(read[1].time, t0 + 2500ms);
    read.clear();
    ASSERT_EQ(reader.Read("127.0.0.2", t0 + 1ms, read), "");
    EXPECT_EQ(read.size(), 1u);
    EXPECT_NE(reader.Record({"127.0.0.2", "psu2", "fault", "ok", t0}), "") << "opened for reading only";
    const std::vector<HealthChanged> refused{{"127.0.0.2", "psu2", "fault", "ok", t0}};
    EXPECT_NE(reader.RecordAll(refused), "");

    SqliteHealthHistory writer;
    ASSERT_EQ(writer.Open(path, SqliteHealthHistory::Access::ReadWrite), "");
    ASSERT_EQ(writer.Prune(t0 + 2s), "");
    read.clear();
    ASSERT_EQ(writer.Read("127.0.0.2", Clock::time_point{}, read), "");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].what, "psu2");
}

TEST_F(SqliteHistoryTest, ARangeBeginsWithTheLastValueOfEachKindBeforeIt) {
    SqliteHealthHistory history;
    ASSERT_EQ(history.Open(path, SqliteHealthHistory::Access::ReadWrite), "");
    for (const HealthChanged& change : std::vector<HealthChanged>{
             {"127.0.0.2", "psu1", "", "ok", t0},
             {"127.0.0.2", "psu1", "ok", "fault", t0 + 1s},
             {"127.0.0.2", "psu1", "fault", "ok", t0 + 1s},  // same moment: the later one is the value
             {"127.0.0.2", "link", "", "up", t0 + 2s},
             {"127.0.0.3", "psu2", "", "fault", t0 + 3s},
             {"127.0.0.2", "psu2", "", "ok", t0 + 10s},
             {"127.0.0.2", "link", "up", "lost", t0 + 20s},
         }) {
        ASSERT_EQ(history.Record(change), "");
    }
    std::vector<HealthChanged> read;
    ASSERT_EQ(history.ReadRange("127.0.0.2", t0 + 5s, t0 + 20s, read), "");
    std::vector<std::string> seen;
    for (const HealthChanged& change : read)
        seen.push_back(change.what + " " + change.to);
    EXPECT_EQ(seen, (std::vector<std::string>{"psu1 ok", "link up", "psu2 ok"}));
    read.clear();
    ASSERT_EQ(history.ReadRange("127.0.0.9", t0, t0 + 1h, read), "");
    EXPECT_TRUE(read.empty());
}

TEST_F(SqliteHistoryTest, OnlyARegularFileIsTaken) {
    SqliteHealthHistory history;
    EXPECT_EQ(history.Open(path, SqliteHealthHistory::Access::ReadOnly), "no history kept at " + path);
    EXPECT_FALSE(std::filesystem::exists(path)) << "reading creates nothing";
    std::filesystem::create_directories(path);
    EXPECT_EQ(history.Open(path, SqliteHealthHistory::Access::ReadWrite), path + " is not a regular file");
    EXPECT_NE(history.Open("/dev/null", SqliteHealthHistory::Access::ReadWrite), "");
    std::vector<HealthChanged> read;
    EXPECT_NE(history.Read("127.0.0.2", {}, read), "");
}

TEST(SqliteHistoryPath, FollowsTheEnvironment) {
    ::setenv("VELMAR_HISTORY", "/tmp/h.sqlite", 1);
    EXPECT_EQ(SqliteHealthHistory::DefaultPath(), "/tmp/h.sqlite");
    ::unsetenv("VELMAR_HISTORY");
    ::setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(SqliteHealthHistory::DefaultPath(), "/data/velmar/history.sqlite");
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(SqliteHealthHistory::DefaultPath(), "/home/u/.local/share/velmar/history.sqlite");
}

}  // namespace
}  // namespace velmar
