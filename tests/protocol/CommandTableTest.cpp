#include <gtest/gtest.h>

#include <set>

#include "protocol/CommandTable.h"

namespace velmar {
namespace {

TEST(CommandTable, WordsAreUniqueAndTheirFirstLetterMatchesTheCodeRange) {
    std::set<std::string_view> words;
    for (std::uint16_t code = 0; code < kCommandCount; ++code) {
        const std::string_view word = Command(code).word;
        EXPECT_TRUE(words.insert(word).second) << word;
        EXPECT_LE(word.size(), kMaxWordLength);
        const char kind = code < 2 ? 'a' : code < 7 ? 's' : code < 100 ? 'g' : code < 170 ? 's' : 'l';
        if (code >= 2) {
            EXPECT_EQ(word.front(), kind) << word;
        }
    }
    EXPECT_EQ(Command(CommandCode::lppmid).word, "lppmid");
    EXPECT_EQ(FindCommand("scross"), CommandCode::scross);
    EXPECT_FALSE(FindCommand("SCROSS").has_value());
}

TEST(CommandTable, LayoutsStayInsideTheRecordAndFieldsDoNotOverlap) {
    for (const CommandInfo& info : kCommandTable) {
        for (const ArgLayout* layout : {&info.request, &info.reply}) {
            std::set<std::pair<int, int>> spans;
            for (const ArgField& field : layout->All()) {
                if (field.type == ArgType::Skip)
                    continue;
                EXPECT_GE(field.offset, kArgumentOffset) << info.word;
                EXPECT_LE(field.offset + field.size, kMessageSize) << info.word;
                for (const auto& [begin, end] : spans) {
                    EXPECT_TRUE(field.offset >= end || field.offset + field.size <= begin) << info.word;
                }
                spans.insert({field.offset, field.offset + field.size});
            }
        }
    }
}

TEST(CommandTable, SpecialRowsCarryTheirShapes) {
    const CommandInfo& psu = Command(CommandCode::gpsustatus);
    ASSERT_EQ(psu.reply.count, 2);
    EXPECT_EQ(psu.reply.fields[0].offset, 18);  // the supply number comes back in int:18 ...
    EXPECT_EQ(psu.reply.fields[1].offset, 14);  // ... and its status, with status 0 only, in int:14
    EXPECT_EQ(psu.reply.unconditional, 1);

    const CommandInfo& gppminfo = Command(CommandCode::gppminfo);
    EXPECT_EQ(gppminfo.reply.fields[1].type, ArgType::Text);
    EXPECT_EQ(gppminfo.reply.fields[1].offset, 34);

    EXPECT_EQ(Command(CommandCode::lsumcross).reply.fields[0].type, ArgType::Skip);
    EXPECT_EQ(Command(CommandCode::gmadioutmode).clearBeforeReply.last, 37);
    EXPECT_EQ(Command(CommandCode::llevdetstatus).list, ListKind::LevelDetector);
    EXPECT_EQ(Command(CommandCode::lgain).list, ListKind::None);
    EXPECT_EQ(KindOf(CommandCode::lcross), CommandKind::List);
    EXPECT_EQ(KindOf(CommandCode::sprog), CommandKind::Set);
}

}  // namespace
}  // namespace velmar
