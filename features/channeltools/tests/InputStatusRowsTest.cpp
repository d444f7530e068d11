#include <gtest/gtest.h>

#include "features/channeltools/core/ChannelToolsState.h"
#include "features/channeltools/core/InputStatusRows.h"

namespace velmar {
namespace {

using Cells = std::vector<std::string>;
using Faults = std::vector<bool>;

void FitCard(DeviceState& state, std::int32_t slot, const char* code) {
    BoardConfig& board = state.config.hwConf[static_cast<std::size_t>(slot + 7)];
    board.boardType = 1;
    board.boardCode.Assign(code);
}

TEST(InputStatusRows, UnreportedInputsAreUnknownAndRedundancyIsMarked) {
    DeviceState state;
    InputStatusTables inputs;
    std::vector<InputStatusRow> main = MainBoardRows(state, inputs);
    ASSERT_EQ(main.size(), 14u);
    EXPECT_EQ(main[0].name, "AES 1");
    EXPECT_EQ(main[13].name, "IP");
    EXPECT_EQ(main[0].cells, (Cells{"unknown", "unknown", "unknown"}));

    inputs.mainInputStatus[0].status.Assign("ESa");
    inputs.mainInputStatus[12].status.Assign("--A");
    inputs.mainInputStatus[11].status.Assign("--?");
    state.live.inactive[1] = 1;  // SFP 2
    main = MainBoardRows(state, inputs);
    EXPECT_EQ(main[0].cells, (Cells{"error", "error", "no"}));
    EXPECT_EQ(main[0].faults, (Faults{true, true, false}));  // not active is no fault
    EXPECT_EQ(main[11].cells, (Cells{"", "", "unknown"}));
    EXPECT_EQ(main[11].faults, (Faults{false, false, false}));
    EXPECT_EQ(main[12].cells[2], "yes");
    state.config.redundancyEnable = 1;
    EXPECT_EQ(MainBoardRows(state, inputs)[12].cells[2], "yes *");
}

TEST(InputStatusRows, CardListsFollowTheCardKinds) {
    DeviceState state;
    InputStatusTables inputs;
    FitCard(state, 2, "K5A013");  // AD
    FitCard(state, 5, "K5A013");
    FitCard(state, 3, "K5A021");  // SDI
    FitCard(state, 4, "K5A025");  // MADI
    FitCard(state, 6, "K5A024");  // AES
    const std::vector<InputStatusRow> ad = CardRows(state, inputs, InputCardType::Ad, ModelClass::Full);
    ASSERT_EQ(ad.size(), 16u);
    EXPECT_EQ(ad.front().name, "Slot 2 - 1");
    EXPECT_EQ(ad.front().item, 8);
    EXPECT_EQ(ad.back().name, "Slot 5 - 8");
    EXPECT_EQ(ad.front().cells, (Cells{"unknown", "unknown"}));
    EXPECT_TRUE(CardRows(state, inputs, InputCardType::Ad, ModelClass::NoCards).empty());

    inputs.sdiRxStatus[4] = {3, 1, {1, 4, 2}};
    EXPECT_EQ(CardRows(state, inputs, InputCardType::Sdi, ModelClass::Full)[0].cells,
              (Cells{"yes", "error", "25 Hz"}));
    EXPECT_EQ(CardRows(state, inputs, InputCardType::Sdi, ModelClass::Full)[0].faults,
              (Faults{false, true, false}));
    inputs.sdiRxStatus[5] = {3, 2, {0, 0, 9}};
    EXPECT_EQ(CardRows(state, inputs, InputCardType::Sdi, ModelClass::Full)[1].faults,
              (Faults{true, true, true}));

    // A third character other than a or A: unknown, for MADI and AES alike.
    inputs.cardIfStatus[6].status.Assign("--x");
    inputs.aesInputStatus[40].status.Assign("--x");
    EXPECT_EQ(CardRows(state, inputs, InputCardType::Madi, ModelClass::Full)[0].cells[2], "unknown");
    EXPECT_EQ(CardRows(state, inputs, InputCardType::Aes, ModelClass::Full)[0].cells[2], "unknown");
    inputs.cardIfStatus[7].status.Assign("--A");
    state.live.inactive[2 * 4 + 2 - 1] = 1;
    state.config.cards[3].madi.redundancyEnable = 1;
    EXPECT_EQ(CardRows(state, inputs, InputCardType::Madi, ModelClass::Full)[1].cells[2], "yes *");
}

}  // namespace
}  // namespace velmar
