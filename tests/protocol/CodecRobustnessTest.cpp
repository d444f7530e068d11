#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "tests/protocol/SampleMessages.h"

namespace velmar {
namespace {

// Drives the reader the way a link does: append a chunk, read until nothing is consumed, keep the
// rest. Every read must stay inside the bytes it was given and either consume or stop.
class StreamFeeder {
  public:
    void Feed(std::string_view chunk, MessageCodec& codec, Side side) {
        pending_ += chunk;
        for (;;) {
            // A copy exactly as long as the data, so the sanitizers catch any read past its end.
            std::vector<char> bytes(pending_.begin(), pending_.end());
            CommandMessage message;
            const ReadResult r = codec.Read(bytes, message, side);
            ASSERT_LE(r.consumed, bytes.size());
            if (r.lineRead) {
                ASSERT_GT(r.consumed, 0u);
                ++lines;
                ASSERT_TRUE(message.code <= kFailedParseCode);
                if (message.code == kFailedParseCode)
                    ++failed;
            }
            pending_.erase(0, r.consumed);
            if (!r.lineRead)
                break;
        }
        if (pending_.size() > 4096)
            pending_.clear();  // the link's resynchronisation, roughly
    }
    std::size_t lines = 0;
    std::size_t failed = 0;

  private:
    std::string pending_;
};

TEST(CodecRobustness, ArbitraryBytesNeverBreakTheReader) {
    std::mt19937 random(20261206);
    // Mostly protocol-like bytes, so that lines get deep into the argument readers, with all
    // other byte values mixed in.
    const std::string alphabet = ":&?%!\r,,,''*-.#0123456789 abcdefgilmnoprstuvwxyz";
    std::uniform_int_distribution<int> pick(0, 99);
    MessageCodec codec;
    StreamFeeder reply;
    StreamFeeder request;
    for (int round = 0; round < 20000; ++round) {
        std::string chunk(static_cast<std::size_t>(pick(random) * 3), '\0');
        for (char& c : chunk) {
            const int p = pick(random);
            c = p < 85 ? alphabet[static_cast<std::size_t>(p) % alphabet.size()]
                       : static_cast<char>(random());
        }
        if (round % 7 == 0)
            chunk += Command(static_cast<std::uint16_t>(random() % kCommandCount)).word;
        reply.Feed(chunk, codec, Side::Reply);
        request.Feed(chunk, codec, Side::Request);
    }
    EXPECT_GT(reply.lines, 1000u);
    EXPECT_GT(reply.failed, 0u);
}

TEST(CodecRobustness, EveryPrefixAndEveryByteAtATimeGivesTheSameLines) {
    MessageCodec codec;
    std::string stream;
    for (const std::string& line : test::TypicalReplyLines())
        stream += line;
    for (std::uint16_t code = 0; code < kCommandCount; ++code) {
        std::array<char, kLinkWriteBufferSize> line{};
        stream.append(line.data(), codec.Write(test::SampleReply(code), line, Side::Reply));
    }

    StreamFeeder whole;
    whole.Feed(stream, codec, Side::Reply);
    EXPECT_EQ(whole.failed, 0u);

    StreamFeeder byByte;
    for (const char c : stream)
        byByte.Feed({&c, 1}, codec, Side::Reply);
    EXPECT_EQ(byByte.lines, whole.lines);
    EXPECT_EQ(byByte.failed, 0u);

    for (std::size_t cut = 0; cut < 600; ++cut) {
        StreamFeeder split;
        split.Feed(std::string_view(stream).substr(0, cut), codec, Side::Reply);
        split.Feed(std::string_view(stream).substr(cut), codec, Side::Reply);
        ASSERT_EQ(split.lines, whole.lines) << cut;
    }
}

// A default string_view has no data at all; under UndefinedBehaviorSanitizer copying from it
// stopped the window tests at their first text.
TEST(CommandMessageText, AnEmptyTextClearsTheFieldWhateverItsViewPointsAt) {
    CommandMessage message;
    message.SetText(22, 17, "Stage box 3");
    message.SetText(22, 17, std::string_view{});
    EXPECT_EQ(message.Text(22, 17), "");
    message.SetText(22, 17, "Kick");
    EXPECT_EQ(message.Text(22, 17), "Kick");
}

// The reader clears a record it read into before only as far as that read wrote; whatever the
// order of long and short lines, failed lines and firmware lines, a reused record must come out
// as a fresh one does.
TEST(CodecRobustness, AReusedRecordReadsAsAFreshOne) {
    MessageCodec writer;
    std::vector<std::pair<std::string, Side>> lines;
    for (const Side side : {Side::Reply, Side::Request}) {
        for (std::uint16_t code = 0; code < kCommandCount; ++code) {
            std::array<char, kLinkWriteBufferSize> line{};
            const CommandMessage record =
                side == Side::Reply ? test::SampleReply(code) : test::SampleRequest(code);
            lines.emplace_back(std::string(line.data(), writer.Write(record, line, side)), side);
        }
    }
    std::string commas(300, ',');
    lines.emplace_back("&sprog,1#S1" + commas + "23\r", Side::Request);
    lines.emplace_back("&sprog,1," + commas + "#S1" + commas + "\r", Side::Request);
    lines.emplace_back(":gcross,0,1" + commas + "2,3\r", Side::Reply);
    lines.emplace_back(":nosuchword,0\r", Side::Reply);
    lines.emplace_back(":gcross,0,x,3\r", Side::Reply);
    std::mt19937 random(7);
    for (int round = 0; round < 4; ++round) {
        MessageCodec reused;
        MessageCodec fresh;
        CommandMessage record;
        for (const auto& [text, side] : lines) {
            std::string a = text;
            std::string b = text;
            CommandMessage expected;
            reused.Read(a, record, side);
            fresh.Read(b, expected, side);
            ASSERT_EQ(std::memcmp(record.Bytes(), expected.Bytes(), kMessageSize), 0) << text;
        }
        std::shuffle(lines.begin(), lines.end(), random);
    }
}

// A line of numbers alone (integers and fixed-point values) is read in one pass; the same line with
// a tag of 0 after it goes through the general reader and must come out the same, record and list
// buffers, whatever is wrong with one of its pieces, and whether or not the buffer goes on after
// the line's end.
TEST(CodecRobustness, ALineOfNumbersReadsAsTheGeneralReaderReadsIt) {
    MessageCodec writer;
    std::vector<std::pair<std::string, Side>> lines;
    for (const Side side : {Side::Reply, Side::Request}) {
        for (std::uint16_t code = 0; code < kCommandCount; ++code) {
            // Words whose arguments on this side are all numbers: there a trailing tag changes
            // nothing else.
            const CommandInfo& info = kCommandTable[code];
            const ArgLayout& layout = side == Side::Reply ? info.reply : info.request;
            if (info.special != Special::None ||
                std::any_of(layout.All().begin(), layout.All().end(), [](const ArgField& field) {
                    return field.type != ArgType::Int && field.type != ArgType::Fixed;
                }))
                continue;
            CommandMessage record = side == Side::Reply ? test::SampleReply(code) : test::SampleRequest(code);
            std::array<char, kLinkWriteBufferSize> line{};
            lines.emplace_back(std::string(line.data(), writer.Write(record, line, side)), side);
            record.status = -3;
            lines.emplace_back(std::string(line.data(), writer.Write(record, line, side)), side);
        }
    }
    lines.emplace_back(":lcross,0,1,4,5,-6,7,99999\r", Side::Reply);
    lines.emplace_back(":lcross,0,1,129,5\r", Side::Reply);
    const std::vector<std::string> pieces = {
        "0",        "-0", "00017", "99999", "100000", "-",     "1-2",   "",        "+5",
        " 5",       "7 ", "x",     "--1",   "32768",  "30.00", "-0.50", "1.5",     "32767.99",
        "32768.00", "1.", ".5",    "1.234", "1.2.3",  "-.5",   "1..2",  "99999.0", "1.-5"};
    auto read = [](std::string text, Side side, std::vector<std::int32_t>& lists) {
        MessageCodec codec;
        CommandMessage record;
        const ReadResult result = codec.Read(text, record, side);
        std::array<std::int32_t, kCrosspointListSize> crosspoints{};
        std::array<std::int32_t, kLevelDetectorListSize> detectors{};
        std::array<std::int32_t, kSyncPriorityListSize> priorities{};
        codec.GetCrosspointList(0, crosspoints);
        codec.GetLevelDetectorList(0, detectors);
        codec.GetSyncPriorityList(0, priorities);
        lists.assign(crosspoints.begin(), crosspoints.end());
        lists.insert(lists.end(), detectors.begin(), detectors.end());
        lists.insert(lists.end(), priorities.begin(), priorities.end());
        EXPECT_TRUE(result.lineRead) << text;
        return record;
    };
    std::size_t compared = 0;
    for (const auto& [line, side] : lines) {
        // Each comma-separated piece after the word in turn, replaced by each faulty form.
        std::vector<std::string> variants = {line};
        for (std::size_t comma = line.find(','); comma != std::string::npos;
             comma = line.find(',', comma + 1)) {
            const std::size_t next = line.find_first_of(",\r", comma + 1);
            for (const std::string& piece : pieces)
                variants.push_back(line.substr(0, comma + 1) + piece + line.substr(next));
        }
        for (const std::string& variant : variants) {
            std::vector<std::int32_t> plainLists;
            std::vector<std::int32_t> taggedLists;
            const CommandMessage plain = read(variant, side, plainLists);
            const CommandMessage tagged =
                read(variant.substr(0, variant.size() - 1) + ",*0\r", side, taggedLists);
            std::vector<std::int32_t> followedLists;
            const CommandMessage followed = read(variant + "?", side, followedLists);
            ASSERT_EQ(std::memcmp(plain.Bytes(), tagged.Bytes(), kMessageSize), 0) << variant;
            ASSERT_EQ(plainLists, taggedLists) << variant;
            ASSERT_EQ(std::memcmp(plain.Bytes(), followed.Bytes(), kMessageSize), 0) << variant;
            ASSERT_EQ(plainLists, followedLists) << variant;
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000u);
}

}  // namespace
}  // namespace velmar
