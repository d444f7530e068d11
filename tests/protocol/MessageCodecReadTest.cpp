#include <gtest/gtest.h>

#include "tests/protocol/CodecTestSupport.h"

namespace velmar {
namespace {

using test::ReadLine;
using test::Wire;

class MessageCodecRead : public ::testing::Test {
  protected:
    void ExpectFailed(std::string_view line, std::int32_t codeItHad) {
        const CommandMessage m = ReadLine(codec, line);
        EXPECT_EQ(m.code, kFailedParseCode) << line;
        EXPECT_EQ(m.Int(14), 1) << line;
        EXPECT_EQ(m.Int(18), codeItHad) << line;
    }
    MessageCodec codec;
};

TEST_F(MessageCodecRead, FramingDropsNoiseKeepsPartialLinesAndLastStartWins) {
    std::string bytes = Wire("xx:gcross,0,5,7[CR]");
    CommandMessage m;
    ReadResult r = codec.Read(bytes, m);
    EXPECT_EQ(r.consumed, 16u);
    EXPECT_TRUE(r.lineRead);
    EXPECT_EQ(m.code, ToCode(CommandCode::gcross));
    EXPECT_EQ(m.flags, MessageFlags::kReply);
    EXPECT_EQ(m.Int(14), 5);
    EXPECT_EQ(m.Int(18), 7);
    EXPECT_EQ(bytes[15], '\0') << "the carriage return is overwritten in place";

    // A chunk that ends inside a line gives up only the noise before it; the rest comes later.
    std::string partial = "ab:gcross,0,";
    r = codec.Read(partial, m);
    EXPECT_EQ(r.consumed, 2u);
    EXPECT_FALSE(r.lineRead);
    std::string completed = partial.substr(r.consumed) + Wire("5,7[CR]");
    r = codec.Read(completed, m);
    EXPECT_EQ(r.consumed, completed.size());
    EXPECT_EQ(m.Int(18), 7);

    std::string noise = "no start here\r";
    r = codec.Read(noise, m);
    EXPECT_EQ(r.consumed, 0u);
    EXPECT_FALSE(r.lineRead);

    // A start character inside a line starts it afresh; a carriage return before any start is noise.
    std::string restarted = Wire("[CR]:gcr?gcross,5[CR]");
    r = codec.Read(restarted, m, Side::Request);
    EXPECT_EQ(r.consumed, restarted.size());
    EXPECT_EQ(m.code, ToCode(CommandCode::gcross));
    EXPECT_EQ(m.flags, MessageFlags::kRequest);

    // Two lines in one chunk come out one call at a time.
    std::string joined = Wire(":gcross,0,1,2[CR]%gcross,3,4[CR]");
    r = codec.Read(joined, m);
    EXPECT_EQ(m.Int(14), 1);
    std::span<char> rest = std::span<char>(joined).subspan(r.consumed);
    r = codec.Read(rest, m);
    EXPECT_EQ(r.consumed, rest.size());
    EXPECT_EQ(m.flags, 0);
    EXPECT_EQ(m.Int(14), 3);
    EXPECT_EQ(m.Int(18), 4);
}

// The scan takes the buffer in blocks; wherever their edges fall (noise before the line, a
// partial line after it, a restart or a '#' near the end) the line reads the same.
TEST_F(MessageCodecRead, FramingHoldsWhereverTheBufferIsCut) {
    const std::string line = Wire(":gcross,0,,12,-34[CR]");
    const std::string restart = Wire("?gcr:gcross,0,12,-34[CR]");
    const std::string hashed = Wire(":gcross,0,12,-34#x[CR]");
    for (std::size_t noise = 0; noise < 40; ++noise) {
        for (const std::string* text : {&line, &restart, &hashed}) {
            std::string bytes = std::string(noise, 'n') + *text + std::string(noise % 19, 'p');
            CommandMessage m;
            const ReadResult r = codec.Read(bytes, m);
            ASSERT_TRUE(r.lineRead) << noise << ' ' << *text;
            EXPECT_EQ(r.consumed, noise + text->size()) << noise << ' ' << *text;
            // A '#' belongs to firmware lines only; in a reply's number it is a malformed line.
            const bool failed = text == &hashed;
            EXPECT_EQ(m.code, failed ? kFailedParseCode : ToCode(CommandCode::gcross))
                << noise << ' ' << *text;
            EXPECT_EQ(m.Int(18), failed ? ToCode(CommandCode::gcross) : -34) << noise << ' ' << *text;
            std::string cut = bytes.substr(0, noise + text->size() - 1);
            EXPECT_FALSE(codec.Read(cut, m).lineRead) << noise << ' ' << *text;
        }
    }
}

TEST_F(MessageCodecRead, TokensCollapseCommaRunsAndStatusIsBounded) {
    CommandMessage m = ReadLine(codec, ":gcross,,0,,,5,,7,[CR]");
    EXPECT_EQ(m.code, ToCode(CommandCode::gcross));
    EXPECT_EQ(m.Int(18), 7);

    m = ReadLine(codec, "!gcross,-32767,5[CR]");
    EXPECT_EQ(m.flags, 0);
    EXPECT_EQ(m.status, -32767);
    EXPECT_EQ(m.Int(18), 0) << "fields after the status split wait for status 0";

    ExpectFailed(":gcross,32768,5[CR]", ToCode(CommandCode::gcross));
    ExpectFailed(":gcross,x,5[CR]", ToCode(CommandCode::gcross));
    ExpectFailed(":gcross,0,123456,7[CR]", ToCode(CommandCode::gcross));
    ExpectFailed(":gcross,0,+5,7[CR]", ToCode(CommandCode::gcross));
    ExpectFailed(":gcross,0,5[CR]", ToCode(CommandCode::gcross));
    ExpectFailed(":[CR]", 0);
    ExpectFailed(":,,,[CR]", 0);
    ExpectFailed(":abcdefghijklmnopqrstuvwxy,0[CR]", 0);
    ExpectFailed(":abcdefghijklmnopqrstuvwx,0[CR]", 0);
    ExpectFailed(":GCROSS,0,5,7[CR]", 0);

    std::string many = ":lgain,0";
    for (int i = 0; i < 160; ++i)
        many += ",1";
    EXPECT_EQ(ReadLine(codec, many + "[CR]").code, ToCode(CommandCode::lgain));
    ExpectFailed(many + ",1[CR]", 0);
}

TEST_F(MessageCodecRead, LookupFindsExactlyTheVocabulary) {
    for (std::uint16_t code = 0; code < kCommandCount; ++code) {
        const std::string word(Command(code).word);
        EXPECT_EQ(codec.Lookup(word), static_cast<CommandCode>(code)) << word;
        std::string upper = word;
        upper[0] = static_cast<char>(upper[0] - 'a' + 'A');  // same low five bits as the real letter
        EXPECT_FALSE(codec.Lookup(upper).has_value()) << upper;
        EXPECT_FALSE(codec.Lookup(word + "x").has_value()) << word;
        const std::string shorter = word.substr(0, word.size() - 1);
        EXPECT_EQ(codec.Lookup(shorter), FindCommand(shorter)) << shorter;
        std::string last = word;
        last.back() = static_cast<char>(last.back() ^ 0x20);
        EXPECT_FALSE(codec.Lookup(last).has_value()) << last;
    }
    for (const std::string_view odd : {"", "g", "\xff\xff", "g\0cross", "``````"}) {
        EXPECT_FALSE(codec.Lookup(odd).has_value());
    }
}

TEST_F(MessageCodecRead, TextRawAndFixedFields) {
    CommandMessage m = ReadLine(codec, ":glabel,0,1,3,'Mic 1'[CR]");
    EXPECT_EQ(m.Text(22, 17), "Mic 1");
    m = ReadLine(codec, ":glabel,0,1,3,'Mic,1'[CR]");
    EXPECT_EQ(m.Text(22, 17), "Mic");
    m = ReadLine(codec, ":glabel,5,1,3,'Mic 1'[CR]");
    EXPECT_EQ(m.code, ToCode(CommandCode::glabel));
    EXPECT_EQ(m.Int(14), 1);
    EXPECT_EQ(m.Int(18), 3);
    EXPECT_EQ(m.Text(22, 17), "");

    // At most N characters of the token are examined, the opening quote and skipped ones included.
    m = ReadLine(codec, ":glabel,0,1,3,'0123456789abcdefXYZ'[CR]");
    EXPECT_EQ(m.Text(22, 17), "0123456789abcdef");
    m = ReadLine(codec, ":glabel,0,1,3,ab'0123456789abcdefXYZ'[CR]");
    EXPECT_EQ(m.Text(22, 17), "0123456789abcd");
    m = ReadLine(codec, ":glabel,0,1,3,unquoted[CR]");
    EXPECT_EQ(m.Text(22, 17), "");
    m = ReadLine(codec, ":glabel,0,1,3[CR]");
    EXPECT_EQ(m.code, ToCode(CommandCode::glabel)) << "a missing text stays empty";

    m = ReadLine(codec, ":gmaininpstatus,0,4,ABCDE[CR]");
    EXPECT_EQ(m.Text(18, 3), "ABC");
    EXPECT_EQ(m.Bytes()[21], 0);

    m = ReadLine(codec, ":ggain,0,1,2,-3.50,0,1[CR]");
    EXPECT_EQ(m.Fixed(22), (FixedValue{true, 3, 50}));
    m = ReadLine(codec, ":ggain,0,1,2,-0.50,0,1[CR]");
    EXPECT_EQ(m.Fixed(22), (FixedValue{true, 0, 50}));
    m = ReadLine(codec, ":ggain,0,1,2,1.5,0,1[CR]");
    EXPECT_EQ(m.Fixed(22), (FixedValue{false, 1, 5}));
    ExpectFailed(":ggain,0,1,2,-3,0,1[CR]", ToCode(CommandCode::ggain));
    ExpectFailed(":ggain,0,1,2,32768.00,0,1[CR]", ToCode(CommandCode::ggain));
    ExpectFailed(":ggain,0,1,2,1.234,0,1[CR]", ToCode(CommandCode::ggain));

    m = ReadLine(codec, ":gppmid,0,4294967295[CR]");
    EXPECT_EQ(m.Uint(14), 4294967295u);
    ExpectFailed(":gppmid,0,4294967296[CR]", ToCode(CommandCode::gppmid));
}

TEST_F(MessageCodecRead, SpecialRows) {
    CommandMessage m = ReadLine(codec, ":gpsustatus,0,2,1[CR]");
    EXPECT_EQ(m.Int(18), 2);
    EXPECT_EQ(m.Int(14), 1);
    m = ReadLine(codec, ":gadbrdtype,0,3,7[CR]");
    EXPECT_EQ(m.Int(22), 7);
    EXPECT_EQ(m.Int(18), 0);
    m = ReadLine(codec, ":lsumcross,0,99,4,5[CR]");
    EXPECT_EQ(m.Int(14), 4);
    EXPECT_EQ(m.Int(18), 5);

    m = ReadLine(codec, ":ghwconf,0,9,3,'AD','77'[CR]");
    EXPECT_EQ(m.Int(18), 3);
    EXPECT_EQ(m.Text(39, 14), "77");
    m = ReadLine(codec, ":ghwconf,0,4,3,'AD','77'[CR]");
    EXPECT_EQ(m.code, ToCode(CommandCode::ghwconf));
    EXPECT_EQ(m.Int(18), 0);
    EXPECT_EQ(m.Text(22, 17), "");

    // Eleven argument tokens would make five pairs; only four fit.
    m = ReadLine(codec, ":gswver,0,2,'a','1','b','2','c','3','d','4','e','5'[CR]");
    EXPECT_EQ(m.Text(18 + 17 * 3, 17), "d");
    EXPECT_EQ(m.Text(86 + 17 * 3, 17), "4");
    EXPECT_EQ(m.Int(14), 2);
    m = ReadLine(codec, ":gswver,0,2,'a','1','b'[CR]");
    EXPECT_EQ(m.Text(35, 17), "");

    m = ReadLine(codec, "?aliverequest,*77[CR]");
    EXPECT_EQ(m.flags, MessageFlags::kRequest | MessageFlags::kKeepAlive);
    EXPECT_EQ(m.tag, 77);
    m = ReadLine(codec, ":aliverequest,5,*65535[CR]");
    EXPECT_EQ(m.flags, MessageFlags::kReply | MessageFlags::kKeepAlive);
    EXPECT_EQ(m.status, 0);
    EXPECT_EQ(m.tag, 65535);
    m = ReadLine(codec, ":aliverequest,0,*65536[CR]");
    EXPECT_EQ(m.tag, 0);

    m = ReadLine(codec, "&sprog,1,*4#line,with,commas 'and' quotes[CR]", Side::Request);
    EXPECT_EQ(m.Int(14), 1);
    EXPECT_EQ(m.tag, 4);
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(m.Bytes() + 18)),
              "line,with,commas 'and' quotes");

    m = ReadLine(codec, "&scross,5,7,0,0[CR]", Side::Request);
    EXPECT_EQ(m.code, ToCode(CommandCode::scross));
    EXPECT_EQ(m.Int(18), 7);
    m = ReadLine(codec, "?gcross,5[CR]", Side::Request);
    EXPECT_EQ(m.code, ToCode(CommandCode::gcross));
    EXPECT_EQ(m.Int(14), 5);
}

TEST_F(MessageCodecRead, ListRepliesFillTheirBuffersWithinBounds) {
    std::array<std::int32_t, kCrosspointListSize> crosspoints{};
    CommandMessage m = ReadLine(codec, ":lcross,0,1,3,4,5,6[CR]");
    codec.GetCrosspointList(m.Int(18), crosspoints);
    EXPECT_EQ(crosspoints[0], 4);
    EXPECT_EQ(crosspoints[2], 6);
    EXPECT_EQ(crosspoints[3], 0);

    std::string full = ":lcross,0,129,128";
    for (int i = 1; i <= 128; ++i)
        full += "," + std::to_string(i);
    m = ReadLine(codec, full + "[CR]");
    codec.GetCrosspointList(m.Int(18), crosspoints);
    EXPECT_EQ(crosspoints[127], 128);
    ExpectFailed(":lcross,0,1,129" + full.substr(17) + ",1[CR]", ToCode(CommandCode::lcross));
    ExpectFailed(":lcross,0,1,3,4,5[CR]", ToCode(CommandCode::lcross));
    ExpectFailed(":lcross,0,1,-1[CR]", ToCode(CommandCode::lcross));

    // A bad run leaves the previous one whole instead of half cleared.
    ExpectFailed(":lcross,0,1,3,9,x,9[CR]", ToCode(CommandCode::lcross));
    codec.GetCrosspointList(128, crosspoints);
    EXPECT_EQ(crosspoints[127], 128);
    crosspoints.fill(5);
    codec.GetCrosspointList(129, crosspoints);
    EXPECT_EQ(crosspoints[0], 0);
    EXPECT_EQ(crosspoints[1], 5);

    // A failed list status reads the leading words only.
    m = ReadLine(codec, ":lcross,2,1,3[CR]");
    EXPECT_EQ(m.code, ToCode(CommandCode::lcross));

    std::array<InputStatusEntry, kInputStatusListSize> inputs{};
    m = ReadLine(codec, ":lmaininpstatus,0,5,2,ABCD,XY[CR]");
    ASSERT_TRUE(codec.GetInputStatusList(m.Int(18), inputs));
    EXPECT_EQ(inputs[0].channel, 5);
    EXPECT_STREQ(inputs[0].status.data(), "ABC");
    EXPECT_EQ(inputs[1].channel, 6);
    EXPECT_STREQ(inputs[1].status.data(), "XY");
    ExpectFailed(":lmaininpstatus,0,2,14" +
                     std::string(28, ',').replace(0, 28, ",a,a,a,a,a,a,a,a,a,a,a,a,a,a") + "[CR]",
                 ToCode(CommandCode::lmaininpstatus));
    EXPECT_EQ(ReadLine(codec, ":lmaininpstatus,0,1,14,a,a,a,a,a,a,a,a,a,a,a,a,a,a[CR]").code,
              ToCode(CommandCode::lmaininpstatus));

    std::array<LabelEntry, kLabelListSize> labels{};
    m = ReadLine(codec, ":llabel,0,1,9,2,'In 9','In 10'[CR]");
    ASSERT_TRUE(codec.GetLabelList(m.Int(22), labels));
    EXPECT_EQ(labels[1].selector, 1);
    EXPECT_EQ(labels[1].channel, 10);
    EXPECT_STREQ(labels[1].text.data(), "In 10");
    EXPECT_FALSE(codec.GetLabelList(33, labels));

    std::array<std::uint32_t, kPpmIdListSize> ids{};
    m = ReadLine(codec, ":lppmid,0,7,8,9,*2[CR]");
    EXPECT_EQ(m.tag, 2);
    EXPECT_EQ(codec.PpmIdCount(), 3u);
    ASSERT_TRUE(codec.GetPpmIdList(3, ids));
    EXPECT_EQ(ids[2], 9u);
    EXPECT_EQ(ids[3], 0u);
    std::string tooMany = ":lppmid,0";
    for (int i = 0; i < 34; ++i)
        tooMany += ",1";
    ReadLine(codec, tooMany + "[CR]");
    EXPECT_EQ(codec.PpmIdCount(), 3u) << "a reply with too many ids leaves the list as it was";
}

}  // namespace
}  // namespace velmar
