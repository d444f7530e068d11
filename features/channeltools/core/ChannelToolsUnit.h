#pragma once

#include <string_view>

#include "device/features/FeatureContext.h"
#include "features/channeltools/core/ChannelToolsState.h"

namespace velmar {

// Per-channel tools: labels, gains and the signal status of the main and card inputs.
class ChannelToolsUnit {
  public:
    explicit ChannelToolsUnit(FeatureContext& context);

    void LabelRuns();  // llabel for both selectors over the frame's channels
    RequestProblem SetLabel(std::int32_t selector, std::int32_t channel, std::string_view text);
    // The slabel request through any writer (the CLI's dry run prints what it would send).
    static RequestProblem WriteLabel(RequestWriter& writer, std::int32_t selector, std::int32_t channel,
                                     std::string_view text);
    void GainLists();  // lgain for both selectors over the tool channels
    // sgain 0.00, phase and mute off, for the input and then the output of `channel`.
    void ClearGain(std::int32_t channel);
    void MainInputStatusList();

    // What the frame last reported, zero after a connect.
    const GainTables& Gains() const { return gains_; }
    const InputStatusTables& Inputs() const { return inputs_; }
    void Reset();

  private:
    void Label(const CommandMessage& m);
    void LabelList(const CommandMessage& m);
    void AdSignal(const CommandMessage& m);
    void SdiRxStatus(const CommandMessage& m);
    void CardStatusText(const CommandMessage& m);
    void CardInactive(const CommandMessage& m);
    void MainInputStatus(const CommandMessage& m);
    void MainInputStatusList(const CommandMessage& m);
    void Gain(const CommandMessage& m);

    FeatureContext& context_;
    GainTables gains_{};
    InputStatusTables inputs_{};
};

}  // namespace velmar
