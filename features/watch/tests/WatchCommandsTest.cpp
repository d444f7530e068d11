#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "features/watch/core/HealthCsv.h"
#include "features/watch/core/SqliteHealthHistory.h"
#include "tests/cli/CliRun.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

// velmar-cli watch as its own process: it runs until a signal, so its lines are read as they come.
class WatchProcess {
  public:
    explicit WatchProcess(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0)
            throw std::runtime_error("no pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv{const_cast<char*>(VELMAR_CLI_PATH)};
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(VELMAR_CLI_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        fromChild_ = out[0];
    }
    ~WatchProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(fromChild_);
    }

    // The next line that contains `text`, or empty after `limit`; every line read is kept.
    std::string LineWith(const std::string& text, std::chrono::milliseconds limit = 15s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                lines.push_back(line);
                if (line.find(text) != std::string::npos)
                    return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd fd{fromChild_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
                return {};
            char buffer[4096];
            const ssize_t n = ::read(fromChild_, buffer, sizeof buffer);
            if (n <= 0)
                return {};
            pending_.append(buffer, static_cast<std::size_t>(n));
        }
    }
    // Sends `signal` and waits for the exit code.
    int Stop(int signal) {
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<std::string> lines;

  private:
    pid_t pid_ = -1;
    int fromChild_ = -1;
    std::string pending_;
};

// Every watch here records into a history of this test process's own.
class WatchCommands : public ::testing::Test {
  protected:
    WatchCommands() {
        sim.ExportPorts();
        std::filesystem::remove(history);
        ::setenv("VELMAR_HISTORY", history.c_str(), 1);
    }
    ~WatchCommands() override { std::filesystem::remove(history); }

    const std::string history = test::OwnTempFolder() + "/history.sqlite";
    test::SimProcess sim;
};

TEST_F(WatchCommands, APsuFaultRaisedAndClearedIsTwoLinesAndAnUnreachableFrameOne) {
    WatchProcess watch({"watch", "127.0.0.2", "127.0.0.77", "--json"});
    ASSERT_NE(watch.LineWith("\"what\":\"psu2\""), "");
    EXPECT_NE(
        watch.LineWith("\"frame\":\"127.0.0.77\",\"what\":\"link\",\"from\":null,\"to\":\"unreachable\""),
        "");
    ASSERT_EQ(sim.Do("health 127.0.0.2 psu 2 fault"), "ok");
    EXPECT_NE(watch.LineWith("\"what\":\"psu2\",\"from\":\"ok\",\"to\":\"fault\""), "");
    ASSERT_EQ(sim.Do("health 127.0.0.2 psu 2 ok"), "ok");
    EXPECT_NE(watch.LineWith("\"what\":\"psu2\",\"from\":\"fault\",\"to\":\"ok\""), "");
    ASSERT_EQ(sim.Do("fault 127.0.0.2 close"), "ok");
    EXPECT_NE(watch.LineWith("\"what\":\"link\",\"from\":\"up\",\"to\":\"lost\""), "");
    EXPECT_EQ(watch.Stop(SIGTERM), kExitOk);
    for (const std::string& line : watch.lines)
        EXPECT_TRUE(line.starts_with("{\"time\":\"") && line.ends_with("}")) << line;

    // The history holds what was printed, frame by frame.
    const test::CliOutcome recorded = test::RunCli({"history", "127.0.0.2", "--json"});
    ASSERT_EQ(recorded.code, kExitOk) << recorded.err;
    std::string printed;
    for (const std::string& line : watch.lines) {
        if (line.find("\"frame\":\"127.0.0.2\"") != std::string::npos)
            printed += line + "\n";
    }
    EXPECT_EQ(recorded.out, printed);
    const test::CliOutcome unreachable = test::RunCli({"history", "127.0.0.77", "--since", "1h"});
    ASSERT_EQ(unreachable.code, kExitOk) << unreachable.err;
    EXPECT_NE(unreachable.out.find(" 127.0.0.77 link unreachable\n"), std::string::npos) << unreachable.out;
    EXPECT_EQ(test::RunCli({"history", "127.0.0.2", "--since", "2099-01-01"}).out, "");
}

TEST_F(WatchCommands, PlainLinesAndAnInterruptEndWithSuccess) {
    WatchProcess watch({"watch", "127.0.0.3"});
    EXPECT_NE(watch.LineWith(" 127.0.0.3 name Wall box"), "");
    // The first reading of the sync status comes with the state poll, a second after the connect.
    ASSERT_NE(watch.LineWith(" 127.0.0.3 sync locked"), "");
    ASSERT_EQ(sim.Do("health 127.0.0.3 sync 2 unlocked"), "ok");
    EXPECT_NE(watch.LineWith(" 127.0.0.3 sync locked -> unlocked"), "");
    EXPECT_EQ(watch.Stop(SIGINT), kExitOk);
}

TEST_F(WatchCommands, AHistoryThatCannotBeKeptIsAFailureButTheChangesStillShow) {
    std::filesystem::create_directories(history);
    WatchProcess watch({"watch", "127.0.0.2"});
    EXPECT_NE(watch.LineWith(" 127.0.0.2 psu2 ok"), "");
    EXPECT_EQ(watch.Stop(SIGTERM), kExitFailure);
    EXPECT_EQ(test::RunCli({"history", "127.0.0.2"}).code, kExitFailure);
    std::filesystem::remove(history);
}

TEST(WatchCommandLine, HistoryAsCsvIsTheExportsText) {
    const std::string path = test::OwnTempFolder() + "/csv-history.sqlite";
    std::filesystem::remove(path);
    ::setenv("VELMAR_HISTORY", path.c_str(), 1);
    std::vector<HealthChanged> changes{
        {"127.0.0.2", "name", "", "Rack, \"B\"", std::chrono::system_clock::now()},
        {"127.0.0.2", "psu1", "", "ok", std::chrono::system_clock::now()}};
    {
        SqliteHealthHistory history;
        ASSERT_EQ(history.Open(path, SqliteHealthHistory::Access::ReadWrite), "");
        for (HealthChanged& change : changes) {
            ASSERT_EQ(history.Record(change), "");
            // The history keeps milliseconds.
            change.time = std::chrono::time_point_cast<std::chrono::milliseconds>(change.time);
        }
    }
    const test::CliOutcome csv = test::RunCli({"history", "127.0.0.2", "--csv", "--since", "1h"});
    EXPECT_EQ(csv.code, kExitOk) << csv.err;
    EXPECT_EQ(csv.out, HealthChangesCsv(changes));
    EXPECT_EQ(test::RunCli({"history", "127.0.0.2", "--csv", "--json"}).code, kExitUsage);
    EXPECT_EQ(test::RunCli({"watch", "127.0.0.2", "--csv"}).code, kExitUsage);
    std::filesystem::remove(path);
}

TEST(WatchCommandLine, AddressesOrAllAreNeeded) {
    EXPECT_EQ(test::RunCli({"watch"}).code, kExitUsage);
    EXPECT_EQ(test::RunCli({"watch", "--all", "127.0.0.2"}).code, kExitUsage);
    EXPECT_EQ(test::RunCli({"watch", "127.0.0"}).code, kExitUsage);
    EXPECT_EQ(test::RunCli({"watch", "127.0.0.2", "--keep-days", "0"}).code, kExitUsage);
    EXPECT_EQ(test::RunCli({"history", "127.0.0.2", "--since", "last week"}).code, kExitUsage);
}

}  // namespace
}  // namespace velmar
