// Throughput of the codec on the lines a console reads while it follows a frame: a synthetic mix
// heavy in 128-value crosspoint runs, and a full frame read recorded from the simulator.
#include <benchmark/benchmark.h>

#include <fstream>

#include "tests/protocol/SampleMessages.h"

namespace velmar {
namespace {

void BM_ReadTypicalReplies(benchmark::State& state) {
    MessageCodec codec;
    const std::vector<std::string> lines = test::TypicalReplyLines();
    std::vector<std::vector<char>> buffers;
    std::size_t bytes = 0;
    for (const std::string& line : lines) {
        buffers.emplace_back(line.begin(), line.end());
        bytes += line.size();
    }
    CommandMessage message;
    for (auto _ : state) {
        for (std::size_t i = 0; i < buffers.size(); ++i) {
            // The reader zeroes the carriage return in place; put it back for the next round.
            buffers[i].back() = '\r';
            benchmark::DoNotOptimize(codec.Read(buffers[i], message));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * buffers.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadTypicalReplies);

// The replies a console reads while it connects to the simulator's 1536-channel K5A with every
// card kind: identity, boards, versions, clocks, 12 crosspoint runs and every card setting, as
// recorded from the wire (bench/data/k5a-full-read.txt, one reply per line).
void BM_ReadRecordedFrameRead(benchmark::State& state) {
    std::ifstream file(VELMAR_BENCH_DATA "/k5a-full-read.txt");
    std::vector<std::vector<char>> buffers;
    std::size_t bytes = 0;
    for (std::string line; std::getline(file, line);) {
        line += '\r';
        buffers.emplace_back(line.begin(), line.end());
        bytes += line.size();
    }
    if (buffers.empty()) {
        state.SkipWithError("no recorded replies");
        return;
    }
    MessageCodec codec;
    CommandMessage message;
    for (auto _ : state) {
        for (std::vector<char>& buffer : buffers) {
            buffer.back() = '\r';
            benchmark::DoNotOptimize(codec.Read(buffer, message));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * buffers.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadRecordedFrameRead);

void BM_ReadShortReplies(benchmark::State& state) {
    MessageCodec codec;
    std::vector<char> line{':', 'g', 'c', 'r', 'o', 's', 's', ',', '0', ',', '1', '7', ',', '3', '3', '\r'};
    CommandMessage message;
    for (auto _ : state) {
        line.back() = '\r';
        benchmark::DoNotOptimize(codec.Read(line, message));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadShortReplies);

// Writes records of the given words, built as the console (requests) or a frame (replies) would.
void WriteRecords(benchmark::State& state, std::initializer_list<CommandCode> codes, Side side) {
    MessageCodec codec;
    std::vector<CommandMessage> records;
    for (const CommandCode code : codes) {
        records.push_back(side == Side::Request ? test::SampleRequest(ToCode(code))
                                                : test::SampleReply(ToCode(code)));
    }
    std::array<char, kLinkWriteBufferSize> out{};
    for (auto _ : state) {
        for (const CommandMessage& record : records)
            benchmark::DoNotOptimize(codec.Write(record, out, side));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * records.size()));
}

void BM_WriteTypicalRequests(benchmark::State& state) {
    WriteRecords(state,
                 {CommandCode::gcross, CommandCode::scross, CommandCode::lcross, CommandCode::gswver,
                  CommandCode::glabel, CommandCode::slabel, CommandCode::ggain, CommandCode::sgain},
                 Side::Request);
}
BENCHMARK(BM_WriteTypicalRequests);

void BM_WriteTypicalReplies(benchmark::State& state) {
    WriteRecords(state,
                 {CommandCode::gcross, CommandCode::scross, CommandCode::gswver, CommandCode::glabel,
                  CommandCode::ggain, CommandCode::gactrate, CommandCode::gsyncstat},
                 Side::Reply);
}
BENCHMARK(BM_WriteTypicalReplies);

}  // namespace
}  // namespace velmar

BENCHMARK_MAIN();
