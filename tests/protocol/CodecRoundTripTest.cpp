#include <gtest/gtest.h>

#include "tests/protocol/SampleMessages.h"

namespace velmar {
namespace {

std::string Describe(std::uint16_t code, const ArgField& field) {
    return std::string(Command(code).word) + " field at byte " + std::to_string(field.offset);
}

void ExpectSameFields(std::uint16_t code, std::span<const ArgField> fields, const CommandMessage& sent,
                      const CommandMessage& read) {
    for (const ArgField& f : fields) {
        if (f.type == ArgType::Skip)
            continue;
        EXPECT_EQ(std::memcmp(sent.Bytes() + f.offset, read.Bytes() + f.offset, f.size), 0)
            << Describe(code, f);
    }
}

CommandMessage WriteThenRead(MessageCodec& codec, const CommandMessage& sent, Side side) {
    std::array<char, kLinkWriteBufferSize> line{};
    const std::size_t n = codec.Write(sent, line, side);
    CommandMessage read;
    const ReadResult r = codec.Read(std::span<char>(line.data(), n), read, side);
    EXPECT_TRUE(r.lineRead) << Command(sent.code).word;
    EXPECT_EQ(r.consumed, n) << Command(sent.code).word;
    return read;
}

TEST(CodecRoundTrip, EveryReplyComesBackWithTheFieldsItCarries) {
    MessageCodec codec;
    for (std::uint16_t code = 0; code < kCommandCount; ++code) {
        const CommandInfo& info = Command(code);
        const CommandMessage sent = test::SampleReply(code);
        const CommandMessage read = WriteThenRead(codec, sent, Side::Reply);
        ASSERT_EQ(read.code, code) << info.word;
        EXPECT_EQ(read.flags, sent.flags) << info.word;
        EXPECT_EQ(read.status, 0) << info.word;
        ExpectSameFields(code, info.reply.All(), sent, read);
        if (info.special == Special::SoftwareVersions) {
            EXPECT_EQ(std::memcmp(sent.Bytes() + 14, read.Bytes() + 14, 154 - 14), 0);
        }

        // With a failed status only the leading words travel; the rest read as zero.
        const CommandMessage failed = test::SampleReply(code, 12);
        const CommandMessage readFailed = WriteThenRead(codec, failed, Side::Reply);
        ASSERT_EQ(readFailed.code, code) << info.word;
        const std::int32_t expectedStatus = info.special == Special::KeepAlive ? 0 : 12;
        EXPECT_EQ(readFailed.status, expectedStatus) << info.word;
        if (info.special == Special::None) {
            ExpectSameFields(code, info.reply.Unconditional(), failed, readFailed);
            for (const ArgField& f : info.reply.WithStatusZero()) {
                for (std::size_t i = 0; i < f.size; ++i) {
                    EXPECT_EQ(readFailed.Bytes()[f.offset + i], 0) << Describe(code, f);
                }
            }
        }
    }
}

TEST(CodecRoundTrip, EveryRequestReachesAFrameIntact) {
    MessageCodec codec;
    for (std::uint16_t code = 0; code < kCommandCount; ++code) {
        CommandMessage sent = test::SampleRequest(code);
        sent.tag = static_cast<std::uint16_t>(code + 1);
        const CommandMessage read = WriteThenRead(codec, sent, Side::Request);
        ASSERT_EQ(read.code, code) << Command(code).word;
        EXPECT_EQ(read.tag, sent.tag) << Command(code).word;
        ExpectSameFields(code, Command(code).request.All(), sent, read);
        if (Command(code).special == Special::FirmwareLine) {
            EXPECT_EQ(std::memcmp(sent.Bytes() + 18, read.Bytes() + 18, 256), 0);
        }
    }
}

}  // namespace
}  // namespace velmar
