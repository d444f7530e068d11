// Throughput of the codec on the lines a console reads while it follows a frame: a synthetic mix
// heavy in 128-value crosspoint runs, and a full frame read recorded from the simulator. The
// yardstick is a hand loop over the same bytes (find the line, split it, read its numbers) that
// builds no record; bench/run-benchmarks.sh prints the codec's figures as ratios to it.
#include <benchmark/benchmark.h>

#include <array>
#include <fstream>
#include <span>

#include "tests/protocol/SampleMessages.h"

namespace velmar {
namespace {

std::vector<std::vector<char>> RecordedLines(std::size_t& bytes) {
    std::ifstream file(VELMAR_BENCH_DATA "/k5a-full-read.txt");
    std::vector<std::vector<char>> buffers;
    bytes = 0;
    for (std::string line; std::getline(file, line);) {
        line += '\r';
        buffers.emplace_back(line.begin(), line.end());
        bytes += line.size();
    }
    return buffers;
}

std::vector<char> ShortReply() {
    return {':', 'g', 'c', 'r', 'o', 's', 's', ',', '0', ',', '1', '7', ',', '3', '3', '\r'};
}

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
    std::size_t bytes = 0;
    std::vector<std::vector<char>> buffers = RecordedLines(bytes);
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

// The yardstick: one pass over a line that finds its end, splits it at commas and reads every
// number, with none of the codec's checks, lookup or record.
std::size_t HandLoop(std::span<char> bytes, std::array<std::int32_t, 200>& numbers) {
    std::size_t count = 0;
    std::int32_t value = 0;
    bool negative = false;
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
        } else if (c == '-') {
            negative = true;
        } else if (c == ',' || c == '\r') {
            if (count < numbers.size())
                numbers[count++] = negative ? -value : value;
            value = 0;
            negative = false;
            if (c == '\r') {
                bytes[i] = '\0';
                return i + 1;
            }
        }
    }
    return 0;
}

void BM_HandLoopRecordedFrameRead(benchmark::State& state) {
    std::size_t bytes = 0;
    std::vector<std::vector<char>> buffers = RecordedLines(bytes);
    if (buffers.empty()) {
        state.SkipWithError("no recorded replies");
        return;
    }
    std::array<std::int32_t, 200> numbers{};
    for (auto _ : state) {
        for (std::vector<char>& buffer : buffers) {
            buffer.back() = '\r';
            benchmark::DoNotOptimize(HandLoop(buffer, numbers));
            benchmark::DoNotOptimize(numbers);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * buffers.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_HandLoopRecordedFrameRead);

void BM_HandLoopShortReplies(benchmark::State& state) {
    std::vector<char> line = ShortReply();
    std::array<std::int32_t, 200> numbers{};
    for (auto _ : state) {
        line.back() = '\r';
        benchmark::DoNotOptimize(HandLoop(line, numbers));
        benchmark::DoNotOptimize(numbers);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HandLoopShortReplies);

void BM_ReadShortReplies(benchmark::State& state) {
    MessageCodec codec;
    std::vector<char> line = ShortReply();
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
