#pragma once

#include <optional>

#include "device/features/FeatureContext.h"

namespace velmar {

// The frame's audio interfaces: AES, MADI and PHD ports, the optional SFP module and the
// plug-in cards with their per-channel parameters.
class InterfacesUnit {
  public:
    explicit InterfacesUnit(FeatureContext& context);

    // port0: 0-based MADI port, sent 1-based; nothing: all three.
    void MadiModes(std::optional<std::int32_t> port0);
    void SetMadiModes(std::optional<std::int32_t> port0);
    void PhdModes();
    void OptionalModuleMode(std::optional<std::int32_t> module);
    void SetOptionalModuleMode(std::optional<std::int32_t> module);
    void Redundancy();
    void SetRedundancy();
    void OptionalModuleInactive(std::optional<std::int32_t> module);
    void HotlinkModes(std::optional<std::int32_t> module);
    void SetHotlinkModes(std::optional<std::int32_t> module);

    // Every get of card n by its kind.
    void CardSettings(std::int32_t card);
    // One set form of a card word with the value held for card n. `index` is the channel (1..8)
    // or port (1..2) where the word is addressed by one, `group` the audio group (1..4) of
    // sembmode and srxsrcena; out-of-range requests are not sent.
    void CardSetting(CommandCode set, std::int32_t card, std::int32_t index = 0, std::int32_t group = 0);

  private:
    void Redundancy(const CommandMessage& m, bool setReply);
    void OptionalModuleInactive(const CommandMessage& m);
    void CardField(const CommandMessage& m);

    FeatureContext& context_;
};

}  // namespace velmar
