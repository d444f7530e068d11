#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/protocol/SampleMessages.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};
}  // namespace

// Counts every heap allocation made while `counting` is set. This binary's other tests allocate
// freely; only the stretch under test is watched.
void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace velmar {
namespace {

TEST(CodecAllocation, ReadingAndWritingAMixedCorpusAllocatesNothing) {
    MessageCodec codec;
    std::vector<std::string> lines = test::TypicalReplyLines();
    std::vector<CommandMessage> records;
    for (std::uint16_t code = 0; code < kCommandCount; ++code) {
        records.push_back(test::SampleReply(code));
        records.push_back(test::SampleRequest(code));
    }
    std::vector<std::vector<char>> buffers;
    for (int copy = 0; copy < 50; ++copy) {
        for (const std::string& line : lines)
            buffers.emplace_back(line.begin(), line.end());
    }
    std::array<char, kLinkWriteBufferSize> out{};
    std::array<std::int32_t, kCrosspointListSize> crosspoints{};

    std::size_t read = 0;
    std::size_t written = 0;
    counting = true;
    for (std::vector<char>& buffer : buffers) {
        CommandMessage message;
        const ReadResult r = codec.Read(buffer, message);
        read += r.lineRead && message.code != kFailedParseCode ? 1 : 0;
        if (message.code == ToCode(CommandCode::lcross))
            codec.GetCrosspointList(message.Int(18), crosspoints);
    }
    for (int round = 0; round < 50; ++round) {
        for (const CommandMessage& record : records) {
            written += codec.Write(record, out, Side::Request) > 0 ? 1 : 0;
            written += codec.Write(record, out, Side::Reply) > 0 ? 1 : 0;
        }
    }
    counting = false;

    EXPECT_EQ(allocations.load(), 0u);
    EXPECT_EQ(read, buffers.size());
    EXPECT_EQ(written, records.size() * 100);
    EXPECT_EQ(crosspoints[0], 7);
}

}  // namespace
}  // namespace velmar
