#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/settings/core/CardRows.h"
#include "features/settings/tests/core/CardTestSupport.h"

namespace velmar {
namespace {

using test::Card;
using test::FitCard;

CardRow Row(CardType kind, std::string_view name) {
    const std::optional<CardRow> row = FindCardRow(kind, name);
    EXPECT_TRUE(row.has_value()) << name;
    return row.value_or(CardRow{});
}

std::vector<std::string> Texts(std::span<const CardChoice> choices) {
    std::vector<std::string> texts;
    for (const CardChoice& choice : choices)
        texts.emplace_back(choice.text);
    return texts;
}

TEST(CardRows, EachKindHasItsRowsInGridOrderAndNoneForAnUnknownCard) {
    struct Expected {
        CardType kind;
        std::size_t rows;
        const char* first;
        const char* last;
    };
    for (const Expected& e :
         {Expected{CardType::Sdi, 20, "1:Embedder", "2:Rx SRC group 4"},
          Expected{CardType::Ad, 48, "1:Mode", "8:Line clipping level"},
          Expected{CardType::Da, 24, "1:Max output level", "8:DSD filter"},
          Expected{CardType::Aes, 8, "1:Rx SRC", "8:Rx SRC"},
          Expected{CardType::MadiHotlink, 13, "both:Interface type", "2:Output DSD mode"}}) {
        const std::vector<CardRow> rows = CardRows(e.kind);
        ASSERT_EQ(rows.size(), e.rows);
        EXPECT_EQ(RowName(rows.front()), e.first);
        EXPECT_EQ(RowName(rows.back()), e.last);
    }
    const std::vector<CardRow> sdi = CardRows(CardType::Sdi);
    EXPECT_EQ(RowName(sdi[2]), "1:Tx embedder mode group 1");
    EXPECT_EQ(RowName(sdi[6]), "1:Rx SRC group 1");
    EXPECT_EQ(RowChannelText(sdi[10]), "2");
    EXPECT_TRUE(CardRows(CardType::None).empty());
    EXPECT_EQ(FindCardRow(CardType::Ad, "3:PHANTOM power"), (CardRow{CardParam::PhantomPower, 3, 0}));
    EXPECT_FALSE(FindCardRow(CardType::Ad, "9:State")) << "a channel beyond the card has no row";
    EXPECT_FALSE(FindCardRow(CardType::Da, "1:Phantom power"));
}

TEST(CardRows, ATextThatIsNoEntryOfTheRowKeepsTheStoredValue) {
    CardRecord sdi = test::Record(CardType::Sdi);
    sdi.sdi[1].txSrcRate = 1;
    const CardRow rate = Row(CardType::Sdi, "2:Tx sample rate");
    EXPECT_EQ(RowValueText(rate, sdi), "44.1 kHz");
    for (std::string_view text : {"", "96 kHz", "48 khz", "enable"})
        EXPECT_FALSE(StoreRowText(rate, text, sdi)) << text;
    EXPECT_EQ(sdi.sdi[1].txSrcRate, 1) << "not the 32 kHz an unknown text once became";

    const CardRow mode = Row(CardType::Sdi, "1:Tx embedder mode group 3");
    sdi.sdi[0].embMode[2] = 3;
    EXPECT_FALSE(StoreRowText(mode, "bypass", sdi));
    EXPECT_EQ(sdi.sdi[0].embMode[2], 3) << "not remove";
    EXPECT_TRUE(StoreRowText(mode, "use SRC", sdi));
    EXPECT_EQ(sdi.sdi[0].embMode[2], 4);
    EXPECT_EQ(sdi.sdi[0].embMode[1], 0) << "only the row's own group";

    sdi.sdi[0].embMode[0] = 9;
    EXPECT_EQ(RowValueText(Row(CardType::Sdi, "1:Tx embedder mode group 1"), sdi), "9")
        << "a value the page has no entry for shows as reported";
}

TEST(CardRows, TheAdBoardTypeDecidesWhichRowsCanBeEdited) {
    CardRecord ad = test::Record(CardType::Ad);
    ad.ad[3].micLevel = {true, 12, 5};
    ad.ad[3].lineLevel = {false, 3, 0};
    const CardRow mode = Row(CardType::Ad, "4:Mode");
    const CardRow phantom = Row(CardType::Ad, "4:Phantom power");
    const CardRow state = Row(CardType::Ad, "4:State");
    const CardRow mic = Row(CardType::Ad, "4:Mic clipping level");
    const CardRow line = Row(CardType::Ad, "4:Line clipping level");
    EXPECT_EQ(RowValueText(mic, ad), "-12.05");
    EXPECT_EQ(RowValueText(line, ad), "3.00");

    ad.mode = 0;  // a line-level board
    EXPECT_FALSE(RowEditable(mode, ad));
    EXPECT_FALSE(RowEditable(phantom, ad));
    EXPECT_FALSE(StoreRowText(phantom, "on", ad));
    EXPECT_EQ(ad.ad[3].phantomPower, 0);
    EXPECT_TRUE(StoreRowText(state, "mute", ad));
    EXPECT_EQ(ad.ad[3].mute, 1);

    ad.mode = 1;
    EXPECT_EQ(Texts(RowChoices(mode, ad)), (std::vector<std::string>{"line", "mic"}));
    EXPECT_TRUE(StoreRowText(phantom, "on", ad));
    EXPECT_EQ(ad.ad[3].phantomPower, 1);
    for (const CardRow& level : {mic, line}) {
        EXPECT_FALSE(RowEditable(level, ad)) << "levels are shown only";
        EXPECT_FALSE(StoreRowText(level, "0.00", ad));
    }
}

TEST(CardRows, TheDaCardsOneDsdFilterShowsAndChangesOnEveryChannel) {
    CardRecord da = test::Record(CardType::Da);
    EXPECT_TRUE(StoreRowText(Row(CardType::Da, "5:DSD filter"), "enable", da));
    for (std::int32_t ch = 1; ch <= 8; ++ch) {
        EXPECT_EQ(da.da[static_cast<std::size_t>(ch - 1)].dsdFilter, 1) << ch;
        EXPECT_EQ(RowValueText(Row(CardType::Da, std::to_string(ch) + ":DSD filter"), da), "enable");
    }
    EXPECT_TRUE(StoreRowText(Row(CardType::Da, "5:State"), "mute", da));
    EXPECT_EQ(da.da[4].mute, 1);
    EXPECT_EQ(da.da[0].mute, 0);
}

TEST(CardRows, TheMadiCardsRowsFollowItsInterfaceTypeAndRedundancy) {
    CardRecord madi = test::Record(CardType::MadiHotlink);
    madi.mode = 1;
    madi.madi.ports[0] = {1, 1, 1, 1, 1};
    madi.madi.ports[1] = {0, 0, 0, 0, 0};
    const CardRow type = Row(CardType::MadiHotlink, "both:Interface type");
    const CardRow in1 = Row(CardType::MadiHotlink, "1:Input mode / sample rate");
    const CardRow out1 = Row(CardType::MadiHotlink, "1:Output mode / frame rate");
    const CardRow count1 = Row(CardType::MadiHotlink, "1:Output channel count");
    const CardRow in2 = Row(CardType::MadiHotlink, "2:Input mode / sample rate");
    const CardRow dsd2 = Row(CardType::MadiHotlink, "2:Output DSD mode");
    EXPECT_EQ(RowValueText(in1, madi), "as internal");
    EXPECT_EQ(RowValueText(out1, madi), "legacy");
    EXPECT_EQ(RowValueText(in2, madi), "auto");
    EXPECT_TRUE(StoreRowText(dsd2, "dsd over pcm", madi));
    EXPECT_EQ(madi.madi.ports[1].dsdMode, 1);

    // Redundancy: the second port carries the first one's settings, shown there, edited on port 1.
    ASSERT_TRUE(StoreRowText(Row(CardType::MadiHotlink, "both:SFP redundancy"), "enable", madi));
    EXPECT_EQ(RowValueText(in2, madi), "as internal");
    EXPECT_FALSE(StoreRowText(in2, "auto", madi));
    EXPECT_EQ(madi.madi.ports[1].inMode, 0);
    ASSERT_TRUE(StoreRowText(Row(CardType::MadiHotlink, "both:SFP redundancy"), "disable", madi));

    ASSERT_TRUE(StoreRowText(type, "hotlink", madi));
    EXPECT_EQ(madi.mode, 2) << "the rows follow the new type at once";
    EXPECT_FALSE(RowEditable(count1, madi));
    EXPECT_EQ(RowValueText(count1, madi), "");
    EXPECT_EQ(RowValueText(in2, madi), "") << "Hotlink has no second port";
    EXPECT_EQ(Texts(RowChoices(out1, madi)), (std::vector<std::string>{"internal", "external"}));
    EXPECT_EQ(RowValueText(in1, madi), "external");
    EXPECT_TRUE(StoreRowText(out1, "internal", madi));
    EXPECT_EQ(madi.madi.HotlinkOut(), 0);
    EXPECT_FALSE(StoreRowText(count1, "56 ch", madi));

    ASSERT_TRUE(StoreRowText(type, "disabled", madi));
    for (const CardRow& row : CardRows(CardType::MadiHotlink)) {
        if (row.index != 0) {
            EXPECT_FALSE(RowEditable(row, madi)) << RowName(row);
        }
    }
    madi.mode = 7;  // a mode this page does not know
    EXPECT_EQ(RowValueText(type, madi), "7");
    EXPECT_FALSE(RowEditable(in1, madi));
}

TEST(CardRows, OnlyAFittedCardOfAKnownKindWithAMatchingRecordIsEdited) {
    ConfigBlock config;
    FitCard(config, 1, CardType::Ad, "K5A013-02");
    FitCard(config, 2, CardType::None, "K5A099-01");  // a board the page does not know
    FitCard(config, 3, CardType::Da, "K5A023-01");
    Card(config, 3).kind = CardType::Aes;  // the record of another card
    Card(config, 4).kind = CardType::Sdi;  // a record for a slot that has emptied
    EXPECT_EQ(EditableCardKind(config, 1), CardType::Ad);
    EXPECT_EQ(EditableCardKind(config, 2), CardType::None);
    EXPECT_EQ(EditableCardKind(config, 3), CardType::None);
    EXPECT_EQ(EditableCardKind(config, 4), CardType::None);
    EXPECT_EQ(EditableCardKind(config, 0), CardType::None);
    EXPECT_EQ(EditableCardKind(config, 9), CardType::None);
    EXPECT_EQ(CardDescription(CardType::MadiHotlink), "MADI dual / Hotlink");
    EXPECT_EQ(CardDescription(CardType::None), "");
}

}  // namespace
}  // namespace velmar
