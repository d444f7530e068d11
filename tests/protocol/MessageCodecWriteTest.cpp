#include <gtest/gtest.h>

#include "tests/protocol/CodecTestSupport.h"

namespace velmar {
namespace {

using test::Reply;
using test::Request;
using test::WriteLine;

class MessageCodecWrite : public ::testing::Test {
  protected:
    MessageCodec codec;
};

TEST_F(MessageCodecWrite, DirectionFollowsFlagsAndTheWordsKind) {
    CommandMessage gcross = Request(CommandCode::gcross);
    gcross.SetInt(14, 5);
    EXPECT_EQ(WriteLine(codec, gcross), "?gcross,5[CR]");
    gcross.tag = 12;
    EXPECT_EQ(WriteLine(codec, gcross), "?gcross,5,*12[CR]");

    CommandMessage scross = Request(CommandCode::scross);
    scross.SetInt(14, 5);
    scross.SetInt(18, 7);
    EXPECT_EQ(WriteLine(codec, scross), "&scross,5,7,0,0[CR]");

    EXPECT_EQ(WriteLine(codec, Request(CommandCode::sclear)), "&sclear[CR]");
    CommandMessage lcross = Request(CommandCode::lcross);
    lcross.SetInt(14, 1);
    lcross.SetInt(18, 128);
    EXPECT_EQ(WriteLine(codec, lcross), "?lcross,1,128[CR]");

    CommandMessage keepAlive = Request(CommandCode::aliverequest);
    keepAlive.flags = MessageFlags::kRequest | MessageFlags::kKeepAlive;
    EXPECT_EQ(WriteLine(codec, keepAlive), "?aliverequest[CR]");

    CommandMessage reply = Reply(CommandCode::gcross);
    reply.SetInt(14, 5);
    EXPECT_EQ(WriteLine(codec, reply), ":gcross,0,5[CR]") << "the writer carries the request arguments";
    reply.flags = 0;
    EXPECT_EQ(WriteLine(codec, reply), "%gcross,5[CR]");
}

TEST_F(MessageCodecWrite, ValueTypesAreSpelledAsOnTheWire) {
    CommandMessage gain = Request(CommandCode::sgain);
    gain.SetInt(14, 1);
    gain.SetInt(18, -2);
    gain.SetFixed(22, {true, 0, 50});
    gain.SetInt(30, 0);
    gain.SetInt(34, 1);
    EXPECT_EQ(WriteLine(codec, gain), "&sgain,1,-2,-0.50,0,1[CR]");
    gain.SetFixed(22, {false, 3, 5});
    EXPECT_EQ(WriteLine(codec, gain), "&sgain,1,-2,3.05,0,1[CR]");

    CommandMessage label = Request(CommandCode::slabel);
    label.SetInt(14, 0);
    label.SetInt(18, 3);
    label.SetText(22, 17, "Mic 1");
    EXPECT_EQ(WriteLine(codec, label), "&slabel,0,3,'Mic 1'[CR]");

    CommandMessage ppm = Request(CommandCode::sppmchn);
    ppm.SetUint(14, 4000000000u);
    ppm.SetInt(18, 2);
    ppm.SetUint(22, 7);
    EXPECT_EQ(WriteLine(codec, ppm), "&sppmchn,4000000000,2,7[CR]");

    // The three short fields of scmd end where the next begins, whatever the record held there.
    CommandMessage scmd = Request(CommandCode::scmd);
    std::memcpy(scmd.Bytes() + 14, "ABXCDEYFGHIJZ", 13);
    EXPECT_EQ(WriteLine(codec, scmd), "&scmd,AB,CDE,FGHIJ[CR]");
}

TEST_F(MessageCodecWrite, FirmwareLineFollowsTheTagAfterAHash) {
    CommandMessage sprog = Request(CommandCode::sprog);
    sprog.SetInt(14, 1);
    std::memcpy(sprog.Bytes() + 18, "abc", 3);
    EXPECT_EQ(WriteLine(codec, sprog), "&sprog,1#abc[CR]");
    sprog.tag = 3;
    EXPECT_EQ(WriteLine(codec, sprog), "&sprog,1,*3#abc[CR]");
    sprog.SetInt(14, 2);
    EXPECT_EQ(WriteLine(codec, sprog), "&sprog,2,*3[CR]");

    // A full 256-character image line fills the record to its last byte and still ends cleanly.
    sprog.tag = 0;
    sprog.SetInt(14, 1);
    std::memset(sprog.Bytes() + 18, 'x', 256);
    EXPECT_EQ(WriteLine(codec, sprog), "&sprog,1#" + std::string(256, 'x') + "[CR]");
}

TEST_F(MessageCodecWrite, NeverWritesBeyondCapacityMinusOneAndCutLinesLoseTheirReturn) {
    CommandMessage scross = Request(CommandCode::scross);
    scross.SetInt(14, 1536);
    scross.SetInt(18, 1024);
    const std::string full = "&scross,1536,1024,0,0\r";
    for (std::size_t capacity = 0; capacity <= full.size() + 2; ++capacity) {
        std::string out(capacity + 4, '#');
        const std::size_t written = codec.Write(scross, std::span<char>(out.data(), capacity));
        const std::size_t room = capacity == 0 ? 0 : capacity - 1;
        EXPECT_EQ(written, std::min(room, full.size())) << capacity;
        EXPECT_EQ(out.substr(0, written), full.substr(0, written));
        EXPECT_EQ(out.substr(written), std::string(out.size() - written, '#')) << "wrote past the room";
    }

    CommandMessage failed = Request(CommandCode::gcross);
    failed.code = kFailedParseCode;
    EXPECT_EQ(WriteLine(codec, failed), "");
}

TEST_F(MessageCodecWrite, ReplySideWritesWhatAFrameSends) {
    using test::Shown;
    CommandMessage gcross = Reply(CommandCode::gcross);
    gcross.SetInt(14, 5);
    gcross.SetInt(18, 7);
    EXPECT_EQ(WriteLine(codec, gcross, Side::Reply), ":gcross,0,5,7[CR]");
    gcross.status = 3;
    EXPECT_EQ(WriteLine(codec, gcross, Side::Reply), ":gcross,3,5[CR]");

    CommandMessage hw = Reply(CommandCode::ghwconf);
    hw.SetInt(14, 4);
    hw.SetInt(18, 9);
    EXPECT_EQ(WriteLine(codec, hw, Side::Reply), ":ghwconf,0,4[CR]");
    hw.SetInt(14, 9);
    hw.SetText(22, 17, "AD8");
    hw.SetText(39, 14, "1234");
    EXPECT_EQ(WriteLine(codec, hw, Side::Reply), ":ghwconf,0,9,9,'AD8','1234'[CR]");

    CommandMessage sw = Reply(CommandCode::gswver);
    sw.SetInt(14, 2);
    sw.SetText(18, 17, "app");
    sw.SetText(86, 17, "2.0.0.1");
    sw.SetText(35, 17, "boot");
    sw.SetText(103, 17, "1.0.0.0");
    EXPECT_EQ(WriteLine(codec, sw, Side::Reply), ":gswver,0,2,'app','2.0.0.1','boot','1.0.0.0'[CR]");
}

}  // namespace
}  // namespace velmar
