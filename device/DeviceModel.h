#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"

namespace velmar {

inline constexpr std::int32_t kNewFirmwareVersion = 2000000;

FrameCapabilities CapabilitiesOf(const DeviceState& state, ModelClass model);

// ((a*100 + b)*100 + c)*100 + d of a "a.b.c.d" text; 0 when it does not start with a number.
std::int32_t VersionNumber(std::string_view text);

// The first version text of board position 2, as a number.
std::int32_t MainSoftwareVersion(const DeviceState& state);
bool IsNewFirmware(const DeviceState& state);

// 1536 for a class-0 frame with firmware newer than 2.0.0.0, else 1024.
std::int32_t ChannelCount(const DeviceState& state, ModelClass model);

ModelClass ModelClassFromType(std::string_view type);
// As above, but a device-list row that names no known type is taken for a compact unit.
ModelClass ModelClassFromListRow(std::string_view type);

// The kind of card n (1..8) from the board code in position n + 8; None outside 1..8.
CardType CardKind(const DeviceState& state, std::int32_t card);
// The kind a board code and type give, without looking at the position.
CardType CardTypeFromBoard(const BoardConfig& board);

// First channel of the gain, label and level-detector tools: 512 on a frame without cards
// unless the zel option is given, else 0.
std::int32_t ToolChannelBase(const ConnectionState& connection);
// A frame takes tool requests only while connected, not programming firmware and not stepping.

// "Internal", "Word", ... for sync sources 1..18; "Error" otherwise.
std::string_view SyncSourceName(std::int32_t source);
// "44.1 kHz" ... for actual-rate codes 1..10; "Error" otherwise.
std::string_view SampleRateName(std::int32_t rate);
// The connected frame as the operator knows it: "Studio A (127.0.0.2)", or its address alone while
// its name is not known; "the frame" without a connection.
std::string FrameLabel(const ConnectionState& connection);
// A question or message about the connected frame: the fixed text, then the frame it concerns, so
// that nothing destructive is asked without saying which frame it would hit.
std::string AboutFrame(std::string_view text, const ConnectionState& connection);

// The PSU/FAN field text: empty when not fitted, else "OK" or "Faulty".
std::string_view UnitStatusText(std::uint32_t fittedMask, std::size_t unit, std::int32_t status);

}  // namespace velmar
