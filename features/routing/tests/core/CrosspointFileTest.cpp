#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "features/routing/core/CrosspointFile.h"

namespace velmar {
namespace {

std::vector<Crosspoint> Load(const std::string& text, std::int32_t channelCount = 1536) {
    std::istringstream in(text);
    return CrosspointFile::Read(in, channelCount).Connections();
}

TEST(CrosspointFile, WritesCountingOrAllOneIndexWithCrLf) {
    const std::vector<Crosspoint> routes{{2, 9}, {5, 7}};
    std::ostringstream all;
    CrosspointFile::Write(all, routes, CrosspointFile::Index::Counting);
    EXPECT_EQ(all.str(), "1=2,9\r\n2=5,7\r\n");

    std::ostringstream selected;
    CrosspointFile::Write(selected, std::vector<Crosspoint>{{601, 517}, {3, 1}, {1100, 1536}},
                          CrosspointFile::Index::AllOne);
    EXPECT_EQ(selected.str(), "1=601,517\r\n1=3,1\r\n1=1100,1536\r\n");
}

TEST(CrosspointFile, ReadsWhatPeopleWriteAndDropsWhatDoesNotFit) {
    EXPECT_EQ(Load("12=0100,0513\r\n"), (std::vector<Crosspoint>{{100, 513}}));
    EXPECT_EQ(Load("1=  +7, -0\n2=8,  9xyz\n"), (std::vector<Crosspoint>{{8, 9}})) << "a 0 input is not sent";
    EXPECT_EQ(Load("no comma=5\n1=0,4\n=6,7\n7,8=9\n,=\n"), (std::vector<Crosspoint>{{6, 7}}))
        << "only the line with an '=' before an output and a comma counts; index text is free";
    EXPECT_EQ(Load("1=40,1\r\n2=41,2\r\n3=40,3\r\n"), (std::vector<Crosspoint>{{40, 3}, {41, 2}}))
        << "a later line for the same output replaces the earlier one";
    EXPECT_EQ(Load("1=5,-3\n1=6,99999999999999999999\n1=99999999999999999999,1\n1=-4,2\n"),
              std::vector<Crosspoint>{});
    EXPECT_EQ(Load("1=1024,1024\n2=1025,3\n3=3,1025\n4=1536,1536\n", 1024),
              (std::vector<Crosspoint>{{1024, 1024}}))
        << "a 1536-channel file on a 1024-channel frame";
    EXPECT_EQ(Load("1=3,2"), (std::vector<Crosspoint>{{3, 2}})) << "the last line needs no line end";
    EXPECT_EQ(Load(std::string(10000, ' ') + "1=3,2\n1=4,5\n"), (std::vector<Crosspoint>{{4, 5}}))
        << "an absurdly long line is skipped, the rest still read";
    EXPECT_EQ(Load("1=3,2\n", 5000), (std::vector<Crosspoint>{{3, 2}}))
        << "a channel count beyond the tables is capped";
}

TEST(CrosspointFile, AnyLineEndsAByteOrderMarkAndNoLastLineEnd) {
    const std::vector<Crosspoint> three{{11, 12}, {12, 13}, {13, 14}};
    EXPECT_EQ(Load("1=11,12\r2=12,13\r3=13,14\r"), three) << "CR only, as old Macs write";
    EXPECT_EQ(Load("1=11,12\n2=12,13\r\n3=13,14\r"), three) << "a mix";
    EXPECT_EQ(Load("1=11,12\n\r2=12,13\r\r\n\n3=13,14"), three) << "empty lines between, none at the end";
    EXPECT_EQ(Load("\xEF\xBB\xBF"
                   "1=11,12\r\n2=12,13\r\n3=13,14\r\n"),
              three)
        << "UTF-8 byte-order mark";
    EXPECT_EQ(Load("1=11,12\r\n2=12,13\r\n3=13,14\r\n\x1A"), three) << "the old end-of-file mark";
}

TEST(CrosspointFile, AFileThatIsNotTextIsRefusedWhole) {
    const auto refused = [](const std::string& bytes) {
        std::istringstream in(bytes);
        const CrosspointFile file = CrosspointFile::Read(in, 1536);
        EXPECT_TRUE(file.Connections().empty());
        EXPECT_TRUE(file.Skipped().empty());
        return file.NotText();
    };
    std::string utf16;
    for (const char c : std::string("1=11,12\r\n2=12,13\r\n"))
        utf16 += std::string{c, '\0'};
    EXPECT_NE(refused("\xFF\xFE" + utf16).find("UTF-16"), std::string::npos);
    EXPECT_NE(refused(utf16).find("NUL"), std::string::npos) << "UTF-16 without its mark";
    EXPECT_NE(refused("1=11,12\r\n" + std::string(1, '\0') + "2=12,13\r\n").find("NUL"), std::string::npos);
    EXPECT_NE(refused("1=11,12\r\n\x1b[2J2=12,13\r\n").find("not a text file"), std::string::npos);

    std::mt19937 random(7);
    std::string junk(200000, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    EXPECT_NE(refused(junk), "");
}

TEST(CrosspointFile, SkippedLinesAreNamedWithTheirReason) {
    std::istringstream in(
        "1=40,1\r\n"
        "  \r\n"
        "no comma=5\r\n"
        "just text\r\n"
        "5=1025,3\r\n"
        "6=3,1025\r\n"
        "7=40,2\r\n"
        "8=9,0\r\n" +
        std::string(5000, '9') + "\r\n10=1,1");
    const CrosspointFile file = CrosspointFile::Read(in, 1024);
    EXPECT_EQ(file.Connections(), (std::vector<Crosspoint>{{1, 1}, {40, 2}}));
    const std::vector<SkippedLine> expected{
        {1, "output 40 is given again on line 7"},
        {3, "no \",\" after the \"=\""},
        {4, "no \"=\""},
        {5, "output 1025 is not a channel of this frame (1..1024)"},
        {6, "input 1025 is not a channel of this frame (1..1024)"},
        {8, "input 0: loading never disconnects an output"},
        {9, "longer than 4096 characters"},
    };
    EXPECT_EQ(file.Skipped(), expected);
    EXPECT_EQ(file.SkippedCount(), expected.size());
    EXPECT_EQ(file.NotText(), "");

    std::string many;
    for (int i = 0; i < 1500; ++i)
        many += "junk\n";
    std::istringstream manyIn(many);
    const CrosspointFile flood = CrosspointFile::Read(manyIn, 1024);
    EXPECT_EQ(flood.Skipped().size(), CrosspointFile::kMaxSkippedNamed);
    EXPECT_EQ(flood.SkippedCount(), 1500u);
}

TEST(CrosspointFile, RoundTripsAFullFrame) {
    std::vector<Crosspoint> routes;
    for (std::int32_t output = 1; output <= 1536; output += 3)
        routes.push_back({output, 1537 - output});
    std::ostringstream file;
    CrosspointFile::Write(file, routes, CrosspointFile::Index::Counting);
    EXPECT_EQ(Load(file.str()), routes);
}

}  // namespace
}  // namespace velmar
